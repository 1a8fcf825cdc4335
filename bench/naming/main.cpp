// Prints how long naming takes for large albums. Run by hand; nothing here asserts.
//
//   bench_naming [count]      (default 100000)
//
// 1. UniqueNamer alone: count distinct stems against a data directory already holding a
//    thumbnail for every one of them (a second run without erasing), so every item needs a
//    numbered name.
// 2. UniqueNamer with one stem claimed count times: the worst case for the number search.
// 3. ReadItems over count empty files in a fresh temporary directory: listing, both naming
//    passes and the sort by name, as a run does it.

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "generation/album_items.h"
#include "generation/unique_names.h"
#include "imaging/image_formats.h"

namespace {

// Wall time and this process's CPU time: the machine may be busy with other work, and the
// CPU figure shows what the naming itself costs.
struct Timer {
  std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
  std::clock_t cpu = std::clock();
  std::string Report() const {
    const double wall_s =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count();
    const double cpu_s = static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
    char text[64];
    std::snprintf(text, sizeof text, "%7.3f s wall %7.3f s cpu", wall_s, cpu_s);
    return text;
  }
};

std::string Stem(int i) { return "IMG_" + std::to_string(100000 + i) + " Sommer \xC3\xA9t\xC3\xA9"; }

void NamingWithEveryNameTaken(int count) {
  const Timer timer;
  fotoloom::UniqueNamer namer("/photos/fldata/", ".jpg");
  for (int i = 0; i < count; ++i) namer.Take("/photos/fldata/" + Stem(i) + ".JPG");
  std::size_t bytes = 0;
  for (int i = 0; i < count; ++i) bytes += namer.Claim(Stem(i)).size();
  std::printf("naming, %d items, every plain name taken:  %s  (%zu bytes of names)\n", count,
              timer.Report().c_str(), bytes);
}

void NamingOneStem(int count) {
  const Timer timer;
  fotoloom::UniqueNamer namer("/photos/fldata/", ".jpg");
  std::string last;
  for (int i = 0; i < count; ++i) last = namer.Claim(i % 2 == 0 ? "photo" : "PHOTO");
  std::printf("naming, %d items, all with one stem:       %s  (last: %s)\n", count,
              timer.Report().c_str(), last.c_str());
}

bool ReadItemsOverEmptyFiles(int count) {
  std::string dir = (std::filesystem::temp_directory_path() / "fotoloom-bench-XXXXXX").string();
  if (mkdtemp(dir.data()) == nullptr) {
    std::perror("mkdtemp");
    return false;
  }
  dir += "/";
  const std::vector<std::string> extensions = fotoloom::ImageExtensions();
  for (int i = 0; i < count; ++i) {
    const std::string path =
        dir + Stem(i) + extensions[static_cast<std::size_t>(i) % extensions.size()];
    const int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (fd < 0) {
      std::perror(path.c_str());
      std::filesystem::remove_all(dir);
      return false;
    }
    close(fd);
  }
  std::filesystem::create_directory(dir + "fldata");

  const Timer timer;
  fotoloom::ReadItems(dir, dir + "fldata/", 1);
  std::printf("ReadItems, %d empty files, sorted by name: %s  (%d items)\n", count,
              timer.Report().c_str(), fotoloom::ItemCount());
  fotoloom::ReleaseItems();
  std::filesystem::remove_all(dir);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
  if (count <= 0) {
    std::fprintf(stderr, "usage: %s [count > 0]\n", argv[0]);
    return 2;
  }
  NamingWithEveryNameTaken(count);
  NamingOneStem(count);
  return ReadItemsOverEmptyFiles(count) ? 0 : 1;
}
