// The checks that guard leaving a page forward, and the advanced dialog's own check.
#include <gtest/gtest.h>

#include "wizard/picker_filter.h"
#include "wizard_fixture.h"

namespace fotoloom::testing {
namespace {

class ChecksTest : public WizardTest {
 protected:
  Wizard& OpenOnAlbum(const std::string& file_name) {
    Wizard& w = Open();
    w.model().editAlbumFileName.SetText(file_name);
    w.model().editAlbumDirectory.SetText(album_dir_);
    ui_.events.clear();
    return w;
  }
  bool Exists(const std::string& name) const { return std::filesystem::exists(album_dir_ + name); }
};

TEST_F(ChecksTest, PageOneShowsBothNameAndDirectoryWarnings) {
  Wizard& w = OpenOnAlbum("bad:name.html");
  w.model().editAlbumDirectory.SetText(root_ + "missing");
  EXPECT_FALSE(w.StepPage(+1));
  EXPECT_EQ(w.CurrentPage(), 1);
  EXPECT_EQ(ui_.Warnings(), (std::vector<std::string>{kFileNameWarning, kDirectoryWarning}));

  // A separator in the name, and names that would make the catalog path the directory itself,
  // fail the name test.
  for (const char* name : {"sub/index.html", "", ".", ".."}) {
    ui_.events.clear();
    w.model().editAlbumFileName.SetText(name);
    w.model().editAlbumDirectory.SetText(album_dir_);
    EXPECT_FALSE(w.ValidatePage(1)) << name;
    EXPECT_EQ(ui_.Warnings(), std::vector<std::string>{kFileNameWarning}) << name;
  }

  // A directory given as a file is no directory.
  Touch(album_dir_ + "plain");
  ui_.events.clear();
  w.model().editAlbumFileName.SetText("ok.html");
  w.model().editAlbumDirectory.SetText(album_dir_ + "plain");
  EXPECT_FALSE(w.ValidatePage(1));
  EXPECT_EQ(ui_.Warnings(), std::vector<std::string>{kDirectoryWarning});
}

TEST_F(ChecksTest, ExistingCatalogIsOverwrittenOnlyAfterYes) {
  Touch(album_dir_ + "album.html");
  Wizard& w = OpenOnAlbum("album.html");
  ui_.answers = {false};
  EXPECT_FALSE(w.StepPage(+1));
  EXPECT_EQ(ui_.Questions(), std::vector<std::string>{kOverwriteQuestion});
  EXPECT_TRUE(Exists("album.html"));
  EXPECT_EQ(w.CurrentPage(), 1);

  // "&Yes" lets the page be left; the file goes only with the run, once its checks passed.
  ui_.events.clear();
  ui_.answers = {true};
  w.model().editAlbumDirectory.SetText(album_dir_);
  EXPECT_TRUE(w.StepPage(+1));
  EXPECT_TRUE(Exists("album.html"));
  EXPECT_EQ(w.CurrentPage(), 2);
}

TEST_F(ChecksTest, NumberedCatalogFilesAreDeletedOnlyAfterYes) {
  for (const char* name : {"album001.html", "album002.html", "album.jpg", "other001.html"})
    Touch(album_dir_ + name);
  Wizard& w = OpenOnAlbum("album.html");
  ui_.answers = {false};
  EXPECT_TRUE(w.ValidatePage(1));
  EXPECT_EQ(ui_.Questions(), std::vector<std::string>{kNumberedFilesQuestion});
  EXPECT_TRUE(Exists("album001.html"));
  EXPECT_TRUE(Exists("album002.html"));

  // "&Yes" deletes nothing yet either: the run does, once its checks passed.
  ui_.events.clear();
  ui_.answers = {true};
  EXPECT_TRUE(w.ValidatePage(1));
  EXPECT_EQ(ui_.Questions().size(), 1u);
  EXPECT_TRUE(Exists("album001.html"));
  EXPECT_TRUE(Exists("album002.html"));

  // Nothing similar left: no question.
  for (const char* name : {"album001.html", "album002.html"})
    std::filesystem::remove(album_dir_ + name);
  ui_.events.clear();
  EXPECT_TRUE(w.ValidatePage(1));
  EXPECT_TRUE(ui_.events.empty());
}

// A run over the tree writes the catalog in every folder of it, so the questions look there.
TEST_F(ChecksTest, WithSubAlbumsTheQuestionsCoverEveryFolderOfTheTree) {
  struct Case {
    const char* file;  // in a sub-folder that holds a photo
    bool sub_albums;
    std::vector<std::string> questions;
  };
  const Case cases[] = {
      {"album.html", false, {}},
      {"album.html", true, {kOverwriteQuestion}},
      {"album001.html", true, {kNumberedFilesQuestion}},
  };
  std::filesystem::create_directories(album_dir_ + "2025/trip");
  Touch(album_dir_ + "2025/trip/p.jpg");
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + (c.sub_albums ? " in the tree" : ""));
    Touch(album_dir_ + "2025/trip/" + c.file);
    Wizard& w = OpenOnAlbum("album.html");
    w.model().chkboxIncludeSubfolders.SetChecked(c.sub_albums);
    ui_.answers = {true};
    EXPECT_TRUE(w.ValidatePage(1));
    EXPECT_EQ(ui_.Questions(), c.questions);
    std::filesystem::remove(album_dir_ + "2025/trip/" + c.file);
  }
}

