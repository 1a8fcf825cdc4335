#include "terminal_ui.h"

#include <cctype>
#include <chrono>

#include "generation/client_ui.h"
#include "imaging/reader_warnings.h"
#include "interrupt.h"

namespace fotoloom::cli {
namespace {

std::string WithLineBreaks(std::string text) {
  for (char& c : text) {
    if (c == '\r') c = '\n';
  }
  return text;
}

long long NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

TerminalUi::TerminalUi(Streams streams, AnswerPolicy answers, bool quiet)
    : streams_(streams), answers_(answers), quiet_(quiet) {
  SetReaderWarningHandler([this](const std::string& message) { PrintLines("PNG: " + message); });
}

TerminalUi::~TerminalUi() {
  SetReaderWarningHandler(nullptr);
  DisarmInterrupt();
  // An error that ended the run skipped its end: leave the last state on its own line.
  if (display_) display_->Finish();
}

void TerminalUi::PrintLines(const std::string& text) {
  if (display_) display_->Interrupt();
  std::string lines = WithLineBreaks(text);
  if (lines.empty() || lines.back() != '\n') lines += '\n';
  std::fputs(lines.c_str(), streams_.err);
  std::fflush(streams_.err);
}

void TerminalUi::ShowWarning(const std::string& text) { PrintLines("Warning: " + text); }

bool TerminalUi::AskQuestion(const std::string& text) {
  PrintLines("Confirm: " + text);
  switch (answers_) {
    case AnswerPolicy::kYes:
      PrintLines("Answered yes (--yes).");
      return true;
    case AnswerPolicy::kNo:
      PrintLines("Answered no (--no).");
      return false;
    case AnswerPolicy::kAsk:
      break;
  }
  if (!streams_.in_is_terminal) {
    PrintLines("Answered no: standard input is not a terminal (--yes answers yes).");
    return false;
  }
  return ReadAnswer();
}

bool TerminalUi::ReadAnswer() {
  std::fputs("[y/N] ", streams_.err);
  std::fflush(streams_.err);
  char buffer[64];
  if (!std::fgets(buffer, sizeof buffer, streams_.in)) {
    std::fputs("\n", streams_.err);
    return false;
  }
  std::string answer(buffer);
  while (!answer.empty() && std::isspace(static_cast<unsigned char>(answer.back()))) {
    answer.pop_back();
  }
  for (char& c : answer) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return answer == "y" || answer == "yes";
}

void TerminalUi::SetBusyCursor(bool busy) {
  if (busy) {
    run_started_ = true;
    cancel_forwarded_ = false;
    ArmInterrupt();
    if (!quiet_) {
      display_ = std::make_unique<ProgressDisplay>(
          streams_.err,
          streams_.err_is_terminal ? ProgressDisplay::Mode::kBar : ProgressDisplay::Mode::kLines,
          streams_.columns);
    }
  } else {
    DisarmInterrupt();
    if (display_) {
      display_->Finish();
      display_.reset();
    }
  }
}

void TerminalUi::PumpMessages() {
  if (!wizard_) return;
  // The flag is copied into the run's cancel request here, at a report, never in the handler.
  if (InterruptRequested() && !cancel_forwarded_ && wizard_->running()) {
    cancel_forwarded_ = true;
    wizard_->btnCancelClick();
    PrintLines("Stopping after the current row (Ctrl-C again ends the program at once)...");
  }
  if (display_) {
    const WizardModel& m = wizard_->model();
    display_->Update(m.ProgressBar1.Position(), m.ProgressBar1.Maximum(),
                     m.lblProgressInfo.caption(), NowMs());
  }
}

}  // namespace fotoloom::cli
