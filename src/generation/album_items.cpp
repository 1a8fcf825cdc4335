#include "generation/album_items.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "files/dir.h"
#include "files/file_errors.h"
#include "generation/album_settings.h"
#include "generation/client_ui.h"
#include "generation/unique_names.h"
#include "imaging/exif_fields.h"
#include "imaging/image_formats.h"
#include "platform/file_time.h"
#include "platform/listing.h"
#include "platform/paths.h"

namespace fotoloom {

namespace {

struct ItemsState {
  std::unique_ptr<CDir> list;
  std::string source_dir;
  std::string data_dir;
};

ItemsState& State() {
  static ItemsState state;
  return state;
}

CFile& Item(int i) {
  if (!State().list) RaiseListIndexError(i);
  return State().list->Items(i);
}

// A name every item gets in one directory: the field that holds it and what follows the file
// stem in it.
struct OutputName {
  std::string CFile::*field;
  const char* suffix;
  bool (*only)(const CFile&) = nullptr;  // the items that get the name; nullptr: every one
};

bool BrowserCannotShow(const CFile& item) { return !BrowserShowsFile(item.Path); }

// Gives every item a name in the data directory for each of names, that neither an existing
// entry nor an earlier name holds and that fits the file system's name limit. Items are named
// in list order, so the first of several images with the same stem keeps the plain name; the
// first kind is given to every item before the next, so the names of the first kind do not
// depend on whether the others are made. Progress is reported for the first kind.
void MakeUniqueNames(const std::string& extension, const std::vector<OutputName>& names,
                     const std::string& status) {
  CDir& list = *State().list;
  const int count = list.Count();
  ResetProgress(count);

  const std::string& data_dir = State().data_dir;
  UniqueNamer namer(data_dir, extension, MaxFileNameBytes(data_dir));
  // Every entry counts, whatever it is: a file, a subdirectory (which would make the name
  // impossible to write), a link, even a broken one (which a run would otherwise replace).
  for (const std::string& name : EntryNames(data_dir)) namer.Take(name);

  for (const OutputName& kind : names) {
    const bool first = &kind == &names.front();
    for (int i = 0; i < count; ++i) {
      CFile& item = list.Items(i);
      if (kind.only != nullptr && !kind.only(item)) continue;
      item.*kind.field = namer.Claim(StripFileExt(ExtractFileName(item.Path)) + kind.suffix);
      // Each report pumps the GUI's messages; every hundredth item keeps large lists fast.
      if (first && i % 100 == 0) {
        SetProgressPosition(i, status + std::to_string(i + 1) + "/" + std::to_string(count));
      }
    }
  }
  ShowStatus("Done.");
}

// Each item's time becomes the date its photo was taken, where its EXIF states a valid one.
// A file that cannot be read keeps its time: its thumbnail will tell of the trouble.
void UseDatesTaken(CDir& list) {
  for (int i = 0; i < list.Count(); ++i) {
    CFile& item = list.Items(i);
    try {
      const std::optional<ExifFields> exif = ReadPhotoExif(item.Path);
      if (const std::optional<PackedTime> taken = exif ? DateTaken(*exif) : std::nullopt) {
        item.Time = *taken;
      }
    } catch (const Error&) {
    }
  }
}

void ClearIndexPages() {
  CDir& list = *State().list;
  for (int i = 0; i < list.Count(); ++i) list.Items(i).IndexPage = kIndexPageNotDefined;
}

// "a/b/" -> {"a", "b"}; "/a/" -> {"", "a"}; "" -> {}.
std::vector<std::string> DirectoryParts(const std::string& dir) {
  std::vector<std::string> parts;
  std::string::size_type start = 0;
  for (std::string::size_type sep; (sep = dir.find(kPathSeparator, start)) != std::string::npos;
       start = sep + 1) {
    parts.push_back(dir.substr(start, sep - start));
  }
  return parts;
}

bool IsAbsolute(const std::string& path) { return !path.empty() && path[0] == kPathSeparator; }

}  // namespace

void ReadItems(const std::string& sourceDir, const std::string& dataDir, int sortOrder) {
  ItemsState& s = State();
  s.list.reset();
  s.source_dir = sourceDir;
  s.data_dir = dataDir;
  s.list =
      std::make_unique<CDir>(sourceDir, ListingMasks(Album().ExtendedFormats), kDescriptionFile);
  if (s.list->Count() == 0) return;
  if (Album().UseDateTaken) UseDatesTaken(*s.list);

  std::vector<OutputName> pictures{{&CFile::ThumbPath, ""}};
  if (Album().HiDPIThumbnails) pictures.push_back({&CFile::Thumb2xPath, "@2x"});
  if (MakesPreviews(Album())) {
    pictures.push_back({&CFile::PreviewPath, "-preview"});
  } else if (Album().ExtendedFormats) {
    // A picture the browser cannot show is always shown through its preview.
    pictures.push_back({&CFile::PreviewPath, "-preview", BrowserCannotShow});
  }
  MakeUniqueNames(".jpg", pictures, "Creating unique thumbnail file names ");
  std::vector<OutputName> pages{{&CFile::ImagePage, ""}};
  if (MakesShowPages(Album())) pages.push_back({&CFile::ShowPage, "-show"});
  MakeUniqueNames(".html", pages, "Creating unique HTML file names ");
  ClearIndexPages();

  ShowStatus("Sorting files...");
  s.list->Sort(sortOrder);
  ShowStatus("Done.");
}

void ReleaseItems() {
  ItemsState& s = State();
  s.source_dir.clear();
  s.data_dir.clear();
  s.list.reset();
}

int ItemCount() { return State().list ? State().list->Count() : 0; }

std::string ItemSourcePath(int i) { return Item(i).Path; }
std::string ItemThumbPath(int i) { return Item(i).ThumbPath; }
std::string ItemImagePage(int i) { return Item(i).ImagePage; }
std::string ItemThumb2xPath(int i) { return Item(i).Thumb2xPath; }
std::string ItemPreviewPath(int i) { return Item(i).PreviewPath; }
std::string ItemShowPage(int i) { return Item(i).ShowPage; }
std::string ItemIndexPage(int i) { return Item(i).IndexPage; }
void SetItemIndexPage(int i, const std::string& name) { Item(i).IndexPage = name; }

std::string PrevImagePage(int i) { return i < 1 ? std::string() : Item(i - 1).ImagePage; }

std::string NextImagePage(int i) {
  return i >= ItemCount() - 1 ? std::string() : Item(i + 1).ImagePage;
}

std::string ItemSizeKB(int i) {
  const std::int64_t size = Item(i).Size;
  std::int64_t kb = size / 1024;
  const std::int64_t rest = size % 1024;
  if (rest > 512 || (rest == 512 && kb % 2 != 0)) ++kb;
  return std::to_string(kb);
}

std::string ItemDate(int i) { return FormatShortDate(Item(i).Time); }

std::string ItemDescription(int i) { return Item(i).Description; }

std::string PrevIndexPage(int i) {
  const std::string name = Item(i).IndexPage;
  int j = i;
  while (j > 0 && Item(j).IndexPage == name) --j;
  const std::string& found = Item(j).IndexPage;
  return found != name ? found : std::string();
}

std::string NextIndexPage(int i) {
  const std::string name = Item(i).IndexPage;
  const int last = ItemCount() - 1;
  int j = i;
  while (j < last && Item(j).IndexPage == name) ++j;
  const std::string& found = Item(j).IndexPage;
  return found != name ? found : std::string();
}

std::string RelativePath(const std::string& base, const std::string& target) {
  if (IsAbsolute(base) != IsAbsolute(target)) return target;

  const std::vector<std::string> from = DirectoryParts(ExtractFilePath(base));
  const std::vector<std::string> to = DirectoryParts(ExtractFilePath(target));
  // Exact comparison: on this file system "Photos" and "photos" are different directories.
  std::size_t shared = 0;
  while (shared < from.size() && shared < to.size() && from[shared] == to[shared]) ++shared;

  std::string result;
  for (std::size_t k = shared; k < from.size(); ++k) result += "../";
  for (std::size_t k = shared; k < to.size(); ++k) result += to[k] + kPathSeparator;
  return result + ExtractFileName(target);
}

std::string RelativeDataDir(const std::string& base) {
  return RelativePath(base, Album().ThumbDirectory);
}

std::string ScriptSafe(const std::string& text) {
  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    if (c == '\'') {
      result += "\xC2\xB4";
    } else {
      result += c;
    }
  }
  return result;
}

}  // namespace fotoloom
