// PNG files through libpng: decode, whole and row by row, then convert the result to true
// colour.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "imaging/format_transform.h"
#include "imaging/png_graphic.h"
#include "imaging/reader_warnings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool quiet = [] {
    fotoloom::SetReaderWarningHandler([](const std::string&) {});
    return true;
  }();
  (void)quiet;
  try {
    fotoloom::TPngGraphic png;
    // The last byte picks the background settings, so both compositing paths are explored.
    if (size > 0) {
      png.IgnoreFileBackground = (data[size - 1] & 1) != 0;
      png.BackgroundColor = fotoloom::MakeColor(data[size - 1], 255 - data[size - 1], 128);
    }
    {
      fotoloom::fuzzing::PeakHeapCheck check;
      png.LoadFromMemory(data, size, check.Reserve());
    }
    // The same rows when they are taken as they are decoded.
    fotoloom::fuzzing::CheckRowsMatch(png, [&](fotoloom::TRowSink* rows) {
      fotoloom::TPngGraphic again;
      again.IgnoreFileBackground = png.IgnoreFileBackground;
      again.BackgroundColor = png.BackgroundColor;
      again.LoadFromMemory(data, size, {}, rows);
    });
    fotoloom::TImageFormatTransform toTrueColor;
    toTrueColor.Apply(png);
  } catch (const fotoloom::Error&) {
  }
  return 0;
}
