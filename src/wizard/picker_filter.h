// The image pickers' file-type lists: each picker's own text, then every further format of the
// format table (image_formats.h) that has a picker name.
#pragma once

#include <span>
#include <string>

#include "imaging/image_formats.h"

namespace fotoloom {

// Which formats a picker offers.
enum class PickerUse {
  kReadable,     // a picture the program reads (the alternative thumbnail image)
  kBrowserShown  // a picture the browser shows as it is (the page background)
};

// filter ("All supported files |patterns|description|patterns|...", the first pair the one of
// every supported file) with each of formats that has a picker_name, and that a browser shows
// when use asks for it, added: its masks to the first pair's patterns ("; " between them) and a
// pair of its own at the end ("WebP images (*.webp)|*.webp").
std::string PickerFilter(const std::string& filter, PickerUse use,
                         std::span<const ImageFormat> formats = ImageFormats());

}  // namespace fotoloom
