// Permission bits and the program's one notion of a read-only file: the owner has no
// write permission. The answer comes from the mode bits, not from trying to write, so it
// is the same for every user (root included).
#pragma once

#include <cstdint>
#include <string>

namespace fotoloom {

// True when path exists and its owner write bit is clear (after following links).
bool IsReadOnly(const std::string& path);

// The permission bits (07777) of path; false when it cannot be examined.
bool GetPermissions(const std::string& path, std::uint32_t* bits);

// Sets the permission bits (07777) of path; false on failure.
bool SetPermissions(const std::string& path, std::uint32_t bits);

// Deletes the file at path. A read-only file is never deleted: the answer is false, as it
// is when the file is missing, is a directory or cannot be removed.
bool RemoveFile(const std::string& path);

}  // namespace fotoloom
