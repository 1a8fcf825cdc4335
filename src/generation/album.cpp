#include "generation/album.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <limits>
#include <memory>
#include <optional>
#include <string>

#include "files/descriptions.h"
#include "files/file_errors.h"
#include "files/file_utils.h"
#include "generation/album_items.h"
#include "generation/album_settings.h"
#include "generation/album_tree.h"
#include "generation/client_ui.h"
#include "generation/contrast.h"
#include "generation/folder_links.h"
#include "generation/folder_run.h"
#include "generation/index_page.h"
#include "generation/item_thumbnails.h"
#include "generation/modern_catalog.h"
#include "generation/modern_page.h"
#include "imaging/image_formats.h"
#include "platform/file_io.h"
#include "platform/file_lock.h"
#include "platform/listing.h"
#include "platform/permissions.h"

namespace fotoloom {

namespace {

constexpr char kNotCleaned[] = "Thumbnail directory was not completely cleaned up.";

std::string ResolvedPath(const std::string& path) {
  std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                       &std::free);
  return resolved ? std::string(resolved.get()) : std::string();
}

// Cleaning deletes every file of the data directory; a data directory named "." or "..", or
// a link leading elsewhere, would make that the user's photos. Only a directory that really
// lies inside the album directory qualifies.
bool LiesStrictlyBelow(const std::string& dir, const std::string& parent) {
  std::string resolved_parent = ResolvedPath(parent);
  const std::string resolved_dir = ResolvedPath(dir);
  if (resolved_parent.empty() || resolved_dir.empty()) return false;
  if (resolved_parent.back() != kPathSeparator) resolved_parent += kPathSeparator;
  return resolved_dir.size() > resolved_parent.size() &&
         resolved_dir.compare(0, resolved_parent.size(), resolved_parent) == 0;
}

// Every thumbnail and image page goes into the data directory; when it cannot hold them the
// catalog would come out without a single thumbnail yet look finished, so the run stops here.
void RequireUsableDataDirectory(const std::string& dir) {
  if (DirectoryExists(dir) && ::access(dir.c_str(), W_OK | X_OK) == 0) return;
  std::string shown = dir;
  while (shown.size() > 1 && shown.back() == kPathSeparator) shown.pop_back();
  RaiseFileCreateError(shown);
}

// Index pages hold ThumbsPerRow * ThumbRowsPerFile items each; with the supplied ranges the
// product reaches 25 000 000, so it is kept wide.
std::int64_t ItemsPerPage() {
  const AlbumSettings& album = Album();
  return std::int64_t{album.ThumbsPerRow} * album.ThumbRowsPerFile;
}

bool IsHeaderElement(const std::string& name) {
  return name.size() == 2 && (name[0] == 'h' || name[0] == 'H') && name[1] >= '1' && name[1] <= '6';
}

// Refuses an "imgdesc.dat" that exists but cannot be read, or is too large to be, before
// anything is deleted or written, with the error the listing would raise for it later.
void RequireReadableDescriptions(const std::string& album_directory) {
  const std::string path = album_directory + kDescriptionFile;
  if (FileExists(path)) CheckDescriptionFile(path);
}

// Refuses index page names the file system does not take, with the error writing the first
// of them would raise. The item count decides how many numbered pages there are; it is only
// counted for a catalog name long enough to matter.
void RequireIndexPageNamesFit(const std::string& album_directory) {
  const std::string& album_file = Album().AlbumFileName;
  const std::size_t limit = MaxFileNameBytes(album_directory);
  const std::string widest =
      NumberedIndexPageName(album_file, std::numeric_limits<int>::max());
  if (album_file.size() <= limit && widest.size() <= limit) return;
  const std::int64_t n = CountImages(album_directory, Album().ExtendedFormats);
  const std::int64_t per_page = ItemsPerPage();
  if (n <= per_page) {
    if (album_file.size() > limit) RaiseFileCreateError(album_file);
    return;
  }
  const std::int64_t pages = (n + per_page - 1) / per_page;
  // Each further digit first appears at 1000, 10000, ...
  for (std::int64_t number = 1; number <= pages; number *= 10) {
    const std::string name = NumberedIndexPageName(album_file, static_cast<int>(number));
    if (name.size() > limit) RaiseFileCreateError(name);
  }
}

// What the answers to the wizard's first page allowed; failures go unreported, as they did
// when the questions deleted at once.
void DeleteOldCatalogFiles(const std::string& album_directory) {
  const AlbumSettings& album = Album();
  const std::string catalog = album_directory + album.AlbumFileName;
  if (album.DeleteCatalogFile) RemoveFile(catalog);
  if (album.DeleteNumberedCatalogFiles) DeleteSimilarFiles(catalog);
}

void CleanDataDirectory() {
  const AlbumSettings& album = Album();
  ShowStatus("Cleaning thumbnail directory (this may take a while)...");
  // The files the settings name may lie in the data directory; they are the user's.
  const bool cleaned =
      LiesStrictlyBelow(album.ThumbDirectory, album.AlbumDirectory) &&
      IsMarkedDataDirectory(album.ThumbDirectory) &&
      CleanDirectory(album.ThumbDirectory, {album.BgImage, album.BgSound, album.EmptyThumbnail});
  if (!cleaned) AddMessage(kNotCleaned);
  ShowStatus("Done.");
}

bool EndsPage(int i, int n, std::int64_t per_page) { return (i + 1) % per_page == 0 || i == n - 1; }

void AssignIndexPages(int n, std::int64_t per_page) {
  const std::string& album_file = Album().AlbumFileName;
  if (n <= per_page) {
    for (int i = 0; i < n; ++i) SetItemIndexPage(i, album_file);
    return;
  }
  int file_number = 0;
  int start = 0;
  for (int i = 0; i < n; ++i) {
    if (!EndsPage(i, n, per_page)) continue;
    const std::string name = NumberedIndexPageName(album_file, ++file_number);
    for (int j = start; j <= i; ++j) SetItemIndexPage(j, name);
    if (CancelRequested()) break;
    start = i + 1;
  }
}

void WriteIndexPages(int n, std::int64_t per_page) {
  // Thumbnails are made ahead of the pages; leaving here by any path stops the workers.
  const RunThumbnails thumbnails(ThumbnailWorkerCount(n));
  std::optional<ModernCatalog> modern;
  if (IsModernCatalog(Album())) modern.emplace();
  // A folder of a tree that holds only sub-albums still gets its page, for their cells.
  if (n == 0 && !CurrentFolderLinks().sub_albums.empty()) {
    if (modern) {
      modern->WriteIndexPage(Album().AlbumFileName, 0, -1);
    } else {
      WriteIndexPage(Album().AlbumFileName, 0, -1);
    }
  }
  int start = 0;
  for (int i = 0; i < n; ++i) {
    if (!EndsPage(i, n, per_page)) continue;
    if (modern) {
      modern->WriteIndexPage(ItemIndexPage(i), start, i);
    } else {
      WriteIndexPage(ItemIndexPage(i), start, i);
    }
    if (CancelRequested()) break;
    start = i + 1;
  }
  if (modern) modern->Finish();
}

// The modern pages' own files, written before the background copies so that a copy never takes
// their names, and the colour pairs they would show hard to read.
void PrepareModernCatalog(const AlbumSettings& album, bool notes) {
  WriteModernAssets(album.ThumbDirectory);
  if (!notes) return;
  for (const std::string& warning : ContrastWarnings(album)) AddNote(warning);
}

// The end every path of a run reaches: the result for the wizard, and the item list dropped.
void FinishRun(const std::string& first_page = {}) {
  Album().FirstPage = first_page;
  SetProgressMax(ProgressMax(), "Done.");
  ReleaseItems();
}

// An error that ends the run leaves no half-used item list and no first page to open.
class RunCleanup {
 public:
  RunCleanup() : exceptions_(std::uncaught_exceptions()) {}
  ~RunCleanup() {
    if (std::uncaught_exceptions() > exceptions_) {
      ReleaseItems();
      Album().FirstPage.clear();
    }
  }
  RunCleanup(const RunCleanup&) = delete;
  RunCleanup& operator=(const RunCleanup&) = delete;

