// fotoloom-thumb SOURCE TARGET [BOXW BOXH]
// Writes the JPEG thumbnail of SOURCE to TARGET, fitted into a BOXW x BOXH box (100 x 100
// when left out), and prints its size as WIDTHxHEIGHT.
// Exit status: 0 thumbnail written, 1 no thumbnail, 2 wrong arguments.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "imaging/jpeg_graphic.h"
#include "imaging/thumbnails.h"

namespace {

constexpr int kUsage = 2;

void PrintUsage() {
  std::fputs("usage: fotoloom-thumb SOURCE TARGET [BOXW BOXH]\n"
             "  Writes a JPEG thumbnail of SOURCE (.bmp, .jpg, .jpeg, .png) to TARGET, fitted\n"
             "  into a BOXW x BOXH box (default 100 x 100), and prints its size.\n",
             stderr);
}

// A box side: a decimal number from 1 to 65535, nothing else.
bool ParseSide(const char* text, std::int32_t& side) {
  if (text[0] < '0' || text[0] > '9') return false;
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || *end != '\0' || value < 1 || value > 65535) return false;
  side = static_cast<std::int32_t>(value);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 5) {
    PrintUsage();
    return kUsage;
  }
  std::int32_t box_width = 100;
  std::int32_t box_height = 100;
  if (argc == 5 && (!ParseSide(argv[3], box_width) || !ParseSide(argv[4], box_height))) {
    std::fprintf(stderr, "fotoloom-thumb: box sides must be whole numbers from 1 to 65535\n");
    PrintUsage();
    return kUsage;
  }
  const std::string source = argv[1];
  const std::string target = argv[2];
  if (!fotoloom::CreateThumbnail(source, target, box_width, box_height)) {
    std::fprintf(stderr, "fotoloom-thumb: no thumbnail made from %s\n", source.c_str());
    return 1;
  }
  try {
    fotoloom::TJpegGraphic written;
    written.LoadFromFile(target);
    std::printf("%dx%d\n", written.Width(), written.Height());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fotoloom-thumb: %s\n", e.what());
    return 1;
  }
  return 0;
}
