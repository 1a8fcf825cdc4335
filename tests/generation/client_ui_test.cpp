#include "generation/client_ui.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace fotoloom {
namespace {

using Log = std::vector<std::string>;

// Keeps its position inside the range as a real bar does, and logs every call in order.
class Recorder : public ProgressTarget {
 public:
  void SetMinimum(int v) override {
    min_ = v;
    max_ = std::max(max_, v);
    Clamp("min", v);
  }
  void SetMaximum(int v) override {
    max_ = v;
    min_ = std::min(min_, v);
    Clamp("max", v);
  }
  void SetPosition(int v) override {
    pos_ = v;
    Clamp("pos", v);
  }
  int Position() const override { return pos_; }
  int Maximum() const override { return max_; }
  int Minimum() const { return min_; }
  void SetText(const std::string& text) override { log.push_back("text " + text); }
  void ProcessMessages() override { log.push_back("pump"); }
  Log log;

 private:
  void Clamp(const std::string& call, int v) {
    pos_ = std::clamp(pos_, min_, max_);
    log.push_back(call + " " + std::to_string(v));
  }
  int min_ = 0, max_ = 100, pos_ = 0;
};

class ClientUITest : public ::testing::Test {
 protected:
  void SetUp() override { ResetClientUI(); }
  void TearDown() override { ResetClientUI(); }
};

TEST_F(ClientUITest, ReportsDriveBarAndLabelThenPump) {
  Recorder r;
  SetProgressTarget(&r);
  SetProgressMax(0, "Initializing...");
  ShowStatus("Sorting files...");
  ResetProgress(40);
  SetProgressPosition(7, "x 8/40");
  EXPECT_EQ(r.log, (Log{"max 0", "text Initializing...", "pump", "text Sorting files...", "pump",
                        "pos 0", "min 0", "max 40", "text Initializing...", "pump",
                        "pos 7", "text x 8/40", "pump"}));

  ResetProgress(40);
  for (int i = 0; i < 3; ++i) StepProgress();
  EXPECT_EQ(r.log.back(), "pump");
  EXPECT_EQ(r.log[r.log.size() - 2], "text Processing: 3/40");
  for (int i = 3; i < 41; ++i) StepProgress();
  // One step too many shows what the bar shows, never 41/40.
  EXPECT_EQ(r.log[r.log.size() - 2], "text Processing: 40/40");
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

  ResetProgress(12);
  for (int i = 0; i < 4; ++i) StepProgress();
  SetProgressMax(ProgressMax(), "Done.");
  EXPECT_EQ(r.Maximum(), 12);
  EXPECT_EQ(r.Position(), 4);
  EXPECT_EQ(r.log[r.log.size() - 2], "text Done.");
}

TEST_F(ClientUITest, IncompleteTargetsAreNeverDrawnOn) {
  ResetProgress(5);  // nothing installed: silent
  StepProgress();
  EXPECT_EQ(ProgressMax(), 0);

  Recorder bar_only, pump;
  SetProgressTarget(&bar_only, nullptr, &pump);
  ResetProgress(5);
  StepProgress();
  SetProgressPosition(2, "x");
  ShowStatus("y");
  SetProgressMax(9, "z");
  EXPECT_TRUE(bar_only.log.empty());
  EXPECT_EQ(pump.log, Log(5, "pump"));
  EXPECT_EQ(ProgressMax(), 0);

  Recorder no_pump;
  SetProgressTarget(&no_pump, &no_pump, nullptr);
  ShowStatus("Done.");
  EXPECT_EQ(no_pump.log, (Log{"text Done."}));
}

TEST_F(ClientUITest, WarningsCancelFlagAndReset) {
  Recorder r;
  SetProgressTarget(&r);
  AddMessage("A");
  AddMessage("B");
  EXPECT_EQ(GetMessages(), "A\rB\r");
  ClearMessages();
  EXPECT_EQ(GetMessages(), "");
  AddMessage("Selected directory does not contain supported image files !");
  EXPECT_TRUE(r.log.empty()) << "message operations neither draw nor pump";
  SetProgressTarget(nullptr);
  AddMessage("Thumbnail directory was not completely cleaned up.");
  EXPECT_EQ(GetMessages(),
            "Selected directory does not contain supported image files !\r"
            "Thumbnail directory was not completely cleaned up.\r");

  EXPECT_FALSE(CancelRequested());
  SetCancelRequested(true);
  StepProgress();
  EXPECT_TRUE(CancelRequested()) << "reports never clear the flag";

  SetProgressTarget(&r);
  ResetClientUI();
  EXPECT_FALSE(CancelRequested());
  EXPECT_EQ(GetMessages(), "");
  ShowStatus("after reset");
  EXPECT_TRUE(r.log.empty());
}

}  // namespace
}  // namespace fotoloom
