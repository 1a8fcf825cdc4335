// Minimal writers for the pictures the project ships or tests with (the "no preview" image,
// the sample album, large test inputs). They are build tools, not part of the program: the
// program's own readers and its JPEG writer live in src/imaging.
//
// Pixels are top-down rows of red, green, blue bytes. Every writer throws std::runtime_error
// naming the file when it cannot create or completely write it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fotoloom::tools {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // width * height * 3 bytes, top row first

  RgbImage(int w, int h) : width(w), height(h), rgb(static_cast<size_t>(w) * h * 3) {}
  std::uint8_t* Pixel(int x, int y) { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
  const std::uint8_t* Pixel(int x, int y) const {
    return &rgb[(static_cast<size_t>(y) * width + x) * 3];
  }
};

// Baseline (or progressive) JFIF with 72 dpi, 4:2:0 sampling.
void WriteJpeg(const std::string& path, const RgbImage& image, int quality,
               bool progressive = false);

// 8-bit truecolour PNG, not interlaced.
void WritePng(const std::string& path, const RgbImage& image);

// Uncompressed 24-bit Windows bitmap, rows bottom-up and padded to 4 bytes.
void WriteBmp24(const std::string& path, const RgbImage& image);

// Uncompressed 8-bit palette bitmap; the palette is built from the image's colours and must
// not exceed 256 entries (throws otherwise).
void WriteBmp8(const std::string& path, const RgbImage& image);

}  // namespace fotoloom::tools
