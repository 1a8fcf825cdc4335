#include "files/file_utils.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <string_view>
#include <utility>

#include "files/dir.h"
#include "files/file_errors.h"
#include "files/url_utils.h"
#include "platform/file_io.h"
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
  for (unsigned long long n = 1; NameTaken(candidate); ++n) {
    candidate = stem + " (" + std::to_string(n) + ")" + extension;
  }
  return candidate;
}

bool IsDirectoryWritable(const std::string& directory) { return CanCreateFileIn(directory); }

bool CleanDirectory(const std::string& directory, const std::vector<std::string>& keep) {
  // Each kept file by the entry the setting names and by the file that entry leads to.
  std::vector<std::pair<dev_t, ino_t>> kept;
  for (const std::string& path : keep) {
    struct stat st;
    if (!path.empty() && lstat(path.c_str(), &st) == 0) kept.emplace_back(st.st_dev, st.st_ino);
    if (!path.empty() && stat(path.c_str(), &st) == 0) kept.emplace_back(st.st_dev, st.st_ino);
  }
  // No description file: its contents play no part, and a broken one must not stop the clean.
  const CDir listing(directory, "*.*", "");
  bool all_deleted = true;
  for (int i = 0; i < listing.Count(); ++i) {
    const std::string& path = listing.Items(i).Path;
    if (ExtractFileName(path) == kDataDirectoryMarker) continue;
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 &&
        std::find(kept.begin(), kept.end(), std::make_pair(st.st_dev, st.st_ino)) != kept.end())
      continue;
    if (!RemoveFile(path)) all_deleted = false;
  }
  return all_deleted;
}

void MarkDataDirectory(const std::string& directory) {
  WriteWholeFile(WithTrailingSeparator(directory) + kDataDirectoryMarker,
                 "Fotoloom data directory\n"
                 "# Thumbnails, image pages and background copies of a Fotoloom catalog.\n"
                 "# Fotoloom cleans this directory only while this file is in it.\n");
}

bool IsMarkedDataDirectory(const std::string& directory) {
  struct stat st;
  const std::string marker = WithTrailingSeparator(directory) + kDataDirectoryMarker;
  return lstat(marker.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void CopyFileKeepingDate(const std::string& source, const std::string& destination) {
  const std::string full_destination = ExpandFileName(destination);

  // Only a regular file is copied; O_NONBLOCK keeps a FIFO from blocking the open.
  FileDescriptor in(open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat source_stat;
  if (in.get() < 0 || fstat(in.get(), &source_stat) != 0 || !S_ISREG(source_stat.st_mode)) {
    RaiseFileOpenError(source);
  }

  // The source itself, and a read-only file, are never replaced; both count as "cannot create".
  struct stat destination_stat;
  if (stat(full_destination.c_str(), &destination_stat) == 0 &&
      ((destination_stat.st_dev == source_stat.st_dev &&
        destination_stat.st_ino == source_stat.st_ino) ||
       (destination_stat.st_mode & S_IWUSR) == 0)) {
    RaiseFileCreateError(full_destination);
  }
  OutputFile out(full_destination);
  const auto buffer = std::make_unique<char[]>(kCopyBlock);
  for (;;) {
    const ssize_t n = ReadBlock(in.get(), buffer.get(), kCopyBlock);
    // A read error is no end of file: a short copy would pass for a whole one.
    if (n < 0) RaiseFileReadError(source);
    out.Write(buffer.get(), static_cast<std::size_t>(n));
    if (n != static_cast<ssize_t>(kCopyBlock)) break;
  }
  // The copy carries the source's time at the 2-second step of the packed form.
  out.SetFinalAttributes((source_stat.st_mode & 07777) | S_IWUSR,
                         UnpackFileTime(PackFileTime(source_stat.st_mtime)));
  out.Close();
}

std::int64_t FileSizeOf(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? 0 : st.st_size;
  const std::string name = ExtractFileName(path);
  if (!HasWildcards(name)) return 0;
  const std::vector<FoundFile> found = FindFiles(ExtractFilePath(path), name);
  return found.empty() ? 0 : found.front().size;
}

bool IsNumberedCatalogName(const std::string& catalog_path, const std::string& name) {
  static constexpr std::string_view kExtension = ".html";
  const std::string stem = StripFileExt(ExtractFileName(catalog_path));
  if (name.size() < stem.size() + 3 + kExtension.size() ||
      name.compare(0, stem.size(), stem) != 0 ||
      name.compare(name.size() - kExtension.size(), kExtension.size(), kExtension) != 0) {
    return false;
  }
  const std::string_view digits =
      std::string_view(name).substr(stem.size(), name.size() - stem.size() - kExtension.size());
  if (digits.find_first_not_of("0123456789") != std::string_view::npos) return false;
  // Numbers below 100 are padded to three digits; larger ones have no leading zero.
  if (digits.find_first_not_of('0') == std::string_view::npos) return false;
  return digits.size() == 3 || digits.front() != '0';
}

std::vector<std::string> NumberedCatalogFiles(const std::string& path) {
  const std::string directory = ExtractFilePath(path);
  std::vector<std::string> found;
  for (const std::string& name : EntryNames(directory)) {
    if (!IsNumberedCatalogName(path, name)) continue;
    struct stat st;
    const std::string file = directory + name;
    if (lstat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode)) found.push_back(file);
  }
  return found;
}

bool SimilarFilesExist(const std::string& path) { return !NumberedCatalogFiles(path).empty(); }

bool DeleteSimilarFiles(const std::string& path) {
  bool all_deleted = true;
  for (const std::string& file : NumberedCatalogFiles(path)) {
    if (!RemoveFile(file)) all_deleted = false;
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
