// Decompression bombs: files of a few hundred bytes to a megabyte whose headers declare huge but
// legal images, for measuring what a run holds at once and how soon hostile scans are refused.
//
//   bench_bombs album FOLDER
//       writes FOLDER/jpeg-N.jpg (N = 0..3): a 16 x 16 baseline JPEG whose frame header declares
//       16000 x 16000 (under a kilobyte; decodes to 768 MB), and FOLDER/png-N.png: an 18900 x
//       18900 RGB PNG of zero rows (about 1 MB; decodes to 1.07 GB). Time it with
//       `fotoloom-cli --jobs N --yes`, under `/usr/bin/time -v`.
//   bench_bombs scans FILE
//       writes a progressive 16000 x 16000 gray JPEG of 500 scans (494 copies of its first).
//   bench_bombs read FILE
//       reads FILE as the catalog does and prints how long that took and what the reader said.
//   bench_bombs jpeg-inputs FOLDER | bmp-inputs FOLDER
//       builds the file of every fuzz_jpeg_crafted (fuzz_bmp_crafted) input in FOLDER (a corpus)
//       and reads it as the catalog does; prints the five slowest per megabyte of file (of the
//       files of a megabyte or more) and the five slowest.
//   bench_bombs run FOLDER WORKERS BUDGET_MIB [PREVIEW_W PREVIEW_H]
//       makes the 160 x 120 thumbnails (and previews, when a box is given) of every file in
//       FOLDER with WORKERS threads and a memory budget of BUDGET_MIB (0: the default, as a
//       run has it), as a run's pool does, and prints the thumbnails made, the wall time, the
//       most the budget saw held at once and the peak resident size of this process.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

extern "C" {
#include <zlib.h>
}

#include "crafted_files.h"
#include "generation/thumbnail_pool.h"
#include "imaging/buffer_reuse.h"
#include "imaging/jpeg_graphic.h"
#include "imaging/memory_budget.h"
#include "imaging/picture_loader.h"

namespace {

namespace fs = std::filesystem;

// A 16 x 16 JPEG whose frame header the bombs rewrite; its scans cover only those pixels.
std::vector<std::uint8_t> SmallJpeg(bool progressive, fotoloom::TImageFormat format) {
  fotoloom::TJpegGraphic image;
  image.NewImage(16, 16, format, nullptr, 0, 0);
  image.SetProgressive(progressive);
  std::ostringstream out;
  image.SaveToStream(out);
  const std::string bytes = out.str();
  return {bytes.begin(), bytes.end()};
}

void PutBig32(std::string& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(v >> shift));
}

void WriteChunk(std::ofstream& file, const char* type, const std::string& data) {
  std::string chunk;
  PutBig32(chunk, static_cast<std::uint32_t>(data.size()));
  chunk += type;
  chunk += data;
  const auto* bytes = reinterpret_cast<const Bytef*>(chunk.data());
  PutBig32(chunk, static_cast<std::uint32_t>(crc32(0, bytes + 4, chunk.size() - 4)));
  file.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
}

// An RGB PNG of side x side black pixels, compressed row by row (every row filter 0).
void WriteZeroPng(const std::string& path, std::uint32_t side) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write("\x89PNG\r\n\x1a\n", 8);
  std::string header;
  PutBig32(header, side);
  PutBig32(header, side);
  header += std::string("\x08\x02\x00\x00\x00", 5);
  WriteChunk(file, "IHDR", header);
  z_stream z{};
  if (deflateInit(&z, 9) != Z_OK) throw std::runtime_error("deflateInit failed");
  std::vector<Bytef> row(1 + std::size_t{side} * 3, 0);
  std::vector<Bytef> out(1 << 20);
  for (std::uint32_t y = 0; y <= side; ++y) {
    const bool last = y == side;
    z.next_in = row.data();
    z.avail_in = last ? 0 : static_cast<uInt>(row.size());
    int status;
    do {
      z.next_out = out.data();
      z.avail_out = static_cast<uInt>(out.size());
      status = deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
      const std::size_t made = out.size() - z.avail_out;
      if (made > 0) WriteChunk(file, "IDAT", std::string(out.begin(), out.begin() + made));
    } while (z.avail_out == 0 || (last && status != Z_STREAM_END));
  }
  deflateEnd(&z);
  WriteChunk(file, "IEND", "");
  if (!file.flush()) throw std::runtime_error("cannot write " + path);
}

void WriteAlbum(const fs::path& folder) {
  fs::create_directories(folder);
  fotoloom::crafted::Jpeg jpeg;
  jpeg.base = SmallJpeg(false, fotoloom::ifColor16M);
  jpeg.width = jpeg.height = 16000;
  for (int i = 0; i < 4; ++i) {
    const fs::path jpeg_path = folder / ("jpeg-" + std::to_string(i) + ".jpg");
    if (!fotoloom::crafted::WriteJpeg(jpeg_path.string(), jpeg))
      throw std::runtime_error("cannot write " + jpeg_path.string());
    WriteZeroPng((folder / ("png-" + std::to_string(i) + ".png")).string(), 18900);
  }
}

void WriteScans(const std::string& path) {
  fotoloom::crafted::Jpeg jpeg;
  jpeg.base = SmallJpeg(true, fotoloom::ifGray256);
  jpeg.width = jpeg.height = 16000;
  jpeg.extraFirstScans = 494;
  if (!fotoloom::crafted::WriteJpeg(path, jpeg)) throw std::runtime_error("cannot write " + path);
}