 private:
  int exceptions_;
};

}  // namespace

std::string NumberedIndexPageName(const std::string& album_file_name, int number) {
  std::string digits = std::to_string(number);
  if (number < 10)
    digits = "00" + digits;
  else if (number < 100)
    digits = "0" + digits;
  return StripFileExt(album_file_name) + digits + ".html";
}

void CopyBackgroundFiles() {
  AlbumSettings& album = Album();
  for (std::string* setting : {&album.BgImage, &album.BgSound}) {
    if (setting->empty() || !FileExists(*setting) || CancelRequested()) continue;
    const std::string name = ExtractFileName(*setting);
    ShowStatus("Copying: " + name);
    const std::string target = UniqueFileName(album.ThumbDirectory + name);
    CopyFileKeepingDate(*setting, target);
    *setting = target;
    ShowStatus("Done.");
  }
}

// Refuses a background file the copy step would fail on, with the error the copy would raise.
void RequireReadableBackgrounds() {
  const AlbumSettings& album = Album();
  for (const std::string* setting : {&album.BgImage, &album.BgSound}) {
    if (!setting->empty() && FileExists(*setting)) RequireReadableToTheEnd(*setting);
  }
}

std::int64_t CountImages(const std::string& album_directory, bool extended) {
  const DirectorySnapshot snapshot(album_directory);
  std::int64_t count = 0;
  for (const ImageFormat& format : ImageFormats()) {
    if (format.extended && !extended) continue;
    for (const std::string& mask : MasksOf(format))
      count += static_cast<std::int64_t>(snapshot.Find(mask).size());
  }
  return count;
}

void CheckFolderBeforeDeleting(const std::string& album_directory, bool with_backgrounds) {
  RequireReadableDescriptions(album_directory);
  if (with_backgrounds) RequireReadableBackgrounds();
  RequireIndexPageNamesFit(album_directory);
}

