// Times the generation run.
//
//   bench_catalog [--small N] [--empty N] [--camera N] [--cache N] [--formats N] [--keep]
//                 [--dir FOLDER]
//
// small:  N photos of 64 x 48 (default 2000), image pages on, one thread; the run, the part
//         of it spent making thumbnails (MakeThumbnailResult), and what is left per item.
// empty:  N empty .jpg files (default 100000), image pages off and on, one thread; no thumbnail
//         can be made and the alternative picture is missing, so nearly all of the time is the
//         catalog's own: listing, naming, page writing (with pages on, mostly the kernel
//         creating one file per item). Run at N/4 and N: a per-item ratio near 1 shows the cost
//         stays linear.
// camera: N photos of 4000 x 3000 (default 20) made here; the run with 1 thumbnail worker, with
//         the default number (one per usable CPU), and with 2 and 4, each against a plain
//         one-core libjpeg decode of the same files: wall-clock time, processor time, peak
//         resident memory against the decoded photo, and minor page faults per photo (memory
//         the allocator hands out fresh instead of reusing). Each worker count runs in a
//         process of its own (this program, started again), so the peaks do not mix. Then
//         1 worker with previews (1600 x 1200) and twice-as-large thumbnails on, and the bytes
//         an image page loads (the page and the picture it shows) with previews and without.
//
// cache:  N photos of 4000 x 3000 (default 20), image pages on, the default number of workers,
//         with the thumbnail cache: the first run (empty cache), a second run with nothing
//         changed, and one after 10 % of the photos were touched, each the best of three in
//         wall-clock time; what a key from the photo's status costs against one from a hash of
//         its content; the cache's disk use per thumbnail; and the time a trim takes over
//         10 000 entries, with nothing to delete and with a tenth to delete.
//
// formats: N photos of 4000 x 3000 (default 0: not run) encoded as HEIC, AVIF and WebP (quality
//         90) by heif-enc and cwebp; per photo, the library's own decode to RGB (libheif,
//         libwebp), and a catalog of each format (ExtendedFormats on, image pages on: a HEIC
//         also gets its preview) with 1 thumbnail worker and with the default number; wall
//         and processor time of the whole process, each the best of three.
//
// small and empty give processor time of this process (user, and the system time the kernel
// spends on its files), each the best of three runs; camera gives the best of three.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

extern "C" {
#include <jpeglib.h>
#include <zlib.h>
}
#include <libheif/heif.h>
#include <webp/decode.h>

#include "generation/album.h"
#include "generation/album_settings.h"
#include "generation/cache_entry.h"
#include "generation/client_ui.h"
#include "generation/thumbnail_cache.h"
#include "generation/thumbnail_job.h"
#include "generation/usable_cpus.h"
#include "imaging/buffer_reuse.h"
#include "imaging/decoded_pixels.h"
#include "platform/file_io.h"
#include "scene_images.h"

namespace fs = std::filesystem;
using fotoloom::Album;

namespace {

std::string Numbered(const char* prefix, long number, const char* suffix) {
  char name[64];
  std::snprintf(name, sizeof name, "%s%ld%s", prefix, number, suffix);
  return name;
}

// Processor time, so that other programs sharing the machine do not count. User time is the
// program's own work; system time is mostly the kernel creating, writing and deleting files.
struct Cpu {
  double user = 0;
  double sys = 0;
  double total() const { return user + sys; }
};

Cpu CpuOf(int who) {
  rusage usage{};
  getrusage(who, &usage);
  auto secs = [](const timeval& tv) {
    return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) * 1e-6;
  };
  return {secs(usage.ru_utime), secs(usage.ru_stime)};
}

Cpu CpuNow() { return CpuOf(RUSAGE_SELF); }

Cpu Seconds(const std::function<void()>& work) {
  const Cpu start = CpuNow();
  work();
  const Cpu end = CpuNow();
  return {end.user - start.user, end.sys - start.sys};
}

double WallSeconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Time spent making thumbnails, on whichever thread. The executable is linked with --wrap for
// MakeThumbnailResult, so every thumbnail the run makes passes through here.
#define FOTOLOOM_THUMB_SYMBOL \
  _ZN8fotoloom19MakeThumbnailResultERKNS_12ThumbnailJobEPNS_12MemoryBudgetE
#define FOTOLOOM_CAT(a, b) FOTOLOOM_CAT2(a, b)
#define FOTOLOOM_CAT2(a, b) a##b
std::atomic<double> g_thumbnail_user{0}, g_thumbnail_sys{0};

