// The wizard's values on their way to the album settings.
#include "wizard/transfer.h"

#include <gtest/gtest.h>

#include "generation/album_settings.h"
#include "generation/client_ui.h"
#include "wizard_fixture.h"

namespace fotoloom::testing {
namespace {

class TransferTest : public WizardTest {
 protected:
  void SetUp() override {
    WizardTest::SetUp();
    ResetAlbumSettings();
  }
  void TearDown() override {
    ResetAlbumSettings();
    WizardTest::TearDown();
  }
};

TEST(ColorToHtmlTest, SwapsRedAndBlue) {
  EXPECT_EQ(ColorToHtml(16711680), "#0000FF");
  EXPECT_EQ(ColorToHtml(8388736), "#800080");
  EXPECT_EQ(ColorToHtml(16744576), "#8080FF");
  EXPECT_EQ(ColorToHtml(0x0000FF), "#FF0000");
  EXPECT_EQ(ColorToHtml(0x00AB12), "#12AB00");
  EXPECT_EQ(ColorToHtml(0), "#000000");
  // Beyond 24 bits (a hand-edited file): more digits, the same characters swapped.
  EXPECT_EQ(ColorToHtml(0x10FF0000), "#00FF1000");
  EXPECT_EQ(ColorToHtml(0x01FF0000), "#00F01F0");
  EXPECT_EQ(ColorToHtml(-1), "#FFFFFFFF");
}

TEST(ExpandDateTest, ReplacesEveryExactPlaceholder) {
  int asked = 0;
  auto today = [&] {
    ++asked;
    return std::string("6.12.2026");
  };
  EXPECT_EQ(ExpandDate("My Catalog [date]", today), "My Catalog 6.12.2026");
  EXPECT_EQ(ExpandDate("[date] to [date]", today), "6.12.2026 to 6.12.2026");
  EXPECT_EQ(asked, 3);
  EXPECT_EQ(ExpandDate("No date, [Date] or [ date ]", today), "No date, [Date] or [ date ]");
  EXPECT_EQ(asked, 3);
  EXPECT_EQ(ExpandDate("[date]", [] { return std::string("[date]"); }), "[date]");
  EXPECT_FALSE(CurrentShortDate().empty());
}

TEST(SortCodeTest, CriterionAndMethodMakeOneCode) {
  EXPECT_EQ(SortCodeFor(0, 0, 9), 1);
  EXPECT_EQ(SortCodeFor(0, 1, 9), 2);
  EXPECT_EQ(SortCodeFor(1, 0, 9), 5);
  EXPECT_EQ(SortCodeFor(1, 1, 9), 6);
  EXPECT_EQ(SortCodeFor(2, 0, 9), 3);
  EXPECT_EQ(SortCodeFor(2, 1, 9), 4);
  EXPECT_EQ(SortCodeFor(1, -1, 9), 9);
  EXPECT_EQ(SortCodeFor(-1, -1, 9), 1);
  EXPECT_EQ(SortCodeFor(-1, 1, 9), 1);
}

TEST_F(TransferTest, EveryValueReachesTheAlbumSettings) {
  Wizard& w = Open();
  WizardModel& m = w.model();
  m.editAlbumFileName.SetText("cat.html");
  m.editAlbumDirectory.SetText(album_dir_);
  m.editAlbumName.SetText("My Catalog [date]");
  m.editAlbumHeader.SetText("Header without a date");
  m.editAlbumFooter.SetText("[date] - [date]");
  m.chkboxShowFileName.SetChecked(false);
  m.chkboxShowFileExt.SetState(CheckState::kGrayed);
  m.rgrpSortBy.SetItemIndex(2);
  m.rgrpSortMethod.SetItemIndex(1);
  m.seditThumbsPerRow.SetValue(4);
  m.seditThumbRowsPerFile.SetValue(7);
  m.seditThumbGeometryW.SetValue(120);
  m.seditThumbGeometryH.SetValue(90);
  m.editHeaderColor.color = 0x0000FF;
  m.cmbHeaderSize.SetItemIndex(0);
  m.seditFontSize.SetValue(3);
  m.seditThumbnailBorder.SetValue(2);
  m.seditTableBorder.SetValue(1);
  m.chkboxUseTableBgColor.SetChecked(false);
  m.editTableBgColor.color = 0x00FF00;
  m.editBgImage.SetText(" bg.jpg ");
  m.editAlbumFont.SetText("Arial");
  m.seditNameMaxLen.SetValue(0);
  SetCancelRequested(true);

  w.TransferToAlbum();
  const AlbumSettings& a = Album();
  EXPECT_EQ(a.AlbumFileName, "cat.html");
  EXPECT_EQ(a.AlbumDirectory, album_dir_);
  EXPECT_EQ(a.ThumbDirectory, "fldata");
  EXPECT_TRUE(a.GenerateHTMLImages);
  EXPECT_FALSE(a.ShowFileName);
  EXPECT_FALSE(a.ShowFileExtension);  // grayed counts as off
  EXPECT_TRUE(a.ShowFileTime);
  EXPECT_EQ(a.SortOrder, 4);
  EXPECT_EQ(a.ThumbsPerRow, 4);
  EXPECT_EQ(a.ThumbRowsPerFile, 7);
  EXPECT_EQ(a.ThumbGeometryW, 120);
  EXPECT_EQ(a.ThumbGeometryH, 90);
  EXPECT_EQ(a.AlbumName, "My Catalog 6.12.2026");
  EXPECT_EQ(a.AlbumHeader, "Header without a date");
  EXPECT_EQ(a.AlbumFooter, "6.12.2026 - 6.12.2026");
  EXPECT_EQ(a.HeaderColor, "#FF0000");
  EXPECT_EQ(a.HeaderSize, "H1");
  EXPECT_EQ(a.FontSize, "3");
  EXPECT_EQ(a.ThumbnailBorder, "2");
  EXPECT_EQ(a.TableBorder, "1");
  EXPECT_EQ(a.TextColor, "#8080FF");
  EXPECT_EQ(a.BgColor, "#000000");
  EXPECT_FALSE(a.UseTableBgColor);
  EXPECT_EQ(a.TableBgColor, "#00FF00");  // converted although unused
  EXPECT_EQ(a.BgImage, " bg.jpg ");      // copied as it stands
  EXPECT_EQ(a.BgSound, "");
  EXPECT_EQ(a.LinkColor, "#0000FF");
  EXPECT_EQ(a.VLinkColor, "#800080");
  EXPECT_EQ(a.Font, "Arial");
  EXPECT_EQ(a.NameMaxLen, 0);
  EXPECT_FALSE(a.SlideShow);
  EXPECT_EQ(a.SlideShowDelay, 15);
  EXPECT_TRUE(a.EraseExistingFiles);
  EXPECT_EQ(a.EmptyThumbnail, exe_dir_ + "default.jpg");
  EXPECT_EQ(a.Previous, "&lt- Back");
  EXPECT_EQ(a.Next, "Next -&gt");
  EXPECT_EQ(a.Index, "Index");
  EXPECT_FALSE(CancelRequested());
  // The run's reports now reach the page-7 bar and label.
  SetProgressMax(0, "Cancelled.");
  EXPECT_EQ(m.lblProgressInfo.caption(), "Cancelled.");
  EXPECT_EQ(m.ProgressBar1.Maximum(), 0);

  // Multiple files off: one page in practice. No method selected: the code stays. No header
  // size selected: empty.
  m.chkboxCreateMultipleFiles.SetChecked(false);
  m.rgrpSortBy.SetItemIndex(1);
  m.rgrpSortMethod.SetItemIndex(-1);
  m.cmbHeaderSize.SetItemIndex(9);
  w.TransferToAlbum();
  EXPECT_EQ(a.ThumbRowsPerFile, 1000000);
  EXPECT_EQ(a.SortOrder, 4);
  EXPECT_EQ(a.HeaderSize, "");
}

TEST_F(TransferTest, TheRunUsesKeptAdvancedValuesNotTheFields) {
  WriteSettings("SlideShowDelay=0\nSlideShow=1\nUseDefaultsOnPage6=0\n");
  Wizard& w = Open();
  AdvancedDialogModel& f = w.advanced().fields();
  EXPECT_EQ(f.seditSlideDelay.value(), 1);
  ui_.on_advanced = [](AdvancedDialog& d) {
    d.fields().editThumbDirectory.EnterText("typed");
    d.fields().editNext.EnterText("Forward");
    d.btnCancelClick();
  };
  w.btnAdvancedSettingsClick();
  w.TransferToAlbum();
  EXPECT_EQ(Album().ThumbDirectory, "fldata");
  EXPECT_EQ(Album().Next, "Next -&gt");
  EXPECT_TRUE(Album().SlideShow);
  EXPECT_EQ(Album().SlideShowDelay, 0);  // kept as read until "&OK"
  EXPECT_EQ(f.editThumbDirectory.text(), "typed");

  ui_.on_advanced = [](AdvancedDialog& d) { EXPECT_TRUE(d.btnOKClick()); };
  w.btnAdvancedSettingsClick();
  w.TransferToAlbum();
  EXPECT_EQ(Album().ThumbDirectory, "typed");
  EXPECT_EQ(Album().Next, "Forward");
  EXPECT_EQ(Album().SlideShowDelay, 1);
}

}  // namespace
}  // namespace fotoloom::testing
