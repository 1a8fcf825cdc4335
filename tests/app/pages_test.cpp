// The wizard window's pages and button row as the user sees and drives them.
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QMimeData>
#include <QSpinBox>
#include <filesystem>

#include "window_fixture.h"

namespace fotoloom::testing {
namespace {

class PagesTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    WriteSettings("AlbumDirectory=" + album_dir_ + "\n");
  }

  void ExpectRow(const std::string& left, bool left_on, bool next_on, const std::string& third,
                 bool third_on) {
    EXPECT_EQ(SlotCaption(kLeftSlot), left);
    EXPECT_EQ(SlotEnabled(kLeftSlot), left_on) << left;
    EXPECT_EQ(SlotCaption(kSecondSlot), "&Next >");
    EXPECT_EQ(SlotEnabled(kSecondSlot), next_on);
    EXPECT_EQ(SlotCaption(kThirdSlot), third);
    EXPECT_EQ(SlotEnabled(kThirdSlot), third_on) << third;
    EXPECT_EQ(SlotCaption(kRightSlot), "&Help");
    EXPECT_TRUE(SlotEnabled(kRightSlot));
  }

  bool PageShown(int page) {
    auto* box = Find<QGroupBox>(QString("gboxPage%1").arg(page).toLatin1());
    return box && box->isVisible();
  }
};

TEST_F(PagesTest, ButtonRowShowsEveryEditingStateAndOnePageAtATime) {
  Show();
  for (int page = 1; page <= 7; ++page) {
    SCOPED_TRACE("page " + std::to_string(page));
    GoTo(page);
    for (int other = 1; other <= 7; ++other) EXPECT_EQ(PageShown(other), other == page);
    ExpectRow("< &Back", page > 1, page < 7, "&Finish", page >= 3);
    EXPECT_EQ(window_->wizard().model().help_context, 90 + 10 * page);
  }
  // Back from page 7 to page 1, one refused step at the end changes nothing.
  for (int page = 6; page >= 1; --page) {
    Click("btnBack");
    EXPECT_TRUE(PageShown(page));
  }
  Click("btnBack");
  EXPECT_EQ(window_->wizard().CurrentPage(), 1);
  ExpectRow("< &Back", false, true, "&Finish", false);
}

TEST_F(PagesTest, StepsReloadThePageEnteredForwardAndThePageLeftBackward) {
  WriteSettings("AlbumDirectory=" + album_dir_ + "\nAlbumName=Stored title\nThumbsPerRow=4\n");
  Show();
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  GoTo(2);
  Type("editAlbumName", "Typed title");
  EXPECT_EQ(window_->wizard().model().editAlbumName.text(), "Typed title");
  GoTo(3);
  auto* per_row = Find<QSpinBox>("seditThumbsPerRow");
  per_row->setFocus();
  per_row->selectAll();
  QTest::keyClicks(per_row, "9");
  // Next pressed without taking the focus (as by its accelerator) still finds the typed 9.
  Button("btnNext")->click();
  EXPECT_EQ(window_->wizard().CurrentPage(), 4);
  Click("btnBack");  // page 3 entered backward keeps its edit, page 4 is reloaded
  EXPECT_EQ(per_row->value(), 9);
  EXPECT_EQ(Edit("editAlbumName")->text(), "Typed title");
  Click("btnBack");  // page 3 left backward: reloaded
  EXPECT_EQ(per_row->value(), 4);
  EXPECT_EQ(Edit("editAlbumName")->text(), "Typed title");
  GoTo(3);
  EXPECT_EQ(per_row->value(), 4);
  Click("btnBack");
  Click("btnBack");
  GoTo(2);  // entered forward again: the stored title comes back
  EXPECT_EQ(Edit("editAlbumName")->text(), "Stored title");
}

