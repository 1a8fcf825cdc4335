// The item list of a run and the output names of every item.
//
// One process-wide list: the supported images of the album directory (ListingMasks() of the
// format table, image_formats.h, its extended rows with Album().ExtendedFormats; descriptions
// from "imgdesc.dat"), each with three output names:
//   thumbnail   data directory + file stem + ".jpg"   (or stem + " (n).jpg")
//   image page  data directory + file stem + ".html"  (or stem + " (n).html")
//   index page  name of the index page that shows it, relative to the album directory;
//               kIndexPageNotDefined until the run assigns one.
// and, only while the album settings ask for them when the list is read:
//   2x thumbnail  data directory + file stem + "@2x.jpg"      (HiDPIThumbnails)
//   preview       data directory + file stem + "-preview.jpg" (MakesPreviews; with
//                 ExtendedFormats also for every item a browser cannot show)
//   show page     data directory + file stem + "-show.html"   (MakesShowPages)
// The ".jpg" names are unique among themselves; every item's thumbnail is named before any
// other picture, so thumbnail names are the same whether or not the others are made. The same
// holds for the ".html" names: image pages first, then show pages.
// Thumbnail and page names are unique against each other and against every entry already in
// the data directory (files, subdirectories, links, broken ones too), letter case ignored
// (locale upper-casing), so a run never overwrites the output of an earlier run that was not
// erased, nor replaces a link it did not make. A stem too long for the file system's name
// limit is cut at a character boundary so that the name fits.
//
// Items are addressed by a 0-based index. REQUIRES for every per-item accessor:
// 0 <= i < ItemCount(); an index outside that range throws fotoloom::Error with
// "List index out of bounds (<i>)".
//
// Paths use the platform separator "/"; directory arguments end with it. Single thread.
#pragma once

#include <string>

namespace fotoloom {

inline constexpr char kIndexPageNotDefined[] = "not defined";
inline constexpr char kDescriptionFile[] = "imgdesc.dat";

// Replaces any earlier list by the listing of sourceDir, then names every item in listing
// order (all matches of the format table's first mask, then of its next), with
// Album().UseDateTaken replaces each item's time by the date its photo was taken (DateTaken,
// exif_fields.h) where its EXIF states one, sets every index
// page to kIndexPageNotDefined and finally sorts by sortOrder (a SortCode), so names move with
// their items. Reports progress through ClientUI. An empty listing is kept empty and not named.
// sourceDir and dataDir end with "/".
// Throws: the listing's "Cannot open file %s" when sourceDir's "imgdesc.dat" exists but cannot
// be read. A data directory that cannot be listed simply has no taken names.
void ReadItems(const std::string& sourceDir, const std::string& dataDir, int sortOrder);

// Drops the list and both stored directories; ItemCount() is 0 afterwards. Safe without a list.
void ReleaseItems();

// Number of items; 0 when no list exists.
int ItemCount();

// The image's full path.
std::string ItemSourcePath(int i);
// Full paths in the data directory.
std::string ItemThumbPath(int i);
std::string ItemImagePage(int i);
// "" when the list was read without HiDPIThumbnails / MakesPreviews / MakesShowPages.
std::string ItemThumb2xPath(int i);
std::string ItemPreviewPath(int i);
std::string ItemShowPage(int i);
// Index page name, relative to the album directory.
std::string ItemIndexPage(int i);
void SetItemIndexPage(int i, const std::string& name);

// ItemImagePage of the neighbour; empty for the first (Prev) and last (Next) item.
std::string PrevImagePage(int i);
std::string NextImagePage(int i);

// File size in kB: bytes / 1024 rounded to nearest, halves to even, as decimal text.
std::string ItemSizeKB(int i);
// Modification date without time of day, in the locale's short date format.
std::string ItemDate(int i);
// Text from "imgdesc.dat"; empty when none.
std::string ItemDescription(int i);

// The index page before / after the one showing item i, found by walking from i over the run
// of items that share its index page (exact comparison). Empty at the first / last page, with a
// single page, and while pages are still kIndexPageNotDefined.
std::string PrevIndexPage(int i);
std::string NextIndexPage(int i);

// Path of target relative to the directory of base (base up to and including its last "/"):
// shared leading directories dropped, one "../" per remaining directory of base, then the
// remaining directories of target and its file name (empty when target ends in "/").
// When one path is absolute and the other relative they have no common root and target is
// returned unchanged; so a bare file name stays a bare file name.
// Example: RelativePath("/photos/", "/photos/fldata/a.jpg") == "fldata/a.jpg".
std::string RelativePath(const std::string& base, const std::string& target);

// RelativePath(base, Album().ThumbDirectory): the data directory as seen from the directory
// base (which ends in "/"); "fldata/" for base "/photos/" and data directory "/photos/fldata/".
std::string RelativeDataDir(const std::string& base);

// text with every apostrophe replaced by U+00B4 (acute accent, UTF-8 C2 B4), so a file name
// can stand inside a single-quoted script string.
std::string ScriptSafe(const std::string& text);

}  // namespace fotoloom
