// The transfer to the album settings and the run sequence around a generation.
#include "generation/album.h"
#include "generation/album_settings.h"
#include "generation/client_ui.h"
#include "platform/paths.h"
#include "wizard/transfer.h"
#include "wizard/wizard.h"

namespace fotoloom {

void Wizard::TransferToAlbum() {
  const WizardModel& m = model_;
  const AdvancedValues& adv = advanced_->kept();
  const std::function<std::string()> today =
      env_.short_date ? env_.short_date : std::function<std::string()>(CurrentShortDate);
  AlbumSettings& a = Album();
  // A swatch holds a 24-bit colour; the bits above, from a hand-edited negative or oversized
  // value, would make a nine-character colour no page can use.
  const auto html = [](std::int32_t color) { return ColorToHtml(color & 0xFFFFFF); };

  a.AlbumFileName = m.editAlbumFileName.text();
  a.AlbumDirectory = m.editAlbumDirectory.text();
  a.ThumbDirectory = adv.ThumbDirectory;
  a.GenerateHTMLImages = m.chkboxGenerateHTMLImages.checked();
  a.ShowFileName = m.chkboxShowFileName.checked();
  a.ShowFileExtension = m.chkboxShowFileExt.checked();
  a.ShowFileTime = m.chkboxShowFileTime.checked();
  a.ShowFileSize = m.chkboxShowFileSize.checked();
  a.SortOrder = SortCodeFor(m.rgrpSortBy.item_index(), m.rgrpSortMethod.item_index(), a.SortOrder);
  a.ThumbsPerRow = m.seditThumbsPerRow.value();
  a.ThumbRowsPerFile =
      m.chkboxCreateMultipleFiles.checked() ? m.seditThumbRowsPerFile.value() : kSingleFileRows;
  a.ThumbGeometryW = m.seditThumbGeometryW.value();
  a.ThumbGeometryH = m.seditThumbGeometryH.value();
  a.AlbumName = ExpandDate(m.editAlbumName.text(), today);
  a.HeaderColor = html(m.editHeaderColor.color);
  a.HeaderSize = m.cmbHeaderSize.text();
  a.AlbumHeader = ExpandDate(m.editAlbumHeader.text(), today);
  a.AlbumFooter = ExpandDate(m.editAlbumFooter.text(), today);
  a.ThumbnailBorder = std::to_string(m.seditThumbnailBorder.value());
  a.TableBorder = std::to_string(m.seditTableBorder.value());
  a.FontSize = std::to_string(m.seditFontSize.value());
  a.TextColor = html(m.editTextColor.color);
  a.BgColor = html(m.editBgColor.color);
  a.UseTableBgColor = m.chkboxUseTableBgColor.checked();
  a.TableBgColor = html(m.editTableBgColor.color);
  a.BgImage = m.editBgImage.text();
  a.BgSound = m.editBgSound.text();
  a.LinkColor = html(m.editLinkColor.color);
  a.VLinkColor = html(m.editVLinkColor.color);
  a.Font = m.editAlbumFont.text();
  a.NameMaxLen = m.seditNameMaxLen.value();
  a.SlideShow = adv.SlideShow == CheckState::kChecked;
  a.SlideShowDelay = adv.SlideShowDelay;
  a.EraseExistingFiles = adv.EraseExistingFiles == CheckState::kChecked;
  a.EmptyThumbnail = adv.EmptyThumbnail;
  a.Previous = adv.Previous;
  a.Next = adv.Next;
  a.Index = adv.Index;
  a.PreviewImages = adv.PreviewImages == CheckState::kChecked;
  a.PreviewWidth = adv.PreviewWidth;
  a.PreviewHeight = adv.PreviewHeight;
  a.HiDPIThumbnails = adv.HiDPIThumbnails == CheckState::kChecked;

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
