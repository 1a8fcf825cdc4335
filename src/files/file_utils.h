// Stateless file and path helpers shared by the generation run and the wizard's checks.
// All of them report trouble through their result and never throw, except
// CopyFileKeepingDate. Path helpers (WithTrailingSeparator, ExtractFileName, ...) and the
// existence tests live in platform/paths.h, included here.
#pragma once

#include <cstdint>
#include <string>

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

// path itself when no file (a directory does not count) of that name exists; otherwise
// the first free stem + " (" n ")" + extension for n = 1, 2, ...:
// "a.tar.gz" -> "a.tar (1).gz", "notes" -> "notes (1)".
std::string UniqueFileName(const std::string& path);

// True when a fresh probe file (a unique variant of "tmp.tmp", so an existing one is never
// touched) can be created in directory; the probe is deleted again.
bool IsDirectoryWritable(const std::string& directory);

// Deletes every file (not subdirectories) of directory, hidden ones included, attempting
// each. True when all deletions succeeded (an empty directory too); a read-only file is
// left and makes the answer false.
bool CleanDirectory(const std::string& directory);

// Copies source to destination, keeping the modification time (2-second resolution) and
// the permission bits. Raises FileOpenError(source) when the source cannot be opened or is
// not a regular file (nothing is created), FileCreateError(full destination path) when the
// destination cannot be created (among others: it is read-only, or it is the source itself),
// FileWriteError (full destination path) when not every byte could be written.
void CopyFileKeepingDate(const std::string& source, const std::string& destination);

// Size of the file at path; when no such file exists and the path's last component holds
// wildcards, the size of the first file (listing order) matching it. 0 when none exists.
std::int64_t FileSizeOf(const std::string& path);

// The pattern directory + stem + "*" + extension of a catalog file path, e.g.
// "/pics/_cat.html" -> "/pics/_cat*.html", matching "_cat.html", "_cat001.html", ...
std::string SimilarFilesPattern(const std::string& path);

// True when a file (not a directory) matches SimilarFilesPattern(path).
bool SimilarFilesExist(const std::string& path);

// Deletes every file matching SimilarFilesPattern(path), attempting each; true when every
// deletion succeeded. Read-only files are left and make the answer false.
bool DeleteSimilarFiles(const std::string& path);

// Text before the first separator (all of it when there is none) / after it ("" when none).
std::string ListHead(const std::string& text, char separator);
std::string ListTail(const std::string& text, char separator);

// True when some file (not a directory) of directory ("" = the current directory) matches
// one of the "|"-separated masks (untrimmed).
bool AnyFileMatches(const std::string& masks, const std::string& directory = "");

}  // namespace fotoloom
