// Path texts and the few file-system questions the program asks about a path.
// Paths are byte strings (UTF-8 on Linux) with "/" as the only separator; a drive part
// never exists here. None of these functions throws.
#pragma once

#include <string>

namespace fotoloom {

inline constexpr char kPathSeparator = '/';

// The path followed by one separator, or the path unchanged when it already ends in one.
// An empty path stays empty (appending a separator would name the root directory).
std::string WithTrailingSeparator(const std::string& path);

// The part after the last separator: "a/b/c.jpg" -> "c.jpg", "c.jpg" -> "c.jpg",
// "a/b/" -> "".
std::string ExtractFileName(const std::string& path);

// The part up to and including the last separator: "a/b/c.jpg" -> "a/b/", "c.jpg" -> "".
std::string ExtractFilePath(const std::string& path);

// The last component's extension from its last "." on, dot included; "" when the last
// component holds no dot: "a/b.tar.gz" -> ".gz", "a.d/notes" -> "", ".profile" -> ".profile".
std::string ExtractFileExt(const std::string& path);

// The path without ExtractFileExt: "a/b.tar.gz" -> "a/b.tar".
std::string StripFileExt(const std::string& path);

// Absolute form of a path taken relative to the current directory, with "." and ".."
// components and repeated separators resolved by text (links are not followed).
// A trailing separator is kept. An empty path gives the current directory with a
// trailing separator.
std::string ExpandFileName(const std::string& path);

// path as a file inside directory sees it: an absolute or empty path unchanged, a relative one
// ExpandFileName(directory + "/" + path), directory itself taken relative to the current one.
std::string ResolveAgainst(const std::string& directory, const std::string& path);

// The process's current directory with a trailing separator; "" when it cannot be read.
std::string GetCurrentDir();

// Makes dir the current directory; false when that fails.
bool SetCurrentDir(const std::string& dir);

// Creates one directory (the parent must exist); false when it fails or already exists.
bool CreateDir(const std::string& dir);

// True when path names something that is not a directory after following links.
bool FileExists(const std::string& path);

// True when path names a directory after following links.
bool DirectoryExists(const std::string& path);

// True when a directory entry of that name exists that is not a directory itself: a file, or
// a link of any kind, a broken one included (links are not followed).
bool NameTaken(const std::string& path);

// The longest file name, in bytes, that the file system holding directory accepts
// (pathconf _PC_NAME_MAX); 255 when it cannot be asked.
std::size_t MaxFileNameBytes(const std::string& directory);

// The directory of the running executable, from /proc/self/exe, with a trailing
// separator; "" when it cannot be found.
std::string ExecutableDirectory();

}  // namespace fotoloom
