// The description file's text format, applied to a listing's entries.
#pragma once

#include <string_view>
#include <vector>

#include "files/dir.h"

namespace fotoloom {

// Sets the Description of entries from the text of a description file: lines end at
// CR LF, LF or CR; a NUL byte ends the text; a line is name "|" description. The name's
// last path component is compared case-insensitively (UpperCase) with each entry's file
// name; only the first entry of that name is set, and a later line for it wins. Lines
// without "|" or naming no entry are ignored. Runs in time linear in entries plus text.
void ApplyDescriptions(std::string_view text, const std::vector<CFile*>& entries);

}  // namespace fotoloom
