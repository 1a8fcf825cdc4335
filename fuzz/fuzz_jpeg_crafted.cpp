// JPEG files with a rewritten frame header (crafted_files.h): the first input bytes declare the
// image size and sampling and add up to a gigabyte of APP1 segments in front of the rest of the
// input, a JPEG file. The file is read from disk, as the catalog reads it, and the reader must
// refuse it or decode it within the image bound and what it reserved, counting libjpeg's own
// whole-image buffers, and refuse scans that would cost more than the file's blocks allow.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "crafted_files.h"
#include "fuzz_support.h"
#include "imaging/jpeg_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fotoloom::fuzzing::ScratchFile("crafted.jpg");
  if (!fotoloom::crafted::WriteJpeg(path, fotoloom::crafted::JpegFromFuzzInput(data, size))) {
    std::perror(path.c_str());
    __builtin_trap();
  }
  {
    fotoloom::fuzzing::PeakHeapCheck check;
    try {
      fotoloom::TJpegGraphic jpeg;
      jpeg.LoadFromFile(path, check.Reserve());
    } catch (const fotoloom::Error&) {
    }
  }
  ::unlink(path.c_str());
  return 0;
}
