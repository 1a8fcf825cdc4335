#include "wizard/picker_filter.h"

namespace fotoloom {

std::string PickerFilter(const std::string& filter, PickerUse use,
                         std::span<const ImageFormat> formats) {
  std::string all;
  std::string pairs;
  for (const ImageFormat& format : formats) {
    if (format.picker_name == nullptr) continue;
    if (use == PickerUse::kBrowserShown && !format.browser_shows) continue;
    std::string shown, patterns;
    for (const std::string& mask : MasksOf(format)) {
      all += "; " + mask;
      shown += (shown.empty() ? "" : ", ") + mask;
      patterns += (patterns.empty() ? "" : ";") + mask;
    }
    pairs += std::string("|") + format.picker_name + " (" + shown + ")|" + patterns;
  }
  // The first pair's patterns end where the second pair begins.
  const std::size_t first_bar = filter.find('|');
  const std::size_t second_bar =
      first_bar == std::string::npos ? std::string::npos : filter.find('|', first_bar + 1);
  if (second_bar == std::string::npos) return filter + pairs;
  return filter.substr(0, second_bar) + all + filter.substr(second_bar) + pairs;
}

}  // namespace fotoloom
