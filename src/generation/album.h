// The generation run: from the album settings to a finished catalog.
#pragma once

#include <string>

namespace fotoloom {

// Generates the catalog described by Album(): makes the album directory current (and leaves
// it current), creates the data directory, cleans it when EraseExistingFiles asks, copies the
// background files into it, reads and names the items, splits them over index pages
// (AlbumFileName, or stem + "001.html", "002.html", ... when they do not fit one page) and
// writes the pages, thumbnails and image pages, reporting through ClientUI and polling
// CancelRequested() between steps.
//
// Thumbnails are made ahead of the pages by ThumbnailWorkerCount() threads (item_thumbnails.h);
// everything else, every file write included, happens on the caller's thread, and the outputs
// are the same whatever the number. No thread outlives the call, whatever ends it.
//
// Afterwards: AlbumDirectory ends with "/", ThumbDirectory is the data directory's path
// (with "/"), BgImage / BgSound name their copies; FirstPage is the first item's index page
// (relative to the album directory) or "" when the run had no items; GetMessages() holds the
// warnings: "Error in: generate.setcurrentdir (src_directory) ", "Selected directory does
// not contain supported image files !", "Thumbnail directory was not completely cleaned up.".
//
// The run first brings its settings into range (BringSettingsIntoRange), takes the album's
// lock (AlbumLockPath; joined when the caller holds it, see platform/file_lock.h) and resolves
// a relative BgImage, BgSound and EmptyThumbnail against the album directory. Then it checks
// everything it can know before it deletes anything, and only then deletes: the catalog files
// the first page's answers allowed (DeleteCatalogFile, DeleteNumberedCatalogFiles), the
// temporary files a killed run left in the album and data directories, and the data
// directory's files when cleaning is asked for. A data directory the run creates, or finds
// empty, gets the marker file (files/file_utils.h). It is cleaned only when it holds that
// marker and lies strictly below the album directory once links are resolved; otherwise the
// cleaning is skipped with the "not completely cleaned up" warning. The cleaning leaves every
// file a setting names (BgImage, BgSound, EmptyThumbnail) where it is; a background file in
// the data directory is then copied under a numbered name like any other. Nothing outside the
// data directory is deleted or overwritten, except the index pages; every file is written
// through the one file writer (platform/file_io.h), so a link at an output's name is replaced,
// never written through.
//
// While another process holds the album's lock the run does nothing but add the
// AlbumBusyWarning. The checks before the first deletion raise: FileOpenError for an
// "imgdesc.dat", or a background file, that exists but cannot be read, and for an
// "imgdesc.dat" larger than 64 MiB (FileReadError when
// reading it fails part-way); FileCreateError for an index page name longer than the file
// system takes (the first such page), and for a data directory that is missing or unwritable
// after the attempt to create it. Nothing has been deleted or written then. Afterwards the
// errors of copying, listing, thumbnail and page writing ("Cannot open file %s", "Cannot
// create file %s", "Unable to write to %s") end the run; FirstPage is then "" and the item
// list released.
//
// With IncludeSubfolders the run, once locked and in the album directory, makes the catalog of
// every folder of the tree below it instead (GenerateAlbumTree, album_tree.h), each as this
// run would make it there, with the checks of every folder before the first deletion anywhere;
// FirstPage is then the top folder's first index page. A tree without a single supported image
// gives the "does not contain supported image files" warning.
void generate();

// The one place where the run's settings are made safe to compute and to paste into pages:
// ThumbsPerRow and ThumbRowsPerFile below 1 become 1, a negative SlideShowDelay 0, a
// HeaderSize that is no "h1" to "h6" element (either case) the default "h2", and each side of
// the preview box is brought into kPreviewMin..kPreviewMax. generate() calls
// it first.
void BringSettingsIntoRange();

// Copies BgImage and then BgSound, when each names an existing file and no cancel is
// pending, to a free name in the data directory and points the setting at the copy.
// REQUIRES: ThumbDirectory already rewritten to the data directory's path.
void CopyBackgroundFiles();

// The lock file in the album directory that one run of the album holds from before its first
// deletion to its end. Not a temporary file's name (platform/file_io.h), and outside the data
// directory, so nothing the program cleans up ever takes it.
inline constexpr char kAlbumLockFile[] = ".fotoloom-lock";
std::string AlbumLockPath(const std::string& album_directory);
// The warning that refuses a run of album_directory while another run holds its lock.
std::string AlbumBusyWarning(const std::string& album_directory);

// Name of numbered index page number (from 1): the stem of album_file_name (its extension
// removed) + the number with at least three digits + ".html": "index007.html",
// "index100.html", "index1000.html".
std::string NumberedIndexPageName(const std::string& album_file_name, int number);

}  // namespace fotoloom
