// Listing figures for a large album: N empty image files (default 100 000) in a temporary
// directory with a description line for each. Prints the listing time, the description
// matching time and the time of each sort code. Usage: bench_listing [N]
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "files/descriptions.h"
#include "files/dir.h"
#include "imaging/image_formats.h"
#include "platform/file_io.h"
#include "platform/text.h"

namespace {

// Processor time (user + system) of this process: unlike the wall clock, it barely moves
// when other programs share the machine.
double CpuNow() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

struct Timer {
  std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
  double cpu = CpuNow();
  double Wall() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count();
  }
  double Cpu() const { return CpuNow() - cpu; }
};

}  // namespace

int main(int argc, char** argv) {
  using fotoloom::CDir;
  const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
  const std::string masks = fotoloom::ListingMasks();

  std::string pattern = (std::filesystem::temp_directory_path() / "fotoloom-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::string dir = pattern + "/";

  // Names spread over every mask in both letter cases, descriptions in reverse order.
  std::vector<std::string> extensions;
  for (const std::string& extension : fotoloom::ImageExtensions()) {
    extensions.push_back(extension);
    extensions.push_back(fotoloom::UpperCase(extension));
  }
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) {
    const std::string name = "Photo_" + std::to_string((i * 7919) % count) +
                             extensions[static_cast<std::size_t>(i) % extensions.size()];
    const int fd = open((dir + name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
      std::perror(name.c_str());
      return 1;
    }
    close(fd);
    lines.push_back(fotoloom::UpperCase(name) + "|Description of picture " + std::to_string(i) +
                    "\r\n");
  }
  std::string descriptions;
  for (auto line = lines.rbegin(); line != lines.rend(); ++line) descriptions += *line;
  fotoloom::WriteWholeFile(dir + "imgdesc.dat", descriptions);
  std::printf("%d empty files in %s\n", count, dir.c_str());

  // Each figure is the best of three runs, wall clock and processor time, so that other load
  // on the machine counts less.
  double listing_wall = 1e9, listing_cpu = 1e9, matching_wall = 1e9, matching_cpu = 1e9;
  int listed = 0, matched = 0;
  std::string text;
  fotoloom::ReadWholeFile(dir + "imgdesc.dat", &text);
  for (int run = 0; run < 3; ++run) {
    Timer timer;
    CDir plain(dir, masks, "");
    listing_wall = std::min(listing_wall, timer.Wall());
    listing_cpu = std::min(listing_cpu, timer.Cpu());
    listed = plain.Count();

    std::vector<fotoloom::CFile*> entries;
    for (int i = 0; i < plain.Count(); ++i) entries.push_back(&plain.Items(i));
    timer = Timer();
    fotoloom::ApplyDescriptions(text, entries);
    matching_wall = std::min(matching_wall, timer.Wall());
    matching_cpu = std::min(matching_cpu, timer.Cpu());
    matched = 0;
    for (const fotoloom::CFile* file : entries) matched += file->Description.empty() ? 0 : 1;
  }
  std::printf("%-36s %8s %8s\n", "", "wall s", "cpu s");
  std::printf("%-36s %8.3f %8.3f\n", ("listing (" + std::to_string(listed) + " entries)").c_str(),
              listing_wall, listing_cpu);
  std::printf("%-36s %8.3f %8.3f  (%d matched)\n",
              ("description matching (" + std::to_string(count) + " lines)").c_str(), matching_wall,
              matching_cpu, matched);

  // For comparison: a scan of the entries for each line, timed over a sample of lines.
  CDir described(dir, masks, "imgdesc.dat");
  const int sample = std::min(described.Count(), 20);
  if (sample > 0) {
    const Timer timer;
    for (int i = 0; i < sample; ++i)
      described.IndexOfName(described.Items(described.Count() - 1 - i).Path);
    std::printf("  (a scan of the entries per line would take about %.0f s)\n",
                timer.Cpu() / sample * count);
  }

  for (int code = 1; code <= 6; ++code) {
    const Timer timer;
    described.Sort(code);
    std::printf("%-36s %8.3f %8.3f\n", ("sort code " + std::to_string(code)).c_str(), timer.Wall(),
                timer.Cpu());
  }

  std::error_code ignored;
  std::filesystem::remove_all(pattern, ignored);
  return 0;
}
