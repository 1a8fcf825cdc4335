// The advanced settings dialog, the window's own control kinds and the shell's helpers.
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include "window_fixture.h"
#include "wizard/window/adv_set_dlg.h"
#include "wizard/window/qt_shell.h"
#include "wizard/window/widgets.h"

namespace fotoloom::testing {
namespace {

class AdvancedDialogTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    WriteSettings("AlbumDirectory=" + album_dir_ + "\nUseDefaultsOnPage6=0\nSlideShowDelay=0\n");
  }

  // Opens the dialog from page 6's button; act runs while it is shown modally.
  void WithDialog(const std::function<void(TAdvSetDlg&)>& act) {
    TAdvSetDlg& dialog = window_->advancedDialog();
    bool shown = false;
    QTimer::singleShot(0, &dialog, [&] {
      shown = dialog.isVisible();
      act(dialog);
      if (dialog.isVisible()) dialog.reject();  // never leave a modal loop running
    });
    Click("btnAdvancedSettings");
    EXPECT_TRUE(shown);
    EXPECT_FALSE(dialog.isVisible());
  }

  QLineEdit* DialogEdit(TAdvSetDlg& dialog, const char* name) {
    return dialog.findChild<QLineEdit*>(name);
  }
  void ClickIn(TAdvSetDlg& dialog, const char* name) {
    Click(dialog.findChild<QPushButton*>(name));
  }
};

TEST_F(AdvancedDialogTest, OkKeepsValidFieldsAndStaysOpenOnInvalidOnes) {
  Show();
  GoTo(6);
  const AdvancedValues& kept = window_->wizard().advanced().kept();
  EXPECT_EQ(kept.SlideShowDelay, 0);
  WithDialog([&](TAdvSetDlg& dialog) {
    auto* delay = dialog.findChild<QSpinBox*>("seditSlideDelay");
    EXPECT_EQ(delay->value(), 1);  // a stored 0 shows as 1
    EXPECT_FALSE(delay->isEnabled());
    Click(dialog.findChild<QCheckBox*>("chkboxSlideShow"));
    EXPECT_TRUE(delay->isEnabled());
    Type(DialogEdit(dialog, "editThumbDirectory"), "");
    Type(DialogEdit(dialog, "editEmptyThumbnail"), QString::fromStdString(root_ + "none.jpg"));
    ClickIn(dialog, "btnOK");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(ui_.Warnings().size(), 2u);
    EXPECT_EQ(kept.ThumbDirectory, "fldata");

    Type(DialogEdit(dialog, "editThumbDirectory"), "thumbs");
    Type(DialogEdit(dialog, "editEmptyThumbnail"),
         QString::fromStdString(exe_dir_ + "default.jpg"));
    Type(DialogEdit(dialog, "editNext"), "Forward");
    ClickIn(dialog, "btnOK");
    EXPECT_FALSE(dialog.isVisible());
  });
  EXPECT_EQ(ui_.Warnings().size(), 2u);
  EXPECT_EQ(kept.ThumbDirectory, "thumbs");
  EXPECT_EQ(kept.Next, "Forward");
  EXPECT_EQ(kept.SlideShow, CheckState::kChecked);
  EXPECT_EQ(kept.SlideShowDelay, 1);
}

TEST_F(AdvancedDialogTest, DisplayGroupEnablesThePreviewSizeWithItsBox) {
  Show();
  GoTo(6);
  const AdvancedValues& kept = window_->wizard().advanced().kept();
  WithDialog([&](TAdvSetDlg& dialog) {
    auto* width = dialog.findChild<QSpinBox*>("seditPreviewWidth");
    auto* height = dialog.findChild<QSpinBox*>("seditPreviewHeight");
    EXPECT_EQ(height->value(), 1200);
    EXPECT_FALSE(width->isEnabled());
    Click(dialog.findChild<QCheckBox*>("chkboxPreviewImages"));
    EXPECT_TRUE(width->isEnabled() && height->isEnabled());
    width->setValue(2048);
    Click(dialog.findChild<QCheckBox*>("chkboxHiDPIThumbnails"));
    ClickIn(dialog, "btnOK");
  });
  EXPECT_EQ(kept.PreviewImages, CheckState::kChecked);
  EXPECT_EQ(kept.PreviewWidth, 2048);
  EXPECT_EQ(kept.HiDPIThumbnails, CheckState::kChecked);
}

