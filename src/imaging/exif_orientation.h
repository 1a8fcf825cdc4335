// The EXIF orientation of a JPEG photo and its application to a decoded image.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/dib_graphic.h"

namespace fotoloom {

// Orientation tag (1..8) from the payload of an APP1 segment (starting "Exif\0\0", without
// the marker and length bytes). Returns 1 when there is no usable tag; never reads outside
// data[0, size) and never fails.
int ExifOrientationFromApp1(const std::uint8_t* data, std::size_t size);

// Turns an image stored with the given orientation upright: 2 mirror, 3 rotate 180,
// 4 flip, 5 transpose, 6 rotate 90 clockwise, 7 transverse, 8 rotate 90 counter-clockwise.
// 1 and values outside 2..8 leave it unchanged. Palette formats below 8 bits are first made
// true colour; 8- and 24-bit images keep their format and palette.
void ApplyExifOrientation(TDibGraphic& image, int orientation);

}  // namespace fotoloom
