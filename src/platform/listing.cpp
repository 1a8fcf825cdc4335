#include "platform/listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string_view>

#include "platform/text.h"

namespace fotoloom {
namespace {

std::size_t CharLength(std::string_view text, std::size_t pos) {
  return static_cast<unsigned char>(text[pos]) < 0x80 ? 1 : DecodeUtf8At(text, pos).length;
}

// Glob match of two upper-cased texts, one character at a time; "*" backtracks by whole
// characters so that "?" and literals never land inside a multi-byte character.
bool GlobMatch(std::string_view mask, std::string_view name) {
  std::size_t m = 0, n = 0;
  std::size_t star_mask = std::string_view::npos, star_name = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      star_mask = ++m;
      star_name = n;
      continue;
    }
    if (m < mask.size()) {
      const std::size_t name_len = CharLength(name, n);
      if (mask[m] == '?') {
        ++m;
        n += name_len;
        continue;
      }
      const std::size_t mask_len = CharLength(mask, m);
      if (mask_len == name_len && mask.compare(m, mask_len, name.substr(n, name_len)) == 0) {
        m += mask_len;
        n += name_len;
        continue;
      }
    }
    if (star_mask == std::string_view::npos) return false;
    star_name += CharLength(name, star_name);
    n = star_name;
    m = star_mask;
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

bool MatchUpper(std::string_view upper_mask, std::string_view upper_name) {
  if (GlobMatch(upper_mask, upper_name)) return true;
  // "name.*" also stands for a name without any extension.
  return upper_mask.size() >= 2 && upper_mask.substr(upper_mask.size() - 2) == ".*" &&
         upper_name.find('.') == std::string_view::npos &&
         GlobMatch(upper_mask.substr(0, upper_mask.size() - 2), upper_name);
}

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

// Reads names through its own descriptor, so that the caller's stays open for lookups.
std::unique_ptr<DIR, DirCloser> OpenDirStream(int fd) {
  const int copy = fcntl(fd, F_DUPFD_CLOEXEC, 0);
  if (copy < 0) return nullptr;
  DIR* dir = fdopendir(copy);
  if (dir == nullptr) close(copy);
  return std::unique_ptr<DIR, DirCloser>(dir);
}

}  // namespace

bool MatchesMask(const std::string& mask, const std::string& name) {
  return MatchUpper(UpperCase(mask), UpperCase(name));
}

DirectorySnapshot::DirectorySnapshot(const std::string& directory) {
  fd_ = open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) return;
  const std::unique_ptr<DIR, DirCloser> dir = OpenDirStream(fd_);
  if (!dir) return;
  ok_ = true;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string_view name(entry->d_name);
    if (name == "." || name == ".." || entry->d_type == DT_DIR) continue;
    names_.push_back({std::string(name), UpperCase(name)});
  }
  std::sort(names_.begin(), names_.end(), [](const Name& a, const Name& b) {
    return a.upper != b.upper ? a.upper < b.upper : a.name < b.name;
  });
}

DirectorySnapshot::~DirectorySnapshot() {
  if (fd_ >= 0) close(fd_);
}

bool DirectorySnapshot::Stat(const Name& entry, FoundFile* found) const {
  struct stat st;
  if (fstatat(fd_, entry.name.c_str(), &st, 0) != 0 || S_ISDIR(st.st_mode)) return false;
  if (found != nullptr) {
    found->name = entry.name;
    found->upper_name = entry.upper;
    found->size = st.st_size;
    found->mtime = st.st_mtime;
    found->mode = st.st_mode;
  }
  return true;
}

std::vector<FoundFile> DirectorySnapshot::Find(const std::string& mask) const {
  std::vector<FoundFile> found;
  if (mask.empty()) return found;
  const std::string upper_mask = UpperCase(mask);
  for (const Name& entry : names_) {
    if (!MatchUpper(upper_mask, entry.upper)) continue;
    FoundFile file;
    if (Stat(entry, &file)) found.push_back(std::move(file));
  }
  return found;
}

bool DirectorySnapshot::Any(const std::string& mask) const {
  if (mask.empty()) return false;
  const std::string upper_mask = UpperCase(mask);
  for (const Name& entry : names_) {
    if (MatchUpper(upper_mask, entry.upper) && Stat(entry, nullptr)) return true;
  }
  return false;
}

namespace {

// Calls visit(name) for every entry but "." and ".." until it answers false; false when the
// directory cannot be read.
template <typename Visit>
bool ForEachEntry(const std::string& directory, Visit visit) {
  const std::unique_ptr<DIR, DirCloser> dir(opendir(directory.empty() ? "." : directory.c_str()));
  if (!dir) return false;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string_view name(entry->d_name);
    if (name != "." && name != ".." && !visit(name)) break;
  }
  return true;
}

}  // namespace

std::vector<std::string> EntryNames(const std::string& directory) {
  std::vector<std::string> names;
  ForEachEntry(directory, [&](std::string_view name) {
    names.emplace_back(name);
    return true;
  });
  return names;
}

bool IsEmptyDirectory(const std::string& directory) {
  bool empty = true;
  const bool read = ForEachEntry(directory, [&](std::string_view) { return empty = false; });
  return read && empty;
}

std::vector<FoundFile> FindFiles(const std::string& directory, const std::string& mask) {
  return DirectorySnapshot(directory).Find(mask);
}

}  // namespace fotoloom
