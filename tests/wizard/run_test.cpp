// The run sequence of "&Finish" and the unattended start from the command line.
#include <gtest/gtest.h>

#include "generation/album_settings.h"
#include "generation/client_ui.h"
#include "platform/error.h"
#include "test_images.h"
#include "wizard_fixture.h"

namespace fotoloom::testing {
namespace {

class RunTest : public WizardTest {
 protected:
  void SetUp() override {
    WizardTest::SetUp();
    ResetAlbumSettings();
  }
  void TearDown() override {
    ResetAlbumSettings();
    WizardTest::TearDown();
  }

  // A generation that reports what the tests ask for and names a first page.
  void FakeGeneration(std::string message = "") {
    generate_ = [this, message] {
      ClearMessages();
      ++runs_;
      StepProgress();  // pumps, so a cancel click can arrive
      if (!message.empty()) AddMessage(message);
      Album().FirstPage = "_cat.html";
    };
  }

  // Opens the wizard on a valid album directory and walks to page 7.
  Wizard& OpenOnPage7() {
    Wizard& w = Open();
    w.model().editAlbumDirectory.SetText(album_dir_);
    while (w.CurrentPage() < 7) EXPECT_TRUE(w.StepPage(+1));
    ui_.events.clear();
    return w;
  }

  void ExpectFinishedState(const WizardModel& m) {
    EXPECT_TRUE(m.btnBegin.visible);
    EXPECT_TRUE(m.btnClose.visible);
    EXPECT_FALSE(m.btnCancel.visible);
    EXPECT_FALSE(m.btnNext.enabled);
    EXPECT_TRUE(m.chkboxSaveSettings.enabled);
    EXPECT_TRUE(m.chkBoxLaunchDefaultBrowser.enabled);
    EXPECT_TRUE(m.chkBoxExitAfterGenerating.enabled);
  }

