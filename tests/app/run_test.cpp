// Runs started from the window: "&Finish" on a real album, "&Cancel" during the run, the
// unattended start, and the ways of closing the window.
#include <QProgressBar>
#include <QTimer>
#include <algorithm>
#include <filesystem>

#include "generation/album_settings.h"
#include "platform/error.h"
#include "test_images.h"
#include "window_fixture.h"

namespace fotoloom::testing {
namespace {

class WindowRunTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    ResetAlbumSettings();
    WriteJpeg(exe_dir_ + "default.jpg", 8, 8);
  }
  void TearDown() override {
    WindowTest::TearDown();
    ResetAlbumSettings();
  }

  void MakeAlbum(int images) {
    for (int i = 0; i < images; ++i)
      WriteJpeg(album_dir_ + "photo " + std::to_string(100 + i) + ".jpg", 40, 30);
  }
  bool Exists(const std::string& path) { return std::filesystem::exists(path); }
  std::string Status() { return Find<QLabel>("lblProgressInfo")->text().toStdString(); }
  void ExpectFinishedRow() {
    EXPECT_EQ(SlotCaption(kLeftSlot), "< &Begin");
    EXPECT_TRUE(SlotEnabled(kLeftSlot));
    EXPECT_EQ(SlotCaption(kSecondSlot), "&Next >");
    EXPECT_FALSE(SlotEnabled(kSecondSlot));
    EXPECT_EQ(SlotCaption(kThirdSlot), "&Close");
    EXPECT_TRUE(SlotEnabled(kThirdSlot));
  }
};

TEST_F(WindowRunTest, FinishGeneratesTheCatalogAndOpensItsFirstPage) {
  MakeAlbum(3);
  WriteSettings("AlbumFileName=index.html\nAlbumDirectory=" + album_dir_ + "\n");
  Show();
  GoTo(3);
  // What the user sees while the run pumps: "&Cancel" over "&Finish", navigation disabled.
  // A timer fires inside the run's first event pumping.
  std::string running_row;
  QTimer::singleShot(0, window_.get(), [&] {
    running_row = SlotCaption(kLeftSlot) + (SlotEnabled(kLeftSlot) ? "+" : "-") + "|" +
                  SlotCaption(kSecondSlot) + (SlotEnabled(kSecondSlot) ? "+" : "-") + "|" +
                  SlotCaption(kThirdSlot) + (SlotEnabled(kThirdSlot) ? "+" : "-") + "|" +
                  (Check("chkboxSaveSettings")->isEnabled() ? "boxes on" : "boxes off") + "|" +
                  (QApplication::overrideCursor() ? "busy" : "idle");
  });
  Click("btnFinish");
  EXPECT_EQ(running_row, "< &Back-|&Next >-|&Cancel+|boxes off|busy");
  EXPECT_EQ(window_->wizard().CurrentPage(), 7);
  EXPECT_TRUE(Exists(album_dir_ + "index.html"));
  EXPECT_TRUE(Exists(album_dir_ + "fldata"));
  EXPECT_EQ(ui_.Warnings(), std::vector<std::string>{});
  EXPECT_TRUE(ui_.Has("open: index.html in ")) << ::testing::PrintToString(ui_.events);
  EXPECT_EQ(Status(), "Done.");
  auto* bar = Find<QProgressBar>("ProgressBar1");
  EXPECT_EQ(bar->value(), 3);
  EXPECT_EQ(bar->maximum(), 3);
  ExpectFinishedRow();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(window_->isVisible());

  // "< &Begin" starts over on page 1 with the stored values and a fresh status.
  Click("btnBegin");
  EXPECT_EQ(window_->wizard().CurrentPage(), 1);
  EXPECT_EQ(SlotCaption(kLeftSlot), "< &Back");
  EXPECT_EQ(SlotCaption(kThirdSlot), "&Finish");
  EXPECT_EQ(Status(), "Waiting for user input...");
  EXPECT_EQ(bar->value(), 0);
}

TEST_F(WindowRunTest, ButtonsOutOfSightAnswerNoKey) {
  MakeAlbum(1);
  WriteSettings("AlbumDirectory=" + album_dir_ + "\n");
  Show();
  GoTo(7);
  Click("btnFinish");  // "< &Begin" and "&Close" now cover "< &Back" and "&Finish"
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  auto runs = [this] {  // each run that succeeds opens its catalog
    return std::count(ui_.events.begin(), ui_.events.end(), "open: _cat.html in ");
  };
  ASSERT_EQ(runs(), 1);
  // An accelerator presses its button a moment later, as an animated click.
  auto press = [this](Qt::Key key) {
    QTest::keyClick(window_.get(), key, Qt::AltModifier);
    QTest::qWait(200);
  };
  press(Qt::Key_F);  // the covered "&Finish"
  press(Qt::Key_N);  // the disabled "&Next >"
  EXPECT_EQ(runs(), 1);
  EXPECT_EQ(window_->wizard().CurrentPage(), 7);
  press(Qt::Key_B);  // "< &Begin", no longer sharing its key with the covered "< &Back"
  EXPECT_EQ(window_->wizard().CurrentPage(), 1);
}

