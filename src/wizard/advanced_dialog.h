// The advanced settings dialog's logic: the values that the wizard pages do not show (data
// directory name and its cleaning, the alternative thumbnail image, the slide show and its
// delay, the three navigation texts of the image pages, and the display options), one for
// each row of the settings table that names a field of the dialog.
//
// The dialog keeps its own accepted copy of the values apart from what its fields show.
// The settings file and the transfer to the album settings use only the kept copy; the
// fields change the kept copy only through "&OK" with valid fields (AcceptAdvanced). After
// "&Cancel" the fields keep what the user typed, and the next showing presents it again.
#pragma once

#include <functional>
#include <string>

#include "wizard/settings_table.h"
#include "wizard/wizard_model.h"
#include "wizard/wizard_ui.h"

namespace fotoloom {

inline constexpr char kAdvancedHelpTopic[] = "ADVANCED_SETTINGS";
inline constexpr char kEmptyThumbnailFilter[] =
    "All supported files |*.jpg; *.jpeg; *.bmp; *.gif; *.jpe|"
    "JPEG images (*.jpg, *.jpeg, *.jpe)|*.jpg;*.jpeg;*.jpe|"
    "Bitmap images (*.bmp)|*.bmp|GIF images (*.gif)|*.gif";

inline constexpr char kThumbDirectoryNameWarning[] =
    "Thumbnail directory name contains characters which are not suggested !\r"
    "Please enter correct name without special characters before continue.";
inline constexpr char kEmptyThumbDirectoryWarning[] =
    "Thumbnail directory cannot be left empty !\r"
    "Please enter thumbnail directory before continue.";
inline constexpr char kAlternativeImageWarning[] =
    "Selected image for alternative thumbnail source does not exist !\r"
    "Please select correct source image before continue.";

class AdvancedDialog {
 public:
  // executable_directory ends with a separator; help_file is what "&Help" opens. album_path
  // gives the path a run will use for what the alternative image field holds (a relative one
  // is taken against the album directory); empty: the field's text as it stands.
  AdvancedDialog(WizardUi& ui, std::string executable_directory, std::string help_file,
                 std::function<std::string(const std::string&)> album_path = {});
  AdvancedDialog(const AdvancedDialog&) = delete;
  AdvancedDialog& operator=(const AdvancedDialog&) = delete;

  AdvancedDialogModel& fields() { return fields_; }
  const AdvancedDialogModel& fields() const { return fields_; }
  const AdvancedValues& kept() const { return kept_; }

  // What loading a row of the dialog (SettingRow::in_dialog) does: stores value as the row's
  // kept value and shows it in its field (which may run the field's click handler). A number
  // is kept brought into the field's range, as the field shows it, except a kInteger row's,
  // which is kept as read; a choice is kept as its radio group selects it.
  void Keep(const SettingRow& row, const SettingValue& value);
  // The row's kept value, as it is saved.
  SettingValue Kept(const SettingRow& row) const;

  // Checks the fields as they show now, one warning per problem, in this order: the data
  // directory's name (not a suggested name, which includes names made only of dots, or
  // empty), then the alternative image (no such file, an empty field included, or one that
  // cannot be opened for reading as a regular file). Both run.
  bool ValidateAdvanced();
  // Copies every field into its kept value.
  void AcceptAdvanced();
  // The delay field is enabled exactly when the slide-show box is checked.
  void SlideDelayRule();
  // The preview box's fields are enabled exactly when previews are made: when the preview box
  // is checked or the modern catalog style (which always makes them) is chosen.
  void PreviewSizeRule();

  // Handlers.
  // "&OK": true when the fields were valid and are now kept, and the dialog should close;
  // false keeps it open (the warnings have been shown).
  bool btnOKClick();
  // "&Cancel", Esc, the title-bar button: nothing changes, neither kept values nor fields.
  void btnCancelClick() {}
  void btnBrowseEmptyThumbnailClick();
  void chkboxSlideShowClick() { SlideDelayRule(); }
  void chkboxPreviewImagesClick() { PreviewSizeRule(); }
  void rgrpCatalogStyleClick() { PreviewSizeRule(); }
  void btnHelpClick();
  void btnAboutClick();

 private:
  WizardUi& ui_;
  std::string executable_directory_;
  std::string help_file_;
  std::function<std::string(const std::string&)> album_path_;
  AdvancedDialogModel fields_;
  AdvancedValues kept_;
};

}  // namespace fotoloom
