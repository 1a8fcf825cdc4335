// Warnings of the image readers: a reader that meets a fault it can read past reports it and
// goes on. Where a warning goes is the front end's choice: the window shows a box, a terminal
// run prints, tests record. Only the PNG reader warns today.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace fotoloom {

// Receives the readers' warnings; reading goes on after it returns. Without a handler, warnings
// go to standard error.
using ReaderWarningHandler = std::function<void(const std::string& message)>;
// Installs handler (an empty one restores the default) and returns the previous one.
ReaderWarningHandler SetReaderWarningHandler(ReaderWarningHandler handler);

// Passes message to the installed handler (standard error without one); whatever the handler
// raises comes back to the caller.
void ReportReaderWarning(const std::string& message);

// While one lives, the warnings of reads on the thread that made it are kept here instead of
// reaching the handler, so a thread other than the front end's can read a picture and the
// warnings be shown later, on the front end's thread (ReportReaderWarning). Captures on one
// thread nest; the innermost one receives. Create and destroy on the same thread.
class ReaderWarningCapture {
 public:
  ReaderWarningCapture();
  ~ReaderWarningCapture();
  ReaderWarningCapture(const ReaderWarningCapture&) = delete;
  ReaderWarningCapture& operator=(const ReaderWarningCapture&) = delete;

  // The warnings so far, in the order raised; the capture is empty afterwards.
  std::vector<std::string> Take();

 private:
  friend void ReaderWarns(const std::string& message);
  std::vector<std::string> warnings_;
  ReaderWarningCapture* outer_;
};

// What a reader calls for a warning: the innermost capture of this thread keeps it, or, without
// one, ReportReaderWarning reports it (and may raise).
void ReaderWarns(const std::string& message);

}  // namespace fotoloom
