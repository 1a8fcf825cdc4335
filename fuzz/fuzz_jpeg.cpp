// JPEG files through libjpeg: decode, whole and row by row, turn upright by the EXIF tag, and
// encode small results again.
#include <cstddef>
#include <cstdint>
#include <sstream>

#include "fuzz_support.h"
#include "imaging/exif_orientation.h"
#include "imaging/jpeg_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    fotoloom::TJpegGraphic jpeg;
    {
      fotoloom::fuzzing::PeakHeapCheck check;
      jpeg.LoadFromMemory(data, size, check.Reserve());
    }
    // The same rows when they are taken as they are decoded.
    fotoloom::fuzzing::CheckRowsMatch(jpeg, [&](fotoloom::TRowSink* rows) {
      fotoloom::TJpegGraphic again;
      again.LoadFromMemory(data, size, {}, rows);
    });
    fotoloom::ApplyExifOrientation(jpeg, jpeg.Orientation());
    if (jpeg.ImageSize() <= 64 * 1024) {
      jpeg.SetProgressive(size % 2 == 0);
      std::ostringstream out;
      jpeg.SaveToStream(out);
    }
  } catch (const fotoloom::Error&) {
  }
  return 0;
}
