#include "files/file_utils.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string_view>

#include "files/dir.h"
#include "files/file_errors.h"
#include "files/url_utils.h"
#include "platform/file_time.h"
#include "platform/listing.h"
#include "platform/permissions.h"
#include "platform/text.h"

namespace fotoloom {
namespace {

constexpr std::size_t kCopyBlock = 8192;

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  // Closes now and reports whether everything written reached the file.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return close(fd) == 0 || errno == EINTR;
  }

 private:
  int fd_;
};

bool HasWildcards(const std::string& text) { return text.find_first_of("*?") != std::string::npos; }

// Reads until the buffer is full or the file ends; -1 on a read error.
ssize_t ReadBlock(int fd, char* buffer, std::size_t size) {
  std::size_t got = 0;
  while (got < size) {
    const ssize_t n = read(fd, buffer + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return static_cast<ssize_t>(got);
}

bool WriteBlock(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

bool IsSuggestedNameChar(char32_t c) {
  if ((c >= U'0' && c <= U'9') || (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z')) return true;
  static constexpr std::u32string_view kAllowed =
      U" !#$%&'()-.@^_`{}~\u00C4\u00C5\u00D6\u00E4\u00E5\u00F6";
  return c != 0 && kAllowed.find(c) != std::u32string_view::npos;
}

bool IsSuggestedName(const std::string& name) {
  bool ok = true;
  for (std::size_t pos = 0; pos < name.size();) {
    const Utf8Char ch = DecodeUtf8At(name, pos);
    if (!ch.valid || !IsSuggestedNameChar(ch.code)) ok = false;
    pos += ch.length;
  }
  return ok;
}

std::string PathToUrl(const std::string& path) { return UrlEscape(path); }

std::string UniqueFileName(const std::string& path) {
  const std::string stem = StripFileExt(path);
  const std::string extension = ExtractFileExt(path);
  std::string candidate = path;
  for (unsigned long long n = 1; FileExists(candidate); ++n) {
    candidate = stem + " (" + std::to_string(n) + ")" + extension;
  }
  return candidate;
}

bool IsDirectoryWritable(const std::string& directory) {
  const std::string probe = UniqueFileName(WithTrailingSeparator(directory) + "tmp.tmp");
  // O_EXCL: a file that appeared since the name was chosen is never truncated.
  const int fd = open(probe.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  close(fd);
  unlink(probe.c_str());
  return true;
}

bool CleanDirectory(const std::string& directory) {
  // No description file: its contents play no part, and a broken one must not stop the clean.
  const CDir listing(directory, "*.*", "");
  bool all_deleted = true;
  for (int i = 0; i < listing.Count(); ++i) {
    if (!RemoveFile(listing.Items(i).Path)) all_deleted = false;
  }
  return all_deleted;
}

void CopyFileKeepingDate(const std::string& source, const std::string& destination) {
  const std::string full_destination = ExpandFileName(destination);

  // Only a regular file is copied; O_NONBLOCK keeps a FIFO from blocking the open.
  FileDescriptor in(open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat source_stat;
  if (in.get() < 0 || fstat(in.get(), &source_stat) != 0 || !S_ISREG(source_stat.st_mode)) {
    RaiseFileOpenError(source);
  }

  // Opening the destination would truncate the source when both are the same file, and a
  // read-only destination is not to be overwritten; both count as "cannot create".
  struct stat destination_stat;
  if (stat(full_destination.c_str(), &destination_stat) == 0 &&
      ((destination_stat.st_dev == source_stat.st_dev &&
        destination_stat.st_ino == source_stat.st_ino) ||
       (destination_stat.st_mode & S_IWUSR) == 0)) {
    RaiseFileCreateError(full_destination);
  }
  FileDescriptor out(
      open(full_destination.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
  if (out.get() < 0) RaiseFileCreateError(full_destination);

  const auto buffer = std::make_unique<char[]>(kCopyBlock);
  for (;;) {
    const ssize_t n = ReadBlock(in.get(), buffer.get(), kCopyBlock);
    if (n > 0 && !WriteBlock(out.get(), buffer.get(), static_cast<std::size_t>(n))) {
      RaiseFileWriteError(full_destination);
    }
    if (n != static_cast<ssize_t>(kCopyBlock)) break;
  }
  if (!out.Close()) RaiseFileWriteError(full_destination);

  // The date first: a read-only copy could refuse it afterwards on other systems.
  SetFileModificationTime(full_destination, UnpackFileTime(PackFileTime(source_stat.st_mtime)));
  SetPermissions(full_destination, source_stat.st_mode & 07777);
}

std::int64_t FileSizeOf(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? 0 : st.st_size;
  const std::string name = ExtractFileName(path);
  if (!HasWildcards(name)) return 0;
  const std::vector<FoundFile> found = FindFiles(ExtractFilePath(path), name);
  return found.empty() ? 0 : found.front().size;
}

std::string SimilarFilesPattern(const std::string& path) {
  const std::string extension = ExtractFileExt(path);
  return StripFileExt(path) + "*" + extension;
}

bool SimilarFilesExist(const std::string& path) {
  const std::string pattern = SimilarFilesPattern(path);
  return DirectorySnapshot(ExtractFilePath(pattern)).Any(ExtractFileName(pattern));
}

bool DeleteSimilarFiles(const std::string& path) {
  const std::string pattern = SimilarFilesPattern(path);
  const std::string directory = WithTrailingSeparator(ExpandFileName(ExtractFilePath(pattern)));
  bool all_deleted = true;
  for (const FoundFile& file : FindFiles(directory, ExtractFileName(pattern))) {
    if (!RemoveFile(directory + file.name)) all_deleted = false;
  }
  return all_deleted;
}

std::string ListHead(const std::string& text, char separator) {
  const std::size_t at = text.find(separator);
  return at == std::string::npos ? text : text.substr(0, at);
}

std::string ListTail(const std::string& text, char separator) {
  const std::size_t at = text.find(separator);
  return at == std::string::npos ? std::string() : text.substr(at + 1);
}

bool AnyFileMatches(const std::string& masks, const std::string& directory) {
  const DirectorySnapshot snapshot(directory);
  for (std::string rest = masks; !rest.empty(); rest = ListTail(rest, '|')) {
    if (snapshot.Any(ListHead(rest, '|'))) return true;
  }
  return false;
}

}  // namespace fotoloom
