#include "platform/file_io.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <random>

#include "platform/file_errors.h"
#include "platform/listing.h"
#include "platform/paths.h"

namespace fotoloom {
namespace {

int OpenRegularForReading(const std::string& path) {
  // Without O_NONBLOCK a FIFO would wait for a writer forever; only regular files are read.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return -1;
  }
  return fd;
}

// A new, empty file named directory + kTemporaryFilePrefix + random letters in the folder
// directory_fd (AT_FDCWD: the current one), created exclusively: an existing name, a link
// included, is never opened. -1 with errno on failure.
int CreateTemporaryFile(int directory_fd, const std::string& directory, mode_t mode,
                        std::string* name) {
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  // One generator per thread: thumbnail workers write cache entries at the same time.
  static thread_local std::mt19937_64 random{std::random_device{}()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::uint64_t bits = random() ^ static_cast<std::uint64_t>(getpid());
    std::string candidate = directory + kTemporaryFilePrefix;
    for (int i = 0; i < 8; ++i, bits /= 62) candidate += kLetters[bits % 62];
    const int fd = openat(directory_fd, candidate.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd >= 0) {
      *name = std::move(candidate);
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
}

// The temporary files being written, where a signal handler can find them. A slot is claimed
// and released through atomics only and holds a copy of the name, so the handler never reads
// memory a thread is freeing; its claim count changes with every claim, so a name the handler
// read while the slot changed hands is dropped rather than used.
constexpr int kLiveSlots = 64;
struct LiveSlot {
  std::atomic<int> state{0};  // 0 free, 1 being filled, 2 names a temporary file
  std::atomic<unsigned> claims{0};
  int directory_fd = AT_FDCWD;  // the folder path is relative to, open while the file is written
  char path[PATH_MAX];
};
LiveSlot g_live[kLiveSlots];

// -1 when every slot is taken (more files written at once than slots): a signal then leaves
// that one file behind, for the next run to remove.
int ClaimLiveSlot(int directory_fd, const std::string& path) {
  if (path.size() >= PATH_MAX) return -1;
  for (int i = 0; i < kLiveSlots; ++i) {
    int expected = 0;
    if (!g_live[i].state.compare_exchange_strong(expected, 1)) continue;
    g_live[i].claims.fetch_add(1);
    g_live[i].directory_fd = directory_fd;
    std::memcpy(g_live[i].path, path.c_str(), path.size() + 1);
    g_live[i].state.store(2);
    return i;
  }
  return -1;
}

void ReleaseLiveSlot(int* slot) {
  if (*slot < 0) return;
  g_live[*slot].state.store(0);
  *slot = -1;
}

extern "C" void OnTermination(int signal_number) {
  RemoveLiveTemporaryFiles();
  // SA_RESETHAND put the default action back; the signal, blocked while the handler runs,
  // ends the process as soon as it returns.
  raise(signal_number);
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

void SyncDirectory(const std::string& directory) {
  const int fd =
      open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

bool ReadFileStart(const std::string& path, std::size_t max_bytes, std::string* data, bool* more) {
  const int fd = OpenRegularForReading(path);
  if (fd < 0) return false;
  data->clear();
  *more = false;
  char buffer[65536];
  bool ok = true;
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
      const std::size_t room = max_bytes - data->size();
      data->append(buffer, std::min(static_cast<std::size_t>(n), room));
      if (static_cast<std::size_t>(n) > room) {
        *more = true;
        break;
      }
    } else if (n == 0) {
      break;
    } else if (errno != EINTR) {
      ok = false;
      break;
    }
  }
  close(fd);
  return ok;
}

bool ReadWholeFile(const std::string& path, std::string* data) {
  bool more = false;
  return ReadFileStart(path, std::string().max_size(), data, &more);
}

bool IsReadableFile(const std::string& path) {
  const int fd = OpenRegularForReading(path);
  if (fd < 0) return false;
  close(fd);
  return true;
}

void RequireReadableToTheEnd(const std::string& path) {
  const int fd = OpenRegularForReading(path);
  if (fd < 0) RaiseFileOpenError(path);
  char buffer[65536];
  ssize_t n;
  while ((n = read(fd, buffer, sizeof buffer)) != 0) {
    if (n < 0 && errno != EINTR) {
      close(fd);
      RaiseFileReadError(path);
    }
  }
  close(fd);
}

bool IsTemporaryFileName(std::string_view name) {
  const std::string_view prefix = kTemporaryFilePrefix;
  return name.size() == prefix.size() + 8 && name.substr(0, prefix.size()) == prefix &&
         std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                     [](char c) {
                       return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
                              (c >= 'A' && c <= 'Z');
                     });
}

void RemoveTemporaryFiles(const std::string& directory) {
  const std::string folder = WithTrailingSeparator(directory);
  for (const std::string& name : EntryNames(folder)) {
    if (!IsTemporaryFileName(name)) continue;
    struct stat st;
    const std::string path = folder + name;
    if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) unlink(path.c_str());
  }
}

bool CanCreateFileIn(const std::string& directory) {
  std::string name;
  const int fd = CreateTemporaryFile(AT_FDCWD, WithTrailingSeparator(directory), 0600, &name);
  if (fd < 0) return false;
  close(fd);
  unlink(name.c_str());
  return true;
}

void RemoveTemporaryFilesOnTermination() {
  for (const int signal_number : {SIGTERM, SIGHUP}) {
    struct sigaction previous {};
    if (sigaction(signal_number, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN)
      continue;
    struct sigaction action {};
    action.sa_handler = OnTermination;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    sigaction(signal_number, &action, nullptr);
  }
}

void RemoveLiveTemporaryFiles() noexcept {
  char path[PATH_MAX];
  for (LiveSlot& slot : g_live) {
    const unsigned claim = slot.claims.load();
    if (slot.state.load() != 2) continue;
    std::size_t n = 0;
    for (; n + 1 < sizeof path && slot.path[n] != '\0'; ++n) path[n] = slot.path[n];
    path[n] = '\0';
    const int directory_fd = slot.directory_fd;
    if (slot.state.load() == 2 && slot.claims.load() == claim) unlinkat(directory_fd, path, 0);
  }
}

OutputFile::OutputFile(const std::string& path, WriteOptions options)
    : path_(path),
      directory_fd_(AT_FDCWD),
      name_(path),
      directory_(ExtractFilePath(path)),
      options_(options) {
  Open();
}

OutputFile::OutputFile(int directory_fd, const std::string& name, const std::string& shown_path,
                       WriteOptions options)
    : path_(shown_path), directory_fd_(directory_fd), name_(name), options_(options) {
  Open();
}

void OutputFile::Open() {
  struct stat existing;
  const bool exists = fstatat(directory_fd_, name_.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
  // Only a file or a link is ever replaced: never a directory, a device, a FIFO or a socket,
  // nor a read-only file, which a write in place could not have changed either.
  const bool regular = exists && S_ISREG(existing.st_mode);
  if (exists &&
      ((!regular && !S_ISLNK(existing.st_mode)) || (regular && !(existing.st_mode & S_IWUSR)))) {
    RaiseFileCreateError(path_);
  }
  const mode_t mode = options_.mode != 0 ? static_cast<mode_t>(options_.mode & 07777) : 0666;
  fd_ = CreateTemporaryFile(directory_fd_, directory_, mode, &temporary_);
  if (fd_ < 0) {
    if (options_.in_place_fallback && regular) OpenInPlace();
    if (fd_ < 0) RaiseFileCreateError(path_);
    return;
  }
  live_slot_ = ClaimLiveSlot(directory_fd_, temporary_);
  if (options_.mode != 0) {
    fchmod(fd_, mode);  // exactly these bits, whatever the umask
    return;
  }
  if (!regular) return;
  // Overwriting a file in place kept its mode; a catalog published with chosen permissions
  // keeps them.
  fchmod(fd_, existing.st_mode & 07777);
  if (!options_.keep_owner) return;
  const bool same_owner = existing.st_uid == geteuid() && existing.st_gid == getegid();
  if (same_owner || fchown(fd_, existing.st_uid, existing.st_gid) == 0) return;
  // Someone else's file (a shared settings file): a rename would make it ours.
  if (!options_.in_place_fallback) return;
  const int temporary_fd = fd_;
  fd_ = -1;
  OpenInPlace();
  if (fd_ < 0) {
    fd_ = temporary_fd;  // not writable in place either: the new file at least keeps the mode
    return;
  }
  close(temporary_fd);
  unlinkat(directory_fd_, temporary_.c_str(), 0);
  ReleaseLiveSlot(&live_slot_);
  temporary_.clear();
}

void OutputFile::OpenInPlace() {
  // No O_TRUNC: the old content stays until it is overwritten, and Close() cuts what is left.
  fd_ = openat(directory_fd_, name_.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
  in_place_ = fd_ >= 0;
}

OutputFile::~OutputFile() {
  if (fd_ >= 0) close(fd_);
  if (!temporary_.empty()) unlinkat(directory_fd_, temporary_.c_str(), 0);
  ReleaseLiveSlot(&live_slot_);
}

void OutputFile::Write(std::string_view data) { Write(data.data(), data.size()); }

void OutputFile::Write(const void* data, std::size_t size) {
  if (fd_ < 0 || !WriteAll(fd_, static_cast<const char*>(data), size)) RaiseFileWriteError(path_);
  written_ += static_cast<off_t>(size);
}

void OutputFile::SetFinalAttributes(std::uint32_t permissions, std::time_t modification_time) {
  final_attributes_ = true;
  final_permissions_ = permissions & 07777;
  final_time_ = modification_time;
}

void OutputFile::Close() {
  if (closed_) return;
  if (fd_ < 0) RaiseFileWriteError(path_);
  bool ok = !in_place_ || ftruncate(fd_, written_) == 0;
  if (ok && final_attributes_ && !in_place_) {
    // The time after the last write, which would move it; a read-only mode does not stop
    // the rename.
    const timespec times[2] = {{0, UTIME_OMIT}, {final_time_, 0}};
    futimens(fd_, times);
    fchmod(fd_, static_cast<mode_t>(final_permissions_));
  }
  if (ok && options_.sync && fsync(fd_) != 0) ok = false;
  const int fd = fd_;
  fd_ = -1;
  // A delayed write error (network or full file systems) shows up only here.
  if (close(fd) != 0 && errno != EINTR) ok = false;
  if (!ok) RaiseFileWriteError(path_);
  closed_ = in_place_;
  if (in_place_) return;
  if (renameat(directory_fd_, temporary_.c_str(), directory_fd_, name_.c_str()) != 0) {
    const int error = errno;
    if (error == EISDIR || error == ENOTDIR) RaiseFileCreateError(path_);
    RaiseFileWriteError(path_);
  }
  temporary_.clear();
  ReleaseLiveSlot(&live_slot_);
  closed_ = true;
  if (!options_.sync) return;
  if (directory_fd_ != AT_FDCWD) {
    fsync(directory_fd_);
  } else {
    SyncDirectory(directory_);
  }
}

void WriteWholeFile(const std::string& path, std::string_view data, WriteOptions options) {
  OutputFile file(path, options);
  file.Write(data);
  file.Close();
}

void WriteWholeFile(int directory_fd, const std::string& name, const std::string& shown_path,
                    std::string_view data, WriteOptions options) {
  OutputFile file(directory_fd, name, shown_path, options);
  file.Write(data);
  file.Close();
}

}  // namespace fotoloom
