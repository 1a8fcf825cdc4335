#include "files/descriptions.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string>
#include <unordered_map>

#include "files/file_errors.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace fotoloom {
namespace {

constexpr char kTooLarge[] = "larger than 64 MiB";
constexpr std::size_t kReadBlock = 64 * 1024;

// Gives each line to the entry it names. One lookup per line instead of a scan of the
// entries: a directory of 100 000 photos with a line for each would otherwise take 10^10 name
// comparisons.
class DescriptionLines {
 public:
  explicit DescriptionLines(const std::vector<CFile*>& entries) {
    first_of_name_.reserve(entries.size());
    for (CFile* file : entries)
      first_of_name_.emplace(UpperCase(ExtractFileName(file->Path)), file);
  }

  // A line without its line end.
  void Apply(std::string_view line) const {
    const std::size_t bar = line.find('|');
    if (bar == std::string_view::npos) return;
    std::string_view name = line.substr(0, bar);
    const std::size_t slash = name.rfind(kPathSeparator);
    if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
    const auto hit = first_of_name_.find(UpperCase(name));
    if (hit != first_of_name_.end()) hit->second->Description.assign(line.substr(bar + 1));
  }

 private:
  std::unordered_map<std::string, CFile*> first_of_name_;
};

// Splits text into lines as the format says and applies each; a line may run on into the next
// piece. Finish applies the last line, which has no line end.
class LineSplitter {
 public:
  explicit LineSplitter(const DescriptionLines& lines) : lines_(lines) {}

  // False once a NUL has ended the text.
  bool Add(std::string_view piece) {
    const std::size_t nul = piece.find('\0');
    const bool ended = nul != std::string_view::npos;
    if (ended) piece = piece.substr(0, nul);
    std::size_t pos = 0;
    if (after_cr_ && !piece.empty() && piece.front() == '\n') pos = 1;  // CR LF across pieces
    after_cr_ = false;
    while (pos < piece.size()) {
      const std::size_t end = piece.find_first_of("\r\n", pos);
      if (end == std::string_view::npos) {
        partial_.append(piece.substr(pos));
        break;
      }
      if (partial_.empty()) {
        lines_.Apply(piece.substr(pos, end - pos));
      } else {
        partial_.append(piece.substr(pos, end - pos));
        lines_.Apply(partial_);
        partial_.clear();
      }
      pos = end + 1;
      if (piece[end] == '\r' && pos == piece.size()) {
        after_cr_ = true;
      } else if (piece[end] == '\r' && piece[pos] == '\n') {
        ++pos;
      }
    }
    if (ended) Finish();
    return !ended;
  }

  void Finish() {
    if (!partial_.empty()) lines_.Apply(partial_);
    partial_.clear();
  }

 private:
  const DescriptionLines& lines_;
  std::string partial_;
  bool after_cr_ = false;
};

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// The description file opened for reading, checked. Without O_NONBLOCK a FIFO would wait for
// a writer forever; only regular files are read.
int OpenChecked(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (fd >= 0) ::close(fd);
    RaiseFileOpenError(path);
  }
  if (static_cast<std::uint64_t>(st.st_size) > kMaxDescriptionFileBytes) {
    ::close(fd);
    RaiseFileOpenError(path, kTooLarge);
  }
  return fd;
}

}  // namespace

void ApplyDescriptions(std::string_view text, const std::vector<CFile*>& entries) {
  if (entries.empty()) return;
  const DescriptionLines lines(entries);
  LineSplitter splitter(lines);
  if (splitter.Add(text)) splitter.Finish();
}

void CheckDescriptionFile(const std::string& path) { const Descriptor file(OpenChecked(path)); }

void ReadDescriptionFile(const std::string& path, const std::vector<CFile*>& entries) {
  const Descriptor file(OpenChecked(path));
  if (entries.empty()) return;
  const DescriptionLines lines(entries);
  LineSplitter splitter(lines);
  const auto buffer = std::make_unique<char[]>(kReadBlock);
  std::uint64_t total = 0;
  for (;;) {
    const ssize_t n = ::read(file.get(), buffer.get(), kReadBlock);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) RaiseFileReadError(path);
    if (n == 0) break;
    if ((total += static_cast<std::uint64_t>(n)) > kMaxDescriptionFileBytes)
      RaiseFileOpenError(path, kTooLarge);
    if (!splitter.Add(std::string_view(buffer.get(), static_cast<std::size_t>(n)))) return;
  }
  splitter.Finish();
}

}  // namespace fotoloom
