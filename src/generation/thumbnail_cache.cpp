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

// The name file_io.h's writer gives its temporary files: the prefix and 8 letters or digits.
bool IsTemporaryName(std::string_view name) {
  const std::string_view prefix = kTemporaryFilePrefix;
  return name.size() == prefix.size() + 8 && name.substr(0, prefix.size()) == prefix &&
         std::all_of(
             name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
             });
}

// Creates folder and every missing parent, private to the user; true when it is then a folder
// this process may write.
bool MakeWritableFolder(const std::string& folder) {
  if (folder.empty() || folder[0] != kPathSeparator) return false;
  for (std::size_t end = folder.find(kPathSeparator, 1); end != std::string::npos;
       end = folder.find(kPathSeparator, end + 1)) {
    const std::string part = folder.substr(0, end);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  if (folder.back() != kPathSeparator && ::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
    return false;
  return DirectoryExists(folder) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

bool Cacheable(const ThumbnailResult& result) {
  return result.jpeg && !result.jpeg->empty() && result.reader_warnings.empty() && !result.read_error;
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
  enabled_ = MakeWritableFolder(folder_);
}

ThumbnailCache::~ThumbnailCache() {
  if (stored_bytes_ > 0) Trim();
}

std::optional<ThumbnailResult> ThumbnailCache::Find(const std::string& key) {
  if (!enabled()) return std::nullopt;
  const std::string path = folder_ + CacheEntryName(key) + std::string(kEntrySuffix);
  struct stat st {};
  std::string bytes;
  if (::stat(path.c_str(), &st) != 0 || st.st_size > kMaxEntryBytes ||
      !ReadWholeFile(path, &bytes)) {
    return std::nullopt;
  }
  const std::optional<std::vector<CacheRecord>> records = DecodeCacheEntry(bytes, key);
  if (!records) return std::nullopt;
  std::optional<ThumbnailResult> result = ResultFromCacheRecords(*records);
  if (!result) return std::nullopt;
  // The modification time is the last use, which trimming goes by.
  const timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_NOW}};
  ::utimensat(AT_FDCWD, path.c_str(), times, 0);
  return result;
}

void ThumbnailCache::Store(const std::string& key, const ThumbnailResult& result) {
  if (!enabled()) return;
  std::string entry;
  try {
    entry = EncodeCacheEntry(key, CacheRecordsOf(result));
    WriteWholeFile(folder_ + CacheEntryName(key) + std::string(kEntrySuffix), entry);
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
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder_.c_str()), &::closedir);
  if (!dir) return;
  const int fd = ::dirfd(dir.get());
  const std::time_t now = std::time(nullptr);
  while (const dirent* item = ::readdir(dir.get())) {
    const std::string_view name = item->d_name;
    const bool entry = IsEntryName(name);
    if (!entry && !IsTemporaryName(name)) continue;
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

ThumbnailResult MakeThumbnailResult(const ThumbnailJob& job, ThumbnailCache* cache) noexcept {
  if (cache == nullptr || !cache->enabled()) return MakeThumbnailResult(job);
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
  ThumbnailResult result = MakeThumbnailResult(job);
  try {
    // A source that changed while it was read gave bytes of neither state.
    if (key && Cacheable(result) && ThumbnailCacheKey(job) == key) cache->Store(*key, result);
  } catch (...) {
  }
  return result;
}

}  // namespace fotoloom
