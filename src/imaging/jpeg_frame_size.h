// The pixel size a JPEG file declares, read from its frame header without decoding it.
#pragma once

#include <string_view>

namespace fotoloom {

struct FrameSize {
  int width = 0;
  int height = 0;
};

// The width and height of the first frame header (SOF0 to SOF15, except the DHT, JPG and DAC
// markers that share the range) of the JPEG in bytes, walking the marker segments from the
// start. {0, 0} when bytes holds no JPEG, ends before a frame header, or declares a zero size.
FrameSize JpegFrameSize(std::string_view bytes);

}  // namespace fotoloom
