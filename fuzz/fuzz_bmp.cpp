// Windows bitmap files: any input either decodes or raises one of the project's errors.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "imaging/bmp_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    fotoloom::TDibGraphic image;
    {
      fotoloom::fuzzing::PeakHeapCheck check;
      image.Assign(fotoloom::ReadBitmap(data, size, check.Reserve()));
    }
    if (!image.Empty()) {
      // Every pixel must be addressable with the colours the image claims.
      volatile fotoloom::TColor sink = 0;
      for (int y = 0; y < image.Height(); y += 7) {
        for (int x = 0; x < image.Width(); x += 7) sink = sink ^ image.GetColor(x, y);
      }
    }
  } catch (const fotoloom::Error&) {
  }
  return 0;
}
