// Collision-free output names inside one directory.
//
// Names are compared by their upper-cased form (UpperCase, the user's locale), so "X.JPG"
// blocks "x.jpg": the catalog may be copied to a file system that ignores case. Only file
// names are compared, never directory texts, so a relative and an absolute spelling of the
// same directory cannot hide a collision.
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>

namespace fotoloom {

class UniqueNamer {
 public:
  // directory is prefixed to every claimed name (it ends with "/", or is empty);
  // extension is appended, dot included (".jpg"); no claimed file name is longer than
  // max_name_bytes bytes (the file system's limit).
  UniqueNamer(std::string directory, std::string extension, std::size_t max_name_bytes = 255);

  // Marks a file name (its last path component counts) as taken.
  void Take(const std::string& path);

  // directory + stem + extension when that name is free, otherwise directory + stem +
  // " (n)" + extension with the smallest free n >= 1. A stem too long for the name limit is
  // first cut, at a character boundary, to what fits beside its suffix. The result is taken
  // from then on. Amortised constant time: the numbers known to be taken are never probed
  // again.
  std::string Claim(const std::string& stem);

 private:
  // The name stem + suffix + extension, stem cut to fit the limit.
  std::string Fitted(const std::string& stem, const std::string& suffix) const;

  std::string directory_;
  std::string extension_;
  std::size_t max_name_bytes_;
  std::unordered_set<std::string> taken_;  // upper-cased file names
  // Upper-cased stem -> lowest number >= 1 not yet known to be taken (absent: none known).
  // Valid because names are only ever added, never released.
  std::unordered_map<std::string, long long> next_free_;
};

}  // namespace fotoloom
