// The transfer to the album settings and the run sequence around a generation.
#include "generation/album.h"
#include "generation/album_settings.h"
#include "generation/client_ui.h"
#include "platform/file_lock.h"
#include "platform/paths.h"
#include "wizard/settings_table.h"
#include "wizard/transfer.h"
#include "wizard/wizard.h"

namespace fotoloom {

void Wizard::TransferToAlbum() {
  const WizardModel& m = model_;
  const std::function<std::string()> today =
      env_.short_date ? env_.short_date : std::function<std::string()>(CurrentShortDate);
  AlbumSettings& a = Album();
  for (const SettingRow& row : SettingRows()) {
    if (row.transfer == TransferForm::kNone) continue;
    const ControlRef control =
        row.in_dialog() ? ControlOf(row, advanced_->fields()) : ControlOf(row, model_);
    TransferSetting(row, CurrentSetting(row), control, a, today);
  }
  a.SortOrder = SortCodeFor(m.rgrpSortBy.item_index(), m.rgrpSortMethod.item_index(), a.SortOrder);
  a.ThumbRowsPerFile =
      m.chkboxCreateMultipleFiles.checked() ? m.seditThumbRowsPerFile.value() : kSingleFileRows;
  a.DeleteCatalogFile = delete_catalog_file_;
  a.DeleteNumberedCatalogFiles = delete_numbered_files_;

  SetProgressTarget(&model_.ProgressBar1, &model_.lblProgressInfo, pump_.get());
  SetCancelRequested(false);
}

void Wizard::RequestClose() {
  close_requested_ = true;
  ui_.CloseWindow();
}

// The finished state: "< &Begin" and "&Close" over page 7's buttons, the page-7 boxes usable
// again, the normal cursor back.
void Wizard::FinishRunState() {
  UpdateButtons();
  model_.btnBegin.visible = true;
  model_.btnClose.visible = true;
  model_.chkboxSaveSettings.enabled = true;
  model_.chkBoxLaunchDefaultBrowser.enabled = true;
  model_.chkBoxExitAfterGenerating.enabled = true;
  ui_.SetBusyCursor(false);
}

void Wizard::RunGeneration() {
  if (running_) return;
  // Held from before the run's first deletion to the end of the sequence; the run joins it.
  // (An empty field names no folder; the run refuses it.)
  const std::string& typed = model_.editAlbumDirectory.text();
  const std::string album_directory = typed.empty() ? typed : ExpandFileName(typed);
  const FileLock lock(typed.empty() ? typed : AlbumLockPath(album_directory));
  if (lock.state() == FileLock::State::kBusy) {
    ui_.ShowWarning(AlbumBusyWarning(WithTrailingSeparator(album_directory)));
    return;
  }
  ui_.SetBusyCursor(true);
  DisableButtons();
  model_.btnCancel.visible = true;
  model_.chkboxSaveSettings.enabled = false;
  model_.chkBoxLaunchDefaultBrowser.enabled = false;
  model_.chkBoxExitAfterGenerating.enabled = false;
  ui_.Refresh();

  // An error that ends the sequence early still leaves a usable window in the finished state
  // before it goes on to the front end's error report.
  try {
    TransferToAlbum();
    // The run has them now; another run asks page 1's questions again.
    delete_catalog_file_ = false;
    delete_numbered_files_ = false;
    running_ = true;
    if (env_.generate) {
      env_.generate();
    } else {
      generate();
    }
    running_ = false;

    const std::string messages = GetMessages();
    // Notes (a colour pair hard to read) are shown with the messages, but leave the run done.
    const std::string shown = GetNotes() + messages;
    if (!shown.empty() && !HasCommandLineDirectory()) ui_.ShowWarning(shown);
    if (CancelRequested() || !messages.empty()) {
      SetProgressMax(0, kCancelledStatus);
      if (HasCommandLineDirectory()) RequestClose();
    } else {
      const std::string& first_page = Album().FirstPage;
      if (model_.chkBoxLaunchDefaultBrowser.checked() && !first_page.empty()) {
        ui_.OpenDocument(first_page, ExtractFilePath(model_.editAlbumFileName.text()));
      }
      if (model_.chkboxSaveSettings.checked()) SaveAllSettings();
      if (model_.chkBoxExitAfterGenerating.checked()) RequestClose();
    }
  } catch (...) {
    running_ = false;
    FinishRunState();
    throw;
  }
  FinishRunState();
}

void Wizard::RunFromCommandLine() {
  if (!HasCommandLineDirectory()) return;
  model_.editAlbumDirectory.SetText(env_.command_line_directory);
  if (AdvanceToFinish()) {
    model_.chkBoxLaunchDefaultBrowser.SetChecked(false);
    model_.chkboxSaveSettings.SetChecked(false);
    model_.chkBoxExitAfterGenerating.SetChecked(true);
    RunGeneration();
  }
}

void Wizard::btnFinishClick() {
  if (running_ || !model_.btnFinish.enabled) return;
  if (current_page_ == kPageCount) {
    RunGeneration();
  } else if (current_page_ < kPageCount && AdvanceToFinish()) {
    RunGeneration();
  }
}

void Wizard::btnCancelClick() { SetCancelRequested(true); }

void Wizard::btnCloseClick() {
  if (model_.chkboxSaveSettings.checked()) SaveAllSettings();
  RequestClose();
}

void Wizard::btnExitClick() {
  // A close that seemed to do nothing until the end of a long run would look ignored.
  if (running_ && ui_.AskQuestion(kStopRunQuestion)) btnCancelClick();
  RequestClose();
}

}  // namespace fotoloom
