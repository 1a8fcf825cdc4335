// Reading a directory and matching file names against wildcard masks.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace fotoloom {

// One file found in a directory. Everything is taken after following links.
struct FoundFile {
  std::string name;        // as the directory holds it
  std::string upper_name;  // UpperCase(name)
  std::int64_t size = 0;   // bytes
  std::time_t mtime = 0;   // last modification, seconds since the epoch
  std::uint32_t mode = 0;  // st_mode
};

// Wildcard test of one name: "*" matches any run of characters, "?" exactly one
// character (a UTF-8 character, or one byte that is not valid UTF-8); letters compare
// after UpperCase. A mask ending in ".*" also matches names without any dot, so "*.*"
// matches every name. Any other character matches itself.
bool MatchesMask(const std::string& mask, const std::string& name);

// The names of one directory, read once, for repeated mask searches.
// A directory that cannot be opened or read behaves as an empty one.
class DirectorySnapshot {
 public:
  explicit DirectorySnapshot(const std::string& directory);
  ~DirectorySnapshot();
  DirectorySnapshot(const DirectorySnapshot&) = delete;
  DirectorySnapshot& operator=(const DirectorySnapshot&) = delete;

  // False when the directory could not be opened.
  bool ok() const { return ok_; }

  // Every entry matching the mask that is not a directory after following links (broken
  // links and entries that vanished are skipped), hidden names included, in ascending
  // byte order of their upper-cased names (ties by the names' own bytes). An empty mask
  // finds nothing.
  std::vector<FoundFile> Find(const std::string& mask) const;

  // True when Find(mask) would find at least one file.
  bool Any(const std::string& mask) const;

 private:
  struct Name {
    std::string name;
    std::string upper;
  };
  bool Stat(const Name& entry, FoundFile* found) const;

  int fd_ = -1;  // the directory, open for the snapshot's life: lookups skip the path walk
  std::vector<Name> names_;
  bool ok_ = false;
};

// Every name in directory but "." and "..", of whatever kind (subdirectories, links, broken
// ones included), in the order the directory yields them; none when it cannot be read.
std::vector<std::string> EntryNames(const std::string& directory);

// True when directory can be read and holds no entry but "." and "..".
bool IsEmptyDirectory(const std::string& directory);

// Shorthand for DirectorySnapshot(directory).Find(mask).
std::vector<FoundFile> FindFiles(const std::string& directory, const std::string& mask);

}  // namespace fotoloom
