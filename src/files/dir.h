// A listing of one directory: the files matching a "|"-separated mask list, each with the
// description the directory's description file gives it, sortable by name, size or date.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_time.h"

namespace fotoloom {

// One listed file. The listing fills Path, Size, Time and Description; the item naming
// fills ThumbPath, ImagePage and IndexPage in place.
class CFile {
 public:
  std::string Path;         // absolute directory path + "/" + the file's name
  std::int64_t Size = 0;    // bytes
  PackedTime Time = 0;      // last modification, local time, packed (file_time.h)
  std::string IndexPage;    // name of the index page showing this item
  std::string ImagePage;    // full path of this item's own page
  std::string ThumbPath;    // full path of this item's thumbnail
  std::string Thumb2xPath;  // full path of its twice-as-large thumbnail; "" when none is made
  std::string PreviewPath;  // full path of its preview; "" when none is made
  std::string ShowPage;     // full path of its slide-show page; "" when none is made
  std::string Description;  // from the description file; "" when it gives none
};

// Sort codes accepted by CDir::Sort; any other code leaves the order unchanged.
enum SortCode : int {
  kSortNone = 0,
  kSortNameAscending = 1,  // upper-cased Path, byte-wise unsigned, a proper prefix first
  kSortNameDescending = 2,
  kSortSizeAscending = 3,
  kSortSizeDescending = 4,
  kSortTimeAscending = 5,  // oldest first (signed packed times)
  kSortTimeDescending = 6,
};

// The listing is complete when the constructor returns; its membership never changes.
// Entries are owned by the listing and keep their addresses when sorted, so a reference
// from Items() stays on the same file until the listing is destroyed.
//
// Listing rules:
// - masks are taken in their order; each is trimmed of bytes <= 32 at both ends; an empty
//   mask finds nothing. Within one mask, matches come in ascending byte order of their
//   upper-cased names. A file matched by two masks is listed twice.
// - a match is anything that is not a directory after following links; hidden files are
//   listed; broken links and files that vanish while listing are skipped.
// - a directory that does not exist or cannot be read gives an empty listing and no
//   description is read. The process's current directory is never changed.
//
// Description file (taken relative to the directory unless absolute; read only when it
// exists as a file): lines end at CR LF, LF or CR; a NUL byte ends the text. A line is
// name "|" description (description = everything after the first "|"); lines without "|"
// are ignored. The name's last path component is compared, case ignored (UpperCase), with
// each entry's file name; the first entry with that name gets the description, and a
// later line for the same name wins. It is read line by line, and one larger than 64 MiB is
// refused. Raises FileOpenError naming the file when it exists but cannot be read, or with the
// reason "larger than 64 MiB" (files/descriptions.h).
class CDir {
 public:
  CDir(std::string directory, std::string masks, std::string description_file);
  CDir(const CDir&) = delete;
  CDir& operator=(const CDir&) = delete;
  CDir(CDir&&) = default;
  CDir& operator=(CDir&&) = default;
  virtual ~CDir();

  const std::string& Directory() const { return directory_; }
  const std::string& Masks() const { return masks_; }
  const std::string& DescriptionFile() const { return description_file_; }

  int Count() const { return static_cast<int>(entries_.size()); }

  // Entry i; raises ListIndexError(i) unless 0 <= i < Count().
  CFile& Items(int i);
  const CFile& Items(int i) const;

  // Index of the first entry whose upper-cased file name equals the upper-cased last
  // path component of name; -1 when none does.
  int IndexOfName(const std::string& name) const;

  // Reorders the entries by a SortCode with an unstable quicksort whose treatment of equal
  // keys is fixed: for instance three equal keys come out reversed and four equal keys
  // A, B, C, D come out C, D, A, B.
  void Sort(int code);

 private:
  void Load();
  void ReadDescriptions(const std::string& path);

  std::string directory_;
  std::string masks_;
  std::string description_file_;
  std::vector<std::unique_ptr<CFile>> entries_;
};

}  // namespace fotoloom