TEST_F(ChecksTest, PageSixWarnsInOrderAndJudgesTheDialogFields) {
  Wizard& w = Open();
  WizardModel& m = w.model();
  m.editBgImage.SetText(root_ + "nope.jpg");
  m.editBgSound.SetText(root_ + "nope.wav");
  w.advanced().fields().editThumbDirectory.SetText("");
  ui_.events.clear();
  EXPECT_FALSE(w.ValidatePage(6));
  EXPECT_EQ(ui_.Warnings(), (std::vector<std::string>{kBgImageWarning, kBgSoundWarning,
                                                      kEmptyThumbDirectoryWarning}));

  // Empty background fields pass; an empty alternative image does not.
  m.editBgImage.SetText("");
  m.editBgSound.SetText("");
  w.advanced().fields().editThumbDirectory.SetText("fldata");
  w.advanced().fields().editEmptyThumbnail.SetText("");
  ui_.events.clear();
  EXPECT_FALSE(w.ValidatePage(6));
  EXPECT_EQ(ui_.Warnings(), std::vector<std::string>{kAlternativeImageWarning});

  // Existing files pass.
  Touch(album_dir_ + "bg.jpg");
  m.editBgImage.SetText(album_dir_ + "bg.jpg");
  w.advanced().fields().editEmptyThumbnail.SetText(exe_dir_ + "default.jpg");
  ui_.events.clear();
  EXPECT_TRUE(w.ValidatePage(6));
  EXPECT_TRUE(ui_.events.empty());
  for (int page : {0, 2, 3, 4, 5, 7}) EXPECT_TRUE(w.ValidatePage(page));
}

