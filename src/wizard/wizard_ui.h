// What the wizard's logic needs from a front end: message boxes, pickers, modal windows and
// the shell. The Qt window implements it with real dialogs, the terminal front end with
// stderr and prompts, tests with scripted answers and recorders.
//
// Every call is made on the one GUI thread and returns only when the user has answered.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace fotoloom {

class AdvancedDialog;

// A file-open picker. filter is a "|"-separated list of description / pattern pairs, for
// example "All files (*.*)|*.*"; the first pair is selected. The picker hides the read-only
// option and offers no network button.
struct FilePickerRequest {
  std::string initial_directory;
  std::string filter;
  bool image_preview = false;  // an image-file picker with a preview of the selected picture
};

class WizardUi {
 public:
  virtual ~WizardUi() = default;

  // Modal message boxes, centred, every "\r" in text a line break.
  // Warning: title "Warning", warning icon, one "OK" button (Enter and Esc close it).
  virtual void ShowWarning(const std::string& text) = 0;
  // Question: title "Confirm", question icon, "&Yes" / "&No" (Enter: yes, Esc: no). True only
  // when the user chose "&Yes"; every other way of closing it is no.
  virtual bool AskQuestion(const std::string& text) = 0;

  // The colour picker, opened on initial (0x00BBGGRR); the picked colour in the same layout,
  // or nullopt when the user cancelled.
  virtual std::optional<std::int32_t> PickColor(std::int32_t initial) = 0;
  // The folder picker titled title, file-system folders only, nothing preselected, opened in
  // initial_directory (the user's home folder when empty); the chosen folder's full path, or
  // nullopt when cancelled.
  virtual std::optional<std::string> PickFolder(const std::string& title,
                                                const std::string& initial_directory) = 0;
  // A file-open picker; the chosen file's full path, or nullopt when cancelled.
  virtual std::optional<std::string> PickFile(const FilePickerRequest& request) = 0;

  // Shows the advanced settings dialog modally and returns when it is closed. Its buttons
  // call the dialog's handlers (AdvancedDialog::btnOKClick closes it when it returns true;
  // btnCancelClick and the title-bar button close it).
  virtual void ShowAdvancedDialog(AdvancedDialog& dialog) = 0;
  // Shows the about window (product name and version) modally.
  virtual void ShowAbout() = 0;

  // Asks the shell to open document (relative to the current directory) with its default
  // action, in working_directory (may be empty). False when it could not be opened (nothing to
  // open it with, the opener failed); a front end with a screen has then said so in a warning
  // box, so the wizard does not look at the result.
  virtual bool OpenDocument(const std::string& document, const std::string& working_directory) = 0;
  // Opens the help file at a named topic ("STEP_3", "ADVANCED_SETTINGS"). False, as for
  // OpenDocument, when it could not be opened, a missing help file included.
  virtual bool OpenHelp(const std::string& help_file, const std::string& topic) = 0;
  // The application-wide busy cursor on (during a run) or back to the default.
  virtual void SetBusyCursor(bool busy) = 0;
  // Asks the window to close; the program ends once the current operation has returned.
  virtual void CloseWindow() = 0;

  // Processes the front end's pending events and returns. A run calls it after every progress
  // report; it is how "&Cancel" (Wizard::btnCancelClick) reaches a running generation.
  virtual void PumpMessages() = 0;
  // The model changed where the user should see it before the next event arrives (the button
  // row before a run starts). A window shows every value again; others may ignore it.
  virtual void Refresh() {}
};

}  // namespace fotoloom
