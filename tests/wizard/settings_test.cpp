// Loading the wizard's pages from the settings file and saving them back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "generation/album_settings.h"
#include "platform/error.h"
#include "wizard/ini_file.h"
#include "wizard/settings_location.h"
#include "wizard/settings_table.h"
#include "wizard_fixture.h"

namespace fotoloom::testing {
namespace {

class SettingsTest : public WizardTest {};

constexpr const char* kSavedKeys[] = {"AlbumFileName",
                                      "AlbumDirectory",
                                      "AlbumName",
                                      "AlbumHeader",
                                      "AlbumFooter",
                                      "ThumbGeometryW",
                                      "ThumbGeometryH",
                                      "ThumbsPerRow",
                                      "CreateMultipleFiles",
                                      "ThumbRowsPerFile",
                                      "ShowFileName",
                                      "ShowFileExtension",
                                      "ShowFileTime",
                                      "ShowFileSize",
                                      "SortingCriteria",
                                      "SortingMethod",
                                      "HeaderColor",
                                      "TextColor",
                                      "HeaderSize",
                                      "FontSize",
                                      "Font",
                                      "LinkColor",
                                      "VLinkColor",
                                      "ThumbnailBorder",
                                      "TableBorder",
                                      "BgColor",
                                      "UseTableBgColor",
                                      "TableBgColor",
                                      "BgImage",
                                      "BgSound",
                                      "ThumbDirectory",
                                      "EraseExistingFiles",
                                      "EmptyThumbnail",
                                      "SlideShow",
                                      "SlideShowDelay",
                                      "Previous",
                                      "Next",
                                      "Index",
                                      "NameMaxLen",
                                      "LaunchDefaultBrowser",
                                      "ExitAfterGenerating",
                                      "PreviewImages",
                                      "PreviewWidth",
                                      "PreviewHeight",
                                      "HiDPIThumbnails",
                                      "CatalogStyle",
                                      "ExtendedFormats",
                                      "UseDateTaken",
                                      "ShowPhotoDetails",
                                      "IncludeSubfolders",
                                      "NavigationUpText"};

TEST_F(SettingsTest, WithoutAFileEveryValueHasItsDefault) {
  Wizard& w = Open();
  const WizardModel& m = w.model();
  EXPECT_EQ(m.editAlbumFileName.text(), "_cat.html");
  EXPECT_EQ(m.editAlbumDirectory.text(), exe_dir_);
  EXPECT_EQ(m.editAlbumName.text(), "My Catalog [date]");
  EXPECT_EQ(m.editAlbumHeader.text(), "Images [date]");
  EXPECT_EQ(m.editAlbumFooter.text(), "Copyright &copy Your Name");
  EXPECT_EQ(m.seditThumbsPerRow.value(), 6);
  EXPECT_TRUE(m.chkboxCreateMultipleFiles.checked());
  EXPECT_EQ(m.seditThumbRowsPerFile.value(), 25);
  EXPECT_EQ(m.seditThumbGeometryW.value(), 100);
  EXPECT_EQ(m.seditThumbGeometryH.value(), 100);
  EXPECT_TRUE(m.chkboxShowFileName.checked());
  EXPECT_TRUE(m.chkboxShowFileExt.checked());
  EXPECT_TRUE(m.chkboxShowFileTime.checked());
  EXPECT_TRUE(m.chkboxShowFileSize.checked());
  EXPECT_EQ(m.rgrpSortBy.item_index(), 0);
  EXPECT_EQ(m.rgrpSortMethod.item_index(), 0);
  EXPECT_EQ(m.editHeaderColor.color, 16744576);
  EXPECT_EQ(m.editTextColor.color, 16744576);
  EXPECT_EQ(m.cmbHeaderSize.text(), "H3");
  EXPECT_EQ(m.seditFontSize.value(), 1);
  EXPECT_EQ(m.editAlbumFont.text(), "Verdana, Arial, Helvetica");
  EXPECT_EQ(m.editLinkColor.color, 16711680);
  EXPECT_EQ(m.editVLinkColor.color, 8388736);
  EXPECT_EQ(m.seditThumbnailBorder.value(), 0);
  EXPECT_EQ(m.seditTableBorder.value(), 0);
  EXPECT_EQ(m.editBgColor.color, 0);
  EXPECT_FALSE(m.chkboxUseTableBgColor.checked());
  EXPECT_EQ(m.editTableBgColor.color, 0);
  EXPECT_EQ(m.editBgImage.text(), "");
  EXPECT_EQ(m.editBgSound.text(), "");
  EXPECT_EQ(m.seditNameMaxLen.value(), 12);
  EXPECT_TRUE(m.chkBoxLaunchDefaultBrowser.checked());
  EXPECT_FALSE(m.chkboxSaveSettings.checked());
  EXPECT_FALSE(m.chkBoxExitAfterGenerating.checked());
  EXPECT_TRUE(m.chkboxGenerateHTMLImages.checked());
  EXPECT_FALSE(m.chkboxUseDefaultsOnPage3.checked());
  EXPECT_TRUE(m.chkboxUseDefaultsOnPage4.checked());
  EXPECT_TRUE(m.chkboxUseDefaultsOnPage5.checked());
  EXPECT_TRUE(m.chkboxUseDefaultsOnPage6.checked());
  EXPECT_EQ(m.ProgressBar1.Position(), 0);
  EXPECT_EQ(m.lblProgressInfo.caption(), "Waiting for user input...");

  const AdvancedValues& kept = w.advanced().kept();
  EXPECT_EQ(kept.ThumbDirectory, "fldata");
  EXPECT_EQ(kept.EraseExistingFiles, CheckState::kChecked);
  EXPECT_EQ(kept.EmptyThumbnail, exe_dir_ + "default.jpg");
  EXPECT_EQ(kept.SlideShow, CheckState::kUnchecked);
  EXPECT_EQ(kept.SlideShowDelay, 15);
  EXPECT_EQ(kept.Previous, "&lt- Back");
  EXPECT_EQ(kept.Next, "Next -&gt");
  EXPECT_EQ(kept.Index, "Index");
  EXPECT_EQ(kept.PreviewImages, CheckState::kUnchecked);
  EXPECT_EQ(kept.PreviewWidth, 1600);
  EXPECT_EQ(kept.PreviewHeight, 1200);
  EXPECT_EQ(kept.HiDPIThumbnails, CheckState::kUnchecked);
  const AdvancedDialogModel& f = w.advanced().fields();
  EXPECT_FALSE(f.seditPreviewWidth.enabled);  // previews off
  EXPECT_EQ(f.editThumbDirectory.text(), "fldata");
  EXPECT_EQ(f.seditSlideDelay.value(), 15);
  EXPECT_FALSE(f.seditSlideDelay.enabled);           // slide show off
  EXPECT_FALSE(std::filesystem::exists(settings_));  // reading never creates the file
}

TEST_F(SettingsTest, StoredValuesAreClampedAndReadInEveryIntegerForm) {
  WriteSettings(
      "ThumbsPerRow=100\nThumbGeometryW=10\nThumbGeometryH=0x280\nFontSize=abc\n"
      "ThumbRowsPerFile=-3\nHeaderColor=0xFF\nTextColor=$FF\nHeaderSize=4\n"
      "SortingCriteria=7\nSortingMethod=-5\nShowFileName=7\nShowFileExtension=2\n"
      "NameMaxLen=999\nAlbumName=\nSlideShowDelay=0\nSlideShow=1\n");
  Wizard& w = Open();
  const WizardModel& m = w.model();
  EXPECT_EQ(m.seditThumbsPerRow.value(), 25);
  EXPECT_EQ(m.seditThumbGeometryW.value(), 25);
  EXPECT_EQ(m.seditThumbGeometryH.value(), 640);
  EXPECT_EQ(m.seditFontSize.value(), 1);
  EXPECT_EQ(m.seditThumbRowsPerFile.value(), 1);
  EXPECT_EQ(m.editHeaderColor.color, 255);
  EXPECT_EQ(m.editTextColor.color, 255);
  EXPECT_EQ(m.cmbHeaderSize.item_index(), -1);
  EXPECT_EQ(m.cmbHeaderSize.text(), "");
  EXPECT_EQ(m.rgrpSortBy.item_index(), 2);
  EXPECT_EQ(m.rgrpSortMethod.item_index(), -1);
  EXPECT_EQ(m.chkboxShowFileName.state(), CheckState::kUnchecked);
  EXPECT_EQ(m.chkboxShowFileExt.state(), CheckState::kGrayed);
  EXPECT_EQ(m.seditNameMaxLen.value(), 250);
  EXPECT_EQ(m.editAlbumName.text(), "");  // present but empty is not the default
  EXPECT_EQ(m.editBgImage.text(), "");    // absent text is empty
  EXPECT_EQ(w.advanced().kept().SlideShowDelay, 0);
  EXPECT_EQ(w.advanced().fields().seditSlideDelay.value(), 1);
  EXPECT_TRUE(w.advanced().fields().seditSlideDelay.enabled);

  // Written back as they show, except the kept delay, which stays as read.
  w.model().chkboxSaveSettings.SetChecked(true);
  w.SaveAllSettings();
  IniFile saved(settings_);
  EXPECT_EQ(saved.ReadString("Settings", "ShowFileName", ""), "0");
  EXPECT_EQ(saved.ReadString("Settings", "ShowFileExtension", ""), "2");
  EXPECT_EQ(saved.ReadString("Settings", "ThumbsPerRow", ""), "25");
  EXPECT_EQ(saved.ReadString("Settings", "HeaderColor", ""), "255");
  EXPECT_EQ(saved.ReadString("Settings", "HeaderSize", ""), "-1");
  EXPECT_EQ(saved.ReadString("Settings", "SortingMethod", ""), "-1");
  EXPECT_EQ(saved.ReadString("Settings", "SlideShowDelay", ""), "0");
}

TEST_F(SettingsTest, AFreshFileHoldsTheSavedKeysInOrder) {
  Wizard& w = Open();
  w.SaveAllSettings();
  std::istringstream lines(ReadText(settings_));
  std::string line;
  ASSERT_TRUE(std::getline(lines, line));
  EXPECT_EQ(line, "[Settings]");
  std::vector<std::string> keys;
  while (std::getline(lines, line)) keys.push_back(line.substr(0, line.find('=')));
  EXPECT_EQ(keys, std::vector<std::string>(std::begin(kSavedKeys), std::end(kSavedKeys)));

  // Read-only keys are never written, so a saved file reopens with their defaults.
  const std::string text = ReadText(settings_);
  for (const char* key : {"UseDefaultsOnPage4", "UseDefaultsOnPage5", "UseDefaultsOnPage6",
                          "SaveSettings", "GenerateHTMLImages"}) {
    EXPECT_EQ(text.find(key), std::string::npos) << key;
  }
  EXPECT_NE(text.find("AlbumName=My Catalog [date]\n"), std::string::npos);
  EXPECT_NE(text.find("Previous=&lt- Back\n"), std::string::npos);
}

TEST_F(SettingsTest, SavingKeepsUnknownKeysAndSectionsAndRoundTrips) {
  WriteText(settings_,
            "[Window]\r\nLeft=10\r\n[Settings]\r\nMyOwnKey=kept\r\nthumbsperrow=3\r\n"
            "UseDefaultsOnPage5=0\r\n");
  Wizard& w = Open();
  w.model().editAlbumName.EnterText("Holiday [date]");
  w.model().editAlbumDirectory.SetText("/photos/with 'quotes\"");
  w.SaveAllSettings();
  const std::string text = ReadText(settings_);
  EXPECT_EQ(
      text.rfind("[Window]\r\nLeft=10\r\n[Settings]\r\nMyOwnKey=kept\r\nThumbsPerRow=3\r\n", 0),
      0u);
  EXPECT_NE(text.find("UseDefaultsOnPage5=0\r\n"), std::string::npos);
  EXPECT_NE(text.find("AlbumName=Holiday [date]\r\n"), std::string::npos);

  // A new window shows what was saved.
  Wizard& again = Open();
  EXPECT_EQ(again.model().editAlbumName.text(), "Holiday [date]");
  EXPECT_EQ(again.model().editAlbumDirectory.text(), "/photos/with 'quotes\"");
  EXPECT_EQ(again.model().seditThumbsPerRow.value(), 3);
  EXPECT_FALSE(again.model().chkboxUseDefaultsOnPage5.checked());
}

TEST_F(SettingsTest, DisplayOptionsAreClampedRoundTripAndReachTheRun) {
  struct Case {
    std::string stored;
    CheckState previews;
    int width, height;
    CheckState hidpi;
    int style;  // as the radio group selects it; the modern style always makes previews
  };
  const Case cases[] = {
      {"PreviewImages=1\nPreviewWidth=100\nPreviewHeight=99999\nHiDPIThumbnails=1\n"
       "CatalogStyle=-3\n",
       CheckState::kChecked, 320, 8192, CheckState::kChecked, -1},
      {"PreviewImages=0\nPreviewWidth=0x400\nPreviewHeight=abc\nHiDPIThumbnails=7\n"
       "CatalogStyle=9\n",
       CheckState::kUnchecked, 1024, 1200, CheckState::kUnchecked, kModernCatalog},
      {"CatalogStyle=0\n", CheckState::kUnchecked, 1600, 1200, CheckState::kUnchecked,
       kClassicCatalog},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    WriteSettings(c.stored);
    for (int pass = 0; pass < 2; ++pass) {  // as read, then as saved and read again
      Wizard& w = Open();
      const AdvancedValues& kept = w.advanced().kept();
      EXPECT_EQ(kept.PreviewImages, c.previews);
      EXPECT_EQ(kept.PreviewWidth, c.width);
      EXPECT_EQ(kept.PreviewHeight, c.height);
      EXPECT_EQ(kept.HiDPIThumbnails, c.hidpi);
      EXPECT_EQ(kept.CatalogStyle, c.style);
      EXPECT_EQ(w.advanced().fields().seditPreviewHeight.value(), c.height);
      EXPECT_EQ(w.advanced().fields().seditPreviewWidth.enabled,
                c.previews == CheckState::kChecked || c.style == kModernCatalog);
      w.TransferToAlbum();
      EXPECT_EQ(Album().PreviewImages, c.previews == CheckState::kChecked);
      EXPECT_EQ(Album().PreviewWidth, c.width);
      EXPECT_EQ(Album().PreviewHeight, c.height);
      EXPECT_EQ(Album().HiDPIThumbnails, c.hidpi == CheckState::kChecked);
      EXPECT_EQ(Album().CatalogStyle, c.style);
      w.SaveAllSettings();
    }
    ResetAlbumSettings();
  }
}

// A stored value other than the row's default, distinct per key.
std::string NonDefault(const SettingRow& row) {
  switch (row.kind) {
    case SettingKind::kText:
      return std::string("x-") + row.key;
    case SettingKind::kNumber:
    case SettingKind::kInteger:
      return std::to_string(row.default_number < row.max ? row.default_number + 1 : row.min);
    case SettingKind::kCheck:
      return row.default_number == 1 ? "0" : "1";
    case SettingKind::kItemIndex:
      return row.default_number == 0 ? "1" : "0";
    case SettingKind::kColor:
      return std::to_string(row.default_number ^ 0x123456);
  }
  return {};
}

TEST_F(SettingsTest, EveryKeyRoundTripsThroughTheWizard) {
  std::string stored;
  for (const SettingRow& row : SettingRows())
    stored += std::string(row.key) + "=" + NonDefault(row) + "\n";
  WriteSettings(stored);
  Open().SaveAllSettings();
  const IniFile saved(settings_);
  for (const SettingRow& row : SettingRows()) {
    EXPECT_EQ(saved.ReadString("Settings", row.key, "(absent)"), NonDefault(row)) << row.key;
  }
}

std::string Printed(const std::string& text) { return text; }
std::string Printed(int number) { return std::to_string(number); }
std::string Printed(bool on) { return on ? "true" : "false"; }

// Every album setting named after the key it comes from; the name is spelled once, so a value
// sent to another key's setting shows.
struct NamedSetting {
  const char* name;
  std::string (*value)(const AlbumSettings&);
};
#define FL_SETTING(name)                                          \
  {                                                               \
#name, [](const AlbumSettings& a) { return Printed(a.name); } \
  }
const NamedSetting kAlbumSettings[] = {
    FL_SETTING(AlbumFileName),   FL_SETTING(AlbumDirectory),
    FL_SETTING(ThumbDirectory),  FL_SETTING(EraseExistingFiles),
    FL_SETTING(EmptyThumbnail),  FL_SETTING(GenerateHTMLImages),
    FL_SETTING(NameMaxLen),      FL_SETTING(Font),
    FL_SETTING(SlideShow),       FL_SETTING(SlideShowDelay),
    FL_SETTING(ShowFileName),    FL_SETTING(ShowFileExtension),
    FL_SETTING(ShowFileTime),    FL_SETTING(ShowFileSize),
    FL_SETTING(Previous),        FL_SETTING(Next),
    FL_SETTING(Index),           FL_SETTING(ThumbsPerRow),
    FL_SETTING(ThumbGeometryW),  FL_SETTING(ThumbGeometryH),
    FL_SETTING(AlbumName),       FL_SETTING(HeaderColor),
    FL_SETTING(HeaderSize),      FL_SETTING(AlbumHeader),
    FL_SETTING(AlbumFooter),     FL_SETTING(ThumbnailBorder),
    FL_SETTING(TableBorder),     FL_SETTING(FontSize),
    FL_SETTING(TextColor),       FL_SETTING(BgColor),
    FL_SETTING(UseTableBgColor), FL_SETTING(TableBgColor),
    FL_SETTING(BgImage),         FL_SETTING(BgSound),
    FL_SETTING(LinkColor),       FL_SETTING(VLinkColor),
    FL_SETTING(PreviewImages),   FL_SETTING(PreviewWidth),
    FL_SETTING(PreviewHeight),   FL_SETTING(HiDPIThumbnails),
    FL_SETTING(CatalogStyle),    FL_SETTING(ExtendedFormats),
    FL_SETTING(UseDateTaken),    FL_SETTING(ShowPhotoDetails),
    FL_SETTING(IncludeSubfolders), FL_SETTING(NavigationUpText),
};
#undef FL_SETTING

TEST_F(SettingsTest, EveryTransferredKeyReachesTheAlbumSettingOfItsName) {
  const auto transferred = [&](const std::string& stored) {
    WriteSettings(stored);
    ResetAlbumSettings();
    Open().TransferToAlbum();
    std::map<std::string, std::string> values;
    for (const NamedSetting& setting : kAlbumSettings)
      values[setting.name] = setting.value(Album());
    return values;
  };
  const auto defaults = transferred("");
  for (const SettingRow& row : SettingRows()) {
    if (row.transfer == TransferForm::kNone) continue;
    SCOPED_TRACE(row.key);
    ASSERT_TRUE(defaults.count(row.key)) << "no album setting named " << row.key;
    const auto changed = transferred(std::string(row.key) + "=" + NonDefault(row) + "\n");
    for (const auto& [name, value] : changed) {
      if (name == row.key) {
        EXPECT_NE(value, defaults.at(name));
      } else {
        EXPECT_EQ(value, defaults.at(name)) << name << " changed";
      }
    }
  }
  ResetAlbumSettings();
}

TEST_F(SettingsTest, ARefusedSaveRaisesWithThePath) {
  WriteSettings("AlbumName=before\n");
  ASSERT_EQ(::chmod(settings_.c_str(), 0444), 0);
  Wizard& w = Open();
  w.model().editAlbumName.SetText("after");
  try {
    w.SaveAllSettings();
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + settings_);
  }
  EXPECT_EQ(ReadText(settings_), "[Settings]\nAlbumName=before\n");
}

TEST_F(SettingsTest, TheFileLiesBesideTheProgramOrInTheUsersConfiguration) {
  const char* old_xdg = std::getenv("XDG_CONFIG_HOME");
  const std::string saved_xdg = old_xdg ? old_xdg : "";
  const char* old_home = std::getenv("HOME");
  const std::string saved_home = old_home ? old_home : "";
  ::setenv("XDG_CONFIG_HOME", (root_ + "config").c_str(), 1);
  const std::string user_file = root_ + "config/fotoloom/Settings.ini";
  const std::string elsewhere = root_ + "installed/";
  std::filesystem::create_directories(elsewhere);

  // A writable program folder holds it, unless it is the installed program's folder: that one
  // never does, even writable and with a Settings.ini in it, and also when named through a link.
  EXPECT_EQ(SettingsFilePath(exe_dir_, elsewhere), exe_dir_ + "Settings.ini");
  EXPECT_EQ(SettingsFilePath(exe_dir_.substr(0, exe_dir_.size() - 1), elsewhere),
            exe_dir_ + "Settings.ini");
  WriteText(settings_, "");
  EXPECT_EQ(SettingsFilePath(exe_dir_, exe_dir_), user_file);
  std::filesystem::create_directory_symlink(exe_dir_, root_ + "link");
  EXPECT_EQ(SettingsFilePath(exe_dir_, root_ + "link"), user_file);

  // A folder that does not exist (and so cannot be written) sends it to $XDG_CONFIG_HOME.
  const std::string missing = root_ + "not-there/";
  EXPECT_EQ(SettingsFilePath(missing, missing), user_file);
  EXPECT_EQ(SettingsFilePath(missing, elsewhere), user_file);
  ::setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
  ::setenv("HOME", root_.c_str(), 1);
  EXPECT_EQ(SettingsFilePath(missing, elsewhere), root_ + ".config/fotoloom/Settings.ini");
  ::setenv("HOME", saved_home.c_str(), 1);
  if (old_xdg) {
    ::setenv("XDG_CONFIG_HOME", saved_xdg.c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
}

TEST_F(SettingsTest, AnInstalledProgramStartsInThePicturesFolderAndPickersAtTheirField) {
  const std::string installed = root_ + "installed/";
  const std::string pictures = root_ + "Pictures";
  std::filesystem::create_directories(installed);
  std::filesystem::create_directories(pictures);
  struct Case {
    std::string executable, pictures, expected;
  };
  const Case cases[] = {
      {installed, pictures, pictures + "/"},
      {installed, root_ + "no-pictures", root_},  // the home folder
      {installed, "", root_},
      {exe_dir_, pictures, exe_dir_},  // a portable copy keeps its own folder
  };
  for (const Case& c : cases)
    EXPECT_EQ(FirstImageDirectory(c.executable, c.pictures, root_, installed), c.expected)
        << c.executable << " " << c.pictures;

  // The wizard's page 1 and background pickers, unless the settings file or the field says
  // otherwise.
  first_image_directory_ = pictures + "/";
  Wizard& w = Open();
  EXPECT_EQ(w.model().editAlbumDirectory.text(), pictures + "/");
  w.btnSelectBgSoundClick();
  w.model().editBgImage.SetText(album_dir_ + "sky.jpg");
  w.btnSelectBgImageClick();
  w.model().editBgImage.SetText(root_ + "gone/sky.jpg");
  w.btnSelectBgImageClick();
  w.advanced().fields().editEmptyThumbnail.SetText(album_dir_ + "none.jpg");
  w.advanced().btnBrowseEmptyThumbnailClick();
  std::vector<std::string> starts;
  for (const FilePickerRequest& request : ui_.file_requests)
    starts.push_back(request.initial_directory);
  EXPECT_EQ(starts, (std::vector<std::string>{pictures + "/", album_dir_, pictures + "/",
                                              album_dir_}));
  WriteSettings("AlbumDirectory=" + album_dir_ + "\n");
  w.LoadPageSettings(1);
  EXPECT_EQ(w.model().editAlbumDirectory.text(), album_dir_);
}

}  // namespace
}  // namespace fotoloom::testing
