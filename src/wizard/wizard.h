// The wizard's logic without a window: seven pages of values (WizardModel), the advanced
// settings dialog (AdvancedDialog), the settings file, the page checks, page navigation, the
// transfer to the album settings and the run sequence.
//
// A front end owns one Wizard, shows its model, forwards the user's actions to the handlers
// below (named after control and event) and shows the model again after each returns. All of
// it runs on one thread. Errors that end an operation (a refused settings write, a file error
// inside the run) propagate as fotoloom::Error to the front end's general error report.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "wizard/advanced_dialog.h"
#include "wizard/wizard_model.h"
#include "wizard/wizard_ui.h"

namespace fotoloom {

inline constexpr char kFolderPickerTitle[] = "Select Image Source Folder";
inline constexpr char kBgImageFilter[] =
    "All supported files |*.jpg; *.jpeg; *.gif; *.jpe|"
    "JPEG images (*.jpg, *.jpeg, *.jpe)|*.jpg;*.jpeg;*.jpe|GIF images (*.gif)|*.gif";
inline constexpr char kBgSoundFilter[] = "All files (*.*)|*.*";
inline constexpr char kCancelledStatus[] = "Cancelled.";
// The one section of the settings file.
inline constexpr char kSettingsSection[] = "Settings";

// Page-check messages.
inline constexpr char kFileNameWarning[] =
    "Catalog file name contains characters which are not suggested !\r"
    "Please enter correct name without special characters before continue.";
inline constexpr char kOverwriteQuestion[] =
    "Selected Catalog file already exists in selected directory !\r"
    "Do you want to overwrite existing file ?";
inline constexpr char kNumberedFilesQuestion[] =
    "There is probably at least one Catalog file already in selected directory !\r"
    "Do you want to delete these existing files ?";
inline constexpr char kDirectoryWarning[] =
    "Selected image source / catalog directory does not exist or it is not writable !\r"
    "Please select correct source image directory before continue.\r\r"
    "Note: Catalog file is saved in this same directory.";
inline constexpr char kBgImageWarning[] =
    "Selected image for background image does not exist !\r"
    "Please select correct source image before continue.";
inline constexpr char kBgSoundWarning[] =
    "Selected file for background sound does not exist !\r"
    "Please select correct source file before continue.";
// Asked when the window is closed during a run.
inline constexpr char kStopRunQuestion[] = "Stop making the catalog?";

// What the wizard takes from the process around it.
struct WizardEnvironment {
  // The executable's directory, ending with a separator: where default.jpg, the help file and
  // (usually) the settings file lie.
  std::string executable_directory;
  // The image folder page 1 shows while the settings file names none, and where the background
  // file pickers open while their field names no folder (FirstImageDirectory). Empty: the
  // executable's directory.
  std::string first_image_directory;
  // The settings file (see settings_location.h for the usual choice).
  std::string settings_path;
  // The help file the "&Help" buttons open.
  std::string help_file;
  // The image directory given on the command line; empty when none was given.
  std::string command_line_directory;
  // A folder to start with (`--open FOLDER`, what a file manager's "Open with" passes): it only
  // fills the image folder field once the pages are loaded, with no unattended run.
  std::string start_directory;
  // Today's date in the user's short date format; empty: the platform's (strftime "%x").
  std::function<std::string()> short_date;
  // The generation run; empty: the real one. Tests may put their own here.
  std::function<void()> generate;
};

// The usual environment of a front end: the executable's directory, the settings file's place,
// the help file beside the executable and the first command-line argument (if any), or the
// folder after a first argument "--open".
WizardEnvironment DefaultWizardEnvironment(int argc, const char* const* argv);

class Wizard {
 public:
  // Creates the window's state as FormCreate does: page 1 loaded and shown.
  Wizard(WizardEnvironment environment, WizardUi& ui);
  ~Wizard();
  Wizard(const Wizard&) = delete;
  Wizard& operator=(const Wizard&) = delete;

  WizardModel& model() { return model_; }
  const WizardModel& model() const { return model_; }
  AdvancedDialog& advanced() { return *advanced_; }
  const WizardEnvironment& environment() const { return env_; }

  // --- lifecycle ---------------------------------------------------------------------------
  // The first paint (later calls do nothing): loads pages 1 to 7, puts a start directory into
  // the image folder field, then RunFromCommandLine().
  void FormPaint();
  // Unattended start: with a command-line directory, walk and check every page and run without
  // browser and without saving, then close. Nothing happens without a directory.
  void RunFromCommandLine();
  // True once the wizard asked the front end to close the window.
  bool close_requested() const { return close_requested_; }
  // True while RunGeneration is inside the generation run.
  bool running() const { return running_; }

  // --- settings file -----------------------------------------------------------------------
  // Fills page n's controls (1..7) from the settings file; any other n reads nothing.
  void LoadPageSettings(int page);
  // Writes every saved key of the settings table, in the table's order. Throws FileWriteError
  // ("Unable to write to <path>") when the file cannot be written; the file then keeps its
  // previous content.
  void SaveAllSettings();

