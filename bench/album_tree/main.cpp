// Times a run over a folder tree (IncludeSubfolders).
//
//   bench_album_tree [--folders N] [--photos M] [--size W] [--keep] [--dir FOLDER]
//
// Makes N folders (default 200) of M photos each (default 20) of W x 3W/4 pixels (default 640),
// ten folders to a parent folder, and the same N x M photos in one folder. Each is made into a
// catalog with image pages, one thumbnail worker, no cache; then the tree again with the
// default number of workers. Prints wall-clock and processor time, each the best of three, the
// processor time a folder adds (the tree against the one folder, divided by the folders)
// against the time its photos take, and the peak resident memory of each kind of run (every run is
// made in a process of its own, forked from this one before any run).
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "generation/album.h"
#include "generation/album_settings.h"
#include "generation/client_ui.h"
#include "scene_images.h"

namespace fs = std::filesystem;
using fotoloom::Album;

namespace {

struct Figures {
  double wall = 0;
  double cpu = 0;
  long peak_kib = 0;
};

double CpuSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  const auto secs = [](const timeval& tv) { return tv.tv_sec + tv.tv_usec * 1e-6; };
  return secs(usage.ru_utime) + secs(usage.ru_stime);
}

void RemoveOutput(const fs::path& folder) {
  std::vector<fs::path> gone;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_directory() && entry.path().filename() == "fldata") gone.push_back(entry.path());
    if (entry.is_regular_file() && entry.path().extension() == ".html")
      gone.push_back(entry.path());
  }
  for (const fs::path& path : gone) fs::remove_all(path);
}

// One run in this process: the settings, the run, its time.
Figures RunHere(const fs::path& folder, bool tree, int workers) {
  fotoloom::ResetAlbumSettings();
  fotoloom::ResetClientUI();
  Album().AlbumDirectory = folder.string();
  Album().ThumbDirectory = "fldata";
  Album().EmptyThumbnail = "";
  Album().GenerateHTMLImages = true;
  Album().ThumbRowsPerFile = 10;
  Album().ThumbnailWorkers = workers;
  Album().IncludeSubfolders = tree;
  const double cpu = CpuSeconds(RUSAGE_SELF);
  const auto start = std::chrono::steady_clock::now();
  fotoloom::generate();
  Figures figures;
  figures.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  figures.cpu = CpuSeconds(RUSAGE_SELF) - cpu;
  if (!fotoloom::GetMessages().empty())
    throw std::runtime_error("run reported: " + fotoloom::GetMessages());
  if (::chdir("/") != 0) throw std::runtime_error("cannot leave the album");
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  figures.peak_kib = usage.ru_maxrss;
  return figures;
}

// The best of three runs, each in a process of its own started from this program.
Figures Best(const fs::path& folder, bool tree, int workers) {
  Figures best{1e30, 1e30, 0};
  for (int k = 0; k < 3; ++k) {
    RemoveOutput(folder);
    int pipe_fds[2];
    if (::pipe(pipe_fds) != 0) throw std::runtime_error("pipe");
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::close(pipe_fds[0]);
      Figures f{};
      try {
        f = RunHere(folder, tree, workers);
      } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        ::_exit(1);
      }
      if (::write(pipe_fds[1], &f, sizeof f) != sizeof f) ::_exit(1);
      ::_exit(0);
    }
    ::close(pipe_fds[1]);
    Figures f{};
    const bool read_all = ::read(pipe_fds[0], &f, sizeof f) == sizeof f;
    ::close(pipe_fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!read_all || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
      throw std::runtime_error("a run failed");
    best.wall = std::min(best.wall, f.wall);
    best.cpu = std::min(best.cpu, f.cpu);
    best.peak_kib = std::max(best.peak_kib, f.peak_kib);
  }
  return best;
}

void Print(const char* what, const Figures& f) {
  std::printf("%-40s %8.2f s wall %8.2f s cpu %8.1f MiB peak\n", what, f.wall, f.cpu,
              f.peak_kib / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
  int folders = 200, photos = 20, size = 640;
  bool keep = false;
  fs::path dir;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto number = [&] { return i + 1 < argc ? std::atoi(argv[++i]) : 0; };
    if (arg == "--folders")
      folders = number();
    else if (arg == "--photos")
      photos = number();
    else if (arg == "--size")
      size = number();
    else if (arg == "--keep")
      keep = true;
    else if (arg == "--dir" && i + 1 < argc)
      dir = argv[++i];
    else {
      std::fprintf(stderr, "usage: %s [--folders N] [--photos M] [--size W] [--keep] [--dir D]\n",
                   argv[0]);
      return 2;
    }
  }
  if (folders < 1 || photos < 1 || size < 16) return 2;
  if (dir.empty()) {
    std::string pattern = (fs::temp_directory_path() / "fotoloom-bench-tree-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return 1;
    dir = pattern;
  }
  const fs::path tree = dir / "tree", flat = dir / "flat";
  std::printf("%d folders x %d photos of %d x %d\n", folders, photos, size, size * 3 / 4);
  for (int f = 0; f < folders; ++f) {
    char parent[32], child[32];
    std::snprintf(parent, sizeof parent, "group %02d", f / 10);
    std::snprintf(child, sizeof child, "folder %03d", f);
    const fs::path folder = tree / parent / child;
    fs::create_directories(folder);
    fs::create_directories(flat);
    for (int p = 0; p < photos; ++p) {
      char name[48];
      std::snprintf(name, sizeof name, "IMG_%03d_%02d.jpg", f, p);
      const unsigned seed = static_cast<unsigned>(f * photos + p);
      bench::WriteSceneJpeg((folder / name).string(), size, size * 3 / 4, 85, seed);
      fs::copy_file(folder / name, flat / name, fs::copy_options::overwrite_existing);
    }
  }
  try {
    const Figures one = Best(flat, false, 1);
    Print("one folder, 1 worker", one);
    const Figures sub = Best(tree, true, 1);
    Print("tree, 1 worker", sub);
    Print("tree, default workers", Best(tree, true, 0));
    // Processor time, which other programs sharing the machine do not inflate.
    const double per_folder = (sub.cpu - one.cpu) / folders;
    const double per_folder_photos = one.cpu / folders;
    std::printf("a folder adds %.2f ms of processor time to its photos' %.2f ms (%.1f %%)\n",
                per_folder * 1e3, per_folder_photos * 1e3, 100.0 * per_folder / per_folder_photos);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  if (!keep) fs::remove_all(dir);
  return 0;
}