TEST_F(PagesTest, UseDefaultValuesReloadsAndLocksItsPage) {
  WriteSettings("AlbumDirectory=" + album_dir_ + "\nShowFileSize=0\nFont=Courier\n");
  Show();
  GoTo(4);
  QCheckBox* defaults4 = Check("chkboxUseDefaultsOnPage4");
  EXPECT_TRUE(defaults4->isChecked());
  for (const char* name : {"grpBoxFileDetails", "rgrpSortBy", "rgrpSortMethod"})
    EXPECT_FALSE(Find<QWidget>(name)->isEnabled()) << name;
  EXPECT_FALSE(Check("chkboxShowFileSize")->isChecked());
  Click(defaults4);
  EXPECT_TRUE(Check("chkboxShowFileName")->isEnabled());
  EXPECT_TRUE(Find<QWidget>("rgrpSortMethod")->isEnabled());
  Click(Check("chkboxShowFileSize"));
  Click(Find<RadioGroupBox>("rgrpSortBy")->Button(2));
  EXPECT_EQ(window_->wizard().model().rgrpSortBy.item_index(), 2);
  Click(defaults4);  // checked again: the stored values come back, the page locks
  EXPECT_FALSE(Check("chkboxShowFileSize")->isChecked());
  EXPECT_EQ(Find<RadioGroupBox>("rgrpSortBy")->ItemIndex(), 0);
  EXPECT_FALSE(Check("chkboxShowFileName")->isEnabled());

  GoTo(5);
  EXPECT_EQ(Edit("editAlbumFont")->text(), "Courier");
  for (const char* name :
       {"btnSelectHeaderColor", "btnSelectTextColor", "editAlbumFont", "cmbHeaderSize",
        "seditFontSize", "btnSelectLinkColor", "btnSelectVLinkColor"})
    EXPECT_FALSE(Find<QWidget>(name)->isEnabled()) << name;
  Click(Check("chkboxUseDefaultsOnPage5"));
  EXPECT_TRUE(Edit("editAlbumFont")->isEnabled());
  EXPECT_TRUE(Find<QComboBox>("cmbHeaderSize")->isEnabled());

  GoTo(6);
  EXPECT_FALSE(Button("btnAdvancedSettings")->isEnabled());
  EXPECT_FALSE(Edit("editBgImage")->isEnabled());
  // A program step on the widget counts like a click: the box's handler runs.
  Check("chkboxUseDefaultsOnPage6")->setChecked(false);
  EXPECT_TRUE(Button("btnAdvancedSettings")->isEnabled());
  EXPECT_TRUE(Button("btnSelectBgSound")->isEnabled());
  EXPECT_FALSE(window_->wizard().model().chkboxUseDefaultsOnPage6.checked());

  // Page 3's box is unchecked at start; checking it locks the layout fields.
  Click("btnBack");
  Click("btnBack");
  Click("btnBack");
  ASSERT_EQ(window_->wizard().CurrentPage(), 3);
  EXPECT_TRUE(Find<QWidget>("seditThumbsPerRow")->isEnabled());
  Click(Check("chkboxUseDefaultsOnPage3"));
  for (const char* name : {"seditThumbsPerRow", "chkboxCreateMultipleFiles", "seditThumbGeometryW",
                           "seditThumbGeometryH", "seditThumbRowsPerFile"})
    EXPECT_FALSE(Find<QWidget>(name)->isEnabled()) << name;
}

TEST_F(PagesTest, DependentControlsFollowTheirBoxes) {
  WriteSettings("AlbumDirectory=" + album_dir_ + "\nThumbRowsPerFile=30\nUseDefaultsOnPage6=0\n");
  Show();
  GoTo(3);
  auto* rows = Find<QSpinBox>("seditThumbRowsPerFile");
  QCheckBox* multiple = Check("chkboxCreateMultipleFiles");
  EXPECT_TRUE(rows->isEnabled());
  rows->setFocus();
  rows->selectAll();
  QTest::keyClicks(rows, "77");
  QTest::keyClick(rows, Qt::Key_Return);
  EXPECT_EQ(window_->wizard().model().seditThumbRowsPerFile.value(), 77);
  Click(multiple);
  EXPECT_FALSE(rows->isEnabled());
  Click(multiple);
  EXPECT_TRUE(rows->isEnabled());
  EXPECT_EQ(rows->value(), 30);  // the typed 77 gave way to the stored value
  // Unlocking page 3 while multiple files are off leaves the rows field disabled. The file is
  // read again at every load, so the locked page shows what was stored meanwhile.
  WriteSettings("AlbumDirectory=" + album_dir_ + "\nCreateMultipleFiles=0\nUseDefaultsOnPage6=0\n");
  Click(Check("chkboxUseDefaultsOnPage3"));
  EXPECT_FALSE(multiple->isChecked());
  EXPECT_FALSE(multiple->isEnabled());
  Click(Check("chkboxUseDefaultsOnPage3"));
  EXPECT_TRUE(multiple->isEnabled());
  EXPECT_FALSE(rows->isEnabled());
  Click(multiple);
  EXPECT_TRUE(rows->isEnabled());
  EXPECT_EQ(rows->value(), 25);  // no stored rows any more: the default

  GoTo(6);
  QCheckBox* table = Check("chkboxUseTableBgColor");
  QPushButton* table_color = Button("btnSelectTableBgColor");
  EXPECT_TRUE(table->isEnabled());
  EXPECT_FALSE(table_color->isEnabled());
  Click(table);
  EXPECT_TRUE(table_color->isEnabled());
  Click(Check("chkboxUseDefaultsOnPage6"));  // locked: the button follows, the box reloads
  EXPECT_FALSE(table->isChecked());
  EXPECT_FALSE(table_color->isEnabled());
}