TEST_F(AdvancedDialogTest, CancelKeepsTheKeptValuesAndTheTypedFields) {
  Show();
  GoTo(6);
  WithDialog([&](TAdvSetDlg& dialog) {
    Type(DialogEdit(dialog, "editThumbDirectory"), "elsewhere");
    ClickIn(dialog, "btnCancel");
  });
  EXPECT_EQ(window_->wizard().advanced().kept().ThumbDirectory, "fldata");
  WithDialog([&](TAdvSetDlg& dialog) {
    EXPECT_EQ(DialogEdit(dialog, "editThumbDirectory")->text(), "elsewhere");
    QTest::keyClick(&dialog, Qt::Key_Escape);  // Esc cancels as well
  });
  EXPECT_EQ(window_->wizard().advanced().kept().ThumbDirectory, "fldata");
  // Page 6's check judges what the fields show: the typed name is fine, so the step goes on.
  Click("btnNext");
  EXPECT_EQ(window_->wizard().CurrentPage(), 7);
  EXPECT_EQ(ui_.Warnings(), std::vector<std::string>{});
}

TEST_F(AdvancedDialogTest, EnterPressesTheFocusedButtonAndOkFromAField) {
  Show();
  GoTo(6);
  const AdvancedValues& kept = window_->wizard().advanced().kept();
  WithDialog([&](TAdvSetDlg& dialog) {
    Type(DialogEdit(dialog, "editThumbDirectory"), "typed");
    QTest::keyClick(dialog.findChild<QPushButton*>("btnBrowseEmptyThumbnail"), Qt::Key_Return);
    EXPECT_EQ(ui_.file_requests.size(), 1u);
    EXPECT_TRUE(dialog.isVisible());
    QTest::keyClick(dialog.findChild<QPushButton*>("btnCancel"), Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
  });
  EXPECT_EQ(kept.ThumbDirectory, "fldata");
  WithDialog([&](TAdvSetDlg& dialog) {
    QTest::keyClick(DialogEdit(dialog, "editThumbDirectory"), Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
  });
  EXPECT_EQ(kept.ThumbDirectory, "typed");
}

TEST_F(AdvancedDialogTest, BrowseAndHelpGoThroughTheShell) {
  Show();
  GoTo(6);
  ui_.files = {root_ + "picked.jpg"};
  WithDialog([&](TAdvSetDlg& dialog) {
    ClickIn(dialog, "btnBrowseEmptyThumbnail");
    EXPECT_EQ(DialogEdit(dialog, "editEmptyThumbnail")->text().toStdString(), root_ + "picked.jpg");
    ClickIn(dialog, "btnHelp");
    dialog.findChild<QPushButton*>("btnOK")->setFocus();
    QTest::keyClick(&dialog, Qt::Key_F1);  // context 180: the same topic
    ClickIn(dialog, "btnCancel");
  });
  EXPECT_EQ(ui_.events,
            (std::vector<std::string>{"help: ADVANCED_SETTINGS", "help: ADVANCED_SETTINGS"}));
  ASSERT_EQ(ui_.file_requests.size(), 1u);
  EXPECT_TRUE(ui_.file_requests[0].image_preview);
  EXPECT_EQ(ui_.file_requests[0].initial_directory, exe_dir_);
}

// A number field's widget takes its range from the settings table, in the window and in the
// dialog alike; values without a visible control have no widget.
TEST_F(AdvancedDialogTest, NumberFieldsHaveTheRangesOfTheirKeys) {
  Show();
  for (const SettingRow& row : SettingRows()) {
    if (row.kind != SettingKind::kNumber && row.kind != SettingKind::kInteger) continue;
    SCOPED_TRACE(row.key);
    QWidget* root = row.in_dialog() ? static_cast<QWidget*>(&window_->advancedDialog())
                                    : static_cast<QWidget*>(window_.get());
    auto* spin = root->findChild<QSpinBox*>(row.control);
    if (!row.in_dialog() &&
        !std::get<NumberField*>(ControlOf(row, window_->wizard().model()))->visible) {
      EXPECT_EQ(spin, nullptr);
      continue;
    }
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(spin->minimum(), row.min);
    EXPECT_EQ(spin->maximum(), row.max);
  }
}

TEST(WindowControls, NumberFieldBringsTypedTextIntoRangeWhenLeft) {
  NumberSpin field(1, 25, nullptr);
  field.setValue(6);
  const std::pair<const char*, int> cases[] = {
      {"100", 25}, {"0", 1}, {"-7", 1}, {"", 1}, {"12", 12}};
  for (const auto& [typed, value] : cases) {
    field.findChild<QLineEdit*>()->setText(typed);
    field.interpretText();
    EXPECT_EQ(field.value(), value) << typed;
  }
  QString letters = "abc";
  int pos = 0;
  EXPECT_EQ(field.validate(letters, pos), QValidator::Invalid);

  RadioGroupBox group("Sorting Method", {"Ascending", "Descending"}, nullptr);
  group.SetItemIndex(1);
  EXPECT_EQ(group.ItemIndex(), 1);
  group.SetItemIndex(-1);
  EXPECT_EQ(group.ItemIndex(), -1);
  group.SetItemIndex(5);
  EXPECT_EQ(group.ItemIndex(), 1);

  SwatchEdit swatch(nullptr);
  swatch.SetColor(0x0000FF);  // red in the settings file's layout
  EXPECT_EQ(BgrToQColor(swatch.Color()), QColor(255, 0, 0));
  EXPECT_EQ(QColorToBgr(QColor(0x80, 0x80, 0xFF)), 16744576);
}

TEST(WindowShell, ErrorTextFilterListsAndHelpTopics) {
  EXPECT_EQ(ErrorReportText("Cannot create file /x/a.html"), "Cannot create file /x/a.html.");
  EXPECT_EQ(ErrorReportText("Unable to write to /x/Settings.ini."),
            "Unable to write to /x/Settings.ini.");
  EXPECT_EQ(ErrorReportText("Disk full!"), "Disk full!");  // "!" sorts before "."
  EXPECT_EQ(ErrorReportText(""), "");

  EXPECT_EQ(QtNameFilters("All supported files |*.jpg; *.jpeg; *.gif; *.jpe|"
                          "JPEG images (*.jpg, *.jpeg, *.jpe)|*.jpg;*.jpeg;*.jpe|"
                          "GIF images (*.gif)|*.gif"),
            (QStringList{"All supported files (*.jpg *.jpeg *.gif *.jpe)",
                         "JPEG images (*.jpg *.jpeg *.jpe)", "GIF images (*.gif)"}));
  EXPECT_EQ(QtNameFilters("All files (*.*)|*.*"), QStringList{"All files (*)"});

  EXPECT_EQ(HelpTopicOfContext(100), "STEP_1");
  EXPECT_EQ(HelpTopicOfContext(140), "STEP_5");
  EXPECT_EQ(HelpTopicOfContext(160), "STEP_7");
  EXPECT_EQ(HelpTopicOfContext(180), "ADVANCED_SETTINGS");
  EXPECT_EQ(HelpTopicOfContext(90), "");
  EXPECT_EQ(HelpTopicOfContext(97), "");
}

TEST(WindowShell, OpenerReportsAFileOrProgramItCannotOpen) {
  const QUrl help = QUrl::fromLocalFile(FOTOLOOM_BIN_DIR "/fotoloom.html");
  int failures = 0;
  DesktopOpener failing("false", nullptr);
  DesktopOpener working("true", nullptr);
  EXPECT_TRUE(failing.Open(help, [&] { ++failures; }));  // reported once it has failed
  EXPECT_TRUE(working.Open(help, [&] { failures += 100; }));
  EXPECT_FALSE(working.Open(QUrl::fromLocalFile(FOTOLOOM_BIN_DIR "/none.html"), {}));
  for (int i = 0; i < 500 && failures == 0; ++i) QTest::qWait(10);
  QTest::qWait(50);
  EXPECT_EQ(failures, 1);

  // The box for such a failure during a run lets the run go on.
  QtShowNotice(nullptr, "The help could not be opened:\r/x");
  QWidget* box = nullptr;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->isVisible() && widget->windowTitle() == "Warning") box = widget;
  ASSERT_NE(box, nullptr);
  box->close();
}

TEST(WindowShell, HelpFileBesideTheProgramHasEveryTopic) {
  const std::string help = ReadText(std::string(FOTOLOOM_BIN_DIR) + "/fotoloom.html");
  ASSERT_FALSE(help.empty());
  for (const char* topic : {"STEP_1", "STEP_2", "STEP_3", "STEP_4", "STEP_5", "STEP_6", "STEP_7",
                            "ADVANCED_SETTINGS"}) {
    EXPECT_NE(help.find(std::string("id=\"") + topic + "\""), std::string::npos) << topic;
    // Its own page, which sends the browser on to the topic.
    const std::string page = ReadText(std::string(FOTOLOOM_BIN_DIR) + "/help/" + topic + ".html");
    EXPECT_NE(page.find(std::string("url=../fotoloom.html#") + topic + "\""), std::string::npos)
        << topic;
  }
}

TEST(WindowShell, TheOpenerIsHandedAnAddressThatKeepsTheHelpTopic) {
  QTemporaryDir dir;
  const QString recorder = dir.filePath("record-address");
  WriteText(recorder.toStdString(),
            "#!/bin/sh\nprintf '%s' \"$1\" > \"$0.tmp\" && mv \"$0.tmp\" \"$0.txt\"\n");
  QFile::setPermissions(recorder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  const std::string lone_help = dir.filePath("fotoloom.html").toStdString();
  WriteText(lone_help, "<h2 id=\"STEP_5\">");
  const std::string bin = FOTOLOOM_BIN_DIR;
  const auto address = [](const std::string& path) {
    return QUrl::fromLocalFile(QString::fromStdString(path))
        .toString(QUrl::FullyEncoded)
        .toStdString();
  };
  const struct {
    std::string help_file, topic, address;
  } cases[] = {
      {bin + "/fotoloom.html", "STEP_5", address(bin + "/help/STEP_5.html")},
      {bin + "/fotoloom.html", "ADVANCED_SETTINGS", address(bin + "/help/ADVANCED_SETTINGS.html")},
      {lone_help, "STEP_5", address(lone_help) + "#STEP_5"},  // no topic pages beside it
      {bin + "/fotoloom.html", "", address(bin + "/fotoloom.html")},
  };
  DesktopOpener opener(recorder, nullptr);
  for (const auto& c : cases) {
    QFile::remove(recorder + ".txt");
    EXPECT_TRUE(opener.Open(HelpAddress(c.help_file, c.topic), {}));
    for (int i = 0; i < 500 && !QFileInfo::exists(recorder + ".txt"); ++i) QTest::qWait(10);
    EXPECT_EQ(ReadText((recorder + ".txt").toStdString()), c.address) << c.topic;
  }
}

}  // namespace
}  // namespace fotoloom::testing
