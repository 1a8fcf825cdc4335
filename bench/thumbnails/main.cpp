// bench_thumbnails [WORK_DIR]
// Makes 10 JPEG photos of 4000 x 3000 (quality 90) and 5 PNGs of 1920 x 1080 from a
// synthetic scene, plus 3 JPEGs whose EXIF tag says they are stored sideways, then
// measures per image, on one core:
//   decode     plain full-size libjpeg (or libpng) decode into one reused buffer: the floor
//   thumbnail  CreateThumbnail into a 100 x 100 box
// and prints the medians, their ratio and the peak resident memory of each phase (each
// phase runs in its own process, so the peaks do not mix). The images are made in WORK_DIR
// (default: a fresh directory under $TMPDIR or /tmp) and removed afterwards.
#include <cstdio>  // jpeglib.h needs FILE and size_t first

#include <jpeglib.h>
#include <png.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "imaging/buffer_reuse.h"
#include "imaging/thumbnails.h"
#include "scene_images.h"

namespace {

namespace fs = std::filesystem;

constexpr int kJpegWidth = 4000, kJpegHeight = 3000, kJpegCount = 10, kJpegQuality = 90;
constexpr int kPngWidth = 1920, kPngHeight = 1080, kPngCount = 5;
constexpr int kSidewaysCount = 3;  // further photos tagged "rotate 90 clockwise" (portrait)
constexpr int kRounds = 2;  // every image is measured this many times per phase

struct JpegErrorJump {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
};

// The floor: libjpeg's full-size decode to RGB, straight into a buffer kept across images.
void DecodeJpeg(const std::string& path, std::vector<std::uint8_t>& pixels) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) throw std::runtime_error("cannot open " + path);
  jpeg_decompress_struct cinfo;
  JpegErrorJump err;
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<JpegErrorJump*>(c->err)->jump, 1); };
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    std::fclose(f);
    throw std::runtime_error("cannot decode " + path);
  }
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, f);
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  const std::size_t stride = static_cast<std::size_t>(cinfo.output_width) * 3;
  pixels.resize(stride * cinfo.output_height);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = pixels.data() + stride * cinfo.output_scanline;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  std::fclose(f);
}

void DecodePng(const std::string& path, std::vector<std::uint8_t>& pixels) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) throw std::runtime_error("cannot open " + path);
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    throw std::runtime_error("cannot decode " + path);
  }
  png_init_io(png, f);
  png_read_info(png, info);
  png_set_strip_16(png);
  png_set_bgr(png);
  png_read_update_info(png, info);
  const std::size_t stride = png_get_rowbytes(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  pixels.resize(stride * height);
  for (png_uint_32 y = 0; y < height; ++y) png_read_row(png, pixels.data() + stride * y, nullptr);
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(f);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct PhaseResult {
  double median_ms = 0;
  long peak_kib = 0;
  bool ok = false;
};

// Runs one phase in a child process: times work(path) for every path, kRounds times, and
// sends back the median and the child's own peak resident memory.
PhaseResult RunPhase(const std::vector<std::string>& paths,
                     const std::function<void()>& setup,
                     const std::function<bool(const std::string&)>& work) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  const pid_t child = fork();
  if (child < 0) return {};
  if (child == 0) {
    close(fds[0]);
    PhaseResult r;
    try {
      setup();
      std::vector<double> times;
      r.ok = true;
      for (int round = 0; round < kRounds; ++round) {
        for (const std::string& path : paths) {
          const auto start = std::chrono::steady_clock::now();
          r.ok = work(path) && r.ok;
          const auto end = std::chrono::steady_clock::now();
          times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        }
      }
      r.median_ms = Median(times);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "bench_thumbnails: %s\n", e.what());
      r.ok = false;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    r.peak_kib = usage.ru_maxrss;
    const bool sent = write(fds[1], &r, sizeof r) == static_cast<ssize_t>(sizeof r);
    _exit(sent ? 0 : 1);
  }
  close(fds[1]);
  PhaseResult r;
  const bool received = read(fds[0], &r, sizeof r) == static_cast<ssize_t>(sizeof r);
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!received) r.ok = false;
  return r;
}

void PinToOneCore() {
  cpu_set_t set;
  CPU_ZERO(&set);
  const int cpu = sched_getcpu();
  CPU_SET(cpu < 0 ? 0 : cpu, &set);
  sched_setaffinity(0, sizeof set, &set);
}

double Mib(double bytes) { return bytes / (1024.0 * 1024.0); }

