// Times the generation run.
//
//   bench_catalog [--small N] [--empty N] [--camera N] [--keep] [--dir FOLDER]
//
// small:  N photos of 64 x 48 (default 2000), image pages on; the run, the part of it spent
//         inside CreateThumbnail, and what is left per item.
// empty:  N empty .jpg files (default 100000), image pages off and on; no thumbnail can be made and
//         the alternative picture is missing, so nearly all of the time is the catalog's own:
//         listing, naming, page writing (with pages on, mostly the kernel creating one file
//         per item). Run at N/4 and N: a per-item ratio near 1 shows the cost stays linear.
// camera: N photos of 4000 x 3000 (default 20) made here; the whole run against a plain
//         full-size libjpeg decode of the same files, and the share that is not thumbnails.
//
// Everything runs on one thread. Figures are processor time of this process (user, and the
// system time the kernel spends on its files), each the best of three runs.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

#include "generation/album.h"
#include "generation/album_settings.h"
#include "generation/client_ui.h"
#include "imaging/buffer_reuse.h"
#include "scene_images.h"
#include "imaging/thumbnails.h"

namespace fs = std::filesystem;
using fotoloom::Album;

namespace {

std::string Numbered(const char* prefix, long number, const char* suffix) {
  char name[64];
  std::snprintf(name, sizeof name, "%s%ld%s", prefix, number, suffix);
  return name;
}

// Processor time of this process, so that other programs sharing the machine do not count;
// the work is single-threaded, so this is one core's time. User time is the program's own
// work; system time is mostly the kernel creating, writing and deleting files.
struct Cpu {
  double user = 0;
  double sys = 0;
  double total() const { return user + sys; }
};

Cpu CpuNow() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto secs = [](const timeval& tv) {
    return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) * 1e-6;
  };
  return {secs(usage.ru_utime), secs(usage.ru_stime)};
}

Cpu Seconds(const std::function<void()>& work) {
  const Cpu start = CpuNow();
  work();
  const Cpu end = CpuNow();
  return {end.user - start.user, end.sys - start.sys};
}

Cpu Best(int runs, const std::function<void()>& prepare, const std::function<void()>& work) {
  Cpu best{1e300, 0};
  for (int r = 0; r < runs; ++r) {
    prepare();
    const Cpu c = Seconds(work);
    if (c.total() < best.total()) best = c;
  }
  return best;
}

// Time spent inside CreateThumbnail. The executable is linked with --wrap for that symbol, so
// every call the run makes passes through here and the thumbnail time of a run is exact.
#define FOTOLOOM_THUMB_SYMBOL _ZN8fotoloom15CreateThumbnailERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEES7_ii
#define FOTOLOOM_CAT(a, b) FOTOLOOM_CAT2(a, b)
#define FOTOLOOM_CAT2(a, b) a##b
Cpu g_thumbnail_time;

extern "C" bool FOTOLOOM_CAT(__real_, FOTOLOOM_THUMB_SYMBOL)(const std::string&,
                                                              const std::string&, std::int32_t,
                                                              std::int32_t);
extern "C" bool FOTOLOOM_CAT(__wrap_, FOTOLOOM_THUMB_SYMBOL)(const std::string& source,
                                                              const std::string& target,
                                                              std::int32_t box_width,
                                                              std::int32_t box_height) {
  const Cpu start = CpuNow();
  const bool ok =
      FOTOLOOM_CAT(__real_, FOTOLOOM_THUMB_SYMBOL)(source, target, box_width, box_height);
  const Cpu end = CpuNow();
  g_thumbnail_time.user += end.user - start.user;
  g_thumbnail_time.sys += end.sys - start.sys;
  return ok;
}

// One run, and the part of it spent making thumbnails.
struct RunTimes {
  Cpu run;
  Cpu thumbnails;
};

RunTimes BestRun(const fs::path& album, bool image_pages);

