// Hostile image files cost their own thumbnail and nothing more: the reader fails cleanly or
// succeeds, the thumbnail falls back when it fails, and the process never holds more than
// 1.5 times the image bound, however large the file or the size it claims. Each file is made
// on the spot from a short description (holes stand for its gigabytes) and read in a child
// process, whose peak resident size the kernel reports.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "crafted_files.h"
#include "image_test_util.h"
#include "imaging/jpeg_graphic.h"
#include "imaging/picture_loader.h"
#include "imaging/thumbnails.h"

namespace fotoloom {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  bool exited = false;  // normally, not by a signal
  std::string error;    // "(decoded)" when the reader succeeded
  bool thumbnail = false;
  long peakKiB = 0;
};

// Reads the file, and makes its thumbnail unless thumbnail is empty, in a child process that a
// minute ends: whatever is refused is refused long before.
Outcome ReadInChild(const std::string& path, const std::string& thumbnail) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::alarm(60);
    ::close(pipeFds[0]);
    std::string report = "(decoded)";
    try {
      LoadPicture(path);
    } catch (const std::exception& e) {
      report = e.what();
    }
    report += !thumbnail.empty() && CreateThumbnail(path, thumbnail, 100, 100) ? "\n1" : "\n0";
    const ssize_t written = ::write(pipeFds[1], report.data(), report.size());
    ::_exit(written == static_cast<ssize_t>(report.size()) ? 0 : 1);
  }
  ::close(pipeFds[1]);
  std::string report;
  char buffer[256];
  for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) report.append(buffer, n);
  ::close(pipeFds[0]);
  Outcome outcome;
  int status = 0;
  rusage usage{};
  if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid) return outcome;
  outcome.exited = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  outcome.peakKiB = usage.ru_maxrss;
  const std::size_t newline = report.rfind('\n');
  if (newline != std::string::npos) {
    outcome.error = report.substr(0, newline);
    outcome.thumbnail = report.substr(newline + 1) == "1";
  }
  return outcome;
}

constexpr long kPeakLimitKiB = static_cast<long>(kMaxImageBytes / 1024 * 3 / 2);