  int runs_ = 0;
};

TEST_F(RunTest, ASuccessfulRunOpensTheBrowserSavesAndCloses) {
  FakeGeneration();
  Wizard& w = OpenOnPage7();
  WizardModel& m = w.model();
  m.editAlbumFileName.SetText("_cat.html");
  m.chkboxSaveSettings.SetChecked(true);
  m.chkBoxExitAfterGenerating.SetChecked(true);
  bool boxes_locked_during_run = false;
  ui_.on_pump = [&] {
    boxes_locked_during_run = !m.chkboxSaveSettings.enabled && !m.chkBoxExitAfterGenerating.enabled &&
                              !m.chkBoxLaunchDefaultBrowser.enabled && w.running();
  };
  w.btnFinishClick();
  EXPECT_EQ(runs_, 1);
  EXPECT_TRUE(boxes_locked_during_run);
  EXPECT_EQ(ui_.events,
            (std::vector<std::string>{"busy", "open: _cat.html in ", "close", "idle"}));
  EXPECT_TRUE(w.close_requested());
  EXPECT_NE(ReadText(settings_).find("AlbumDirectory=" + album_dir_ + "\n"), std::string::npos);
  ExpectFinishedState(m);
  EXPECT_FALSE(w.running());

  // "< &Begin" starts over on page 1 with every page reloaded.
  m.editAlbumName.SetText("not saved");
  w.btnBeginClick();
  EXPECT_EQ(w.CurrentPage(), 1);
  EXPECT_TRUE(m.gboxPage1.visible);
  EXPECT_FALSE(m.gboxPage7.visible);
  EXPECT_FALSE(m.btnBegin.visible);
  EXPECT_FALSE(m.btnClose.visible);
  EXPECT_EQ(m.editAlbumName.text(), "My Catalog [date]");
  EXPECT_EQ(m.ProgressBar1.Position(), 0);
  EXPECT_EQ(m.lblProgressInfo.caption(), "Waiting for user input...");
}

TEST_F(RunTest, RunMessagesAndCancelEndInCancelledWithoutSaving) {
  FakeGeneration("Selected directory does not contain supported image files !");
  Wizard& w = OpenOnPage7();
  WizardModel& m = w.model();
  m.chkboxSaveSettings.SetChecked(true);
  m.chkBoxExitAfterGenerating.SetChecked(true);
  w.RunGeneration();
  EXPECT_EQ(ui_.Warnings(), std::vector<std::string>{
                                "Selected directory does not contain supported image files !\r"});
  EXPECT_EQ(m.lblProgressInfo.caption(), "Cancelled.");
  EXPECT_FALSE(std::filesystem::exists(settings_));
  EXPECT_FALSE(w.close_requested());
  EXPECT_FALSE(ui_.Has("open: _cat.html in "));
  ExpectFinishedState(m);

  // A cancel click that arrives during the run.
  FakeGeneration();
  Wizard& again = OpenOnPage7();
  again.model().chkboxSaveSettings.SetChecked(true);
  ui_.on_pump = [&] { again.btnCancelClick(); };
  again.btnFinishClick();
  EXPECT_TRUE(ui_.Warnings().empty());
  EXPECT_EQ(again.model().lblProgressInfo.caption(), "Cancelled.");
  EXPECT_FALSE(std::filesystem::exists(settings_));
  ExpectFinishedState(again.model());

  // "&Close" afterwards saves when chosen; Esc never does.
  ui_.events.clear();
  again.btnExitClick();
  EXPECT_FALSE(std::filesystem::exists(settings_));
  again.btnCloseClick();
  EXPECT_TRUE(std::filesystem::exists(settings_));
  EXPECT_EQ(ui_.events, (std::vector<std::string>{"close", "close"}));
}

// A note (a colour pair hard to read) is shown as the messages are, yet the run is done.
TEST_F(RunTest, NotesAreShownAndTheRunStillCompletes) {
  generate_ = [] {
    ClearMessages();
    AddNote("Low contrast.");
    Album().FirstPage = "_cat.html";
  };
  Wizard& w = OpenOnPage7();
  w.model().chkboxSaveSettings.SetChecked(true);
  w.RunGeneration();
  EXPECT_EQ(ui_.Warnings(), std::vector<std::string>{"Low contrast.\r"});
  EXPECT_TRUE(ui_.Has("open: _cat.html in "));
  EXPECT_TRUE(std::filesystem::exists(settings_));
  EXPECT_NE(w.model().lblProgressInfo.caption(), "Cancelled.");
}

TEST_F(RunTest, AnErrorInsideTheRunLeavesAUsableWindow) {
  generate_ = [] { throw Error("Cannot create file /x/fldata/a.jpg"); };
  Wizard& w = OpenOnPage7();
  EXPECT_THROW(w.btnFinishClick(), Error);
  EXPECT_EQ(ui_.events, (std::vector<std::string>{"busy", "idle"}));
  ExpectFinishedState(w.model());
  EXPECT_FALSE(w.running());

  // A save refused after a good run reaches the caller the same way.
  FakeGeneration();
  WriteSettings("AlbumName=kept\n");
  ASSERT_EQ(::chmod(settings_.c_str(), 0444), 0);
  Wizard& again = OpenOnPage7();
  again.model().chkboxSaveSettings.SetChecked(true);
  again.model().chkBoxLaunchDefaultBrowser.SetChecked(false);
  EXPECT_THROW(again.RunGeneration(), Error);
  EXPECT_EQ(ReadText(settings_), "[Settings]\nAlbumName=kept\n");
  ExpectFinishedState(again.model());
}

TEST_F(RunTest, CommandLineStartGeneratesUnattended) {
  WriteJpeg(album_dir_ + "one.jpg", 64, 48);
  WriteJpeg(album_dir_ + "two.jpg", 30, 80);
  WriteSettings("SaveSettings=1\nLaunchDefaultBrowser=1\n");
  const std::string before = ReadText(settings_);
  command_line_ = album_dir_;
  Wizard& w = Open();  // the first paint starts the run
  EXPECT_TRUE(ui_.Warnings().empty());
  EXPECT_TRUE(ui_.Questions().empty());
  EXPECT_TRUE(w.close_requested());
  EXPECT_FALSE(ui_.Has("open: _cat.html in "));
  EXPECT_FALSE(w.model().chkboxSaveSettings.checked());
  EXPECT_TRUE(w.model().chkBoxExitAfterGenerating.checked());
  EXPECT_EQ(ReadText(settings_), before);
  EXPECT_EQ(Album().FirstPage, "_cat.html");
  EXPECT_TRUE(std::filesystem::exists(album_dir_ + "_cat.html"));
  EXPECT_TRUE(std::filesystem::exists(album_dir_ + "fldata/one.jpg"));
  EXPECT_TRUE(std::filesystem::exists(album_dir_ + "fldata/two.html"));
  w.FormPaint();  // later paints do nothing
  EXPECT_EQ(ui_.events.back(), "idle");

  // Started again on the same folder: page 1 finds the catalog and asks before overwriting.
  ui_.events.clear();
  ui_.answers = {true};
  Open();
  EXPECT_EQ(ui_.Questions(), std::vector<std::string>{kOverwriteQuestion});
  EXPECT_TRUE(std::filesystem::exists(album_dir_ + "_cat.html"));
}

TEST_F(RunTest, CommandLineStartOnAMissingFolderStaysOpen) {
  command_line_ = root_ + "no-such-folder";
  FakeGeneration("Selected directory does not contain supported image files !");
  Wizard& w = Open();
  EXPECT_EQ(runs_, 0);
  EXPECT_EQ(w.CurrentPage(), 1);
  EXPECT_EQ(ui_.Warnings(), std::vector<std::string>{kDirectoryWarning});
  EXPECT_FALSE(w.close_requested());

  // A run the user starts later still shows no run message box and closes when it fails.
  ui_.events.clear();
  w.model().editAlbumDirectory.SetText(album_dir_);
  while (w.CurrentPage() < 7) ASSERT_TRUE(w.StepPage(+1));
  w.btnFinishClick();
  EXPECT_EQ(runs_, 1);
  EXPECT_TRUE(ui_.Warnings().empty());
  EXPECT_EQ(w.model().lblProgressInfo.caption(), "Cancelled.");
  EXPECT_TRUE(w.close_requested());

  // No argument (or an empty one): nothing happens at the first paint.
  command_line_ = "";
  ui_.events.clear();
  Wizard& plain = Open();
  EXPECT_EQ(plain.CurrentPage(), 1);
  EXPECT_TRUE(ui_.events.empty());
}

}  // namespace
}  // namespace fotoloom::testing