// The plain full-size decode: every scanline to RGB, nothing else.
void DecodeFully(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) throw std::runtime_error("cannot open " + path);
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, file);
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(cinfo.output_width) * 3);
  JSAMPROW rows[1] = {row.data()};
  while (cinfo.output_scanline < cinfo.output_height) jpeg_read_scanlines(&cinfo, rows, 1);
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  std::fclose(file);
}

void ConfigureRun(const fs::path& album, bool image_pages) {
  fotoloom::ResetAlbumSettings();
  fotoloom::ResetClientUI();
  Album().AlbumDirectory = album.string();
  Album().ThumbDirectory = "fldata";
  Album().EraseExistingFiles = false;
  Album().EmptyThumbnail = "";
  Album().GenerateHTMLImages = image_pages;
  Album().ThumbsPerRow = 6;
  Album().ThumbRowsPerFile = 10;
  Album().SortOrder = 1;
}

void RunCatalog(const fs::path& album) {
  fotoloom::generate();
  if (!fotoloom::GetMessages().empty())
    throw std::runtime_error("run reported: " + fotoloom::GetMessages());
  if (::chdir("/") != 0) throw std::runtime_error("cannot leave the album");
  (void)album;
}

// Everything the runs wrote: the data folder and the index pages.
void RemoveOutput(const fs::path& album) {
  fs::remove_all(album / "fldata");
  for (const auto& entry : fs::directory_iterator(album))
    if (entry.path().extension() == ".html") fs::remove(entry.path());
}

std::vector<std::string> Files(const fs::path& album) {
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(album))
    if (entry.is_regular_file() && entry.path().extension() == ".jpg")
      files.push_back(entry.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

RunTimes BestRun(const fs::path& album, bool image_pages) {
  RunTimes best{{1e300, 0}, {}};
  for (int r = 0; r < 3; ++r) {
    RemoveOutput(album);
    ConfigureRun(album, image_pages);
    g_thumbnail_time = {};
    const Cpu run = Seconds([&] { RunCatalog(album); });
    if (run.total() < best.run.total()) best = {run, g_thumbnail_time};
  }
  return best;
}

void BenchSmall(const fs::path& root, int n) {
  const fs::path album = root / "small";
  fs::create_directories(album);
  for (int i = 0; i < n; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "img%05d.jpg", i);
    bench::WriteSceneJpeg((album / name).string(), 64, 48, 90, static_cast<unsigned>(i));
  }
  const RunTimes times = BestRun(album, true);
  const Cpu run = times.run, thumbs = times.thumbnails;
  auto line = [n](const char* what, double user, double sys) {
    std::printf("  %-20s user %7.3f s (%7.1f us/item)  system %7.3f s (%7.1f us/item)\n", what,
                user, user / n * 1e6, sys, sys / n * 1e6);
  };
  std::printf("small photos: %d of 64 x 48, image pages on\n", n);
  line("whole run", run.user, run.sys);
  line("in CreateThumbnail", thumbs.user, thumbs.sys);
  line("outside thumbnails", run.user - thumbs.user, run.sys - thumbs.sys);
  fs::remove_all(album);
}

// The time of a run of n empty items outside CreateThumbnail.
Cpu EmptyRun(const fs::path& root, int n, bool image_pages) {
  const fs::path album = root / Numbered("empty", n, "");
  fs::create_directories(album);
  for (int i = 0; i < n; ++i) {
    std::FILE* f = std::fopen((album / Numbered("e", 1000000 + i, ".jpg")).c_str(), "wb");
    if (f == nullptr) throw std::runtime_error("cannot create empty files");
    std::fclose(f);
  }
  const RunTimes times = BestRun(album, image_pages);
  fs::remove_all(album);
  return {times.run.user - times.thumbnails.user, times.run.sys - times.thumbnails.sys};
}

