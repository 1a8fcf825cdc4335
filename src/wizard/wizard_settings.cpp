// Loading the pages from the settings file and saving them back.
#include "wizard/ini_file.h"
#include "wizard/wizard.h"

namespace fotoloom {
namespace {

CheckState CheckStateOf(int stored) {
  switch (stored) {
    case 1:
      return CheckState::kChecked;
    case 2:
      return CheckState::kGrayed;
    default:
      return CheckState::kUnchecked;
  }
}

class SettingsReader {
 public:
  explicit SettingsReader(const std::string& path) : ini_(path) {}
  std::string Text(const char* key, const std::string& default_value) const {
    return ini_.ReadString(kSettingsSection, key, default_value);
  }
  int Integer(const char* key, int default_value) const {
    return ini_.ReadInteger(kSettingsSection, key, default_value);
  }
  CheckState Check(const char* key, int default_value) const {
    return CheckStateOf(Integer(key, default_value));
  }

 private:
  IniFile ini_;
};

}  // namespace

void Wizard::LoadPageSettings(int page) {
  if (page < 1 || page > kPageCount) return;
  const SettingsReader in(env_.settings_path);
  WizardModel& m = model_;
  const std::string& exe_dir = env_.executable_directory;
  switch (page) {
    case 1:
      m.editAlbumFileName.SetText(in.Text("AlbumFileName", "_cat.html"));
      m.editAlbumDirectory.SetText(in.Text("AlbumDirectory", FirstImageFolder()));
      break;
    case 2:
      m.editAlbumName.SetText(in.Text("AlbumName", "My Catalog [date]"));
      m.editAlbumHeader.SetText(in.Text("AlbumHeader", "Images [date]"));
      m.editAlbumFooter.SetText(in.Text("AlbumFooter", "Copyright &copy Your Name"));
      break;
    case 3:
      m.seditThumbsPerRow.SetValue(in.Integer("ThumbsPerRow", 6));
      m.chkboxCreateMultipleFiles.SetState(in.Check("CreateMultipleFiles", 1));
      RowsPerFileRule();
      m.seditThumbRowsPerFile.SetValue(in.Integer("ThumbRowsPerFile", 25));
      m.seditThumbGeometryW.SetValue(in.Integer("ThumbGeometryW", 100));
      m.seditThumbGeometryH.SetValue(in.Integer("ThumbGeometryH", 100));
      break;
    case 4:
      m.chkboxShowFileName.SetState(in.Check("ShowFileName", 1));
      m.chkboxShowFileExt.SetState(in.Check("ShowFileExtension", 1));
      m.chkboxShowFileTime.SetState(in.Check("ShowFileTime", 1));
      m.chkboxShowFileSize.SetState(in.Check("ShowFileSize", 1));
      m.rgrpSortBy.SetItemIndex(in.Integer("SortingCriteria", 0));
      m.rgrpSortMethod.SetItemIndex(in.Integer("SortingMethod", 0));
      m.chkboxUseDefaultsOnPage4.SetState(in.Check("UseDefaultsOnPage4", 1));
      break;
    case 5:
      m.editHeaderColor.color = in.Integer("HeaderColor", 16744576);
      m.editTextColor.color = in.Integer("TextColor", 16744576);
      m.cmbHeaderSize.SetItemIndex(in.Integer("HeaderSize", 2));
      m.seditFontSize.SetValue(in.Integer("FontSize", 1));
      m.editAlbumFont.SetText(in.Text("Font", "Verdana, Arial, Helvetica"));
      m.editLinkColor.color = in.Integer("LinkColor", 16711680);
      m.editVLinkColor.color = in.Integer("VLinkColor", 8388736);
      m.chkboxUseDefaultsOnPage5.SetState(in.Check("UseDefaultsOnPage5", 1));
      break;
    case 6: {
      m.seditThumbnailBorder.SetValue(in.Integer("ThumbnailBorder", 0));
      m.seditTableBorder.SetValue(in.Integer("TableBorder", 0));
      m.editBgColor.color = in.Integer("BgColor", 0);
      m.chkboxUseTableBgColor.SetState(in.Check("UseTableBgColor", 0));
      TableColorRule();
      m.editTableBgColor.color = in.Integer("TableBgColor", 0);
      m.editBgImage.SetText(in.Text("BgImage", ""));
      m.editBgSound.SetText(in.Text("BgSound", ""));
      AdvancedDialog& adv = *advanced_;
      adv.SetThumbDirectory(in.Text("ThumbDirectory", "fldata"));
      adv.SetEraseExistingFiles(in.Check("EraseExistingFiles", 1));
      adv.SetEmptyThumbnail(in.Text("EmptyThumbnail", exe_dir + "default.jpg"));
      adv.SetSlideShow(in.Check("SlideShow", 0));
      adv.SetSlideShowDelay(in.Integer("SlideShowDelay", 15));
      adv.SetPrevious(in.Text("Previous", "&lt- Back"));
      adv.SetNext(in.Text("Next", "Next -&gt"));
      adv.SetIndex(in.Text("Index", "Index"));
      adv.SetPreviewImages(in.Check("PreviewImages", 0));
      adv.SetPreviewWidth(in.Integer("PreviewWidth", 1600));
      adv.SetPreviewHeight(in.Integer("PreviewHeight", 1200));
      adv.SetHiDPIThumbnails(in.Check("HiDPIThumbnails", 0));
      m.seditNameMaxLen.SetValue(in.Integer("NameMaxLen", 12));
      m.chkboxUseDefaultsOnPage6.SetState(in.Check("UseDefaultsOnPage6", 1));
      break;
    }
    case 7:
      m.chkBoxLaunchDefaultBrowser.SetState(in.Check("LaunchDefaultBrowser", 1));
      m.chkboxSaveSettings.SetState(in.Check("SaveSettings", 0));
      m.chkBoxExitAfterGenerating.SetState(in.Check("ExitAfterGenerating", 0));
      m.chkboxGenerateHTMLImages.SetState(in.Check("GenerateHTMLImages", 1));
      m.ProgressBar1.SetPosition(0);
      m.lblProgressInfo.SetText(kWaitingForInput);
      break;
  }
}

// Switching multiple catalog files on or off throws away a typed rows-per-file value.
void Wizard::chkboxCreateMultipleFilesClick() {
  const SettingsReader in(env_.settings_path);
  model_.seditThumbRowsPerFile.SetValue(in.Integer("ThumbRowsPerFile", 25));
  RowsPerFileRule();
}

void Wizard::SaveAllSettings() {
  IniFile out(env_.settings_path);
  const WizardModel& m = model_;
  const AdvancedValues& adv = advanced_->kept();
  auto text = [&](const char* key, const std::string& value) {
    out.WriteString(kSettingsSection, key, value);
  };
  auto integer = [&](const char* key, int value) {
    out.WriteInteger(kSettingsSection, key, value);
  };
  auto check = [&](const char* key, CheckState state) { integer(key, static_cast<int>(state)); };

  text("AlbumFileName", m.editAlbumFileName.text());
  text("AlbumDirectory", m.editAlbumDirectory.text());
  text("AlbumName", m.editAlbumName.text());
  text("AlbumHeader", m.editAlbumHeader.text());
  text("AlbumFooter", m.editAlbumFooter.text());
  integer("ThumbGeometryW", m.seditThumbGeometryW.value());
  integer("ThumbGeometryH", m.seditThumbGeometryH.value());
  integer("ThumbsPerRow", m.seditThumbsPerRow.value());
  check("CreateMultipleFiles", m.chkboxCreateMultipleFiles.state());
  integer("ThumbRowsPerFile", m.seditThumbRowsPerFile.value());
  check("ShowFileName", m.chkboxShowFileName.state());
  check("ShowFileExtension", m.chkboxShowFileExt.state());
  check("ShowFileTime", m.chkboxShowFileTime.state());
  check("ShowFileSize", m.chkboxShowFileSize.state());
  integer("SortingCriteria", m.rgrpSortBy.item_index());
  integer("SortingMethod", m.rgrpSortMethod.item_index());
  integer("HeaderColor", m.editHeaderColor.color);
  integer("TextColor", m.editTextColor.color);
  integer("HeaderSize", m.cmbHeaderSize.item_index());
  integer("FontSize", m.seditFontSize.value());
  text("Font", m.editAlbumFont.text());
  integer("LinkColor", m.editLinkColor.color);
  integer("VLinkColor", m.editVLinkColor.color);
  integer("ThumbnailBorder", m.seditThumbnailBorder.value());
  integer("TableBorder", m.seditTableBorder.value());
  integer("BgColor", m.editBgColor.color);
  check("UseTableBgColor", m.chkboxUseTableBgColor.state());
  integer("TableBgColor", m.editTableBgColor.color);
  text("BgImage", m.editBgImage.text());
  text("BgSound", m.editBgSound.text());
  text("ThumbDirectory", adv.ThumbDirectory);
  check("EraseExistingFiles", adv.EraseExistingFiles);
  text("EmptyThumbnail", adv.EmptyThumbnail);
  check("SlideShow", adv.SlideShow);
  integer("SlideShowDelay", adv.SlideShowDelay);
  text("Previous", adv.Previous);
  text("Next", adv.Next);
  text("Index", adv.Index);
  integer("NameMaxLen", m.seditNameMaxLen.value());
  check("LaunchDefaultBrowser", m.chkBoxLaunchDefaultBrowser.state());
  check("ExitAfterGenerating", m.chkBoxExitAfterGenerating.state());
  // The display options come after the others, so an earlier file only grows at its end.
  check("PreviewImages", adv.PreviewImages);
  integer("PreviewWidth", adv.PreviewWidth);
  integer("PreviewHeight", adv.PreviewHeight);
  check("HiDPIThumbnails", adv.HiDPIThumbnails);
  out.Save();
}

}  // namespace fotoloom
