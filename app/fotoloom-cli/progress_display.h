// Shows a run's progress bar and status label on a terminal's error stream.
//
// On a terminal (kBar) one line is redrawn in place: a bar of the position against the
// maximum and the status text, cut to the terminal's width so it never wraps. Elsewhere
// (kLines: a pipe, a log file) the status is written as plain lines, at most one per second,
// so a long run does not flood a log.
#pragma once

#include <cstdio>
#include <string>

namespace fotoloom::cli {

class ProgressDisplay {
 public:
  enum class Mode { kBar, kLines };

  // columns: the terminal's width (kBar only); 0 or less means 80.
  ProgressDisplay(std::FILE* out, Mode mode, int columns);

  // The bar and label as they stand now; now_ms is a steady clock in milliseconds.
  void Update(int position, int maximum, const std::string& status, long long now_ms);
  // Call before writing anything else to the stream: clears a drawn bar line. The next
  // Update draws it again.
  void Interrupt();
  // End of the run: the last state stays visible (kBar: the line is ended; kLines: the last
  // status is written when it was held back).
  void Finish();

  // The bar line for these values, at most columns - 1 characters wide.
  static std::string BarLine(int position, int maximum, const std::string& status, int columns);

 private:
  void Draw();

  std::FILE* out_;
  Mode mode_;
  int columns_;
  bool drawn_ = false;          // kBar: a bar line stands unfinished on the screen
  bool have_state_ = false;
  int position_ = 0;
  int maximum_ = 0;
  std::string status_;
  std::string last_written_;    // the last line written
  std::string last_status_drawn_;
  long long last_write_ms_ = 0;
  bool written_once_ = false;
};

// Cuts text to at most max_chars characters, never inside a UTF-8 sequence.
std::string CutToCharacters(const std::string& text, int max_chars);

}  // namespace fotoloom::cli
