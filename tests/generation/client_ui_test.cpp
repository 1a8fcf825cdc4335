#include "generation/client_ui.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace fotoloom {
namespace {

// Behaves like a real progress bar (position kept inside the range) and logs every call in
// order, so tests see both the final state and the sequence the user would see.
class Recorder : public ProgressTarget {
 public:
  void SetMinimum(int minimum) override {
    min_ = minimum;
    max_ = std::max(max_, min_);
    pos_ = std::clamp(pos_, min_, max_);
    log.push_back("min " + std::to_string(minimum));
  }
  void SetMaximum(int maximum) override {
    max_ = maximum;
    min_ = std::min(min_, max_);
    pos_ = std::clamp(pos_, min_, max_);
    log.push_back("max " + std::to_string(maximum));
  }
  void SetPosition(int position) override {
    pos_ = std::clamp(position, min_, max_);
    log.push_back("pos " + std::to_string(position));
  }
  int Position() const override { return pos_; }
  int Maximum() const override { return max_; }
  int Minimum() const { return min_; }
  void SetText(const std::string& text) override {
    this->text = text;
    log.push_back("text " + text);
  }
  void ProcessMessages() override {
    ++pumps;
    log.push_back("pump");
  }

  std::vector<std::string> log;
  std::string text;
  int pumps = 0;

 private:
  int min_ = 0;
  int max_ = 100;
  int pos_ = 0;
};

class ClientUITest : public ::testing::Test {
 protected:
  void SetUp() override { ResetClientUI(); }
  void TearDown() override { ResetClientUI(); }
};

using Log = std::vector<std::string>;

TEST_F(ClientUITest, EveryReportSetsBarAndLabelThenPumps) {
  Recorder r;
  SetProgressTarget(&r);

  SetProgressMax(0, "Initializing...");
  ShowStatus("Sorting files...");
  ResetProgress(40);
  SetProgressPosition(7, "Creating unique thumbnail file names 8/40");
  PumpMessages();

  EXPECT_EQ(r.log, (Log{"max 0", "text Initializing...", "pump",
                        "text Sorting files...", "pump",
                        "pos 0", "min 0", "max 40", "text Initializing...", "pump",
                        "pos 7", "text Creating unique thumbnail file names 8/40", "pump",
                        "pump"}));
  EXPECT_EQ(r.Position(), 7);
  EXPECT_EQ(r.Maximum(), 40);
}

TEST_F(ClientUITest, StepProgressCountsAndShowsPositionOfMaximum) {
  Recorder r;
  SetProgressTarget(&r);
  ResetProgress(40);
  for (int i = 0; i < 3; ++i) StepProgress();
  EXPECT_EQ(r.text, "Processing: 3/40");
  EXPECT_EQ(r.Position(), 3);

  for (int i = 3; i < 40; ++i) StepProgress();
  EXPECT_EQ(r.text, "Processing: 40/40");
  // A step past the end shows what the bar shows, never 41/40.
  StepProgress();
  EXPECT_EQ(r.text, "Processing: 40/40");
  EXPECT_EQ(r.pumps, 1 + 41);
}

TEST_F(ClientUITest, ResetToEmptyListAndDoneKeepTheBar) {
  Recorder r;
  SetProgressTarget(&r);
  ResetProgress(10);
  for (int i = 0; i < 5; ++i) StepProgress();

  ResetProgress(0);
  EXPECT_EQ(r.Minimum(), 0);
  EXPECT_EQ(r.Maximum(), 0);
  EXPECT_EQ(r.Position(), 0);
  EXPECT_EQ(r.text, "Initializing...");

  ResetProgress(12);
  for (int i = 0; i < 4; ++i) StepProgress();
  SetProgressMax(ProgressMax(), "Done.");
  EXPECT_EQ(r.Maximum(), 12);
  EXPECT_EQ(r.Position(), 4);
  EXPECT_EQ(r.text, "Done.");
}

TEST_F(ClientUITest, WithoutBarAndLabelReportsOnlyPump) {
  // Nothing installed: silent, and the bar reads as maximum 0.
  ResetProgress(5);
  StepProgress();
  SetProgressMax(3, "x");
  EXPECT_EQ(ProgressMax(), 0);

  // A pump alone, or a bar without a label, is pumped but never drawn on.
  Recorder bar_only;
  Recorder pump;
  SetProgressTarget(&bar_only, nullptr, &pump);
  ResetProgress(5);
  StepProgress();
  SetProgressPosition(2, "x");
  ShowStatus("y");
  SetProgressMax(9, "z");
  EXPECT_TRUE(bar_only.log.empty());
  EXPECT_EQ(pump.log, (Log{"pump", "pump", "pump", "pump", "pump"}));
  EXPECT_EQ(ProgressMax(), 0);

  // Bar and label without a pump are drawn on; nothing is pumped.
  Recorder both;
  SetProgressTarget(&both, &both, nullptr);
  ShowStatus("Done.");
  EXPECT_EQ(both.log, (Log{"text Done."}));

  SetProgressTarget(nullptr);
  ShowStatus("gone");
  EXPECT_EQ(both.log.size(), 1u);
}

TEST_F(ClientUITest, MessagesAreCrTerminatedAndNeverTouchTheTargets) {
  Recorder r;
  SetProgressTarget(&r);

  EXPECT_EQ(GetMessages(), "");
  AddMessage("A");
  AddMessage("B");
  EXPECT_EQ(GetMessages(), "A\rB\r");
  AddMessage("");
  EXPECT_EQ(GetMessages(), "A\rB\r\r");
  ClearMessages();
  EXPECT_EQ(GetMessages(), "");
  AddMessage("Selected directory does not contain supported image files !");
  EXPECT_EQ(GetMessages(), "Selected directory does not contain supported image files !\r");
  EXPECT_TRUE(r.log.empty());

  // Warnings are collected with no front end at all, too.
  SetProgressTarget(nullptr);
  AddMessage("Thumbnail directory was not completely cleaned up.");
  EXPECT_EQ(GetMessages(),
            "Selected directory does not contain supported image files !\r"
            "Thumbnail directory was not completely cleaned up.\r");
}

TEST_F(ClientUITest, CancelFlagAndResetToStart) {
  Recorder r;
  SetProgressTarget(&r);
  EXPECT_FALSE(CancelRequested());
  SetCancelRequested(true);
  EXPECT_TRUE(CancelRequested());
  // Reports do not clear the flag; only the front end does.
  StepProgress();
  EXPECT_TRUE(CancelRequested());
  AddMessage("w");

  ResetClientUI();
  EXPECT_FALSE(CancelRequested());
  EXPECT_EQ(GetMessages(), "");
  const size_t logged = r.log.size();
  ShowStatus("after reset");
  EXPECT_EQ(r.log.size(), logged);
}

// The pump is where the front end's Cancel click is delivered; the flag must be visible to the
// run as soon as the report returns.
TEST_F(ClientUITest, CancelClickedDuringPumpIsSeenAfterTheReport) {
  class ClickingPump : public MessagePump {
   public:
    void ProcessMessages() override { SetCancelRequested(true); }
  } pump;
  Recorder r;
  SetProgressTarget(&r, &r, &pump);
  ResetProgress(3);
  EXPECT_TRUE(CancelRequested());
}

}  // namespace
}  // namespace fotoloom
