#include "wizard/advanced_dialog.h"

#include "files/file_utils.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "wizard/picker_filter.h"
#include "wizard/settings_location.h"

namespace fotoloom {
namespace {

// "." and ".." (and longer runs of dots) name the album directory or a directory above it;
// cleaning such a "data directory" would delete the user's photos.
bool OnlyDots(const std::string& name) {
  return !name.empty() && name.find_first_not_of('.') == std::string::npos;
}

}  // namespace

AdvancedDialog::AdvancedDialog(WizardUi& ui, std::string executable_directory,
                               std::string help_file,
                               std::function<std::string(const std::string&)> album_path)
    : ui_(ui),
      executable_directory_(std::move(executable_directory)),
      help_file_(std::move(help_file)),
      album_path_(std::move(album_path)) {
  fields_.chkboxSlideShow.on_click = [this] { chkboxSlideShowClick(); };
  fields_.chkboxPreviewImages.on_click = [this] { chkboxPreviewImagesClick(); };
  fields_.rgrpCatalogStyle.on_click = [this] { rgrpCatalogStyleClick(); };
  SlideDelayRule();
  PreviewSizeRule();
}

void AdvancedDialog::Keep(const SettingRow& row, const SettingValue& value) {
  const ControlRef field = ControlOf(row, fields_);
  ShowSetting(field, value);
  const bool as_shown = row.kind == SettingKind::kNumber || row.kind == SettingKind::kItemIndex;
  KeepSetting(row, as_shown ? SettingOf(field) : value, kept_);
}

SettingValue AdvancedDialog::Kept(const SettingRow& row) const { return KeptSetting(row, kept_); }

bool AdvancedDialog::ValidateAdvanced() {
  bool result = true;
  const std::string& directory = fields_.editThumbDirectory.text();
  if (!IsSuggestedName(directory) || OnlyDots(directory)) {
    ui_.ShowWarning(kThumbDirectoryNameWarning);
    result = false;
  } else if (directory.empty()) {
    ui_.ShowWarning(kEmptyThumbDirectoryWarning);
    result = false;
  }
  const std::string& image = fields_.editEmptyThumbnail.text();
  // A file that exists but cannot be read would leave photos without thumbnail silently.
  if (!IsReadableFile(album_path_ ? album_path_(image) : image)) {
    ui_.ShowWarning(kAlternativeImageWarning);
    result = false;
  }
  return result;
}

void AdvancedDialog::AcceptAdvanced() {
  for (const SettingRow& row : SettingRows()) {
    if (row.in_dialog()) KeepSetting(row, SettingOf(ControlOf(row, fields_)), kept_);
  }
}

void AdvancedDialog::SlideDelayRule() {
  fields_.seditSlideDelay.enabled = fields_.chkboxSlideShow.checked();
}

void AdvancedDialog::PreviewSizeRule() {
  const bool on = fields_.chkboxPreviewImages.checked() ||
                  fields_.rgrpCatalogStyle.item_index() == kModernCatalog;
  fields_.seditPreviewWidth.enabled = on;
  fields_.seditPreviewHeight.enabled = on;
}

bool AdvancedDialog::btnOKClick() {
  if (!ValidateAdvanced()) return false;
  AcceptAdvanced();
  return true;
}

void AdvancedDialog::btnBrowseEmptyThumbnailClick() {
  FilePickerRequest request;
  request.initial_directory =
      PickerDirectory(fields_.editEmptyThumbnail.text(), executable_directory_);
  request.filter = PickerFilter(kEmptyThumbnailFilter, PickerUse::kReadable);
  request.image_preview = true;
  if (auto chosen = ui_.PickFile(request)) fields_.editEmptyThumbnail.SetText(*chosen);
}

void AdvancedDialog::btnHelpClick() { ui_.OpenHelp(help_file_, kAdvancedHelpTopic); }

void AdvancedDialog::btnAboutClick() { ui_.ShowAbout(); }

}  // namespace fotoloom
