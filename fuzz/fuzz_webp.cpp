// WebP files, still and animated, through libwebp.
#include <cstddef>
#include <cstdint>
#include <new>

#include "fuzz_support.h"
#include "imaging/webp_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    fotoloom::TWebPGraphic webp;
    if (size > 0) webp.BackgroundColor = fotoloom::MakeColor(data[size - 1], 0, 255);
    fotoloom::fuzzing::PeakHeapCheck check;
    webp.LoadFromMemory(data, size, check.Reserve());
  } catch (const fotoloom::Error&) {
  } catch (const std::bad_alloc&) {
  }
  return 0;
}
