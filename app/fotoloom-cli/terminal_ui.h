// The wizard's front end on a terminal. Message boxes become text on the error stream, the
// questions are answered by policy or asked on standard input, the progress of a run is drawn
// by a ProgressDisplay, and Ctrl-C during a run becomes the wizard's "&Cancel". Pickers,
// dialogs, the browser and the help have no terminal form: an unattended run never opens
// them, and if asked they answer "cancelled" and do nothing.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "options.h"
#include "progress_display.h"
#include "wizard/wizard.h"
#include "wizard/wizard_ui.h"

namespace fotoloom::cli {

class TerminalUi : public WizardUi {
 public:
  struct Streams {
    std::FILE* in = stdin;
    std::FILE* err = stderr;
    bool in_is_terminal = false;
    bool err_is_terminal = false;
    int columns = 80;
  };

  TerminalUi(Streams streams, AnswerPolicy answers, bool quiet);
  ~TerminalUi() override;

  // The wizard whose progress is shown and whose run Ctrl-C cancels.
  void Attach(Wizard* wizard) { wizard_ = wizard; }

  // True once a generation run started (the wizard turned the busy cursor on).
  bool run_started() const { return run_started_; }
  bool close_requested() const { return close_requested_; }

  // Writes text as lines on the error stream, "\r" as line breaks, clearing the bar first.
  void PrintLines(const std::string& text);

  // WizardUi.
  void ShowWarning(const std::string& text) override;
  bool AskQuestion(const std::string& text) override;
  std::optional<std::int32_t> PickColor(std::int32_t) override { return std::nullopt; }
  std::optional<std::string> PickFolder(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> PickFile(const FilePickerRequest&) override { return std::nullopt; }
  void ShowAdvancedDialog(AdvancedDialog&) override {}
  void ShowAbout() override {}
  // A terminal opens nothing.
  bool OpenDocument(const std::string&, const std::string&) override { return false; }
  bool OpenHelp(const std::string&, const std::string&) override { return false; }
  void SetBusyCursor(bool busy) override;
  void CloseWindow() override { close_requested_ = true; }
  void PumpMessages() override;

 private:
  bool ReadAnswer();

  Streams streams_;
  AnswerPolicy answers_;
  bool quiet_;
  Wizard* wizard_ = nullptr;
  std::unique_ptr<ProgressDisplay> display_;
  bool run_started_ = false;
  bool close_requested_ = false;
  bool cancel_forwarded_ = false;
};

}  // namespace fotoloom::cli