void Report(const char* kind, int width, int height, const PhaseResult& decode,
            const PhaseResult& thumb) {
  const double decoded_bytes = static_cast<double>(width) * height * 3;
  std::printf("%s %d x %d (decoded %.1f MiB)\n", kind, width, height, Mib(decoded_bytes));
  std::printf("  median decode     %8.1f ms   peak memory %7.1f MiB\n", decode.median_ms,
              decode.peak_kib / 1024.0);
  std::printf("  median thumbnail  %8.1f ms   peak memory %7.1f MiB (%.2f x decoded size)\n",
              thumb.median_ms, thumb.peak_kib / 1024.0,
              thumb.peak_kib * 1024.0 / decoded_bytes);
  std::printf("  ratio thumbnail / decode  %.2f\n", thumb.median_ms / decode.median_ms);
  if (!decode.ok || !thumb.ok) std::printf("  (some images failed)\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2) {
    std::fprintf(stderr, "usage: bench_thumbnails [WORK_DIR]\n");
    return 2;
  }
  fs::path dir;
  bool remove_dir = false;
  if (argc == 2) {
    dir = argv[1];
    fs::create_directories(dir);
  } else {
    std::string pattern = (fs::temp_directory_path() / "fotoloom-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      std::perror("mkdtemp");
      return 1;
    }
    dir = pattern;
    remove_dir = true;
  }
  PinToOneCore();

  std::vector<std::string> jpegs, pngs, sideways;
  try {
    std::printf("making %d JPEGs of %d x %d and %d PNGs of %d x %d in %s\n", kJpegCount, kJpegWidth,
                kJpegHeight, kPngCount, kPngWidth, kPngHeight, dir.c_str());
    std::fflush(stdout);
    for (int n = 0; n < kJpegCount; ++n) {
      jpegs.push_back((dir / ("photo" + std::to_string(n) + ".jpg")).string());
      if (!fs::exists(jpegs.back())) bench::WriteSceneJpeg(jpegs.back(), kJpegWidth, kJpegHeight, kJpegQuality, n);
    }
    for (int n = 0; n < kSidewaysCount; ++n) {
      sideways.push_back((dir / ("portrait" + std::to_string(n) + ".jpg")).string());
      if (!fs::exists(sideways.back())) {
        bench::WriteSceneJpeg(sideways.back(), kJpegWidth, kJpegHeight, kJpegQuality, 50 + n, 6);
      }
    }
    for (int n = 0; n < kPngCount; ++n) {
      pngs.push_back((dir / ("screen" + std::to_string(n) + ".png")).string());
      if (!fs::exists(pngs.back())) bench::WriteScenePng(pngs.back(), kPngWidth, kPngHeight, 100 + n);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_thumbnails: %s\n", e.what());
    return 1;
  }

  const fs::path target = dir / "thumb.jpg";
  std::vector<std::uint8_t> pixels;
  auto no_setup = [] {};
  auto thumbnail = [&](const std::string& path) {
    return fotoloom::CreateThumbnail(path, target.string(), 100, 100);
  };
  auto retain = [] { fotoloom::RetainFreedImageMemory(); };

  const PhaseResult jpeg_decode = RunPhase(jpegs, no_setup, [&](const std::string& path) {
    DecodeJpeg(path, pixels);
    return true;
  });
  const PhaseResult jpeg_thumb = RunPhase(jpegs, retain, thumbnail);
  const PhaseResult sideways_thumb = RunPhase(sideways, retain, thumbnail);
  const PhaseResult png_decode = RunPhase(pngs, no_setup, [&](const std::string& path) {
    DecodePng(path, pixels);
    return true;
  });
  const PhaseResult png_thumb = RunPhase(pngs, retain, thumbnail);

  Report("JPEG", kJpegWidth, kJpegHeight, jpeg_decode, jpeg_thumb);
  std::printf("JPEG %d x %d stored sideways (EXIF orientation 6)\n", kJpegWidth, kJpegHeight);
  std::printf("  median thumbnail  %8.1f ms   peak memory %7.1f MiB (%.2f x decoded size)\n",
              sideways_thumb.median_ms, sideways_thumb.peak_kib / 1024.0,
              sideways_thumb.peak_kib * 1024.0 / (3.0 * kJpegWidth * kJpegHeight));
  Report("PNG", kPngWidth, kPngHeight, png_decode, png_thumb);

  if (remove_dir) fs::remove_all(dir);
  return jpeg_decode.ok && jpeg_thumb.ok && sideways_thumb.ok && png_decode.ok && png_thumb.ok ? 0 : 1;
}
