// Progress, status and warnings of a generation run.
//
// The run has no window of its own: it reports through the free functions below to whatever
// targets the front end installed (a window's progress bar and label, a terminal line, a test
// recorder). The run executes on the GUI thread, so every report except the three message
// operations ends by pumping the front end's pending events; that pump is the only way a click
// on "&Cancel" reaches a running generation, which polls CancelRequested() at fixed points.
//
// All state here is process-wide and lives for the whole process. Single thread, no locking.
// Targets are never owned: whoever installs one keeps it alive until it is replaced or
// removed with SetProgressTarget(nullptr, nullptr, nullptr).
#pragma once

#include <string>

namespace fotoloom {

// A progress bar: minimum <= position <= maximum. Implementations behave like a real bar and
// keep the position inside the range (clamping a position set outside it, and pulling it back
// when a new range excludes it); Position() returns the position the bar actually shows.
class ProgressBar {
 public:
  virtual ~ProgressBar() = default;
  virtual void SetMinimum(int minimum) = 0;
  virtual void SetMaximum(int maximum) = 0;
  virtual void SetPosition(int position) = 0;
  virtual int Position() const = 0;
  virtual int Maximum() const = 0;
};

// A one-line status label.
class StatusLabel {
 public:
  virtual ~StatusLabel() = default;
  virtual void SetText(const std::string& text) = 0;
};

// Processes the front end's pending events and returns (Qt: QCoreApplication::processEvents).
class MessagePump {
 public:
  virtual ~MessagePump() = default;
  virtual void ProcessMessages() = 0;
};

// Convenience for a front end that plays all three roles in one object.
class ProgressTarget : public ProgressBar, public StatusLabel, public MessagePump {};

// Installs the targets; any of them may be null. Bar and label are touched only when both are
// installed; events are pumped only when a pump is installed.
void SetProgressTarget(ProgressBar* bar, StatusLabel* label, MessagePump* pump);
void SetProgressTarget(ProgressTarget* target);  // all three roles, or none when null

// Each of these sets bar and label as stated (when both are installed), then PumpMessages().
void PumpMessages();
// maximum := max; label := text.
void SetProgressMax(int max, const std::string& text);
// position := 0, minimum := 0, maximum := max; label := "Initializing...".
void ResetProgress(int max);
// position := position; label := text.
void SetProgressPosition(int position, const std::string& text);
// label := text; the bar is left alone.
void ShowStatus(const std::string& text);
// position := position + 1; label := "Processing: <new position>/<maximum>".
void StepProgress();

// A run over several folders counts every photo of every folder on one bar. While a
// WholeRunProgress lives, ResetProgress, SetProgressMax and SetProgressPosition only set the
// label (and pump): the bar keeps the whole run's range, set to 0..total when it was made, and
// StepProgress goes on counting over it. Not nested.
class WholeRunProgress {
 public:
  explicit WholeRunProgress(int total);
  ~WholeRunProgress();
  WholeRunProgress(const WholeRunProgress&) = delete;
  WholeRunProgress& operator=(const WholeRunProgress&) = delete;
};

// The bar's current maximum, 0 when no bar and label are installed. SetProgressMax(
// ProgressMax(), "Done.") thus leaves the bar as it is and only shows the text.
int ProgressMax();

// Warnings of a run, which leave it incomplete: each is appended followed by one CR ("\r"), so
// the text is a CR-separated list with a trailing CR, or empty. These three never touch the
// targets and never pump.
void ClearMessages();
void AddMessage(const std::string& text);
// The folder the messages added from now on belong to: each is then preceded by
// "In <folder>: "; "" (the start) adds them as they are.
void SetMessageFolder(const std::string& folder);
std::string GetMessages();

// Notes of a run: warnings about the catalog that do not make the run incomplete (a colour
// pair hard to read), kept apart from the messages above in the same CR-separated form.
// ClearMessages clears them too.
void AddNote(const std::string& text);
std::string GetNotes();

// The cancel flag: the front end sets it (its Cancel button) and clears it before each run;
// the run only reads it.
bool CancelRequested();
void SetCancelRequested(bool requested);

// Back to the state at process start: no targets, flag cleared, no messages. For tests and
// for drivers that run several generations.
void ResetClientUI();

}  // namespace fotoloom
