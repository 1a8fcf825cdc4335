#include "wizard/advanced_dialog.h"

#include "files/file_utils.h"
#include "platform/paths.h"
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
                               std::string help_file)
    : ui_(ui),
      executable_directory_(std::move(executable_directory)),
      help_file_(std::move(help_file)) {
  fields_.chkboxSlideShow.on_click = [this] { chkboxSlideShowClick(); };
  fields_.chkboxPreviewImages.on_click = [this] { chkboxPreviewImagesClick(); };
  SlideDelayRule();
  PreviewSizeRule();
}

void AdvancedDialog::SetThumbDirectory(const std::string& value) {
  kept_.ThumbDirectory = value;
  fields_.editThumbDirectory.SetText(value);
}

void AdvancedDialog::SetEraseExistingFiles(CheckState value) {
  kept_.EraseExistingFiles = value;
  fields_.chkboxEraseExistingFiles.SetState(value);
}

void AdvancedDialog::SetEmptyThumbnail(const std::string& value) {
  kept_.EmptyThumbnail = value;
  fields_.editEmptyThumbnail.SetText(value);
}

void AdvancedDialog::SetSlideShow(CheckState value) {
  kept_.SlideShow = value;
  fields_.chkboxSlideShow.SetState(value);
  SlideDelayRule();
}

void AdvancedDialog::SetSlideShowDelay(int value) {
  kept_.SlideShowDelay = value;
  fields_.seditSlideDelay.SetValue(value);
}

void AdvancedDialog::SetPrevious(const std::string& value) {
  kept_.Previous = value;
  fields_.editPrevious.SetText(value);
}

void AdvancedDialog::SetNext(const std::string& value) {
  kept_.Next = value;
  fields_.editNext.SetText(value);
}

void AdvancedDialog::SetIndex(const std::string& value) {
  kept_.Index = value;
  fields_.editIndex.SetText(value);
}

void AdvancedDialog::SetPreviewImages(CheckState value) {
  kept_.PreviewImages = value;
  fields_.chkboxPreviewImages.SetState(value);
  PreviewSizeRule();
}

void AdvancedDialog::SetPreviewWidth(int value) {
  fields_.seditPreviewWidth.SetValue(value);
  kept_.PreviewWidth = fields_.seditPreviewWidth.value();
}

void AdvancedDialog::SetPreviewHeight(int value) {
  fields_.seditPreviewHeight.SetValue(value);
  kept_.PreviewHeight = fields_.seditPreviewHeight.value();
}

void AdvancedDialog::SetHiDPIThumbnails(CheckState value) {
  kept_.HiDPIThumbnails = value;
  fields_.chkboxHiDPIThumbnails.SetState(value);
}

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
  if (!FileExists(fields_.editEmptyThumbnail.text())) {
    ui_.ShowWarning(kAlternativeImageWarning);
    result = false;
  }
  return result;
}

void AdvancedDialog::AcceptAdvanced() {
  kept_.ThumbDirectory = fields_.editThumbDirectory.text();
  kept_.EraseExistingFiles = fields_.chkboxEraseExistingFiles.state();
  kept_.EmptyThumbnail = fields_.editEmptyThumbnail.text();
  kept_.SlideShow = fields_.chkboxSlideShow.state();
  kept_.SlideShowDelay = fields_.seditSlideDelay.value();
  kept_.Previous = fields_.editPrevious.text();
  kept_.Next = fields_.editNext.text();
  kept_.Index = fields_.editIndex.text();
  kept_.PreviewImages = fields_.chkboxPreviewImages.state();
  kept_.PreviewWidth = fields_.seditPreviewWidth.value();
  kept_.PreviewHeight = fields_.seditPreviewHeight.value();
  kept_.HiDPIThumbnails = fields_.chkboxHiDPIThumbnails.state();
}

void AdvancedDialog::SlideDelayRule() {
  fields_.seditSlideDelay.enabled = fields_.chkboxSlideShow.checked();
}

void AdvancedDialog::PreviewSizeRule() {
  const bool on = fields_.chkboxPreviewImages.checked();
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
  request.filter = kEmptyThumbnailFilter;
  request.image_preview = true;
  if (auto chosen = ui_.PickFile(request)) fields_.editEmptyThumbnail.SetText(*chosen);
}

void AdvancedDialog::btnHelpClick() { ui_.OpenHelp(help_file_, kAdvancedHelpTopic); }

void AdvancedDialog::btnAboutClick() { ui_.ShowAbout(); }

}  // namespace fotoloom