TEST_F(WindowRunTest, BoxesShowOverTheValuesTheyAskAbout) {
  // Started on a folder that holds a catalog, while the stored folder is another one.
  MakeAlbum(1);
  Touch(album_dir_ + "_cat.html");
  WriteSettings("AlbumDirectory=" + root_ + "\n");
  command_line_ = album_dir_;
  struct Shell : ScriptedUi {
    std::function<void()> before_box;
    bool AskQuestion(const std::string& text) override {
      before_box();
      return ScriptedUi::AskQuestion(text);
    }
  } shell;
  std::vector<std::string> shown;
  shell.before_box = [&] { shown.push_back(Edit("editAlbumDirectory")->text().toStdString()); };
  window_ = std::make_unique<TMainDlg>(Environment(), &shell);
  window_->show();
  EXPECT_TRUE(ProcessUntil([&] { return !shown.empty(); }));
  EXPECT_EQ(shown, std::vector<std::string>{album_dir_});
}

TEST_F(WindowRunTest, HelpOrCatalogThatCannotBeOpenedIsNamedWithoutStoppingTheRun) {
  MakeAlbum(2);
  WriteSettings("AlbumDirectory=" + album_dir_ + "\n");
  Show();
  GoTo(7);
  ui_.opens = false;
  QTimer::singleShot(0, window_.get(), [&] { Click("btnHelp"); });  // inside the run
  Click("btnFinish");
  EXPECT_EQ(Status(), "Done.");
  EXPECT_EQ(ui_.Warnings(),
            (std::vector<std::string>{
                "The help could not be opened:\r" + exe_dir_ + "fotoloom.html",
                "The catalog could not be opened in a Web browser:\r" + album_dir_ + "_cat.html"}));
  ExpectFinishedRow();
}

TEST_F(WindowRunTest, CancelDuringTheRunStopsItWithoutSaving) {
  MakeAlbum(12);
  WriteSettings("AlbumDirectory=" + album_dir_ + "\nSaveSettings=1\nExitAfterGenerating=1\n");
  const std::string stored = ReadText(settings_);
  Show();
  GoTo(7);
  ASSERT_TRUE(Check("chkboxSaveSettings")->isChecked());
  // The click arrives through the run's own event pumping, like a user's would.
  bool clicked = false;
  QTimer::singleShot(0, window_.get(), [&] {
    clicked = Button("btnCancel")->isVisible();
    Click("btnCancel");
  });
  Click("btnFinish");
  EXPECT_TRUE(clicked);
  EXPECT_EQ(Status(), "Cancelled.");
  EXPECT_FALSE(ui_.Has("open: _cat.html in "));
  EXPECT_EQ(ReadText(settings_), stored);
  ExpectFinishedRow();
  EXPECT_TRUE(window_->isVisible());  // exit only follows a run that succeeded

  // "&Close" saves when saving is chosen, then closes.
  Click("btnClose");
  EXPECT_TRUE(window_->isHidden());
  EXPECT_NE(ReadText(settings_).find("AlbumDirectory=" + album_dir_), std::string::npos);
  EXPECT_NE(ReadText(settings_).find("ThumbDirectory=fldata"), std::string::npos);
}

TEST_F(WindowRunTest, RunWarningsAreShownOnceAndEndInCancelled) {
  WriteSettings("AlbumDirectory=" + album_dir_ + "\n");  // an album without pictures
  Show();
  GoTo(7);
  Click("btnFinish");
  EXPECT_EQ(ui_.Warnings(), std::vector<std::string>{
                                "Selected directory does not contain supported image files !\r"});
  EXPECT_EQ(Status(), "Cancelled.");
  ExpectFinishedRow();
}

TEST_F(WindowRunTest, DirectoryArgumentRunsUnattendedAndCloses) {
  MakeAlbum(2);
  WriteSettings("SaveSettings=1\n");
  const std::string stored = ReadText(settings_);
  command_line_ = album_dir_;
  window_ = std::make_unique<TMainDlg>(Environment(), &ui_);
  window_->show();
  EXPECT_TRUE(ProcessUntil([this] { return window_->isHidden(); }));
  EXPECT_TRUE(Exists(album_dir_ + "_cat.html"));
  EXPECT_EQ(ui_.events, std::vector<std::string>{});  // no box, no browser
  EXPECT_EQ(ReadText(settings_), stored);
}

