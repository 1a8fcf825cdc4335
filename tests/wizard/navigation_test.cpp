// Page steps, the button row, reloading from the settings file and the page locks.
#include <gtest/gtest.h>

#include <initializer_list>

#include "wizard_fixture.h"

namespace fotoloom::testing {
namespace {

class NavigationTest : public WizardTest {};

// What the user sees in the button row: per slot the first visible button, "(off)" when it is
// disabled.
std::string ButtonRow(const WizardModel& m) {
  auto slot = [](std::initializer_list<const PushButton*> buttons) -> std::string {
    for (const PushButton* b : buttons)
      if (b->visible) return b->caption + (b->enabled ? "" : " (off)");
    return "-";
  };
  return slot({&m.btnBegin, &m.btnBack}) + " | " + slot({&m.btnNext}) + " | " +
         slot({&m.btnCancel, &m.btnClose, &m.btnFinish}) + " | " + slot({&m.btnHelp});
}

int VisiblePage(WizardModel& m) {
  int shown = 0;
  for (int n = 1; n <= kPageCount; ++n)
    if (m.page(n)->visible) shown = shown ? -1 : n;
  return shown;
}

TEST_F(NavigationTest, ButtonRowInEveryState) {
  std::string running;
  generate_ = [&] { running = ButtonRow(wizard_->model()); };
  Wizard& w = Open();
  const char* expected[] = {
      "",
      "< &Back (off) | &Next > | &Finish (off) | &Help",
      "< &Back | &Next > | &Finish (off) | &Help",
      "< &Back | &Next > | &Finish | &Help",
      "< &Back | &Next > | &Finish | &Help",
      "< &Back | &Next > | &Finish | &Help",
      "< &Back | &Next > | &Finish | &Help",
      "< &Back | &Next > (off) | &Finish | &Help",
  };
  for (int page = 1; page <= 7; ++page) {
    EXPECT_EQ(w.CurrentPage(), page);
    EXPECT_EQ(VisiblePage(w.model()), page);
    EXPECT_EQ(w.model().help_context, 90 + 10 * page);
    EXPECT_EQ(ButtonRow(w.model()), expected[page]) << "page " << page;
    if (page < 7) {
      EXPECT_TRUE(w.StepPage(+1));
    }
  }
  // A step that is not allowed changes nothing but the button states.
  EXPECT_FALSE(w.StepPage(+1));
  EXPECT_EQ(w.CurrentPage(), 7);

  w.model().chkBoxLaunchDefaultBrowser.SetChecked(false);
  w.btnFinishClick();
  EXPECT_EQ(running, "< &Back (off) | &Next > (off) | &Cancel | &Help");
  EXPECT_EQ(ButtonRow(w.model()), "< &Begin | &Next > (off) | &Close | &Help");

  w.btnBeginClick();
  EXPECT_EQ(w.CurrentPage(), 1);
  EXPECT_EQ(ButtonRow(w.model()), expected[1]);
  EXPECT_FALSE(w.StepPage(-1));
  EXPECT_EQ(w.CurrentPage(), 1);
  EXPECT_FALSE(w.StepPage(0));
}

TEST_F(NavigationTest, StepsReloadTheEnteredPageAndTheLeftPage) {
  WriteSettings("AlbumName=Stored title\nThumbsPerRow=3\n");
  Wizard& w = Open();
  WizardModel& m = w.model();
  w.btnNextClick();
  ASSERT_EQ(w.CurrentPage(), 2);
  m.editAlbumName.EnterText("Typed title");
  m.seditThumbsPerRow.SetValue(9);  // page 3 edited before it is entered
  w.btnNextClick();
  ASSERT_EQ(w.CurrentPage(), 3);
  EXPECT_EQ(m.seditThumbsPerRow.value(), 3);  // entered forward: stored value
  EXPECT_EQ(m.editAlbumName.text(), "Typed title");

  m.seditThumbsPerRow.SetValue(11);
  // A hand edit of the file shows at the next read.
  WriteSettings("AlbumName=Stored title\nThumbsPerRow=4\n");
  w.btnBackClick();
  ASSERT_EQ(w.CurrentPage(), 2);
  EXPECT_EQ(m.seditThumbsPerRow.value(), 4);          // the page left is reloaded
  EXPECT_EQ(m.editAlbumName.text(), "Typed title");   // the page entered backward keeps edits
}

TEST_F(NavigationTest, UseDefaultValuesLocksAndReloadsItsPage) {
  Wizard& w = Open();
  WizardModel& m = w.model();
  // Pages 4 to 6 open locked with the stored values.
  EXPECT_FALSE(m.chkboxShowFileName.enabled);
  EXPECT_FALSE(m.grpBoxFileDetails.enabled);
  EXPECT_FALSE(m.rgrpSortBy.enabled);
  EXPECT_FALSE(m.editAlbumFont.enabled);
  EXPECT_FALSE(m.btnSelectHeaderColor.enabled);
  EXPECT_FALSE(m.btnAdvancedSettings.enabled);
  EXPECT_FALSE(m.editBgImage.enabled);
  EXPECT_TRUE(m.seditThumbsPerRow.enabled);  // page 3's box starts unchecked

  m.chkboxUseDefaultsOnPage4.SetChecked(false);
  EXPECT_TRUE(m.chkboxShowFileName.enabled);
  EXPECT_TRUE(m.rgrpSortMethod.enabled);
  m.chkboxShowFileName.SetChecked(false);
  m.rgrpSortBy.SetItemIndex(2);
  m.chkboxUseDefaultsOnPage4.SetChecked(true);
  EXPECT_TRUE(m.chkboxShowFileName.checked());
  EXPECT_EQ(m.rgrpSortBy.item_index(), 0);
  EXPECT_FALSE(m.chkboxShowFileName.enabled);

  // Page 6: the advanced dialog opens only while unlocked; relocking restores its values.
  m.chkboxUseDefaultsOnPage6.SetChecked(false);
  EXPECT_TRUE(m.btnAdvancedSettings.enabled);
  ui_.on_advanced = [](AdvancedDialog& d) {
    d.fields().editThumbDirectory.EnterText("other");
    d.fields().editNext.EnterText("more");
    EXPECT_TRUE(d.btnOKClick());
  };
  w.btnAdvancedSettingsClick();
  EXPECT_EQ(w.advanced().kept().ThumbDirectory, "other");
  m.editBgSound.EnterText("typed.wav");
  m.chkboxUseDefaultsOnPage6.SetChecked(true);
  EXPECT_EQ(w.advanced().kept().ThumbDirectory, "fldata");
  EXPECT_EQ(w.advanced().kept().Next, "Next -&gt");
  EXPECT_EQ(w.advanced().fields().editNext.text(), "Next -&gt");
  EXPECT_EQ(m.editBgSound.text(), "");
  EXPECT_FALSE(m.btnAdvancedSettings.enabled);

  // Page 3's box is never stored: checking it reloads page 3 and locks it.
  WriteSettings("ThumbsPerRow=5\n");
  m.seditThumbsPerRow.SetValue(20);
  m.chkboxUseDefaultsOnPage3.SetChecked(true);
  EXPECT_EQ(m.seditThumbsPerRow.value(), 5);
  EXPECT_FALSE(m.seditThumbsPerRow.enabled);
  EXPECT_FALSE(m.chkboxCreateMultipleFiles.enabled);
  EXPECT_FALSE(m.seditThumbRowsPerFile.enabled);
  EXPECT_FALSE(m.seditThumbGeometryH.enabled);
  w.SaveAllSettings();
  EXPECT_EQ(ReadText(settings_).find("UseDefaultsOnPage3"), std::string::npos);
}

TEST_F(NavigationTest, ALockThatTheReloadUndoesLeavesThePageUsable) {
  WriteSettings("UseDefaultsOnPage5=0\n");
  Wizard& w = Open();
  WizardModel& m = w.model();
  EXPECT_FALSE(m.chkboxUseDefaultsOnPage5.checked());
  EXPECT_TRUE(m.editAlbumFont.enabled);
  // The user ticks it; the reload puts the stored "off" back, and the page stays usable.
  m.chkboxUseDefaultsOnPage5.SetChecked(true);
  EXPECT_FALSE(m.chkboxUseDefaultsOnPage5.checked());
  EXPECT_TRUE(m.editAlbumFont.enabled);
  EXPECT_TRUE(m.btnSelectVLinkColor.enabled);
}

TEST_F(NavigationTest, RowsPerFileAndTableColourFollowTheirBoxes) {
  WriteSettings("ThumbRowsPerFile=40\nCreateMultipleFiles=0\nUseTableBgColor=1\n");
  Wizard& w = Open();
  WizardModel& m = w.model();
  EXPECT_FALSE(m.chkboxCreateMultipleFiles.checked());
  EXPECT_FALSE(m.seditThumbRowsPerFile.enabled);

  m.chkboxCreateMultipleFiles.SetChecked(true);
  EXPECT_TRUE(m.seditThumbRowsPerFile.enabled);
  m.seditThumbRowsPerFile.SetText("77");
  EXPECT_EQ(m.seditThumbRowsPerFile.value(), 77);
  m.chkboxCreateMultipleFiles.SetChecked(false);
  m.chkboxCreateMultipleFiles.SetChecked(true);
  EXPECT_EQ(m.seditThumbRowsPerFile.value(), 40);  // the typed value is thrown away

  // Unlocking page 3 while multiple files are off leaves the rows field disabled.
  m.chkboxCreateMultipleFiles.SetChecked(false);
  m.chkboxUseDefaultsOnPage3.SetChecked(true);
  m.chkboxUseDefaultsOnPage3.SetChecked(false);
  EXPECT_TRUE(m.chkboxCreateMultipleFiles.enabled);
  EXPECT_FALSE(m.seditThumbRowsPerFile.enabled);

  // The table colour button: box on but page 6 locked -> off; unlocked -> on; box off -> off.
  EXPECT_TRUE(m.chkboxUseTableBgColor.checked());
  EXPECT_FALSE(m.btnSelectTableBgColor.enabled);
  m.chkboxUseDefaultsOnPage6.SetChecked(false);
  EXPECT_TRUE(m.btnSelectTableBgColor.enabled);
  m.chkboxUseTableBgColor.SetChecked(false);
  EXPECT_FALSE(m.btnSelectTableBgColor.enabled);
  m.chkboxUseTableBgColor.SetState(CheckState::kGrayed);
  EXPECT_FALSE(m.btnSelectTableBgColor.enabled);
}

TEST_F(NavigationTest, TypedValuesKeepTheirLimits) {
  NumberField field(1, 25, 6);
  field.SetText(" 30 ");
  EXPECT_EQ(field.value(), 25);
  field.SetText("-4");
  EXPECT_EQ(field.value(), 1);
  field.SetText("7x");
  EXPECT_EQ(field.value(), 1);
  field.SetText("99999999999999999999999");
  EXPECT_EQ(field.value(), 25);
  field.SetText("12");
  EXPECT_EQ(field.value(), 12);

  TextEdit edit(5);
  edit.EnterText("\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4 and more");
  EXPECT_EQ(edit.text(), "\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4");
  edit.SetText(std::string(300, 'x') + "\r\nend");  // a program step is not cut
  EXPECT_EQ(edit.text().size(), 305u);
  EXPECT_EQ(edit.text().find('\n'), std::string::npos);
  edit.EnterText(edit.text().substr(1));  // one character deleted: only that one goes
  EXPECT_EQ(edit.text().size(), 304u);
  edit.EnterText(edit.text() + "typed");
  EXPECT_EQ(edit.text().size(), 304u);
}

TEST_F(NavigationTest, CatalogFileNameIsNormalisedOnLeavingTheField) {
  EXPECT_EQ(NormalizeCatalogFileName("photos"), "photos.html");
  EXPECT_EQ(NormalizeCatalogFileName("/web/Photos.htm"), "Photos.html");
  EXPECT_EQ(NormalizeCatalogFileName("Album.HTML"), "Album.HTML");
  EXPECT_EQ(NormalizeCatalogFileName("sub/index.html"), "sub/index.html");
  EXPECT_EQ(NormalizeCatalogFileName("photos.jpg.txt"), "photos.jpg.html");
  EXPECT_EQ(NormalizeCatalogFileName(""), ".html");
  EXPECT_EQ(NormalizeCatalogFileName("my.dir/cat"), "cat.html");

  Wizard& w = Open();
  w.model().editAlbumFileName.EnterText("holiday");
  w.editAlbumFileNameExit();
  EXPECT_EQ(w.model().editAlbumFileName.text(), "holiday.html");
}

TEST_F(NavigationTest, PickersHelpAndTheFinishWalk) {
  WriteSettings("BgImage=/no/such/image.jpg\nUseDefaultsOnPage5=0\n");
  Wizard& w = Open();
  WizardModel& m = w.model();

  // The colour picker opens on the colour last confirmed in it, whichever button opened it.
  ui_.colors = {0x0000FF, std::nullopt, 0x00FF00};
  w.btnSelectHeaderColorClick();
  w.btnSelectLinkColorClick();
  w.btnSelectTableBgColorClick();
  EXPECT_EQ(ui_.color_initials, (std::vector<std::int32_t>{0, 0x0000FF, 0x0000FF}));
  EXPECT_EQ(m.editHeaderColor.color, 0x0000FF);
  EXPECT_EQ(m.editLinkColor.color, 16711680);  // cancelled: unchanged
  EXPECT_EQ(m.editTableBgColor.color, 0x00FF00);

  ui_.folder = std::nullopt;
  w.btnBrowseFoldersClick();
  EXPECT_EQ(m.editAlbumDirectory.text(), exe_dir_);
  ui_.folder = album_dir_;
  w.btnBrowseFoldersClick();
  EXPECT_EQ(m.editAlbumDirectory.text(), album_dir_);
  EXPECT_TRUE(ui_.Has("folder: Select Image Source Folder"));

  ui_.files = {"/music/tune.mid"};
  w.btnSelectBgSoundClick();
  EXPECT_EQ(m.editBgSound.text(), "/music/tune.mid");
  ASSERT_EQ(ui_.file_requests.size(), 1u);
  EXPECT_EQ(ui_.file_requests[0].filter, "All files (*.*)|*.*");
  EXPECT_EQ(ui_.file_requests[0].initial_directory, exe_dir_);
  EXPECT_FALSE(ui_.file_requests[0].image_preview);

  // "&Finish" on page 3 walks on, reloading and checking; page 6's check stops it there.
  w.StepPage(+1);
  w.StepPage(+1);
  ASSERT_EQ(w.CurrentPage(), 3);
  w.btnHelpClick();
  EXPECT_TRUE(ui_.Has("help: STEP_3"));
  ui_.events.clear();
  m.editBgSound.SetText("");
  w.btnFinishClick();
  EXPECT_EQ(w.CurrentPage(), 6);
  EXPECT_EQ(VisiblePage(m), 6);
  EXPECT_EQ(ui_.Warnings(), std::vector<std::string>{kBgImageWarning});
  EXPECT_FALSE(ui_.Has("busy"));
  EXPECT_EQ(m.editHeaderColor.color, 16744576);  // page 5 was reloaded on the way
}

}  // namespace
}  // namespace fotoloom::testing
