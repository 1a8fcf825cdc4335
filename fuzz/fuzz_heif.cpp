// HEIF and AVIF files through libheif and its decoders.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "imaging/heif_graphic.h"

// Debian 12's libdav1d, the AV1 decoder libheif calls, keeps frame buffers it never frees when
// an AV1 stream ends inside a frame; the leak is the library's own, outside our code, and would
// stop every run on such an input. Only that library's leaks are left unreported, only here.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdav1d.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fotoloom::THeifGraphic heif;
  fotoloom::fuzzing::ReadWithLibrary(heif, data, size);
  return 0;
}
