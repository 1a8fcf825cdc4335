// WebP files, still and animated, through libwebp.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "imaging/webp_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fotoloom::TWebPGraphic webp;
  fotoloom::fuzzing::ReadWithLibrary(webp, data, size);
  return 0;
}
