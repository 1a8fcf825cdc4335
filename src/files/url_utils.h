// Percent-escaping of the paths that generated pages carry in links and image references.
// Works on bytes: a UTF-8 name becomes the percent-encoded UTF-8 browsers expect.
#pragma once

#include <string>
#include <string_view>

namespace fotoloom {

// True for the ASCII digits and letters only.
bool IsUrlSafeChar(unsigned char c);

// Every byte kept when IsUrlSafeChar or one of "/", ".", "-", "*", "_"; every other byte
// written as "%" and two upper-case hex digits. Not idempotent: escape each path once.
// "Sommer 2004 (1).jpg" -> "Sommer%202004%20%281%29.jpg".
std::string UrlEscape(std::string_view text);

}  // namespace fotoloom