  // --- checks ------------------------------------------------------------------------------
  // True when page n may be left forward; shows one message per problem. Page 1 first
  // normalises the catalog file name (NormalizeCatalogFileName), whichever way it reached the
  // page. A "&Yes" to one of its questions deletes nothing yet: the next run deletes what it
  // allowed, once every check before writing has passed (generation/album.h). Page 6 takes a
  // relative background or alternative image path against the album directory, as the run
  // does (AlbumPath).
  bool ValidatePage(int page);
  // path as the run will use it: a relative one taken against the album directory of page 1.
  std::string AlbumPath(const std::string& path) const;
  // The folders (each ending with the separator) whose catalog files page 1 asks about: the
  // image folder, and with sub-albums every folder of its tree that becomes a catalog.
  std::vector<std::string> CatalogFolders(const std::string& directory) const;

  // --- navigation --------------------------------------------------------------------------
  int CurrentPage() const { return current_page_; }
  void UpdateButtons();
  void DisableButtons();
  void ShowPage(int page);
  // direction -1 (back) or +1 (next); true when the step was taken.
  bool StepPage(int direction);
  // Walks forward to page 7, loading and checking every page; true when page 7 was reached.
  bool AdvanceToFinish();

  // --- transfer and run --------------------------------------------------------------------
  // Copies every value into the album settings, installs the progress targets (the model's
  // bar and label, pumped through the front end) and clears the cancel flag.
  void TransferToAlbum();
  // The run sequence of "&Finish": generation, messages, browser, saving, closing, and the
  // button row of the finished state. An error from the run or the save propagates after the
  // window has been put in the finished state (buttons, page-7 boxes, cursor). A call made
  // while a run is going on (from a pumped event) does nothing. The album's lock
  // (generation/album.h) is taken first and held to the end: while another process holds it,
  // the sequence shows the AlbumBusyWarning and starts nothing.
  void RunGeneration();

  // --- handlers ----------------------------------------------------------------------------
  void btnNextClick() { StepPage(+1); }
  void btnBackClick() { StepPage(-1); }
  void btnBeginClick();
  // Walks to page 7 if needed, then RunGeneration(); nothing while the button is disabled or a
  // run is going on.
  void btnFinishClick();
  void btnCancelClick();  // during a run: asks the run to stop
  void btnCloseClick();   // saves when chosen, then closes
  // Esc and the title-bar button: closes without saving. During a run the window closes once
  // the run has ended, and the user is asked whether to stop it first (as "&Cancel" does).
  void btnExitClick();
  void btnHelpClick();

  void btnBrowseFoldersClick();
  void btnSelectHeaderColorClick() { PickColorInto(model_.editHeaderColor); }
  void btnSelectTextColorClick() { PickColorInto(model_.editTextColor); }
  void btnSelectLinkColorClick() { PickColorInto(model_.editLinkColor); }
  void btnSelectVLinkColorClick() { PickColorInto(model_.editVLinkColor); }
  void btnSelectBgColorClick() { PickColorInto(model_.editBgColor); }
  void btnSelectTableBgColorClick() { PickColorInto(model_.editTableBgColor); }
  void btnSelectBgImageClick();
  void btnSelectBgSoundClick();
  void btnAdvancedSettingsClick();
  void editAlbumFileNameExit();
  // A folder dropped on the window fills the image folder field, but only while page 1 is shown
  // and can be edited: on a later page the folder would never meet page 1's check.
  bool TakesDroppedFolder() const;
  void FolderDropped(const std::string& folder);

  // Check boxes: these run after every change of the box's state (connected as on_click).
  void chkboxUseDefaultsOnPage3Click();
  void chkboxUseDefaultsOnPage4Click();
  void chkboxUseDefaultsOnPage5Click();
  void chkboxUseDefaultsOnPage6Click();
  void chkboxCreateMultipleFilesClick();
  void chkboxUseTableBgColorClick() { TableColorRule(); }

  // Enabled state of the rows-per-file field and of the table colour button.
  void RowsPerFileRule();
  void TableColorRule();

 private:
  // Reads row's key from file into its control or the dialog's kept value.
  void LoadSetting(const IniFile& file, const SettingRow& row);
  // The value a save writes for row: its control's, or the dialog's kept value.
  SettingValue CurrentSetting(const SettingRow& row);
  void PickColorInto(ColorSwatch& swatch);
  // What page's "Use default values" box does when it changes: reloads the page when it became
  // checked; locks the controls of the page's keys and buttons while it is checked.
  void LockPage(int page, const CheckBox& box, std::initializer_list<Control*> buttons);
  const std::string& FirstImageFolder() const;
  void LoadPage(int page);
  void FinishRunState();
  void RequestClose();
  bool HasCommandLineDirectory() const { return !env_.command_line_directory.empty(); }

  WizardEnvironment env_;
  WizardUi& ui_;
  WizardModel model_;
  std::unique_ptr<AdvancedDialog> advanced_;
  std::unique_ptr<MessagePump> pump_;  // forwards the run's pumping to ui_
  int current_page_ = 0;
  bool first_paint_pending_ = true;
  bool close_requested_ = false;
  bool running_ = false;
  // What the last check of page 1 was allowed to delete, for the next run to delete.
  bool delete_catalog_file_ = false;
  bool delete_numbered_files_ = false;
  // The colour picker opens on the colour last confirmed in it, whichever button opened it.
  std::int32_t last_picked_color_ = 0;
};

// The normalised catalog file name: kept when its extension is ".html" (any letter case),
// otherwise its last path component with the extension replaced by (or extended with) ".html".
std::string NormalizeCatalogFileName(const std::string& name);

}  // namespace fotoloom