extern "C" fotoloom::ThumbnailResult FOTOLOOM_CAT(__real_, FOTOLOOM_THUMB_SYMBOL)(
    const fotoloom::ThumbnailJob&, fotoloom::MemoryBudget*) noexcept;
extern "C" fotoloom::ThumbnailResult FOTOLOOM_CAT(__wrap_, FOTOLOOM_THUMB_SYMBOL)(
    const fotoloom::ThumbnailJob& job, fotoloom::MemoryBudget* budget) noexcept {
  const Cpu start = CpuOf(RUSAGE_THREAD);
  fotoloom::ThumbnailResult result = FOTOLOOM_CAT(__real_, FOTOLOOM_THUMB_SYMBOL)(job, budget);
  const Cpu end = CpuOf(RUSAGE_THREAD);
  g_thumbnail_user += end.user - start.user;
  g_thumbnail_sys += end.sys - start.sys;
  return result;
}

// One run, and the part of it spent making thumbnails.
struct RunTimes {
  Cpu run;
  Cpu thumbnails;
};

// Memory of one decoded 4000 x 3000 photo: three bytes a pixel.
constexpr double kDecodedPhotoMiB = 4000.0 * 3000 * 3 / (1024 * 1024);

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

void ConfigureRun(const fs::path& album, bool image_pages, int workers = 1) {
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
  Album().ThumbnailWorkers = workers;
}

void RunCatalog() {
  fotoloom::generate();
  if (!fotoloom::GetMessages().empty())
    throw std::runtime_error("run reported: " + fotoloom::GetMessages());
  if (::chdir("/") != 0) throw std::runtime_error("cannot leave the album");
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

// n camera-sized photos in album, made here; their paths in order.
std::vector<std::string> WriteCameraPhotos(const fs::path& album, int n) {
  fs::create_directories(album);
  for (int i = 0; i < n; ++i)
    bench::WriteSceneJpeg((album / Numbered("DSC", 1000 + i, ".jpg")).string(), 4000, 3000, 90,
                          static_cast<unsigned>(i));
  return Files(album);
}

// Wall-clock figures are only as good as the machine is quiet.
double LoadAverage() {
  double load = -1;
  if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
    if (std::fscanf(f, "%lf", &load) != 1) load = -1;
    std::fclose(f);
  }
  return load;
}

RunTimes BestRun(const fs::path& album, bool image_pages) {
  RunTimes best{{1e300, 0}, {}};
  for (int r = 0; r < 3; ++r) {
    RemoveOutput(album);
    ConfigureRun(album, image_pages);
    g_thumbnail_user = 0;
    g_thumbnail_sys = 0;
    const Cpu run = Seconds([&] { RunCatalog(); });
    if (run.total() < best.run.total()) best = {run, {g_thumbnail_user, g_thumbnail_sys}};
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
  line("making thumbnails", thumbs.user, thumbs.sys);
  line("outside thumbnails", run.user - thumbs.user, run.sys - thumbs.sys);
  fs::remove_all(album);
}

// The time of a run of n empty items outside thumbnail making.
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
  std::printf(
      "empty items (no thumbnail can be made, no alternative picture), "
      "time outside thumbnail making\n");
  for (bool pages : {false, true}) {
    const Cpu small = EmptyRun(root, quarter, pages);
    const Cpu large = EmptyRun(root, n, pages);
    std::printf("  image pages %-3s %7d items: user %6.1f us/item, system %6.1f us/item\n",
                pages ? "on" : "off", quarter, small.user / quarter * 1e6,
                small.sys / quarter * 1e6);
    std::printf(
        "  image pages %-3s %7d items: user %6.1f us/item, system %6.1f us/item; "
        "per-item ratio %.2f (user %.2f)\n",
        pages ? "on" : "off", n, large.user / n * 1e6, large.sys / n * 1e6,
        (large.total() / n) / (small.total() / quarter), (large.user / n) / (small.user / quarter));
  }
}

// What one process of camera runs reports: per run wall and processor seconds and minor page
// faults, and the process's peak resident memory.
struct CameraRuns {
  std::vector<double> wall, cpu;
  std::vector<long> faults;
  double peak_mib = 0;
};

