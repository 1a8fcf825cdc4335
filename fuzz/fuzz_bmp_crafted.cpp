// Bitmap files built from a compact description (crafted_files.h): a few input bytes declare
// any size, repeat run-length codes millions of times or add gigabytes of tail, so the fuzzer
// reaches the files that only a large size or a large file makes hostile. The file is read
// from disk, as the catalog reads it, and the reader must refuse it or decode it within the
// image bound and what it reserved.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "crafted_files.h"
#include "fuzz_support.h"
#include "imaging/bmp_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fotoloom::fuzzing::ScratchFile("crafted.bmp");
  if (!fotoloom::crafted::WriteBmp(path, fotoloom::crafted::BmpFromFuzzInput(data, size))) {
    std::perror(path.c_str());
    __builtin_trap();
  }
  {
    fotoloom::fuzzing::PeakHeapCheck check;
    try {
      fotoloom::TDibGraphic image;
      fotoloom::LoadBitmapFile(path, image, check.Reserve());
    } catch (const fotoloom::Error&) {
    }
  }
  ::unlink(path.c_str());
  return 0;
}
