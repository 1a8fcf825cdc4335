#include "imaging/jpeg_frame_size.h"

namespace fotoloom {

namespace {

int Word(std::string_view bytes, std::size_t at) {
  return (static_cast<unsigned char>(bytes[at]) << 8) | static_cast<unsigned char>(bytes[at + 1]);
}

bool IsFrameHeader(unsigned char marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

}  // namespace

FrameSize JpegFrameSize(std::string_view bytes) {
  if (bytes.size() < 4 || Word(bytes, 0) != 0xFFD8) return {};
  std::size_t at = 2;
  while (at + 4 <= bytes.size()) {
    if (static_cast<unsigned char>(bytes[at]) != 0xFF) return {};
    const auto marker = static_cast<unsigned char>(bytes[at + 1]);
    // Fill bytes before a marker, and markers without a length (TEM, RSTn).
    if (marker == 0xFF || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
      at += marker == 0xFF ? 1 : 2;
      continue;
    }
    if (marker == 0xD9 || marker == 0xDA) return {};  // end of image, or scan data: no frame
    const std::size_t length = static_cast<std::size_t>(Word(bytes, at + 2));
    if (length < 2) return {};
    if (IsFrameHeader(marker)) {
      // Length, precision, height, width.
      if (length < 7 || at + 9 > bytes.size()) return {};
      const int height = Word(bytes, at + 5);
      const int width = Word(bytes, at + 7);
      if (width == 0 || height == 0) return {};
      return {width, height};
    }
    at += 2 + length;
  }
  return {};
}

}  // namespace fotoloom