void PrepareDataDirectory(const std::string& data_directory) {
  const bool created = CreateDir(data_directory);
  RequireUsableDataDirectory(data_directory);
  if (created || IsEmptyDirectory(data_directory)) MarkDataDirectory(data_directory);
}

void BringSettingsIntoRange() {
  AlbumSettings& album = Album();
  album.ThumbsPerRow = std::max(1, album.ThumbsPerRow);
  album.ThumbRowsPerFile = std::max(1, album.ThumbRowsPerFile);
  album.SlideShowDelay = std::max(0, album.SlideShowDelay);
  album.PreviewWidth = std::clamp(album.PreviewWidth, kPreviewMin, kPreviewMax);
  album.PreviewHeight = std::clamp(album.PreviewHeight, kPreviewMin, kPreviewMax);
  if (!IsHeaderElement(album.HeaderSize)) album.HeaderSize = AlbumSettings{}.HeaderSize;
}

std::string FirstIndexPageName(std::int64_t photos) {
  return photos > ItemsPerPage() ? NumberedIndexPageName(Album().AlbumFileName, 1)
                                 : Album().AlbumFileName;
}

FolderOutcome WriteFolderCatalog(bool lock_held, bool notes) {
  AlbumSettings& album = Album();
  DeleteOldCatalogFiles(album.AlbumDirectory);
  // What a run ended by a crash or SIGKILL left half-written; no other run writes here now.
  if (lock_held) {
    RemoveTemporaryFiles(album.AlbumDirectory);
    RemoveTemporaryFiles(album.ThumbDirectory);
  }
  if (album.EraseExistingFiles) CleanDataDirectory();
  if (IsModernCatalog(album)) PrepareModernCatalog(album, notes);
  CopyBackgroundFiles();

  SetProgressMax(0, "Reading and analyzing files...");
  ReadItems(album.AlbumDirectory, album.ThumbDirectory, album.SortOrder);
  const int n = ItemCount();
  ResetProgress(n);
  const std::int64_t per_page = ItemsPerPage();
  AssignIndexPages(n, per_page);
  if (!CancelRequested()) WriteIndexPages(n, per_page);

  FolderOutcome outcome;
  outcome.photos = n;
  if (n > 0) {
    outcome.first_page = ItemIndexPage(0);
    outcome.cover = ItemThumbPath(0);
  } else if (!CurrentFolderLinks().sub_albums.empty()) {
    outcome.first_page = album.AlbumFileName;
  }
  return outcome;
}

std::string AlbumLockPath(const std::string& album_directory) {
  return WithTrailingSeparator(album_directory) + kAlbumLockFile;
}

std::string AlbumBusyWarning(const std::string& album_directory) {
  return "Another run is making the catalog of " + album_directory +
         " at this moment !\rPlease wait until it has finished before you start a new one.";
}

void generate() {
  AlbumSettings& album = Album();
  RunCleanup cleanup;
  ClearMessages();
  BringSettingsIntoRange();

  // An empty text would otherwise become the root directory.
  if (album.AlbumDirectory.empty()) {
    AddMessage(kSetCurrentDirFailed);
    FinishRun();
    return;
  }
  // The run changes the current directory, after which a relative path would name
  // something else; fix it to what it means now.
  if (album.AlbumDirectory.front() != kPathSeparator)
    album.AlbumDirectory = ExpandFileName(album.AlbumDirectory);
  album.AlbumDirectory = WithTrailingSeparator(album.AlbumDirectory);
  const std::string data_name = album.ThumbDirectory;
  album.ThumbDirectory = WithTrailingSeparator(album.AlbumDirectory + data_name);

  // Joined when the front end took it already; a lock file that cannot be made at all is left
  // to the checks below, which find the folder unusable for the catalog as well.
  const FileLock lock(AlbumLockPath(album.AlbumDirectory));
  if (lock.state() == FileLock::State::kBusy) {
    AddMessage(AlbumBusyWarning(album.AlbumDirectory));
    FinishRun();
    return;
  }
  if (!SetCurrentDir(album.AlbumDirectory)) {
    AddMessage(kSetCurrentDirFailed);
    FinishRun();
    return;
  }
  SetProgressMax(0, "Initializing...");
  if (album.IncludeSubfolders) {
    FinishRun(GenerateAlbumTree(data_name, lock.state() == FileLock::State::kHeld));
    return;
  }
  if (!AnyFileMatches(ListingMasks(album.ExtendedFormats))) {
    AddMessage(kNoImages);
    FinishRun();
    return;
  }

  // Relative paths mean files beside the photos, where the wizard's checks looked for them.
  for (std::string* setting : {&album.BgImage, &album.BgSound, &album.EmptyThumbnail})
    *setting = ResolveAgainst(album.AlbumDirectory, *setting);
  // Everything a run can know before it deletes anything: after this, only the writing itself
  // can fail.
  CheckFolderBeforeDeleting(album.AlbumDirectory, true);
  PrepareDataDirectory(album.ThumbDirectory);
  FinishRun(WriteFolderCatalog(lock.state() == FileLock::State::kHeld, true).first_page);
}

}  // namespace fotoloom
