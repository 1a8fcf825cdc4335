// The fotoloom program: the application object with its general error report, and the start
// that creates the wizard window and runs the event loop.
#pragma once

#include <QApplication>
#include <functional>
#include <string>

namespace fotoloom {

// Any exception that escapes an event handler ends that event's handling and is shown in the
// general error report ("Fotoloom" box) instead of ending the program.
class FotoloomApplication : public QApplication {
 public:
  FotoloomApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
  // Where that report goes instead of the box (its final text); empty: the box.
  void SetErrorReport(std::function<void(const std::string& text)> report) {
    error_report_ = std::move(report);
  }

 private:
  std::function<void(const std::string&)> error_report_;
};

// The whole program: `fotoloom [DIRECTORY]` runs the wizard (unattended with a directory; a
// directory name with a control character is refused with exit code 2). Where nobody can see
// the window (QT_QPA_PLATFORM offscreen or minimal) only the unattended run is made: its
// questions are answered "&No", its warnings and errors go to standard error, and the exit
// code is fotoloom-cli's (0 done, 1 warnings or cancelled, 2 a page check failed, the album was
// busy or no directory was given, 3 an error ended the run).
// `fotoloom --screenshots DIR` writes pictures of every page and of the advanced settings
// into DIR (no display needed) and ends (a third argument, a dpi, is for the picture it takes
// of itself started at that resolution); `fotoloom --icon FILE` writes the 128 x 128 program
// icon as PNG. Returns the process's exit code.
int RunFotoloom(int argc, char** argv);

}  // namespace fotoloom
