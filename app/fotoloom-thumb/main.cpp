// fotoloom-thumb SOURCE TARGET [BOXW BOXH]
// Writes the JPEG thumbnail of SOURCE to TARGET, fitted into a BOXW x BOXH box (100 x 100
// when left out), and prints its size as WIDTHxHEIGHT.
// Exit status: 0 thumbnail written, 1 no thumbnail, 2 wrong arguments (a TARGET that is
// SOURCE itself among them, and a box whose thumbnail would take more memory than an image
// may, refused from SOURCE's headers before anything is decoded).
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "imaging/image_formats.h"
#include "imaging/thumbnails.h"

namespace {

constexpr int kUsage = 2;

void PrintUsage() {
  std::string extensions;
  for (const std::string& extension : fotoloom::ImageExtensions())
    extensions += (extensions.empty() ? "" : ", ") + extension;
  std::fprintf(stderr,
               "usage: fotoloom-thumb SOURCE TARGET [BOXW BOXH]\n"
               "  Writes a JPEG thumbnail of SOURCE (%s) to TARGET, fitted\n"
               "  into a BOXW x BOXH box (default 100 x 100), and prints its size.\n",
               extensions.c_str());
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

// True when target names the source file itself: the same device and inode, which every other
// name of it shares (a hard link, a symbolic link, another spelling of the path). Writing the
// thumbnail there would replace the photo. A target that does not exist is not the source.
bool SameFile(const std::string& source, const std::string& target) {
  struct stat s;
  struct stat t;
  return ::stat(source.c_str(), &s) == 0 && ::stat(target.c_str(), &t) == 0 &&
         s.st_dev == t.st_dev && s.st_ino == t.st_ino;
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
  if (SameFile(source, target)) {
    std::fprintf(stderr, "fotoloom-thumb: %s is the source file itself\n", target.c_str());
    return kUsage;
  }
  try {
    if (const auto header = fotoloom::ReadPictureHeader(source)) {
      const std::uint64_t bytes = fotoloom::OutputsMemory(*header, {{box_width, box_height}});
      const auto size = fotoloom::PlannedPictureSize(*header, {box_width, box_height});
      if (size && bytes > fotoloom::kMaxImageBytes) {
        std::fprintf(stderr,
                     "fotoloom-thumb: a %dx%d thumbnail of %s needs %llu MiB, more than the "
                     "%llu MiB an image may take\n",
                     size->width, size->height, source.c_str(),
                     static_cast<unsigned long long>((bytes + (1 << 20) - 1) >> 20),
                     static_cast<unsigned long long>(fotoloom::kMaxImageBytes >> 20));
        return kUsage;
      }
    }
    // A target that cannot be written (or a source that cannot be read) raises.
    fotoloom::PictureSize written;
    if (!fotoloom::CreateThumbnail(source, target, box_width, box_height, &written)) {
      std::fprintf(stderr, "fotoloom-thumb: no thumbnail made from %s\n", source.c_str());
      return 1;
    }
    std::printf("%dx%d\n", written.width, written.height);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fotoloom-thumb: %s\n", e.what());
    return 1;
  }
  return 0;
}