// The child's side: runs the catalog of album with the given workers and prints one line
// "WALL CPU FAULTS" per run.
int CameraChild(const fs::path& album, int workers, int runs, bool display) {
  for (int r = 0; r < runs; ++r) {
    RemoveOutput(album);
    ConfigureRun(album, true, workers);
    Album().PreviewImages = Album().HiDPIThumbnails = display;
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    const Cpu start = CpuNow();
    const double wall = WallSeconds([&] { RunCatalog(); });
    const Cpu cpu = CpuNow();
    getrusage(RUSAGE_SELF, &after);
    std::printf("%.6f %.6f %ld\n", wall, cpu.total() - start.total(),
                after.ru_minflt - before.ru_minflt);
  }
  return 0;
}

// Starts this program again as a camera child and collects what it reports.
CameraRuns CameraProcess(const fs::path& album, int workers, int runs, bool display = false) {
  int out[2];
  if (::pipe(out) != 0) throw std::runtime_error("pipe failed");
  const std::string album_arg = album.string(), workers_arg = std::to_string(workers),
                    runs_arg = std::to_string(runs), display_arg = display ? "1" : "0";
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    ::dup2(out[1], STDOUT_FILENO);
    ::close(out[0]);
    ::close(out[1]);
    const char* argv[] = {"bench_catalog",
                          "--camera-child",
                          album_arg.c_str(),
                          workers_arg.c_str(),
                          runs_arg.c_str(),
                          display_arg.c_str(),
                          nullptr};
    ::execv("/proc/self/exe", const_cast<char* const*>(argv));
    ::_exit(127);
  }
  ::close(out[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t got; (got = ::read(out[0], buffer, sizeof buffer)) > 0;) text.append(buffer, got);
  ::close(out[0]);
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error("the run with " + workers_arg + " workers failed");
  CameraRuns runs_seen;
  std::istringstream lines(text);
  double wall = 0, cpu = 0;
  long faults = 0;
  while (lines >> wall >> cpu >> faults) {
    runs_seen.wall.push_back(wall);
    runs_seen.cpu.push_back(cpu);
    runs_seen.faults.push_back(faults);
  }
  runs_seen.peak_mib = static_cast<double>(usage.ru_maxrss) / 1024;  // ru_maxrss is in KiB
  return runs_seen;
}

