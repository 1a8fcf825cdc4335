// The description file's text format, applied to a listing's entries.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "files/dir.h"

namespace fotoloom {

// The largest description file read; a larger one is refused rather than read into memory.
inline constexpr std::uint64_t kMaxDescriptionFileBytes = std::uint64_t{64} << 20;

// Sets the Description of entries from the text of a description file: lines end at
// CR LF, LF or CR; a NUL byte ends the text. A line is name "|" description. The name's
// last path component is compared case-insensitively (UpperCase) with each entry's file
// name; only the first entry of that name is set, and a later line for it wins. Lines
// without "|" or naming no entry are ignored. Runs in time linear in entries plus text.
void ApplyDescriptions(std::string_view text, const std::vector<CFile*>& entries);

// Raises, before anything is read, what ReadDescriptionFile would raise for the file at path
// before its first line: FileOpenError "Cannot open file <path>" when it cannot be opened as a
// regular file, and FileOpenError "Cannot open file <path> (larger than 64 MiB)" when it is
// larger than kMaxDescriptionFileBytes.
void CheckDescriptionFile(const std::string& path);

// ApplyDescriptions of the file at path, read line by line: only the line being read is held.
// Raises what CheckDescriptionFile raises, the same size error for a file that grew past the
// bound while it was read, and FileReadError "Cannot open file <path>" for a read error.
void ReadDescriptionFile(const std::string& path, const std::vector<CFile*>& entries);

}  // namespace fotoloom
