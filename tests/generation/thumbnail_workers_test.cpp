// The run with thumbnail workers: whatever their number, the same bytes in every file, the same
// progress texts, PNG warnings and errors as the writer alone gives; a cancel writes nothing
// after the point where the writer saw it; large images wait for each other within the memory
// budget; and the default number follows the CPUs and quota.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "crafted_files.h"
#include "files/file_utils.h"
#include "generation/album.h"
#include "generation/thumbnail_pool.h"
#include "generation/usable_cpus.h"
#include "imaging/buffer_reuse.h"
#include "imaging/png_graphic.h"
#include "imaging/thumbnails.h"
#include "run_outcome.h"

namespace fotoloom::testing {
namespace {

using ThumbnailWorkersTest = RunOutcomeTest;

TEST_F(ThumbnailWorkersTest, AnyNumberOfWorkersGivesTheCatalogOfOne) {
  MixedAlbum();

  // 13 pictures, a thumbnail and a page each, 3 index pages, the data folder's marker; with
  // the display options, a companion for every thumbnail and previews of the larger pictures.
  for (const bool display : {false, true}) {
    SCOPED_TRACE(display ? "display options on" : "display options off");
    Album().HiDPIThumbnails = Album().PreviewImages = display;
    Album().PreviewWidth = Album().PreviewHeight = 320;
    const Outcome alone = Run(1);
    EXPECT_EQ(alone.error, "");
    EXPECT_EQ(alone.messages, "");
    EXPECT_EQ(alone.files.size(), 13u + 2 * 13 + 3 + 1 + (display ? 13 + 4 : 0));
    EXPECT_FALSE(alone.png_warnings.empty());
    for (const int workers : {2, 4}) {
      SCOPED_TRACE(std::to_string(workers) + " workers");
      const Outcome outcome = Run(workers);
      EXPECT_EQ(outcome.labels, alone.labels);
      EXPECT_EQ(outcome.png_warnings, alone.png_warnings);
      EXPECT_TRUE(outcome == alone);  // every byte of every file
    }
  }
  Album().HiDPIThumbnails = Album().PreviewImages = false;

  // A source that fails to read ends the run at its item, with the files before it.
  fs::create_symlink("/proc/self/mem", album_ / "d unreadable.jpg");
  const Outcome failed = Run(1);
  EXPECT_EQ(failed.error, "Cannot open file " + (album_ / "d unreadable.jpg").string());
  for (const int workers : {2, 4}) EXPECT_TRUE(Run(workers) == failed) << workers;
}

// Pumps the front end as a window would; cancel_in_wait raises the cancel flag at the first
// pump that comes without a new label, which only a writer waiting for a worker makes.
class WaitingRecorder : public ProgressRecorder {
 public:
  void ProcessMessages() override {
    if (cancel_in_wait && labels.size() == labels_at_last_pump) SetCancelRequested(true);
    labels_at_last_pump = labels.size();
  }
  bool cancel_in_wait = false;
  std::size_t labels_at_last_pump = 0;
};

TEST_F(ThumbnailWorkersTest, NothingAfterTheCancelIsWritten) {
  // The first photo takes a worker long enough that the writer waits for it.
  Image("p00.jpg", 4000, 3000);
  for (const char* name :
       {"p01", "p02", "p03", "p04", "p05", "p06", "p07", "p08", "p09", "p10", "p11"})
    Image(std::string(name) + ".jpg");
  Album().ThumbsPerRow = 4;
  Album().ThumbRowsPerFile = kSingleFileRows;
  Album().ThumbnailWorkers = 4;
  Album().GenerateHTMLImages = true;

  const struct {
    bool in_wait;
    std::set<std::string> data;  // what the data folder holds afterwards
    std::string last_label;
  } cases[] = {
      // Seen at item 3's progress step: items 0 to 2 are written.
      {false,
       {"p00.jpg", "p00.html", "p01.jpg", "p01.html", "p02.jpg", "p02.html"},
       "Processing: 4/12"},
      // Seen while waiting for item 0: item 0 is finished, nothing the workers made after it
      // is written.
      {true, {"p00.jpg", "p00.html"}, "Processing: 2/12"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in_wait ? "cancel while waiting" : "cancel at a progress step");
    fs::remove_all(data());
    WaitingRecorder progress;
    progress.cancel_in_wait = c.in_wait;
    if (!c.in_wait) {
      progress.cancel_when = [](const std::vector<std::string>& labels) {
        return labels.back() == "Processing: 4/12";
      };
    }
    SetProgressTarget(&progress);
    SetCancelRequested(false);
    Album().AlbumDirectory = album_.string();
    Album().ThumbDirectory = "fldata";
    generate();
    SetProgressTarget(&progress_);
    EXPECT_TRUE(CancelRequested());
    std::set<std::string> expected = c.data;
    expected.insert(kDataDirectoryMarker);
    EXPECT_EQ(Listing(data()), expected);
    ASSERT_GE(progress.labels.size(), 2u);
    EXPECT_EQ(progress.labels[progress.labels.size() - 2], c.last_label);
    EXPECT_EQ(Count(Read(album_ / "index.html"), "valign=\"center\""), c.data.size() / 2);
  }
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitizedHeap = true;
#else
constexpr bool kSanitizedHeap = false;
#endif

// Four workers make the thumbnails of jobs within a budget of budget_bytes, in this process,
// which must be a fresh one: as in the programs, whose heap is one (RetainFreedImageMemory),
// not the many a test process's earlier threads made. Returns "made grown_kib most_held": the
// thumbnails made (each the same as the first), the growth of the peak resident size, and the
// most the budget saw held at once.
std::string MakeWithinBudget(const std::vector<ThumbnailJob>& jobs, std::uint64_t budget_bytes) {
  RetainFreedImageMemory();
  rusage before{}, after{};
  ::getrusage(RUSAGE_SELF, &before);
  MemoryBudget budget(budget_bytes);
  int made = 0;
  {
    ThumbnailPool pool(jobs, 4, nullptr, &budget);
    std::optional<std::string> first;
    for (int i = 0; i < static_cast<int>(jobs.size()); ++i) {
      const ThumbnailResult result = pool.Take(i, [] { return true; });
      if (i == 0) first = result.jpeg;
      made += result.jpeg && result.jpeg == first;
    }
  }
  ::getrusage(RUSAGE_SELF, &after);
  return std::to_string(made) + " " + std::to_string(after.ru_maxrss - before.ru_maxrss) + " " +
         std::to_string(budget.peak());
}

std::vector<ThumbnailJob> HeaderJobs(const fs::path& folder) {
  std::vector<ThumbnailJob> jobs;
  for (int i = 0; i < 8; ++i)
    jobs.push_back({(folder / (std::to_string(i) + ".jpg")).string(), 100, 100});
  return jobs;
}

// Eight headers of 3000 x 3000 progressive photos without their data, about 27 MB each to
// decode (the decoder's coefficients; the rows are resampled as they come), made by four workers in
// a process of their own (this test started again): with a budget for two and a half of them its
// peak grows by no more than the budget, and with a budget smaller than one image every thumbnail
// is still made, one image at a time.
TEST_F(ThumbnailWorkersTest, LargeImagesWaitForEachOtherWithinTheBudget) {
  if (const char* child = std::getenv("FOTOLOOM_BUDGET_RUN")) {
    std::istringstream request(child);
    std::uint64_t budget = 0;
    std::string folder;
    request >> budget >> folder;
    const std::string report = MakeWithinBudget(HeaderJobs(folder), budget);
    fs::remove_all(root_);
    std::_Exit(::write(3, report.data(), report.size()) == static_cast<ssize_t>(report.size()) ? 0
                                                                                               : 1);
  }
  crafted::Jpeg header;
  const std::string base = Read(TestData("jpeg/jpeg-decoder/mozilla/jpg-progressive.jpg"));
  header.base.assign(base.begin(), base.end());
  header.width = header.height = 3000;
  const std::vector<ThumbnailJob> jobs = HeaderJobs(album_);
  for (const ThumbnailJob& job : jobs) ASSERT_TRUE(crafted::WriteJpeg(job.source_path, header));
  const std::optional<TImageHeader> read = ReadPictureHeader(jobs[0].source_path);
  ASSERT_TRUE(read);
  const std::uint64_t image = OutputsMemory(*read, {{100, 100}});
  ASSERT_GT(image, std::uint64_t{25} << 20);
  constexpr std::uint64_t kSlack = std::uint64_t{24} << 20;  // stacks, libjpeg's rows, results

  const struct {
    const char* what;
    std::uint64_t budget;
    std::uint64_t most_held;  // the most the budget may have seen held at once
  } cases[] = {
      {"a budget for two and a half images", image * 5 / 2, 2 * image},
      {"a budget smaller than one image", image / 4, image},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const std::string request = std::to_string(c.budget) + " " + album_.string();
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::dup2(out[1], 3);
      ::setenv("FOTOLOOM_BUDGET_RUN", request.c_str(), 1);
      ::execl("/proc/self/exe", "thumbnail_workers_test",
              "--gtest_filter=ThumbnailWorkersTest.LargeImagesWaitForEachOtherWithinTheBudget",
              static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(out[1]);
    std::string report;
    char buffer[64];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) report.append(buffer, n);
    ::close(out[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << report;
    std::istringstream fields(report);
    int made = 0;
    long grown_kib = 0;
    std::uint64_t most_held = 0;
    fields >> made >> grown_kib >> most_held;
    EXPECT_EQ(made, 8);
    EXPECT_EQ(most_held, c.most_held);
    // A sanitizer's allocator keeps freed memory aside for a while, beyond any budget's reach.
    if (!kSanitizedHeap) {
      EXPECT_LT(static_cast<std::uint64_t>(grown_kib) * 1024, std::max(c.budget, image) + kSlack);
    }
  }
}

TEST(UsableCpusTest, QuotasAndTheirFolders) {
  EXPECT_EQ(CpusFromCpuMax("max 100000\n"), 0);
  EXPECT_EQ(CpusFromCpuMax("200000 100000\n"), 2);
  EXPECT_EQ(CpusFromCpuMax("150000 100000"), 2);  // a part of a CPU still needs a thread
  EXPECT_EQ(CpusFromCpuMax("1000 100000\n"), 1);
  EXPECT_EQ(CpusFromCpuMax(""), 0);
  EXPECT_EQ(CpusFromCpuMax("100000"), 0);
  EXPECT_EQ(CpusFromCfsQuota("-1\n", "100000\n"), 0);
  EXPECT_EQ(CpusFromCfsQuota("400000\n", "100000\n"), 4);
  EXPECT_EQ(CpusFromCfsQuota("50000\n", "0\n"), 0);

  using Folders = std::vector<std::pair<std::string, bool>>;
  const auto folders = [](const std::string& mountinfo, const std::string& cgroup) {
    Folders list;
    for (const CpuQuotaFolder& f : CpuQuotaFolders(mountinfo, cgroup))
      list.emplace_back(f.path, f.v2);
    return list;
  };
  // cgroup v2 alone, the process three levels down.
  EXPECT_EQ(folders("30 23 0:26 / /sys/fs/cgroup rw,nosuid shared:4 - cgroup2 cgroup2 rw\n",
                    "0::/user.slice/user-1000.slice/session-2.scope\n"),
            (Folders{{"/sys/fs/cgroup/user.slice/user-1000.slice/session-2.scope", true},
                     {"/sys/fs/cgroup/user.slice/user-1000.slice", true},
                     {"/sys/fs/cgroup/user.slice", true},
                     {"/sys/fs/cgroup", true}}));
  // Both hierarchies, v1's "cpu" controller mounted with cpuacct; other controllers ignored.
  EXPECT_EQ(folders("31 30 0:28 / /sys/fs/cgroup/memory rw - cgroup cgroup rw,memory\n"
                    "32 30 0:29 / /sys/fs/cgroup/cpu,cpuacct rw - cgroup cgroup rw,cpu,cpuacct\n"
                    "40 30 0:37 / /sys/fs/cgroup/unified rw - cgroup2 cgroup2 rw\n",
                    "4:memory:/job\n3:cpu,cpuacct:/job\n0::/\n"),
            (Folders{{"/sys/fs/cgroup/cpu,cpuacct/job", false},
                     {"/sys/fs/cgroup/cpu,cpuacct", false},
                     {"/sys/fs/cgroup/unified", true}}));
  // A container sees its own group as the mount's root; a group outside the root gives none.
  const std::string container =
      "99 98 0:40 /docker/abc /sys/fs/cgroup/cpu ro - cgroup cpu rw,cpu\n";
  EXPECT_EQ(folders(container, "2:cpu:/docker/abc\n"), (Folders{{"/sys/fs/cgroup/cpu", false}}));
  EXPECT_EQ(folders(container, "2:cpu:/docker/abcdef\n"), Folders{});
  EXPECT_EQ(folders("", "0::/\n"), Folders{});

  EXPECT_GE(UsableCpuCount(), 1);
}

}  // namespace
}  // namespace fotoloom::testing
