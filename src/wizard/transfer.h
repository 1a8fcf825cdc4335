// Conversions the wizard applies when its values go to the album settings.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace fotoloom {

// "#" followed by the colour's hexadecimal digits (upper case, at least six) with the first
// two and the fifth and sixth swapped: 0x00BBGGRR gives "#RRGGBB". A value beyond 24 bits
// (only from a hand-edited settings file) gives eight digits, swapped the same way.
std::string ColorToHtml(std::int32_t color);

// text with every "[date]" (exact, case-sensitive) replaced by short_date(), which is asked
// once per replacement.
std::string ExpandDate(std::string text, const std::function<std::string()>& short_date);

// Today's date in the user's short date format (strftime "%x" in the user's locale).
std::string CurrentShortDate();

// The sort code of the two radio groups' item indexes (criterion: name, date, size; method:
// ascending, descending): 1/2 name, 5/6 date, 3/4 size. Any criterion other than 0..2 gives 1.
// A known criterion with a method other than 0 or 1 keeps previous.
int SortCodeFor(int criterion, int method, int previous);

}  // namespace fotoloom
