// The program's name and version. The version is the build's project version (the top-level
// CMakeLists.txt), so a new version is made in that one place.
#pragma once

#include <string>

namespace fotoloom {

inline constexpr char kProductName[] = "Fotoloom";

// The project version, dotted numbers such as "2.1".
const char* ProductVersion();

// kProductName, a blank and ProductVersion(), as the pages name their generator.
std::string ProductNameAndVersion();

}  // namespace fotoloom
