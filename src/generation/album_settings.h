// The generation configuration: one process-wide set of values that every page writer and the
// run read directly, and that the wizard overwrites (all but FirstPage) before each run.
//
// Texts are UTF-8 bytes pasted into the pages as they stand. Colours are whatever the caller
// supplies: the wizard passes "#RRGGBB", the defaults below are colour names. The numbers the
// writers only paste into attributes (ThumbnailBorder, TableBorder, FontSize) are decimal text.
//
// Single GUI thread; no locking.
#pragma once

#include <string>

namespace fotoloom {

// ThumbRowsPerFile when the wizard's multiple catalog files are switched off: in practice the
// index is never split.
inline constexpr int kSingleFileRows = 1000000;

// CatalogStyle values: the classic pages (tables, the default) and the modern ones (a grid
// that reflows, keyboard and swipe, full screen, a slide show that pauses).
inline constexpr int kClassicCatalog = 0;
inline constexpr int kModernCatalog = 1;

// The range of the preview box's sides, pixels.
inline constexpr int kPreviewMin = 320;
inline constexpr int kPreviewMax = 8192;

struct AlbumSettings {
  // Index page name, relative to the album directory; its stem names numbered index pages.
  std::string AlbumFileName = "index.html";
  // The image directory. The run rewrites it in place to end with the path separator.
  std::string AlbumDirectory = ".";
  // The data subdirectory's name (no separators). The run rewrites it in place to
  // AlbumDirectory + name + separator, the data directory's path.
  std::string ThumbDirectory = "album";
  bool EraseExistingFiles = false;
  // Image a thumbnail is made from when the item's own image gives none; a relative path is
  // taken against the current directory (the album directory during a run).
  std::string EmptyThumbnail = "empty.jpg";
  bool GenerateHTMLImages = false;
  // Characters (not bytes) of the file name shown under a thumbnail; 0 shows nothing.
  int NameMaxLen = 14;
  std::string Font;  // empty: no font element
  bool SlideShow = false;
  int SlideShowDelay = 0;  // seconds
  bool ShowFileName = true;
  bool ShowFileExtension = true;
  bool ShowFileTime = true;
  bool ShowFileSize = true;
  int SortOrder = 0;  // a SortCode of the listing (files/dir.h); 0 keeps the listing order
  std::string Previous;
  std::string Next;
  std::string Index;
  int ThumbsPerRow = 6;      // >= 1; a divisor in the run and the table writer
  int ThumbRowsPerFile = 1;  // >= 1; kSingleFileRows when the index is not split
  int ThumbGeometryW = 100;  // thumbnail box, pixels
  int ThumbGeometryH = 100;
  std::string AlbumName = "My Album";  // empty: no title element
  std::string HeaderColor = "white";
  std::string HeaderSize = "h2";
  std::string AlbumHeader = "New Album";  // empty: no header block
  std::string AlbumFooter;                // empty: no footer block
  std::string ThumbnailBorder = "0";
  std::string TableBorder = "0";
  std::string FontSize = "2";  // HTML 1..7 scale; navigation uses this + 1
  std::string TextColor = "white";
  std::string BgColor = "black";
  bool UseTableBgColor = false;
  std::string TableBgColor;
  // Background files; empty means none. The run's copy step replaces each in place by the
  // path of its copy in the data directory.
  std::string BgImage;
  std::string BgSound;
  std::string LinkColor;
  std::string VLinkColor;

  // Display options, all off by default, which leaves the catalog as it always was.
  // PreviewImages: an image larger than the PreviewWidth x PreviewHeight box also gets a
  // preview fitted into it, which its image page shows scaled to the browser window, linked to
  // the original. The run brings the box into kPreviewMin..kPreviewMax.
  bool PreviewImages = false;
  int PreviewWidth = 1600;
  int PreviewHeight = 1200;
  // Every thumbnail also gets a companion fitted into the box of twice its size, which the
  // index pages offer to screens of two or more device pixels per pixel.
  bool HiDPIThumbnails = false;
  // kClassicCatalog or kModernCatalog; any other value writes the classic pages. The modern
  // pages take the same items, names and settings, and always make previews (PreviewWidth x
  // PreviewHeight) of the images larger than the box, whatever PreviewImages says.
  int CatalogStyle = kClassicCatalog;
  // The listing also selects HEIC, HEIF, AVIF, WebP and TIFF files, after all the others. An
  // item a browser cannot show itself (HEIC, HEIF, TIFF) always gets a preview, whatever
  // PreviewImages says, which its pages show in its place; its image page offers the file
  // itself as a download.
  bool ExtendedFormats = false;
  // An item's date, for sorting and under its thumbnail, is the date the photo was taken as
  // its EXIF states it, where it does; otherwise the file's time.
  bool UseDateTaken = false;
  // Each image page shows a line of what the camera recorded (EXIF), under the picture.
  bool ShowPhotoDetails = false;
  // The image directory's sub-folders each become a catalog of their own, made with these same
  // settings and linked both ways: a parent's first index page shows a cell per sub-album, and
  // every index page of a sub-album links up to its parent's with NavigationUpText (HTML, as
  // Previous and Next are).
  bool IncludeSubfolders = false;
  std::string NavigationUpText = "Up";

  // Not a settings-file key: how many threads make thumbnails during a run, chosen by the front
  // end for this process. 0: one per CPU the process may use (UsableCpuCount, usable_cpus.h);
  // 1: none besides the page writer, which makes each thumbnail itself.
  int ThumbnailWorkers = 0;
  // Not a settings-file key: the folder of the thumbnail cache the run reads made thumbnails
  // from and keeps new ones in (ThumbnailCacheFolder, thumbnail_cache.h); empty: no cache.
  std::string ThumbnailCache;
  // Not settings-file keys: what the answers to the wizard's first page allowed a run to
  // delete, which it deletes once every check it can make before writing has passed: the
  // catalog file AlbumFileName itself, and the numbered index pages of its name.
  bool DeleteCatalogFile = false;
  bool DeleteNumberedCatalogFiles = false;

  // Result of the last run: index page of the first item (to open in the browser), or empty
  // when the run had no items. Only the run writes it.
  std::string FirstPage;
};

// Whether the run writes the modern pages.
inline bool IsModernCatalog(const AlbumSettings& album) {
  return album.CatalogStyle == kModernCatalog;
}
// Whether the run makes previews of the images larger than the preview box.
inline bool MakesPreviews(const AlbumSettings& album) {
  return album.PreviewImages || IsModernCatalog(album);
}

// Whether every image page gets a twin that plays the slide show (the modern pages' slide show
// for a browser without scripts: a timed refresh from twin to twin).
inline bool MakesShowPages(const AlbumSettings& album) {
  return IsModernCatalog(album) && album.GenerateHTMLImages && album.SlideShow;
}

// The process-wide settings. Starts with the defaults above and lives for the whole process.
AlbumSettings& Album();

// Puts every value, FirstPage included, back to its default. For tests and for a driver that
// runs several generations without the wizard.
void ResetAlbumSettings();

}  // namespace fotoloom