int Read(const std::string& path) {
  const auto start = std::chrono::steady_clock::now();
  std::string said = "(decoded)";
  try {
    fotoloom::LoadPicture(path);
  } catch (const std::exception& e) {
    said = e.what();
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  std::printf("%s: %.2f ms, peak RSS %ld MiB: %s\n", path.c_str(), seconds * 1e3,
              usage.ru_maxrss / 1024, said.c_str());
  return 0;
}

struct Timed {
  std::string input;
  std::uint64_t file_bytes = 0;
  double seconds = 0;
  std::string said;
};

void PrintTimed(const char* title, const std::vector<Timed>& rows) {
  std::printf("%s\n", title);
  for (std::size_t i = 0; i < rows.size() && i < 5; ++i) {
    const Timed& t = rows[i];
    std::printf("  %-50s %12llu bytes %9.2f ms %10.2f ms/MB  %s\n", t.input.c_str(),
                static_cast<unsigned long long>(t.file_bytes), t.seconds * 1e3,
                t.seconds * 1e3 / (static_cast<double>(t.file_bytes) / 1e6), t.said.c_str());
  }
}

int ReadFuzzInputs(const fs::path& folder, bool bmp) {
  const std::string path =
      (fs::temp_directory_path() / (bmp ? "bench-bombs-input.bmp" : "bench-bombs-input.jpg"))
          .string();
  std::vector<Timed> rows;
  for (const fs::directory_entry& e : fs::directory_iterator(folder)) {
    std::ifstream in(e.path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    if (!(bmp ? fotoloom::crafted::WriteBmp(path, fotoloom::crafted::BmpFromFuzzInput(
                                                      data, bytes.size()))
              : fotoloom::crafted::WriteJpeg(
                    path, fotoloom::crafted::JpegFromFuzzInput(data, bytes.size()))))
      throw std::runtime_error("cannot write " + path);
    Timed t{e.path().filename().string(), fs::file_size(path), 0, "(decoded)"};
    const auto start = std::chrono::steady_clock::now();
    try {
      fotoloom::LoadPicture(path);
    } catch (const std::exception& error) {
      t.said = error.what();
    }
    t.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rows.push_back(t);
  }
  fs::remove(path);
  double total = 0;
  for (const Timed& t : rows) total += t.seconds;
  std::printf("%zu inputs read in %.1f s\n", rows.size(), total);
  // Per megabyte only for files of a megabyte or more: below, the fixed cost of opening a
  // file is all there is.
  std::vector<Timed> large;
  std::copy_if(rows.begin(), rows.end(), std::back_inserter(large),
               [](const Timed& t) { return t.file_bytes >= 1'000'000; });
  std::sort(large.begin(), large.end(), [](const Timed& a, const Timed& b) {
    return a.seconds / static_cast<double>(a.file_bytes) >
           b.seconds / static_cast<double>(b.file_bytes);
  });
  PrintTimed("slowest per megabyte of file (files of 1 MB or more):", large);
  std::sort(rows.begin(), rows.end(),
            [](const Timed& a, const Timed& b) { return a.seconds > b.seconds; });
  PrintTimed("slowest:", rows);
  return 0;
}

int Run(const fs::path& folder, int workers, std::uint64_t budget_mib, int preview_w,
        int preview_h) {
  std::vector<fotoloom::ThumbnailJob> jobs;
  std::vector<fs::path> files;
  for (const fs::directory_entry& e : fs::directory_iterator(folder)) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files)
    jobs.push_back({file.string(), 160, 120, preview_w, preview_h, false});
  fotoloom::MemoryBudget budget(budget_mib == 0 ? fotoloom::kDefaultMemoryBudget
                                                : budget_mib << 20);
  const auto start = std::chrono::steady_clock::now();
  int made = 0;
  {
    fotoloom::ThumbnailPool pool(jobs, workers, nullptr, &budget);
    for (int i = 0; i < static_cast<int>(jobs.size()); ++i)
      made += pool.Take(i, [] { return true; }).jpeg.has_value();
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  std::printf("files %zu  workers %d  budget %llu MiB  preview %dx%d: thumbnails %d  %.1f s  "
              "most held %llu MiB  peak RSS %ld MiB\n",
              jobs.size(), workers, static_cast<unsigned long long>(budget.bytes() >> 20),
              preview_w, preview_h, made, seconds,
              static_cast<unsigned long long>(budget.peak() >> 20), usage.ru_maxrss / 1024);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // As the programs do at start-up.
  fotoloom::RetainFreedImageMemory();
  try {
    if (argc == 3 && std::strcmp(argv[1], "album") == 0) {
      WriteAlbum(argv[2]);
      return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "scans") == 0) {
      WriteScans(argv[2]);
      return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "read") == 0) return Read(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "jpeg-inputs") == 0)
      return ReadFuzzInputs(argv[2], false);
    if (argc == 3 && std::strcmp(argv[1], "bmp-inputs") == 0) return ReadFuzzInputs(argv[2], true);
    if ((argc == 5 || argc == 7) && std::strcmp(argv[1], "run") == 0)
      return Run(argv[2], std::atoi(argv[3]), std::strtoull(argv[4], nullptr, 10),
                 argc == 7 ? std::atoi(argv[5]) : 0, argc == 7 ? std::atoi(argv[6]) : 0);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_bombs: %s\n", e.what());
    return 1;
  }
  std::fprintf(stderr,
               "usage: bench_bombs album FOLDER | scans FILE | read FILE | jpeg-inputs FOLDER | bmp-inputs FOLDER | "
               "run FOLDER WORKERS BUDGET_MIB [PREVIEW_W PREVIEW_H]\n");
  return 2;
}
