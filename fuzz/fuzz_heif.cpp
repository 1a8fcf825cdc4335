// HEIF and AVIF files through libheif and its decoders.
#include <cstddef>
#include <cstdint>
#include <new>

#include "fuzz_support.h"
#include "imaging/heif_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    fotoloom::THeifGraphic heif;
    if (size > 0) heif.BackgroundColor = fotoloom::MakeColor(data[size - 1], 0, 255);
    fotoloom::fuzzing::PeakHeapCheck check;
    heif.LoadFromMemory(data, size, check.Reserve());
  } catch (const fotoloom::Error&) {
  } catch (const std::bad_alloc&) {
  }
  return 0;
}
