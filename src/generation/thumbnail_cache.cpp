#include "generation/thumbnail_cache.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <utility>
#include <vector>

#include "generation/cache_entry.h"
#include "platform/file_io.h"
#include "platform/paths.h"

namespace fotoloom {
namespace {

constexpr std::string_view kEntrySuffix = ".thumb";
// No thumbnail comes near this; a larger file under an entry's name is not read.
constexpr off_t kMaxEntryBytes = off_t{64} << 20;
// A temporary file older than this belongs to a writer that was stopped.
constexpr std::time_t kAbandonedSeconds = 3600;

bool IsHexDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

bool IsEntryName(std::string_view name) {
  return name.size() == 16 + kEntrySuffix.size() && name.substr(16) == kEntrySuffix &&
         IsHexDigits(name.substr(0, 16));
}

// A folder opened for the cache, or why it could not be.
struct OpenedFolder {
  int fd = -1;
  std::string problem;
};

OpenedFolder Refused(const std::string& folder, const std::string& reason) {
  std::string shown = folder;
  while (shown.size() > 1 && shown.back() == kPathSeparator) shown.pop_back();
  return {-1, shown + " " + reason};
}

// Why a folder's status does not make it the user's own; empty when it does. The user's cache
// folder may let others write to it: its own folders below keep them out.
std::string NotOurs(const struct stat& st, bool own) {
  if (!S_ISDIR(st.st_mode)) return "is not a folder";
  if (st.st_uid != ::geteuid()) return "is owned by another user";
  if (own && (st.st_mode & (S_IWGRP | S_IWOTH)) != 0) return "can be written by others";
  return "";
}

// Creates the missing folders of path, private to the user.
void MakeFolders(const std::string& path) {
  for (std::size_t end = path.find(kPathSeparator, 1); end != std::string::npos;
       end = path.find(kPathSeparator, end + 1)) {
    ::mkdir(path.substr(0, end).c_str(), 0700);
  }
  ::mkdir(path.c_str(), 0700);
}

// Opens the user's cache folder base, made when missing. A link the user made there is
// followed; the folder it leads to must be the user's as well.
OpenedFolder OpenBase(const std::string& base) {
  struct stat st {};
  if (::lstat(base.c_str(), &st) != 0) {
    MakeFolders(base);
    if (::lstat(base.c_str(), &st) != 0) return Refused(base, "cannot be made");
  }
  if (S_ISLNK(st.st_mode) && st.st_uid != ::geteuid()) {
    return Refused(base, "is a link of another user");
  }
  const int fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return Refused(base, errno == ENOTDIR ? "is not a folder" : "cannot be opened");
  const std::string problem = ::fstat(fd, &st) == 0 ? NotOurs(st, false) : "cannot be opened";
  if (!problem.empty()) {
    ::close(fd);
    return Refused(base, problem);
  }
  return {fd, ""};
}

// Opens name in the folder parent (shown as path), made 0700 when missing, without following
// a link; closes parent.
OpenedFolder OpenOwn(int parent, const std::string& name, const std::string& path) {
  const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
  int fd = ::openat(parent, name.c_str(), flags);
  std::string problem;
  if (fd < 0 && errno == ENOENT) {
    if (::mkdirat(parent, name.c_str(), 0700) != 0 && errno != EEXIST) problem = "cannot be made";
    fd = problem.empty() ? ::openat(parent, name.c_str(), flags) : -1;
    if (fd >= 0) ::fchmod(fd, 0700);  // whatever the umask took away
  }
  struct stat st {};
  if (problem.empty() && fd < 0) {
    const int error = errno;
    const bool link =
        ::fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
    problem = link || error == ELOOP ? "is a link"
              : error == ENOTDIR     ? "is not a folder"
                                     : "cannot be opened";
  } else if (problem.empty()) {
    problem = ::fstat(fd, &st) == 0 ? NotOurs(st, true) : "cannot be opened";
  }
  ::close(parent);
  if (problem.empty()) return {fd, ""};
  if (fd >= 0) ::close(fd);
  return Refused(path, problem);
}

// Opens folder for the cache as the class comment says.
OpenedFolder OpenCacheFolder(const std::string& folder) {
  if (folder.size() < 2 || folder[0] != kPathSeparator) return Refused(folder, "is not absolute");
  const std::string_view standard = kThumbnailCacheSubfolders;
  const bool subfolders =
      folder.size() > standard.size() &&
      folder.compare(folder.size() - standard.size(), standard.size(), standard) == 0 &&
      folder[folder.size() - standard.size() - 1] == kPathSeparator;
  std::string base = subfolders ? folder.substr(0, folder.size() - standard.size())
                                : ExtractFilePath(folder.substr(0, folder.size() - 1));
  const std::string own = folder.substr(base.size());
  OpenedFolder opened = OpenBase(base.size() > 1 ? base.substr(0, base.size() - 1) : base);
  std::string path = base;
  for (std::size_t at = 0; opened.fd >= 0 && at < own.size();) {
    const std::size_t end = own.find(kPathSeparator, at);
    const std::string name = own.substr(at, end - at);
    path += name + kPathSeparator;
    opened = OpenOwn(opened.fd, name, path);
    at = end + 1;
  }
  if (opened.fd >= 0 && ::faccessat(opened.fd, ".", W_OK | X_OK, AT_EACCESS) != 0) {
    ::close(opened.fd);
    return Refused(folder, "cannot be written");
  }
  return opened;
}

// Reads the regular file name in the folder fd, of at most max bytes, without following a link;
// false for anything else, and for a file that is empty or grows while it is read.
bool ReadEntry(int fd, const std::string& name, off_t max, std::string* bytes) {
  const int entry = ::openat(fd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (entry < 0) return false;
  struct stat st {};
  bool ok = ::fstat(entry, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 && st.st_size <= max;
  std::size_t got = 0;
  if (ok) bytes->resize(static_cast<std::size_t>(st.st_size) + 1);
  while (ok && got < bytes->size()) {
    const ssize_t n = ::read(entry, bytes->data() + got, bytes->size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    got += static_cast<std::size_t>(n);
  }
  ::close(entry);
  if (!ok || got != static_cast<std::size_t>(st.st_size)) return false;
  bytes->resize(got);
  return true;
}

bool Cacheable(const ThumbnailResult& result) {
  return result.jpeg && !result.jpeg->empty() && result.reader_warnings.empty() && !result.read_error;
}

// Every picture the job asked for was made, so that serving the entry gives what making it
// again would: a companion missing for want of memory would be missing on every later run. (A
// preview is also absent when the image fits its box; only memory running out tells that apart.)
bool Complete(const ThumbnailJob& job, const ThumbnailResult& result) {
  return !result.out_of_memory && (!job.hidpi || result.jpeg_2x);
}

}  // namespace

std::string ThumbnailCacheFolder() {
  const char* setting = std::getenv("FOTOLOOM_CACHE");
  if (setting != nullptr && ::strcasecmp(setting, "off") == 0) return "";
  // XDG asks to ignore a relative $XDG_CACHE_HOME.
  std::string base;
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  const char* home = std::getenv("HOME");
  if (xdg != nullptr && xdg[0] == kPathSeparator) {
    base = xdg;
  } else if (home != nullptr && home[0] == kPathSeparator) {
    base = WithTrailingSeparator(home) + ".cache";
  } else {
    return "";
  }
  return WithTrailingSeparator(base) + "fotoloom/thumbnails/";
}

ThumbnailCache::ThumbnailCache(const std::string& folder, std::uint64_t max_bytes)
    : folder_(WithTrailingSeparator(folder)), max_bytes_(max_bytes) {
  OpenedFolder opened = OpenCacheFolder(folder_);
  fd_ = opened.fd;
  problem_ = std::move(opened.problem);
  enabled_ = fd_ >= 0;
}

ThumbnailCache::~ThumbnailCache() {
  if (stored_bytes_ > 0) Trim();
  if (fd_ >= 0) ::close(fd_);
}

std::optional<ThumbnailResult> ThumbnailCache::Find(const std::string& key) {
  if (!enabled()) return std::nullopt;
  const std::string name = CacheEntryName(key) + std::string(kEntrySuffix);
  std::string bytes;
  if (!ReadEntry(fd_, name, kMaxEntryBytes, &bytes)) return std::nullopt;
  const std::optional<std::vector<CacheRecord>> records = DecodeCacheEntry(bytes, key);
  if (!records) return std::nullopt;
  std::optional<ThumbnailResult> result = ResultFromCacheRecords(*records);
  if (!result) return std::nullopt;
  // The modification time is the last use, which trimming goes by.
  const timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_NOW}};
  ::utimensat(fd_, name.c_str(), times, AT_SYMLINK_NOFOLLOW);
  return result;
}

void ThumbnailCache::Store(const std::string& key, const ThumbnailResult& result) {
  if (!enabled()) return;
  std::string entry;
  try {
    entry = EncodeCacheEntry(key, CacheRecordsOf(result));
    const std::string name = CacheEntryName(key) + std::string(kEntrySuffix);
    WriteWholeFile(fd_, name, folder_ + name, entry, WriteOptions{.mode = 0600});
  } catch (...) {
    // A full disk or a folder taken away: the rest of the run does without.
    enabled_ = false;
    return;
  }
  // A run that stores more than a quarter of the bound trims on the way, so the cache never
  // grows far past it; one thread trims while the others go on.
  if ((stored_bytes_ += entry.size()) <= max_bytes_ / 4) return;
  const std::unique_lock<std::mutex> lock(trimming_, std::try_to_lock);
  if (lock.owns_lock()) TrimLocked();
}

void ThumbnailCache::Trim() {
  const std::lock_guard<std::mutex> lock(trimming_);
  TrimLocked();
}

void ThumbnailCache::TrimLocked() {
  if (!enabled()) return;
  struct Entry {
    timespec used;
    std::uint64_t bytes;
    std::string name;
  };
  std::vector<Entry> entries;
  std::uint64_t total = 0;
  stored_bytes_ = 0;
  const int listing = ::openat(fd_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(listing >= 0 ? ::fdopendir(listing) : nullptr,
                                                &::closedir);
  if (!dir) {
    if (listing >= 0) ::close(listing);
    return;
  }
  const int fd = fd_;
  const std::time_t now = std::time(nullptr);
  while (const dirent* item = ::readdir(dir.get())) {
    const std::string_view name = item->d_name;
    const bool entry = IsEntryName(name);
    if (!entry && !IsTemporaryFileName(name)) continue;
    struct stat st {};
    if (::fstatat(fd, item->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
      continue;
    if (!entry) {
      if (now - st.st_mtime >= kAbandonedSeconds) ::unlinkat(fd, item->d_name, 0);
      continue;
    }
    const std::uint64_t bytes = static_cast<std::uint64_t>(st.st_blocks) * 512;
    entries.push_back({st.st_mtim, bytes, std::string(name)});
    total += bytes;
  }
  if (total <= max_bytes_) return;
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return a.used.tv_sec != b.used.tv_sec ? a.used.tv_sec < b.used.tv_sec
                                          : a.used.tv_nsec < b.used.tv_nsec;
  });
  for (const Entry& e : entries) {
    if (total <= max_bytes_) break;
    if (::unlinkat(fd, e.name.c_str(), 0) == 0 || errno == ENOENT) total -= e.bytes;
  }
}

ThumbnailResult MakeThumbnailResult(const ThumbnailJob& job, ThumbnailCache* cache,
                                    MemoryBudget* budget) noexcept {
  if (cache == nullptr || !cache->enabled()) return MakeThumbnailResult(job, budget);
  std::optional<std::string> key;
  try {
    key = ThumbnailCacheKey(job);
    if (key) {
      // Only what Store keeps is served: an entry saying the source gives no thumbnail is
      // not one of ours.
      std::optional<ThumbnailResult> hit = cache->Find(*key);
      if (hit && Cacheable(*hit)) return std::move(*hit);
    }
  } catch (...) {
    key.reset();  // out of memory: made as without a cache
  }
  ThumbnailResult result = MakeThumbnailResult(job, budget);
  try {
    // A source that changed while it was read gave bytes of neither state.
    if (key && Cacheable(result) && Complete(job, result) && ThumbnailCacheKey(job) == key)
      cache->Store(*key, result);
  } catch (...) {
  }
  return result;
}

}  // namespace fotoloom
