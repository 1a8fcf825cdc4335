// Image files described in a few values, so that a short description (a row of a test's table,
// or a fuzzer input of a few dozen bytes) can stand for a file of gigabytes: pixel data is made
// of repeated pieces, and zero tails and segment payloads are left as holes in the file, which
// take no disk space.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fotoloom::crafted {

// bytes, written repeat times in a row.
struct Piece {
  std::vector<std::uint8_t> bytes;
  std::uint64_t repeat = 1;
};

// A Windows bitmap: file header, info header, colour table (a gray ramp), pixel data.
struct Bmp {
  std::uint32_t headerSize = 40;  // 12 (OS/2 1.x), 40, 52, 56, 108 or 124
  std::int32_t width = 1;
  std::int32_t height = 1;  // below 0: top-down rows
  std::uint16_t bits = 24;
  std::uint32_t compression = 0;  // 1 RLE8, 2 RLE4, 3 bit fields (masks for 5-6-5 or 8-8-8)
  std::uint32_t usedColors = 0;
  std::uint32_t tableEntries = 0;  // colour table entries written
  std::int64_t offsetShift = 0;    // added to the pixel offset a writer would choose
  std::vector<Piece> pixels;
  std::uint64_t zeroTail = 0;  // zero bytes after the pixel data
};

// A JPEG file made from another one, with its first frame header rewritten.
struct Jpeg {
  std::vector<std::uint8_t> base;  // the file to start from, normally a JPEG
  std::uint16_t width = 0;         // frame size; 0 keeps the base's
  std::uint16_t height = 0;
  std::uint8_t firstSampling = 0;       // H << 4 | V of the first component; 0 keeps the base's
  std::uint32_t emptyApp1Segments = 0;  // APP1 segments of 65533 zero bytes put after SOI
  std::uint32_t extraFirstScans = 0;    // copies of the first scan put right after it
};

// Write the file (replacing it); false when it cannot be written.
bool WriteBmp(const std::string& path, const Bmp& bmp);
bool WriteJpeg(const std::string& path, const Jpeg& jpeg);

// Read a description from fuzzer input: any bytes give one. The leading bytes choose the
// header values (sizes up to 65535, or any 32-bit value), the zero tail (up to 8 GiB) and the
// repeat counts (up to 16 million), so a few bytes reach every size the readers must refuse.
// Bitmap pixel data is capped at kMaxFuzzPixelBytes.
constexpr std::uint64_t kMaxFuzzPixelBytes = std::uint64_t{64} << 20;
Bmp BmpFromFuzzInput(const std::uint8_t* data, std::size_t size);
// The first 7 bytes: width, height (16 bits each, big-endian), sampling, APP1 segments / 64,
// extra first scans / 8; the rest is the base file.
Jpeg JpegFromFuzzInput(const std::uint8_t* data, std::size_t size);

}  // namespace fotoloom::crafted
