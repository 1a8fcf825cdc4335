// Helpers for the image reader tests: conformance file lists, reference decodes through
// libpng's simplified interface, PNG chunk surgery, and a recorder for PNG warnings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/dib_graphic.h"
#include "imaging/png_graphic.h"
#include "imaging/reader_warnings.h"

namespace fotoloom::testing {

std::string TestData(const std::string& relative);  // FOTOLOOM_TESTDATA_DIR + "/" + relative
std::vector<std::uint8_t> ReadBytes(const std::string& path);
// Non-empty, non-comment lines of a list file.
std::vector<std::string> ReadList(const std::string& path);
// Files below dir (relative to dir) whose names end with one of the suffixes, sorted.
std::vector<std::string> FilesUnder(const std::string& dir,
                                    const std::vector<std::string>& suffixes);
// A fresh empty directory for one test, removed by the caller's TearDown if wanted.
std::string MakeTempDir();

// Top-down pixels, 8 bits per channel.
struct RefImage {
  int width = 0;
  int height = 0;
  int channels = 0;  // 1 gray, 3 RGB, 4 RGBA
  std::vector<std::uint8_t> pixels;
  const std::uint8_t* At(int x, int y) const {
    return pixels.data() + (static_cast<std::size_t>(y) * width + x) * channels;
  }
};
// libpng's simplified decode of a PNG in memory, as RGBA, RGB or gray. Throws on failure.
RefImage DecodeWithSimplifiedApi(const std::vector<std::uint8_t>& png, int channels);

// The PNG with its gAMA, cHRM, iCCP and sRGB chunks replaced by one sRGB chunk, so that no
// decoder applies a gamma to it.
std::vector<std::uint8_t> WithSrgbOnly(const std::vector<std::uint8_t>& png);
// The PNG with colour-space chunks removed and, when gamma100000 > 0, one gAMA inserted.
std::vector<std::uint8_t> WithGamma(const std::vector<std::uint8_t>& png,
                                    std::uint32_t gamma100000);

// Red, green, blue of an image pixel, whatever its format.
inline void PixelRgb(const TDibGraphic& image, int x, int y, int rgb[3]) {
  const TColor c = image.GetColor(x, y);
  rgb[0] = ColorRed(c);
  rgb[1] = ColorGreen(c);
  rgb[2] = ColorBlue(c);
}

// Largest channel difference between an image and a reference (gray references compare
// against all three channels); alpha in the reference is ignored.
int MaxDifference(const TDibGraphic& image, const RefImage& ref);

// Collects PNG warnings for the lifetime of the object instead of printing them.
class PngWarningRecorder {
 public:
  PngWarningRecorder();
  ~PngWarningRecorder();
  const std::vector<std::string>& warnings() const { return warnings_; }

 private:
  std::vector<std::string> warnings_;
  ReaderWarningHandler previous_;
};

}  // namespace fotoloom::testing
