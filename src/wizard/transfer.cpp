#include "wizard/transfer.h"

#include <cstdio>
#include <ctime>
#include <utility>

#include "platform/file_time.h"

namespace fotoloom {

std::string ColorToHtml(std::int32_t color) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%.*X", 6, static_cast<unsigned>(color));
  std::string hex(digits);
  std::swap(hex[0], hex[4]);
  std::swap(hex[1], hex[5]);
  return "#" + hex;
}

std::string ExpandDate(std::string text, const std::function<std::string()>& short_date) {
  static constexpr char kPlaceholder[] = "[date]";
  constexpr std::size_t kLength = sizeof kPlaceholder - 1;
  // Each pass replaces the first placeholder left. A date that itself holds "[date]" would
  // never end that, so the search then goes on after it.
  std::size_t from = 0;
  for (std::size_t at; (at = text.find(kPlaceholder, from)) != std::string::npos;) {
    const std::string date = short_date();
    text.replace(at, kLength, date);
    if (date.find(kPlaceholder) != std::string::npos) from = at + date.size();
  }
  return text;
}

std::string CurrentShortDate() { return FormatShortDate(PackFileTime(std::time(nullptr))); }

int SortCodeFor(int criterion, int method, int previous) {
  static constexpr int kCodes[3][2] = {{1, 2}, {5, 6}, {3, 4}};
  if (criterion < 0 || criterion > 2) return 1;
  if (method < 0 || method > 1) return previous;
  return kCodes[criterion][method];
}

}  // namespace fotoloom