TEST_F(PagesTest, CatalogFileNameIsNormalisedWhenTheFocusLeaves) {
  Show();
  QLineEdit* name = Edit("editAlbumFileName");
  QLineEdit* directory = Edit("editAlbumDirectory");
  const std::pair<const char*, const char*> cases[] = {{"photos", "photos.html"},
                                                       {"/web/Photos.htm", "Photos.html"},
                                                       {"Album.HTML", "Album.HTML"},
                                                       {"sub/index.html", "sub/index.html"},
                                                       {"photos.jpg.txt", "photos.jpg.html"},
                                                       {"", ".html"}};
  for (const auto& [typed, shown] : cases) {
    SCOPED_TRACE(typed);
    name->setFocus(Qt::MouseFocusReason);
    Type(name, typed);
    EXPECT_EQ(name->text().toStdString(), typed);  // nothing changes while typing
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(name, &leave);
    EXPECT_EQ(name->text().toStdString(), shown);
    EXPECT_EQ(window_->wizard().model().editAlbumFileName.text(), shown);
  }
  // The real focus change does the same.
  window_->activateWindow();
  if (QTest::qWaitForWindowActive(window_.get())) {
    name->setFocus(Qt::MouseFocusReason);
    Type(name, "holiday");
    Click(directory);
    directory->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(name->text(), "holiday.html");
  }
}

TEST_F(PagesTest, ColourPickerStartsOnTheLastConfirmedColourAndFillsTheSwatch) {
  WriteSettings("AlbumDirectory=" + album_dir_ + "\nUseDefaultsOnPage5=0\n");
  Show();
  GoTo(5);
  ui_.colors = {0x0000FF, std::nullopt};
  Click("btnSelectHeaderColor");
  Click("btnSelectLinkColor");  // cancelled: the link swatch keeps its colour
  EXPECT_EQ(ui_.color_initials, (std::vector<std::int32_t>{0, 0x0000FF}));
  EXPECT_EQ(Find<SwatchEdit>("editHeaderColor")->Color(), 0x0000FF);
  EXPECT_EQ(Find<SwatchEdit>("editLinkColor")->Color(), 16711680);
  EXPECT_FALSE(Find<SwatchEdit>("editHeaderColor")->isEnabled());
}

TEST_F(PagesTest, DeletingFromALongStoredTextTakesOnlyWhatIsDeleted) {
  WriteSettings("AlbumDirectory=" + album_dir_ + "\nAlbumName=" + std::string(300, 't') + "\n");
  Show();
  GoTo(2);
  QLineEdit* title = Edit("editAlbumName");
  title->setFocus();
  title->end(false);
  QTest::keyClick(title, Qt::Key_Backspace);
  EXPECT_EQ(window_->wizard().model().editAlbumName.text(), std::string(299, 't'));
  QTest::keyClicks(title, "more");  // the limit still holds for what is typed
  EXPECT_EQ(window_->wizard().model().editAlbumName.text(), std::string(299, 't'));
}

