// TIFF files through libtiff's RGBA reader, then turned upright by the orientation they state.
#include <cstddef>
#include <cstdint>
#include <new>

#include "fuzz_support.h"
#include "imaging/exif_orientation.h"
#include "imaging/tiff_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fotoloom::TTiffGraphic tiff;
  if (!fotoloom::fuzzing::ReadWithLibrary(tiff, data, size)) return 0;
  try {
    fotoloom::ApplyExifOrientation(tiff, tiff.Orientation());
  } catch (const fotoloom::Error&) {
  } catch (const std::bad_alloc&) {
  }
  return 0;
}