void BenchCamera(const fs::path& root, int n) {
  const fs::path album = root / "camera";
  const std::vector<std::string> files = WriteCameraPhotos(album, n);
  double decode_wall = 1e300;
  Cpu decode_cpu{1e300, 0};
  for (int r = 0; r < 3; ++r) {
    const Cpu start = CpuNow();
    decode_wall = std::min(decode_wall, WallSeconds([&] {
                             for (const std::string& f : files) DecodeFully(f);
                           }));
    const Cpu end = CpuNow();
    if (end.total() - start.total() < decode_cpu.total())
      decode_cpu = {end.user - start.user, end.sys - start.sys};
  }

  const int usable = fotoloom::UsableCpuCount();
  std::printf("camera photos: %d of 4000 x 3000, image pages on; %d usable CPU(s), load %.2f\n", n,
              usable, LoadAverage());
  std::printf("  one-core decode: wall %.3f s (%.1f ms per photo), processor %.3f s\n", decode_wall,
              decode_wall / n * 1e3, decode_cpu.total());
  std::printf("  %-12s %8s %7s %9s %7s %10s %7s %7s %14s\n", "workers", "wall s", "x dec", "cpu s",
              "x dec", "peak MiB", "x img", "limit", "faults/photo");
  std::set<int> counts = {1, usable, 2, 4};
  std::map<int, double> peaks;
  for (const int workers : counts) {
    const CameraRuns runs = CameraProcess(album, workers, 3);
    peaks[workers] = runs.peak_mib;
    if (runs.wall.empty()) throw std::runtime_error("a camera run printed nothing");
    const double wall = *std::min_element(runs.wall.begin(), runs.wall.end());
    const double cpu = *std::min_element(runs.cpu.begin(), runs.cpu.end());
    long later = 0;
    for (std::size_t r = 1; r < runs.faults.size(); ++r) later += runs.faults[r];
    const double later_per_photo =
        runs.faults.size() > 1 ? static_cast<double>(later) / (n * (runs.faults.size() - 1)) : 0;
    char label[32];
    std::snprintf(label, sizeof label, "%d%s", workers, workers == usable ? " (default)" : "");
    std::printf("  %-12s %8.3f %7.2f %9.3f %7.2f %10.1f %7.2f %7d %6.0f / %-6.0f\n", label, wall,
                wall / decode_wall, cpu, cpu / decode_cpu.total(), runs.peak_mib,
                runs.peak_mib / kDecodedPhotoMiB, workers + 1,
                static_cast<double>(runs.faults.front()) / n, later_per_photo);
  }
  std::printf(
      "  (x dec: against the one-core decode; goals: default at most 0.55 of its wall time and "
      "1.10 of its processor time, 1 worker at most 1.10. x img: peak memory in decoded photos "
      "(%.1f MiB each); a worker holds a band of rows, its pictures and their work rows, not "
      "the photo. faults/photo: first run / later runs)\n",
      kDecodedPhotoMiB);
  std::printf(
      "  memory per worker beyond the first: %.1f MiB (peak with 4 workers less peak with 1, "
      "over 3)\n",
      (peaks[4] - peaks[1]) / 3);

  // The display options: one decode, then the thumbnail, its companion and the preview.
  const CameraRuns display = CameraProcess(album, 1, 3, true);
  if (display.wall.empty()) throw std::runtime_error("a camera run printed nothing");
  const double display_wall = *std::min_element(display.wall.begin(), display.wall.end());
  const double display_cpu = *std::min_element(display.cpu.begin(), display.cpu.end());
  std::printf(
      "  1 worker, previews 1600 x 1200 and 2x thumbnails on: wall %.3f s, %.2f x dec; "
      "cpu %.3f s, %.2f x dec; peak %.1f MiB (goal: at most 1.6 x dec)\n",
      display_wall, display_wall / decode_wall, display_cpu, display_cpu / decode_cpu.total(),
      display.peak_mib);
  // What a visitor's browser loads for one image page: the page, and the photo or its preview.
  std::uintmax_t pages = 0, photos = 0, previews = 0, thumbs = 0, thumbs_2x = 0;
  for (const std::string& f : files) {
    const fs::path data = album / "fldata";
    const std::string stem = fs::path(f).stem().string();
    pages += fs::file_size(data / (stem + ".html"));
    photos += fs::file_size(f);
    previews += fs::file_size(data / (stem + "-preview.jpg"));
    thumbs += fs::file_size(data / (stem + ".jpg"));
    thumbs_2x += fs::file_size(data / (stem + "@2x.jpg"));
  }
  std::printf(
      "  bytes an image page loads, per photo: %.0f without previews, %.0f with (%.1f %%); "
      "thumbnail %.0f, 2x thumbnail %.0f\n",
      static_cast<double>(pages + photos) / n, static_cast<double>(pages + previews) / n,
      100.0 * static_cast<double>(pages + previews) / static_cast<double>(pages + photos),
      static_cast<double>(thumbs) / n, static_cast<double>(thumbs_2x) / n);
  fs::remove_all(album);
}

// Disk use of the cache's entries: their number, bytes and allocated bytes.
struct CacheUse {
  long entries = 0;
  double bytes = 0, allocated = 0;
};

CacheUse UseOf(const fs::path& folder) {
  CacheUse use;
  for (const auto& entry : fs::directory_iterator(folder)) {
    struct stat st {};
    if (entry.path().extension() != ".thumb" || ::stat(entry.path().c_str(), &st) != 0) continue;
    ++use.entries;
    use.bytes += static_cast<double>(st.st_size);
    use.allocated += static_cast<double>(st.st_blocks) * 512;
  }
  return use;
}

// The trim of a cache of `entries` entries of entry_bytes each, bounded so that `removed` of
// them go; seconds.
double TrimSeconds(const fs::path& folder, int entries, std::size_t entry_bytes, int removed) {
  fs::remove_all(folder);
  fotoloom::ThumbnailResult result;
  result.jpeg = std::string(entry_bytes, 'j');
  {
    fotoloom::ThumbnailCache fill(folder.string(), ~0ull);
    for (int i = 0; i < entries; ++i) fill.Store("entry " + std::to_string(i), result);
  }
  const CacheUse use = UseOf(folder);
  const double per_entry = use.allocated / use.entries;
  const auto bound = static_cast<std::uint64_t>(per_entry * (entries - removed) + per_entry / 2);
  fotoloom::ThumbnailCache cache(folder.string(), bound);
  const double seconds = WallSeconds([&] { cache.Trim(); });
  if (UseOf(folder).entries != entries - removed)
    throw std::runtime_error("trim kept the wrong count");
  return seconds;
}

