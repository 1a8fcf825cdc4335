// The fotoloom program: the application object with its general error report, and the start
// that creates the wizard window and runs the event loop.
#pragma once

#include <QApplication>

namespace fotoloom {

// Any exception that escapes an event handler ends that event's handling and is shown in the
// general error report ("Fotoloom" box) instead of ending the program.
class FotoloomApplication : public QApplication {
 public:
  FotoloomApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

// The whole program: `fotoloom [DIRECTORY]` runs the wizard (unattended with a directory);
// `fotoloom --screenshots DIR` writes pictures of every page and of the advanced settings
// into DIR (no display needed) and ends (a third argument, a dpi, is for the picture it takes
// of itself started at that resolution); `fotoloom --icon FILE` writes the 128 x 128 program
// icon as PNG. Returns the process's exit code.
int RunFotoloom(int argc, char** argv);

}  // namespace fotoloom
