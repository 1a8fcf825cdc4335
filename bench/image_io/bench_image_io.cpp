// Prints how long the image readers take on a 12-megapixel picture (4000 x 3000), how
// long turning it upright takes, and the peak memory of the process after each step.
// Usage: bench_image_io [repetitions]
#include <png.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "imaging/bmp_reader.h"
#include "imaging/exif_orientation.h"
#include "imaging/jpeg_graphic.h"
#include "imaging/png_graphic.h"

using namespace fotoloom;

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

double PeakMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

// Median processor milliseconds of `runs` calls: on a shared machine the wall clock also
// counts the time other processes held the core.
double Time(int runs, const std::function<void()>& f) {
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    timespec t0{}, t1{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t0);
    f();
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t1);
    ms.push_back((t1.tv_sec - t0.tv_sec) * 1e3 + (t1.tv_nsec - t0.tv_nsec) / 1e6);
  }
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

// Smooth gradients with a little noise, so the coders see something photo-like.
void FillPhoto(TDibGraphic& image) {
  unsigned seed = 12345;
  for (int y = 0; y < image.Height(); ++y) {
    std::uint8_t* p = image.Row(y);
    for (int x = 0; x < image.Width(); ++x, p += 3) {
      seed = seed * 1103515245u + 12345u;
      const int noise = static_cast<int>((seed >> 16) & 15) - 8;
      p[0] = static_cast<std::uint8_t>(std::clamp(x * 255 / kWidth + noise, 0, 255));
      p[1] = static_cast<std::uint8_t>(std::clamp(y * 255 / kHeight + noise, 0, 255));
      p[2] =
          static_cast<std::uint8_t>(std::clamp((x + y) * 255 / (kWidth + kHeight) - noise, 0, 255));
    }
  }
}

std::vector<std::uint8_t> EncodePng(const TDibGraphic& image) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.Width());
  png.height = static_cast<png_uint_32>(image.Height());
  png.format = PNG_FORMAT_BGR;
  png_alloc_size_t size = 0;
  // A negative stride tells libpng the rows are stored bottom-up from the buffer's start.
  const std::uint8_t* top = image.Bits();
  const png_int_32 stride = -image.RowBytes();
  png_image_write_to_memory(&png, nullptr, &size, 0, top, stride, nullptr);
  std::vector<std::uint8_t> out(size);
  png_image_write_to_memory(&png, out.data(), &size, 0, top, stride, nullptr);
  out.resize(size);
  return out;
}

std::vector<std::uint8_t> EncodeBmp(const TDibGraphic& image) {
  std::vector<std::uint8_t> out(54, 0);
  auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(&out[at], &v, 4); };
  out[0] = 'B';
  out[1] = 'M';
  put32(2, static_cast<std::uint32_t>(54 + image.ImageSize()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(image.Width()));
  put32(22, static_cast<std::uint32_t>(image.Height()));
  out[26] = 1;
  out[28] = 24;
  out.insert(out.end(), image.Bits(), image.Bits() + image.ImageSize());
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  std::printf("picture %d x %d, %d runs each (median processor time)\n", kWidth, kHeight, runs);
  std::vector<std::uint8_t> jpegBytes, progressiveBytes, pngBytes, bmpBytes;
  {
    TJpegGraphic photo;
    photo.NewImage(kWidth, kHeight, ifColor16M, nullptr, 300, 300);
    FillPhoto(photo);
    photo.SetQuality(90);
    std::ostringstream out;
    const double ms = Time(1, [&] {
      out.str("");
      photo.SaveToStream(out);
    });
    const std::string s = out.str();
    jpegBytes.assign(s.begin(), s.end());
    std::printf("JPEG encode, quality 90 baseline     %8.1f ms  (%zu bytes)\n", ms,
                jpegBytes.size());
    photo.SetProgressive(true);
    std::ostringstream prog;
    photo.SaveToStream(prog);
    const std::string p = prog.str();
    progressiveBytes.assign(p.begin(), p.end());
    pngBytes = EncodePng(photo);
    bmpBytes = EncodeBmp(photo);
  }
  std::printf("peak memory after making the inputs  %8.1f MiB\n", PeakMiB());

  TJpegGraphic jpeg;
  double ms = Time(runs, [&] { jpeg.LoadFromMemory(jpegBytes.data(), jpegBytes.size()); });
  std::printf("JPEG decode, baseline 4:2:0          %8.1f ms   peak %7.1f MiB\n", ms, PeakMiB());
  ms = Time(runs, [&] { jpeg.LoadFromMemory(progressiveBytes.data(), progressiveBytes.size()); });
  std::printf("JPEG decode, progressive             %8.1f ms   peak %7.1f MiB\n", ms, PeakMiB());
  for (int orientation : {3, 6}) {
    ms = Time(runs, [&] { ApplyExifOrientation(jpeg, orientation); });
    std::printf("EXIF orientation %d (true colour)     %8.1f ms   peak %7.1f MiB\n", orientation,
                ms, PeakMiB());
  }
  jpeg.Clear();

  TPngGraphic png;
  ms = Time(runs, [&] { png.LoadFromMemory(pngBytes.data(), pngBytes.size()); });
  std::printf("PNG decode, 8-bit RGB with gamma     %8.1f ms   peak %7.1f MiB\n", ms, PeakMiB());
  png.Clear();

  TDibGraphic bmp;
  ms = Time(runs, [&] { bmp.Assign(ReadBitmap(bmpBytes.data(), bmpBytes.size())); });
  std::printf("BMP decode, 24-bit                   %8.1f ms   peak %7.1f MiB\n", ms, PeakMiB());
  return 0;
}