void BenchCache(const fs::path& root, int n) {
  const fs::path album = root / "cached";
  const fs::path folder = root / "thumbnail-cache";
  const std::vector<std::string> files = WriteCameraPhotos(album, n);
  // The photos were just written: a run now would not keep them (changed in this clock tick).
  ::usleep(50000);

  const auto run = [&] {
    RemoveOutput(album);
    ConfigureRun(album, true, 0);
    Album().ThumbnailCache = folder.string();
    return WallSeconds([&] { RunCatalog(); });
  };
  const int touched = std::max(1, n / 10);
  double first = 1e300, unchanged = 1e300, after_touch = 1e300;
  for (int r = 0; r < 3; ++r) {
    fs::remove_all(folder);
    first = std::min(first, run());
    unchanged = std::min(unchanged, run());
    for (int i = 0; i < touched; ++i) {
      const std::string& photo = files[static_cast<std::size_t>(i * n / touched)];
      if (::utimensat(AT_FDCWD, photo.c_str(), nullptr, 0) != 0)
        throw std::runtime_error("cannot touch " + photo);
    }
    ::usleep(50000);
    after_touch = std::min(after_touch, run());
  }
  const CacheUse use = UseOf(folder);

  // The two keys: the photo's status, or a hash of all of its bytes.
  double decode = 1e300, stat_key = 1e300, hash_key = 1e300;
  for (int r = 0; r < 3; ++r) {
    decode = std::min(decode, WallSeconds([&] {
                        for (const std::string& f : files) DecodeFully(f);
                      }));
    stat_key = std::min(stat_key, WallSeconds([&] {
                          for (const std::string& f : files)
                            if (!fotoloom::ThumbnailCacheKey({f, 100, 100}))
                              throw std::runtime_error("no key for " + f);
                        }));
    hash_key = std::min(hash_key, WallSeconds([&] {
                          for (const std::string& f : files) {
                            std::string bytes;
                            if (!fotoloom::ReadWholeFile(f, &bytes))
                              throw std::runtime_error("cannot read " + f);
                            volatile uLong crc =
                                crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()),
                                      static_cast<uInt>(bytes.size()));
                            (void)crc;
                          }
                        }));
  }
  const std::size_t entry_bytes = static_cast<std::size_t>(use.bytes / std::max(1L, use.entries));
  const double trim_scan = TrimSeconds(root / "trim", 10000, entry_bytes, 0);
  const double trim_delete = TrimSeconds(root / "trim", 10000, entry_bytes, 1000);

  std::printf(
      "thumbnail cache: %d photos of 4000 x 3000, image pages on, %d worker(s), load %.2f\n", n,
      fotoloom::UsableCpuCount(), LoadAverage());
  std::printf("  first run, empty cache      wall %7.3f s\n", first);
  std::printf("  second run, nothing changed wall %7.3f s  %.3f x first (goal at most 0.05)\n",
              unchanged, unchanged / first);
  std::printf("  after %d of %d touched     wall %7.3f s  %.3f x first (goal about 0.1 + %.2f)\n",
              touched, n, after_touch, after_touch / first, static_cast<double>(touched) / n);
  std::printf(
      "  key per photo: status %.1f us; content hash (read + crc32) %.2f ms, %.3f x its "
      "decode (%.1f ms)\n",
      stat_key / n * 1e6, hash_key / n * 1e3, hash_key / decode, decode / n * 1e3);
  std::printf(
      "  disk use per thumbnail: %.0f bytes in its entry, %.0f bytes allocated (%ld entries)\n",
      use.bytes / std::max(1L, use.entries), use.allocated / std::max(1L, use.entries),
      use.entries);
  std::printf("  trim of 10000 entries: %.1f ms with nothing to delete, %.1f ms deleting 1000\n",
              trim_scan * 1e3, trim_delete * 1e3);
  fs::remove_all(root / "trim");
  fs::remove_all(folder);
  fs::remove_all(album);
}

}  // namespace

// The library's own decode of a whole photo to 8-bit RGB, nothing else.
void LibraryDecode(const std::string& path) {
  if (path.ends_with(".webp")) {
    const std::vector<std::uint8_t> bytes = fotoloom::ReadImageFileBytes(path);
    int w = 0, h = 0;
    std::uint8_t* rgb = WebPDecodeRGB(bytes.data(), bytes.size(), &w, &h);
    if (rgb == nullptr) throw std::runtime_error("libwebp cannot decode " + path);
    WebPFree(rgb);
    return;
  }
  heif_context* context = heif_context_alloc();
  heif_image_handle* handle = nullptr;
  heif_image* image = nullptr;
  const bool ok =
      heif_context_read_from_file(context, path.c_str(), nullptr).code == heif_error_Ok &&
      heif_context_get_primary_image_handle(context, &handle).code == heif_error_Ok &&
      heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr)
              .code == heif_error_Ok;
  if (image) heif_image_release(image);
  if (handle) heif_image_handle_release(handle);
  heif_context_free(context);
  if (!ok) throw std::runtime_error("libheif cannot decode " + path);
}

