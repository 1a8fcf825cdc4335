// Stateless file and path helpers shared by the generation run and the wizard's checks.
// All of them report trouble through their result and never throw, except
// CopyFileKeepingDate. Path helpers (WithTrailingSeparator, ExtractFileName, ...) and the
// existence tests live in platform/paths.h, included here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/paths.h"

namespace fotoloom {

// Characters accepted in catalog file and data directory names: ASCII letters and digits,
// space, ! # $ % & ' ( ) - . @ ^ _ ` { } ~, and the letters U+00C4 U+00C5 U+00D6 U+00E4
// U+00E5 U+00F6. Everything else is refused.
bool IsSuggestedNameChar(char32_t c);

// True when every UTF-8 character of name passes IsSuggestedNameChar (a byte that is not
// valid UTF-8 fails); the empty name passes.
bool IsSuggestedName(const std::string& name);

// UrlEscape of the path; "/" separators survive, a "\" in a name becomes %5C.
// "fldata/my photo.jpg" -> "fldata/my%20photo.jpg".
std::string PathToUrl(const std::string& path);

// path itself when no file or link (a broken one included; a directory does not count) of
// that name exists; otherwise the first free stem + " (" n ")" + extension for n = 1, 2, ...:
// "a.tar.gz" -> "a.tar (1).gz", "notes" -> "notes (1)".
std::string UniqueFileName(const std::string& path);

// True when a fresh probe file can be created in directory; the probe, a temporary file of a
// name never used before (platform/file_io.h), is deleted again, so neither an existing file
// nor a folder of any name stands in its way, and runs probing at once never meet.
bool IsDirectoryWritable(const std::string& directory);

// The hidden file that marks a data directory as the program's own. The run writes it when
// it creates the directory or finds it empty; cleaning keeps it, and only a directory that
// holds it is cleaned, so a folder of the user's that happens to bear the data directory's
// name is never emptied.
inline constexpr char kDataDirectoryMarker[] = ".fotoloom-data";

// Deletes every file (not subdirectories) of directory but the marker, hidden ones included,
// attempting each; a link is removed, never what it leads to. A file that one of keep names
// (the very entry, or the file it leads to) is left alone as if it were not there: the files
// the settings name (a background image inside the data directory, the alternative image) are
// the user's. True when all deletions succeeded (an empty directory too); a read-only file is
// left and makes the answer false.
bool CleanDirectory(const std::string& directory, const std::vector<std::string>& keep = {});

// Writes the marker into directory; raises the file writer's errors.
void MarkDataDirectory(const std::string& directory);

// True when directory holds the marker as a regular file (a link to one does not count).
bool IsMarkedDataDirectory(const std::string& directory);

// Copies source to destination through the one file writer (a link or hard link at the
// destination is replaced, not written through), keeping the modification time (2-second
// resolution) and the permission bits, plus the owner's write bit: the copy is the program's
// own file, which a later cleaning must be able to delete. Raises FileOpenError(source) when the source cannot be
// opened or is not a regular file (nothing is created), FileReadError(source) when it cannot
// be read to its end (an I/O error), FileCreateError(full destination path) when the
// destination cannot be created (among others: it is read-only, or it is the source itself),
// FileWriteError(full destination path) when not every byte could be written; the
// destination is then as it was.
void CopyFileKeepingDate(const std::string& source, const std::string& destination);

// Size of the file at path; when no such file exists and the path's last component holds
// wildcards, the size of the first file (listing order) matching it. 0 when none exists.
std::int64_t FileSizeOf(const std::string& path);

// True when name is one a run gives a numbered index page of the catalog file catalog_path:
// the catalog's stem (its name without extension, letter case as it is), a number of at least
// three digits as the run writes it ("001" to "099" padded, "100" on without leading zeros),
// and ".html". "_cat.html" gives "_cat001.html", "_cat1000.html"; never "_cat.html" itself,
// "_cat_old.html" or "_cat01.html".
bool IsNumberedCatalogName(const std::string& catalog_path, const std::string& name);

// Paths of the regular files (never links or directories) in catalog_path's directory whose
// names pass IsNumberedCatalogName.
std::vector<std::string> NumberedCatalogFiles(const std::string& path);

// True when NumberedCatalogFiles(path) finds one. The catalog file itself is the overwrite
// question's business.
bool SimilarFilesExist(const std::string& path);

// Deletes every file of NumberedCatalogFiles(path), attempting each; true when every deletion
// succeeded. Read-only files are left and make the answer false.
bool DeleteSimilarFiles(const std::string& path);

// Text before the first separator (all of it when there is none) / after it ("" when none).
std::string ListHead(const std::string& text, char separator);
std::string ListTail(const std::string& text, char separator);

// True when some file (not a directory) of directory ("" = the current directory) matches
// one of the "|"-separated masks (untrimmed).
bool AnyFileMatches(const std::string& masks, const std::string& directory = "");

}  // namespace fotoloom
