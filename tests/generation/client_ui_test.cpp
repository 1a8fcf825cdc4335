#include "generation/client_ui.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace fotoloom {
namespace {

using Log = std::vector<std::string>;

// Logs every call in order; like a real bar it never shows a position beyond its maximum.
class Recorder : public ProgressTarget {
 public:
  void SetMinimum(int v) override { Add("min", min_ = v); }
  void SetMaximum(int v) override { Add("max", max_ = v); }
  void SetPosition(int v) override {
    Add("pos", v);
    pos_ = std::clamp(v, min_, max_);
  }
  int Position() const override { return pos_; }
  int Maximum() const override { return max_; }
  void SetText(const std::string& text) override { log.push_back("text " + text); }
  void ProcessMessages() override { log.push_back("pump"); }
  std::string Text() const { return log.size() < 2 ? "" : log[log.size() - 2]; }
  Log log;
  int min_ = 0, max_ = 100, pos_ = 0;

 private:
  void Add(const std::string& call, int v) { log.push_back(call + " " + std::to_string(v)); }
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
  EXPECT_EQ(r.Text(), "text Processing: 3/40");
  for (int i = 3; i < 41; ++i) StepProgress();
  EXPECT_EQ(r.Text(), "text Processing: 40/40") << "one step too many shows what the bar shows";

  SetProgressMax(ProgressMax(), "Done.");
  EXPECT_EQ(r.max_, 40);
  EXPECT_EQ(r.pos_, 40);
  EXPECT_EQ(r.Text(), "text Done.");
  ResetProgress(0);
  EXPECT_EQ(r.min_ + r.max_ + r.pos_, 0);
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