void Shell(const std::string& command) {
  if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

void BenchFormats(const fs::path& root, int n) {
  const fs::path sources = root / "format-sources";
  fs::create_directories(sources);
  struct Format {
    const char* extension;
    const char* encode;  // the command, PNG then output appended
  };
  const Format formats[] = {{"heic", "heif-enc -q 90 -o"},
                            {"avif", "heif-enc -A -q 90 -p speed=8 -o"},
                            {"webp", "cwebp -quiet -q 90 -o"}};
  std::printf("formats: %d photos of 4000 x 3000 each, quality 90; %d usable CPU(s), load %.2f\n",
              n, fotoloom::UsableCpuCount(), LoadAverage());
  for (int i = 0; i < n; ++i) {
    bench::WriteScenePng((sources / Numbered("IMG", 1000 + i, ".png")).string(), 4000, 3000,
                         static_cast<unsigned>(i));
  }
  for (const Format& format : formats) {
    const fs::path album = root / format.extension;
    fs::create_directories(album);
    std::vector<std::string> photos;
    for (int i = 0; i < n; ++i) {
      const std::string photo = (album / Numbered("IMG", 1000 + i, ".")).string() + format.extension;
      const std::string png = (sources / Numbered("IMG", 1000 + i, ".png")).string();
      Shell(std::string(format.encode) + " '" + photo + "' '" + png + "' >/dev/null");
      photos.push_back(photo);
    }
    // The libraries may decode on threads of their own: processor time of the whole process.
    double decode = 1e300, decode_wall = 1e300;
    for (int r = 0; r < 3; ++r) {
      double cpu = 0;
      const double wall = WallSeconds([&] {
        cpu = Seconds([&] {
                for (const std::string& photo : photos) LibraryDecode(photo);
              }).total();
      });
      decode = std::min(decode, cpu / n);
      decode_wall = std::min(decode_wall, wall / n);
    }
    std::printf("  %s: library decode %.1f ms a photo (processor), %.1f ms (wall)\n",
                format.extension, decode * 1000, decode_wall * 1000);
    for (const int workers : {1, 0}) {
      double best = 1e300, best_cpu = 0;
      for (int r = 0; r < 3; ++r) {
        RemoveOutput(album);
        ConfigureRun(album, true, workers);
        Album().ExtendedFormats = true;
        double cpu = 0;
        const double wall = WallSeconds([&] { cpu = Seconds([&] { RunCatalog(); }).total(); });
        if (wall < best) {
          best = wall;
          best_cpu = cpu;
        }
      }
      std::printf("    catalog, %s: %.1f ms a photo (wall), %.2f x the decode's; processor "
                  "%.1f ms, %.2f x\n",
                  workers == 1 ? "1 worker" : "default workers", best / n * 1000,
                  best / n / decode_wall, best_cpu / n * 1000, best_cpu / n / decode);
    }
    RemoveOutput(album);
  }
}

int main(int argc, char** argv) {
  // As fotoloom and fotoloom-cli do at start-up: keep freed photo memory for the next one.
  fotoloom::RetainFreedImageMemory();
  if (argc == 6 && std::strcmp(argv[1], "--camera-child") == 0)
    return CameraChild(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), argv[5][0] == '1');
  int small = 2000, empty = 100000, camera = 20, cache = 20, formats = 0;
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
    if (arg == "--small")
      small = std::atoi(value().c_str());
    else if (arg == "--empty")
      empty = std::atoi(value().c_str());
    else if (arg == "--camera")
      camera = std::atoi(value().c_str());
    else if (arg == "--cache")
      cache = std::atoi(value().c_str());
    else if (arg == "--formats")
      formats = std::atoi(value().c_str());
    else if (arg == "--dir")
      dir = value();
    else if (arg == "--keep")
      keep = true;
    else {
      std::fprintf(stderr,
                   "usage: bench_catalog [--small N] [--empty N] [--camera N] [--cache N] "
                   "[--formats N] [--keep] [--dir FOLDER]\n");
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
    if (cache > 0) BenchCache(root, cache);
    if (formats > 0) BenchFormats(root, formats);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_catalog: %s\n", e.what());
    if (!keep) fs::remove_all(root);
    return 1;
  }
  if (!keep) fs::remove_all(root);
  return 0;
}
