#include "generation/client_ui.h"

namespace fotoloom {

namespace {

struct ClientState {
  ProgressBar* bar = nullptr;
  StatusLabel* label = nullptr;
  MessagePump* pump = nullptr;
  bool cancel_requested = false;
  bool whole_run = false;  // a WholeRunProgress lives
  std::string message_folder;
  std::string messages;
  std::string notes;
};

ClientState& State() {
  static ClientState state;
  return state;
}

// Bar and label are only ever driven together, so a half-installed target stays silent.
bool HasBarAndLabel() {
  const ClientState& s = State();
  return s.bar != nullptr && s.label != nullptr;
}

}  // namespace

void SetProgressTarget(ProgressBar* bar, StatusLabel* label, MessagePump* pump) {
  ClientState& s = State();
  s.bar = bar;
  s.label = label;
  s.pump = pump;
}

void SetProgressTarget(ProgressTarget* target) { SetProgressTarget(target, target, target); }

void PumpMessages() {
  if (State().pump != nullptr) State().pump->ProcessMessages();
}

void SetProgressMax(int max, const std::string& text) {
  if (HasBarAndLabel()) {
    if (!State().whole_run) State().bar->SetMaximum(max);
    State().label->SetText(text);
  }
  PumpMessages();
}

void ResetProgress(int max) {
  if (HasBarAndLabel() && State().whole_run) {
    State().label->SetText("Initializing...");
  } else if (HasBarAndLabel()) {
    // Position first: a bar whose old position lies above the new maximum would otherwise
    // clamp it to that maximum and show a full bar for an instant.
    State().bar->SetPosition(0);
    State().bar->SetMinimum(0);
    State().bar->SetMaximum(max);
    State().label->SetText("Initializing...");
  }
  PumpMessages();
}

void SetProgressPosition(int position, const std::string& text) {
  if (HasBarAndLabel()) {
    if (!State().whole_run) State().bar->SetPosition(position);
    State().label->SetText(text);
  }
  PumpMessages();
}

void ShowStatus(const std::string& text) {
  if (HasBarAndLabel()) State().label->SetText(text);
  PumpMessages();
}

void StepProgress() {
  if (HasBarAndLabel()) {
    ProgressBar& bar = *State().bar;
    bar.SetPosition(bar.Position() + 1);
    // Read back what the bar shows, so the text never claims more than the bar's maximum.
    State().label->SetText("Processing: " + std::to_string(bar.Position()) + "/" +
                           std::to_string(bar.Maximum()));
  }
  PumpMessages();
}

WholeRunProgress::WholeRunProgress(int total) {
  ResetProgress(total);
  State().whole_run = true;
}

WholeRunProgress::~WholeRunProgress() { State().whole_run = false; }

int ProgressMax() { return HasBarAndLabel() ? State().bar->Maximum() : 0; }

void ClearMessages() {
  State().messages.clear();
  State().notes.clear();
}

void AddMessage(const std::string& text) {
  if (!State().message_folder.empty()) State().messages += "In " + State().message_folder + ": ";
  State().messages += text;
  State().messages += '\r';
}

void SetMessageFolder(const std::string& folder) { State().message_folder = folder; }

std::string GetMessages() { return State().messages; }

void AddNote(const std::string& text) {
  State().notes += text;
  State().notes += '\r';
}

std::string GetNotes() { return State().notes; }

bool CancelRequested() { return State().cancel_requested; }

void SetCancelRequested(bool requested) { State().cancel_requested = requested; }

void ResetClientUI() { State() = ClientState{}; }

}  // namespace fotoloom