void BenchEmpty(const fs::path& root, int n) {
  const int quarter = std::max(1, n / 4);
  std::printf("empty items (no thumbnail can be made, no alternative picture), "
              "time outside CreateThumbnail\n");
  for (bool pages : {false, true}) {
    const Cpu small = EmptyRun(root, quarter, pages);
    const Cpu large = EmptyRun(root, n, pages);
    std::printf("  image pages %-3s %7d items: user %6.1f us/item, system %6.1f us/item\n",
                pages ? "on" : "off", quarter, small.user / quarter * 1e6,
                small.sys / quarter * 1e6);
    std::printf("  image pages %-3s %7d items: user %6.1f us/item, system %6.1f us/item; "
                "per-item ratio %.2f (user %.2f)\n",
                pages ? "on" : "off", n, large.user / n * 1e6, large.sys / n * 1e6,
                (large.total() / n) / (small.total() / quarter),
                (large.user / n) / (small.user / quarter));
  }
}

void BenchCamera(const fs::path& root, int n) {
  const fs::path album = root / "camera";
  fs::create_directories(album);
  for (int i = 0; i < n; ++i)
    bench::WriteSceneJpeg((album / Numbered("DSC", 1000 + i, ".jpg")).string(), 4000, 3000, 90,
                          static_cast<unsigned>(i));
  const std::vector<std::string> files = Files(album);
  const Cpu decode = Best(3, [] {}, [&] {
    for (const std::string& f : files) DecodeFully(f);
  });
  const RunTimes times = BestRun(album, true);
  const Cpu run = times.run, thumbs = times.thumbnails;
  std::printf("camera photos: %d of 4000 x 3000, image pages on (user + system time)\n", n);
  std::printf("  full-size decode      %8.3f s  (%7.1f ms per photo)\n", decode.total(),
              decode.total() / n * 1e3);
  std::printf("  in CreateThumbnail    %8.3f s  (%7.1f ms per photo)\n", thumbs.total(),
              thumbs.total() / n * 1e3);
  std::printf("  whole run             %8.3f s  (%7.1f ms per photo)\n", run.total(),
              run.total() / n * 1e3);
  std::printf("  run / decode          %8.2f  (goal: at most 1.50)\n",
              run.total() / decode.total());
  std::printf("  outside thumbnails    %8.2f %% of the run (goal: under 5 %%)\n",
              100.0 * (run.total() - thumbs.total()) / run.total());
  fs::remove_all(album);
}

}  // namespace

int main(int argc, char** argv) {
  // As fotoloom and fotoloom-cli do at start-up: keep freed photo memory for the next one.
  fotoloom::RetainFreedImageMemory();
  int small = 2000, empty = 100000, camera = 20;
  bool keep = false;
  std::string dir;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "%s needs a value\n", arg.c_str());
        std::exit(2);
      }
      return argv[++i];
    };
    if (arg == "--small") small = std::atoi(value().c_str());
    else if (arg == "--empty") empty = std::atoi(value().c_str());
    else if (arg == "--camera") camera = std::atoi(value().c_str());
    else if (arg == "--dir") dir = value();
    else if (arg == "--keep") keep = true;
    else {
      std::fprintf(stderr,
                   "usage: bench_catalog [--small N] [--empty N] [--camera N] [--keep] "
                   "[--dir FOLDER]\n");
      return 2;
    }
  }
  fs::path root;
  if (dir.empty()) {
    char pattern[] = "/tmp/fotoloom-bench-catalog-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
      std::perror("mkdtemp");
      return 1;
    }
    root = pattern;
  } else {
    root = dir;
    fs::create_directories(root);
  }
  try {
    if (small > 0) BenchSmall(root, small);
    if (empty > 0) BenchEmpty(root, empty);
    if (camera > 0) BenchCamera(root, camera);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_catalog: %s\n", e.what());
    if (!keep) fs::remove_all(root);
    return 1;
  }
  if (!keep) fs::remove_all(root);
  return 0;
}