TEST_F(WindowRunTest, AFolderToOpenWithFillsTheFieldAndRunsNothing) {
  const char* opened[] = {"fotoloom", "--open", "/photos/trip"};
  const char* run[] = {"fotoloom", "/photos/trip"};
  EXPECT_EQ(DefaultWizardEnvironment(3, opened).start_directory, "/photos/trip");
  EXPECT_EQ(DefaultWizardEnvironment(3, opened).command_line_directory, "");
  EXPECT_EQ(DefaultWizardEnvironment(2, run).command_line_directory, "/photos/trip");
  EXPECT_EQ(DefaultWizardEnvironment(2, run).start_directory, "");

  MakeAlbum(2);
  Touch(album_dir_ + "_cat.html");  // a run would ask about it
  WriteSettings("AlbumDirectory=" + root_ + "\n");
  start_directory_ = album_dir_;
  Show();
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(window_->wizard().CurrentPage(), 1);
  EXPECT_EQ(Edit("editAlbumDirectory")->text().toStdString(), album_dir_);
  EXPECT_EQ(ui_.events, std::vector<std::string>{});
  Click("btnNext");  // page 1's check, as for a folder typed in
  EXPECT_EQ(ui_.Questions().size(), 1u);
  EXPECT_EQ(window_->wizard().CurrentPage(), 1);
}

TEST_F(WindowRunTest, BadDirectoryArgumentLeavesTheWizardOpenOnPageOne) {
  command_line_ = root_ + "missing/";
  Show();
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(window_->wizard().CurrentPage(), 1);
  ASSERT_EQ(ui_.Warnings().size(), 1u);
  EXPECT_EQ(ui_.Warnings()[0].rfind("Selected image source / catalog directory", 0), 0u);
  EXPECT_EQ(Edit("editAlbumDirectory")->text().toStdString(), root_ + "missing/");
}

TEST_F(WindowRunTest, EscapeAndTheTitleBarCloseWithoutSaving) {
  WriteSettings("AlbumDirectory=" + album_dir_ + "\nSaveSettings=1\n");
  const std::string stored = ReadText(settings_);
  Show();
  GoTo(7);
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  QTest::keyClick(window_.get(), Qt::Key_Escape);
  EXPECT_TRUE(window_->isHidden());
  EXPECT_EQ(ReadText(settings_), stored);

  window_.reset();
  Show();
  EXPECT_TRUE(window_->close());
  EXPECT_TRUE(window_->isHidden());
  EXPECT_EQ(ReadText(settings_), stored);
}

TEST_F(WindowRunTest, AnErrorEndingTheRunIsReportedAndLeavesAUsableWindow) {
  WriteSettings("AlbumDirectory=" + album_dir_ + "\nExitAfterGenerating=1\n");
  generate_ = [] { throw Error("Cannot create file /album/_cat.html"); };
  Show();
  std::vector<std::string> reports;
  window_->SetErrorReport([&](const std::string& text) { reports.push_back(text); });
  GoTo(7);
  Click("btnFinish");
  EXPECT_EQ(reports, std::vector<std::string>{"Cannot create file /album/_cat.html."});
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_FALSE(window_->wizard().running());
  EXPECT_TRUE(window_->isVisible());  // the sequence ended before its close
  ExpectFinishedRow();
  Click("btnClose");
  EXPECT_TRUE(window_->isHidden());
}

TEST_F(WindowRunTest, CloseDuringARunAsksWhetherToStopAndClosesWhenTheRunEnds) {
  MakeAlbum(4);
  WriteSettings("AlbumDirectory=" + album_dir_ + "\n");
  const struct {
    bool escape, stop;
    const char* status;
  } cases[] = {
      {false, false, "Done."},  // the run goes on to its end
      {false, true, "Cancelled."},
      {true, true, "Cancelled."},  // Esc is a close as well
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.escape ? "Esc, " : "title bar, ") + (c.stop ? "yes" : "no"));
    std::filesystem::remove(album_dir_ + "_cat.html");  // no question about an earlier one
    ui_.events.clear();
    ui_.answers = {c.stop};
    Show();
    GoTo(7);
    bool refused_while_running = false;
    QTimer::singleShot(0, window_.get(), [&] {
      if (c.escape) {
        QTest::keyClick(window_.get(), Qt::Key_Escape);
      } else {
        EXPECT_FALSE(window_->close());
      }
      refused_while_running = window_->wizard().running() && window_->isVisible();
    });
    Click("btnFinish");
    EXPECT_TRUE(refused_while_running);
    EXPECT_EQ(ui_.Questions(), std::vector<std::string>{"Stop making the catalog?"});
    EXPECT_EQ(Status(), c.status);
    EXPECT_TRUE(window_->isHidden());
    window_.reset();
  }
}

}  // namespace
}  // namespace fotoloom::testing