class HostileFilesTest : public ::testing::Test {
 protected:
  // Holes read fast from memory-backed /dev/shm; from a disk, reading a gigabyte of them can
  // take seconds.
  void SetUp() override {
    std::string pattern = "/dev/shm/fotoloom-hostile-XXXXXX";
    dir_ = ::access("/dev/shm", W_OK) == 0 && ::mkdtemp(pattern.data()) != nullptr
               ? pattern
               : testing::MakeTempDir();
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string dir_;
};

// A small JPEG whose frame header the cases rewrite; its scans cover only 16 x 16 pixels.
std::vector<std::uint8_t> SmallJpeg(bool progressive, TImageFormat format = ifColor16M) {
  TJpegGraphic image;
  image.NewImage(16, 16, format, nullptr, 0, 0);
  image.SetProgressive(progressive);
  std::ostringstream out;
  image.SaveToStream(out);
  const std::string bytes = out.str();
  return {bytes.begin(), bytes.end()};
}

TEST_F(HostileFilesTest, FailCleanlyOrDecodeWithinTheBound) {
  constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;
  const crafted::Piece endOfBitmap{{0, 1}, 1};
  crafted::Bmp rle;
  rle.width = rle.height = 16;
  rle.bits = 8;
  rle.compression = 1;
  rle.tableEntries = 2;
  crafted::Bmp plain;
  plain.width = plain.height = 4;
  plain.pixels = {{{0x40, 0x80, 0xC0}, 16}};
  crafted::Jpeg progressive;
  progressive.base = SmallJpeg(true);

  struct Case {
    const char* what;
    const char* name;
    std::function<void(crafted::Bmp&, crafted::Jpeg&)> change;
    const char* error;  // "(decoded)": the reader succeeds and so does the thumbnail
  } cases[] = {
      {"8.5 million run-length deltas to the right, then a pixel (a 34 MB file)", "deltas.bmp",
       [&](crafted::Bmp& b, crafted::Jpeg&) {
         b = rle;
         b.pixels = {{{0, 2, 255, 0}, 8'500'000}, {{1, 1}, 1}, endOfBitmap};
       },
       "Bitmap image is not valid"},
      {"8 GiB of run-length line ends", "line-ends.bmp",
       [&](crafted::Bmp& b, crafted::Jpeg&) {
         b = rle;
         b.zeroTail = 8 * kGiB;
       },
       "Bitmap image is not valid"},
      {"a 4 x 4 bitmap followed by 8 GiB", "tail.bmp",
       [&](crafted::Bmp& b, crafted::Jpeg&) {
         b = plain;
         b.zeroTail = 8 * kGiB;
       },
       "(decoded)"},
      {"an 18900 x 18900 4:4:4 progressive header", "coefficients.jpg",
       [&](crafted::Bmp&, crafted::Jpeg& j) {
         j = progressive;
         j.width = j.height = 18900;
         j.firstSampling = 0x11;
       },
       "CreateDibSection failed"},
      {"a progressive 12-megapixel photo without its data", "photo.jpg",
       [&](crafted::Bmp&, crafted::Jpeg& j) {
         j = progressive;
         j.width = 4000;
         j.height = 3000;
       },
       "(decoded)"},
      {"a progressive 12-megapixel photo of 2000 scans", "scans.jpg",
       [&](crafted::Bmp&, crafted::Jpeg& j) {
         j = progressive;
         j.width = 4000;
         j.height = 3000;
         j.extraFirstScans = 2000;
       },
       "JPEG file has more than 500 scans"},
      {"a progressive 16000 x 16000 gray header of 500 scans (494 copies of its first)",
       "passes.jpg",
       [&](crafted::Bmp&, crafted::Jpeg& j) {
         j.base = SmallJpeg(true, ifGray256);
         j.width = j.height = 16000;
         j.extraFirstScans = 494;
       },
       "JPEG file's scans pass over its blocks more than 32 times"},
      {"a JPEG behind 2 GiB of APP1 segments", "segments.jpg",
       [&](crafted::Bmp&, crafted::Jpeg& j) {
         j.base = SmallJpeg(false);
         j.emptyApp1Segments = 2 * kGiB / 0x10001;
       },
       "(decoded)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    crafted::Bmp bmp;
    crafted::Jpeg jpeg;
    c.change(bmp, jpeg);
    const std::string path = dir_ + "/" + c.name;
    const bool isBmp = fs::path(path).extension() == ".bmp";
    ASSERT_TRUE(isBmp ? crafted::WriteBmp(path, bmp) : crafted::WriteJpeg(path, jpeg));
    const Outcome outcome = ReadInChild(path, dir_ + "/thumbnail.jpg");
    EXPECT_TRUE(outcome.exited);
    EXPECT_EQ(outcome.error, c.error);
    EXPECT_EQ(outcome.thumbnail, outcome.error == "(decoded)");
    EXPECT_LT(outcome.peakKiB, kPeakLimitKiB);
    fs::remove(path);
    fs::remove(dir_ + "/thumbnail.jpg");
  }
}

// Every input the fuzz targets ever stopped on (fuzz/regressions/TARGET/) is read again as a
// file: the reader fails cleanly or succeeds, within the bound. (A fuzzing build's bound is
// smaller: some of them decode here.)
TEST_F(HostileFilesTest, FuzzFindingsStayMended) {
  const std::string root = std::string(FOTOLOOM_SOURCE_DIR) + "/fuzz/regressions";
  int replayed = 0;
  for (const std::string& relative : testing::FilesUnder(root, {""})) {
    SCOPED_TRACE(relative);
    const std::string target = relative.substr(0, relative.find('/'));
    const std::vector<std::uint8_t> input = testing::ReadBytes(root + "/" + relative);
    std::string path = dir_ + "/input";
    if (target == "bmp_crafted") {
      path += ".bmp";
      ASSERT_TRUE(crafted::WriteBmp(path, crafted::BmpFromFuzzInput(input.data(), input.size())));
    } else if (target == "jpeg_crafted") {
      path += ".jpg";
      ASSERT_TRUE(crafted::WriteJpeg(path, crafted::JpegFromFuzzInput(input.data(), input.size())));
    } else {
      path += "." + target;  // bmp, jpeg, png: the input is the file
      std::ofstream(path, std::ios::binary)
          .write(reinterpret_cast<const char*>(input.data()),
                 static_cast<std::streamsize>(input.size()));
    }
    const Outcome outcome = ReadInChild(path, "");
    EXPECT_TRUE(outcome.exited);
    EXPECT_LT(outcome.peakKiB, kPeakLimitKiB);
    fs::remove(path);
    fs::remove(dir_ + "/thumbnail.jpg");
    ++replayed;
  }
  EXPECT_GT(replayed, 0);
}

}  // namespace
}  // namespace fotoloom
