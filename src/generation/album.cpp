#include "generation/album.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "files/file_errors.h"
#include "files/file_utils.h"
#include "generation/album_items.h"
#include "generation/album_settings.h"
#include "generation/client_ui.h"
#include "generation/contrast.h"
#include "generation/index_page.h"
#include "generation/item_thumbnails.h"
#include "generation/modern_catalog.h"
#include "generation/modern_page.h"
#include "imaging/image_formats.h"
#include "platform/file_io.h"
#include "platform/listing.h"

namespace fotoloom {

namespace {

constexpr char kSetCurrentDirFailed[] = "Error in: generate.setcurrentdir (src_directory) ";
constexpr char kNoImages[] = "Selected directory does not contain supported image files !";
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

// A background file the user picked from inside the data directory would be deleted by the
// cleaning just before the copy step needs it, and may be the only copy there is. It is held
// in memory across the cleaning and put back, with its time and permissions, when it went.
class KeptBackground {
 public:
  KeptBackground(const std::string& path, const std::string& data_dir) : path_(path) {
    if (path.empty() || !FileExists(path)) return;
    const std::string folder = ResolvedPath(ExtractFilePath(ExpandFileName(path)));
    if (folder.empty() || folder != ResolvedPath(data_dir)) return;
    struct stat st {};
    kept_ = ::stat(path.c_str(), &st) == 0 && ReadWholeFile(path, &bytes_);
    mtime_ = st.st_mtime;
    permissions_ = st.st_mode & 07777;
  }

  void Restore() const {
    if (!kept_ || NameTaken(path_)) return;
    // The user's only copy: flushed to the disk before the run goes on.
    OutputFile file(path_, WriteOptions{.sync = true});
    file.Write(bytes_);
    file.SetFinalAttributes(permissions_, mtime_);
    file.Close();
  }

 private:
  std::string path_;
  std::string bytes_;
  bool kept_ = false;
  std::time_t mtime_ = 0;
  std::uint32_t permissions_ = 0;
};

// Index pages hold ThumbsPerRow * ThumbRowsPerFile items each; with the supplied ranges the
// product reaches 25 000 000, so it is kept wide.
std::int64_t ItemsPerPage() {
  const AlbumSettings& album = Album();
  return std::int64_t{album.ThumbsPerRow} * album.ThumbRowsPerFile;
}

bool IsHeaderElement(const std::string& name) {
  return name.size() == 2 && (name[0] == 'h' || name[0] == 'H') && name[1] >= '1' && name[1] <= '6';
}

// Refuses an "imgdesc.dat" that exists but cannot be read before anything is deleted or
// written, with the error the listing would raise for it later.
void RequireReadableDescriptions(const std::string& album_directory) {
  const std::string path = album_directory + kDescriptionFile;
  if (FileExists(path) && !IsReadableFile(path)) RaiseFileOpenError(path);
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
void PrepareModernCatalog(const AlbumSettings& album) {
  WriteModernAssets(album.ThumbDirectory);
  for (const std::string& warning : ContrastWarnings(album)) AddNote(warning);
}

// The end every path of a run reaches: the result for the wizard, and the item list dropped.
void FinishRun() {
  Album().FirstPage = ItemCount() > 0 ? ItemIndexPage(0) : std::string();
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

void BringSettingsIntoRange() {
  AlbumSettings& album = Album();
  album.ThumbsPerRow = std::max(1, album.ThumbsPerRow);
  album.ThumbRowsPerFile = std::max(1, album.ThumbRowsPerFile);
  album.SlideShowDelay = std::max(0, album.SlideShowDelay);
  album.PreviewWidth = std::clamp(album.PreviewWidth, kPreviewMin, kPreviewMax);
  album.PreviewHeight = std::clamp(album.PreviewHeight, kPreviewMin, kPreviewMax);
  if (!IsHeaderElement(album.HeaderSize)) album.HeaderSize = AlbumSettings{}.HeaderSize;
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
  album.ThumbDirectory = WithTrailingSeparator(album.AlbumDirectory + album.ThumbDirectory);

  if (!SetCurrentDir(album.AlbumDirectory)) {
    AddMessage(kSetCurrentDirFailed);
    FinishRun();
    return;
  }
  SetProgressMax(0, "Initializing...");
  if (!AnyFileMatches(ListingMasks())) {
    AddMessage(kNoImages);
    FinishRun();
    return;
  }

  RequireReadableDescriptions(album.AlbumDirectory);
  const bool created = CreateDir(album.ThumbDirectory);
  RequireUsableDataDirectory(album.ThumbDirectory);
  if (created || IsEmptyDirectory(album.ThumbDirectory)) MarkDataDirectory(album.ThumbDirectory);
  if (album.EraseExistingFiles) {
    ShowStatus("Cleaning thumbnail directory (this may take a while)...");
    const KeptBackground image(album.BgImage, album.ThumbDirectory);
    const KeptBackground sound(album.BgSound, album.ThumbDirectory);
    const bool cleaned = LiesStrictlyBelow(album.ThumbDirectory, album.AlbumDirectory) &&
                         IsMarkedDataDirectory(album.ThumbDirectory) &&
                         CleanDirectory(album.ThumbDirectory);
    image.Restore();
    sound.Restore();
    if (!cleaned) AddMessage(kNotCleaned);
    ShowStatus("Done.");
  }
  if (IsModernCatalog(album)) PrepareModernCatalog(album);
  CopyBackgroundFiles();

  SetProgressMax(0, "Reading and analyzing files...");
  ReadItems(album.AlbumDirectory, album.ThumbDirectory, album.SortOrder);
  const int n = ItemCount();
  ResetProgress(n);
  const std::int64_t per_page = ItemsPerPage();
  AssignIndexPages(n, per_page);
  if (!CancelRequested()) WriteIndexPages(n, per_page);
  FinishRun();
}

}  // namespace fotoloom