TEST_F(ChecksTest, AdvancedDialogKeepsItsValuesApartFromItsFields) {
  Wizard& w = Open();
  AdvancedDialog& d = w.advanced();
  AdvancedDialogModel& f = d.fields();

  // "&Cancel" leaves the kept values; the fields keep the typing for the next showing.
  f.editThumbDirectory.EnterText("typed");
  f.editPrevious.EnterText("Back");
  d.btnCancelClick();
  EXPECT_EQ(d.kept().ThumbDirectory, "fldata");
  EXPECT_EQ(d.kept().Previous, "&lt- Back");
  EXPECT_EQ(f.editThumbDirectory.text(), "typed");

  // "&OK" with bad fields warns in order, stays open and keeps nothing.
  f.editThumbDirectory.EnterText("a/b");
  f.editEmptyThumbnail.EnterText("");
  EXPECT_FALSE(d.btnOKClick());
  EXPECT_EQ(ui_.Warnings(),
            (std::vector<std::string>{kThumbDirectoryNameWarning, kAlternativeImageWarning}));
  EXPECT_EQ(d.kept().ThumbDirectory, "fldata");
  EXPECT_EQ(f.editThumbDirectory.text(), "a/b");

  // A name of dots only would be the album directory or its parent: refused.
  for (const char* dots : {".", "..", "..."}) {
    ui_.events.clear();
    f.editThumbDirectory.EnterText(dots);
    f.editEmptyThumbnail.EnterText(exe_dir_ + "default.jpg");
    EXPECT_FALSE(d.ValidateAdvanced()) << dots;
    EXPECT_EQ(ui_.Warnings(), std::vector<std::string>{kThumbDirectoryNameWarning});
  }

  // The delay field follows the slide-show box but is accepted while disabled.
  f.chkboxSlideShow.SetChecked(true);
  EXPECT_TRUE(f.seditSlideDelay.enabled);
  f.seditSlideDelay.SetText("30");
  f.chkboxSlideShow.SetChecked(false);
  EXPECT_FALSE(f.seditSlideDelay.enabled);
  f.editThumbDirectory.EnterText(".thumbs");
  f.editPrevious.EnterText("Back");
  ui_.events.clear();
  EXPECT_TRUE(d.btnOKClick());
  EXPECT_TRUE(ui_.events.empty());
  EXPECT_EQ(d.kept().ThumbDirectory, ".thumbs");
  EXPECT_EQ(d.kept().SlideShowDelay, 30);
  EXPECT_EQ(d.kept().SlideShow, CheckState::kUnchecked);
  EXPECT_EQ(d.kept().Previous, "Back");
  w.SaveAllSettings();
  EXPECT_NE(ReadText(settings_).find("SlideShowDelay=30\n"), std::string::npos);

  ui_.files = {std::nullopt, "/pics/empty.bmp"};
  d.btnBrowseEmptyThumbnailClick();
  EXPECT_EQ(f.editEmptyThumbnail.text(), exe_dir_ + "default.jpg");
  d.btnBrowseEmptyThumbnailClick();
  EXPECT_EQ(f.editEmptyThumbnail.text(), "/pics/empty.bmp");
  EXPECT_TRUE(ui_.file_requests.back().image_preview);
  EXPECT_EQ(ui_.file_requests.back().filter, kEmptyThumbnailFilter);
  d.btnHelpClick();
  EXPECT_TRUE(ui_.Has("help: ADVANCED_SETTINGS"));
}

// The pickers keep their own texts for the formats they always offered and add every further
// format with a picker name; the background picker only those a browser shows.
TEST(PickerFilterTest, FurtherFormatsAreAddedToEachPickersOwnText) {
  EXPECT_EQ(PickerFilter(kEmptyThumbnailFilter, PickerUse::kReadable), kEmptyThumbnailFilter);
  EXPECT_EQ(PickerFilter(kBgImageFilter, PickerUse::kBrowserShown), kBgImageFilter);
  const ImageFormat further[] = {
      {"JPEG", "*.jpg|*.jpeg", nullptr, true, true, nullptr},
      {"HEIF", "*.heic|*.heif", nullptr, true, false, "HEIF images"},
      {"WebP", "*.webp", nullptr, true, true, "WebP images"},
  };
  const std::string filter = "All supported files |*.jpg|JPEG images (*.jpg)|*.jpg";
  EXPECT_EQ(PickerFilter(filter, PickerUse::kReadable, further),
            "All supported files |*.jpg; *.heic; *.heif; *.webp|JPEG images (*.jpg)|*.jpg"
            "|HEIF images (*.heic, *.heif)|*.heic;*.heif|WebP images (*.webp)|*.webp");
  EXPECT_EQ(PickerFilter(filter, PickerUse::kBrowserShown, further),
            "All supported files |*.jpg; *.webp|JPEG images (*.jpg)|*.jpg"
            "|WebP images (*.webp)|*.webp");
}

}  // namespace
}  // namespace fotoloom::testing
