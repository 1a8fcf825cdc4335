// The terminal's progress display: what reaches the error stream, and how often.
#include "progress_display.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fotoloom::cli {
namespace {

// An in-memory stream whose text can be read back.
class Capture {
 public:
  Capture() : file_(open_memstream(&buffer_, &size_)) {}
  ~Capture() {
    std::fclose(file_);
    std::free(buffer_);
  }
  std::FILE* file() { return file_; }
  std::string text() {
    std::fflush(file_);
    return std::string(buffer_, size_);
  }

 private:
  char* buffer_ = nullptr;
  size_t size_ = 0;
  std::FILE* file_;
};

TEST(ProgressDisplayTest, PlainLinesComeAtMostOncePerSecondAndTheLastStateIsKept) {
  Capture out;
  ProgressDisplay d(out.file(), ProgressDisplay::Mode::kLines, 80);
  d.Update(0, 0, "Initializing...", 10'000);
  d.Update(1, 3, "Processing: 1/3", 10'400);  // held back: within the second
  d.Update(2, 3, "Processing: 2/3", 11'000);  // a second later: written
  d.Update(2, 3, "Processing: 2/3", 12'500);  // unchanged: nothing new
  d.Update(3, 3, "Processing: 3/3", 12'600);
  d.Update(3, 3, "Done.", 12'700);            // held back, but shown at the end
  d.Finish();
  EXPECT_EQ(out.text(), "Initializing...\nProcessing: 2/3\nProcessing: 3/3\nDone.\n");
}

TEST(ProgressDisplayTest, BarLineFitsTheTerminalWithoutCuttingACharacter) {
  EXPECT_EQ(ProgressDisplay::BarLine(5, 10, "Processing: 5/10", 80),
            "[############............] Processing: 5/10");
  EXPECT_EQ(ProgressDisplay::BarLine(0, 0, "Initializing...", 80),
            "[........................] Initializing...");
  // A position outside the range never overfills the bar.
  EXPECT_EQ(ProgressDisplay::BarLine(12, 10, "x", 80).substr(0, 26),
            "[########################]");
  // 26 columns for the bar and blank, then "Copying: " and a name with two-byte letters: on a
  // 40-column terminal 39 characters fit, ending after the second "é".
  const std::string line =
      ProgressDisplay::BarLine(0, 0, "Copying: \xC3\xA9t\xC3\xA9 \xC3\xA0 la plage.jpg", 40);
  EXPECT_EQ(line, "[........................] Copying: \xC3\xA9t\xC3\xA9");
  EXPECT_EQ(CutToCharacters("\xE6\xB5\xB7\xE8\xBE\xBA.jpg", 1), "\xE6\xB5\xB7");
  EXPECT_EQ(CutToCharacters("abc", 0), "");
}

TEST(ProgressDisplayTest, BarIsRedrawnInPlaceAndClearedForOtherOutput) {
  Capture out;
  ProgressDisplay d(out.file(), ProgressDisplay::Mode::kBar, 80);
  d.Update(1, 2, "Processing: 1/2", 0);
  d.Interrupt();
  d.Update(1, 2, "Processing: 1/2", 1);  // cleared before: drawn again though unchanged
  d.Finish();
  EXPECT_EQ(out.text(),
            "\r[############............] Processing: 1/2\x1b[K"
            "\r\x1b[K"
            "\r[############............] Processing: 1/2\x1b[K"
            "\n");
}

}  // namespace
}  // namespace fotoloom::cli