TEST_F(PagesTest, FolderPickerOpensAtTheFolderInTheField) {
  Show();
  Click("btnBrowseFolders");
  Type("editAlbumDirectory", QString::fromStdString(root_ + "gone/"));
  Click("btnBrowseFolders");  // no such folder: the home folder
  EXPECT_EQ(ui_.folder_initials, (std::vector<std::string>{album_dir_, ""}));
}

TEST_F(PagesTest, AFolderDroppedOnPageOneBecomesTheImageFolder) {
  Show();
  const std::string folder = root_ + "dropped";
  std::filesystem::create_directories(folder);
  Touch(root_ + "photo.jpg");
  const auto urls = [](std::initializer_list<std::string> paths) {
    QList<QUrl> list;
    for (const std::string& path : paths) list << QUrl::fromLocalFile(QString::fromStdString(path));
    return list;
  };
  const struct {
    int page;
    const char* target;  // where it is dropped
    QList<QUrl> dropped;
    bool taken;
  } cases[] = {
      {1, "TMainDlg", urls({folder}), true},
      {1, "editAlbumDirectory", urls({folder}), true},  // not as text in the field
      {1, "TMainDlg", urls({root_ + "photo.jpg"}), false},
      {1, "TMainDlg", urls({folder, album_dir_}), false},
      {2, "TMainDlg", urls({folder}), false},  // page 1 would not check it
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.page) + " " + c.target + " " +
                 c.dropped.front().toLocalFile().toStdString());
    GoTo(c.page);
    QWidget* target = std::string(c.target) == "TMainDlg" ? window_.get() : Find<QWidget>(c.target);
    QMimeData data;
    data.setUrls(c.dropped);
    data.setText(c.dropped.front().toString());  // as file managers offer it
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    EXPECT_EQ(enter.isAccepted(), c.taken);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &drop);
    EXPECT_EQ(window_->wizard().model().editAlbumDirectory.text(), c.taken ? folder : album_dir_);
    window_->wizard().model().editAlbumDirectory.SetText(album_dir_);
    Click("btnBack");
  }
}

TEST_F(PagesTest, StepsGiveTheFocusToTheFirstInputOfTheNewPage) {
  Show();
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  const std::pair<const char*, const char*> steps[] = {
      {"btnNext", "editAlbumName"},
      {"btnNext", "seditThumbGeometryW"},
      {"btnNext", "chkboxUseDefaultsOnPage4"},  // the page is locked: its box comes first
      {"btnBack", "seditThumbGeometryW"},
      {"btnBack", "editAlbumName"}};
  for (const auto& [button, first] : steps) {
    Click(button);
    EXPECT_TRUE(Find<QWidget>(first)->hasFocus()) << button << " to " << first;
  }
}

TEST_F(PagesTest, IntroTextsAreNavyOnALightPaletteAndLightBlueOnADarkOne) {
  Show();
  const QPalette light = QApplication::palette();
  QPalette dark = light;
  dark.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
  dark.setColor(QPalette::WindowText, Qt::white);
  auto intro = [this](int page) {
    return Find<QLabel>(QString("stxtIntro%1").arg(page).toLatin1())
        ->palette()
        .color(QPalette::WindowText);
  };
  EXPECT_EQ(intro(1), QColor(0x00, 0x00, 0x80));
  QApplication::setPalette(dark);  // what a dark desktop theme does; it arrives as an event
  QCoreApplication::processEvents();
  const QColor on_dark = intro(7);
  QApplication::setPalette(light);
  QCoreApplication::processEvents();
  EXPECT_EQ(on_dark, QColor(0x8a, 0xb4, 0xf8));
  EXPECT_EQ(intro(7), QColor(0x00, 0x00, 0x80));
}

TEST_F(PagesTest, HelpOpensTheTopicOfThePageShown) {
  Show();
  GoTo(5);
  Click("btnHelp");
  EXPECT_EQ(ui_.events, (std::vector<std::string>{"help: STEP_5"}));
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  QTest::keyClick(window_.get(), Qt::Key_F1);  // context 140, the same topic
  EXPECT_EQ(ui_.events, (std::vector<std::string>{"help: STEP_5", "help: STEP_5"}));
}

}  // namespace
}  // namespace fotoloom::testing
