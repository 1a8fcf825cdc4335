#include "wizard/window/application.h"

#include <QDir>
#include <QScreen>
#include <QStandardPaths>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "generation/client_ui.h"
#include "imaging/reader_warnings.h"
#include "platform/file_io.h"
#include "platform/text.h"
#include "platform/version.h"
#include "wizard/settings_location.h"
#include "wizard/window/main_dlg.h"
#include "wizard/window/qt_shell.h"
#include "wizard/window/screenshots.h"
#include "wizard/window/side_art.h"
#include "wizard/window/text_shell.h"

namespace fotoloom {

FotoloomApplication::FotoloomApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName("fotoloom");
  setApplicationDisplayName(kProductName);
  setApplicationVersion(ProductVersion());
  setDesktopFileName("fotoloom");
  setWindowIcon(AppIcon());
}

bool FotoloomApplication::notify(QObject* receiver, QEvent* event) {
  std::string text;
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    text = ErrorReportText(error.what());
  } catch (...) {
    text = "Unknown error";
  }
  if (error_report_) {
    error_report_(text);
  } else {
    QtShowErrorReport(activeWindow(), text);
  }
  return false;
}

namespace {

// fotoloom-cli's exit codes, which the window's unattended run gives where nobody can see it.
enum ExitCode { kDone = 0, kNotCompleted = 1, kRefused = 2, kFailed = 3 };

// Platforms that show nothing a person could look at: a box there would wait for ever.
bool NobodyCanSee() {
  const QString platform = QGuiApplication::platformName();
  return platform == "offscreen" || platform == "minimal";
}

// The unattended run where nobody can see the window: questions answered "&No", every warning
// and error on standard error, and fotoloom-cli's exit codes.
int RunUnseen(FotoloomApplication& app, WizardEnvironment environment) {
  if (environment.command_line_directory.empty()) {
    std::fprintf(stderr,
                 "fotoloom: the %s platform shows no window; give an image directory to make "
                 "its catalog unattended\n",
                 qPrintable(QGuiApplication::platformName()));
    return kRefused;
  }
  TextShell shell("Warning: ");
  TMainDlg window(std::move(environment), &shell);
  bool failed = false;
  const auto report = [&failed](const std::string& text) {
    std::fprintf(stderr, "Fotoloom: %s\n", text.c_str());
    failed = true;
  };
  window.SetErrorReport(report);
  app.SetErrorReport(report);
  window.show();
  window.Dispatch([&window] { window.wizard().FormPaint(); });
  app.SetErrorReport({});
  if (failed) return kFailed;
  // Without a run's end the unattended start stopped at a page check, or at another run's lock;
  // the warnings said why.
  if (!window.wizard().close_requested()) return kRefused;
  const std::string messages = GetMessages();
  for (std::size_t start = 0; start < messages.size();) {
    std::size_t end = messages.find('\r', start);
    if (end == std::string::npos) end = messages.size();
    shell.ShowWarning(messages.substr(start, end - start));
    start = end + 1;
  }
  return CancelRequested() || !messages.empty() ? kNotCompleted : kDone;
}

}  // namespace

int RunFotoloom(int argc, char** argv) {
  // Ended from outside, the program leaves no half-written file behind.
  RemoveTemporaryFilesOnTermination();
  const bool screenshots = (argc == 3 || argc == 4) && std::strcmp(argv[1], "--screenshots") == 0;
  const bool icon = argc == 3 && std::strcmp(argv[1], "--icon") == 0;
  // Pictures need no display.
  if ((screenshots || icon) && !std::getenv("QT_QPA_PLATFORM"))
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  const int screenshot_dpi = screenshots && argc == 4 ? std::atoi(argv[3]) : 0;

  FotoloomApplication app(argc, argv);
  if (screenshots) return WriteScreenshots(argv[2], argv[0], screenshot_dpi) ? 0 : 1;
  if (icon) return AppIconPixmap(128).save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;

  WizardEnvironment environment = DefaultWizardEnvironment(argc, argv);
  environment.first_image_directory = FirstImageDirectory(
      environment.executable_directory,
      QStandardPaths::writableLocation(QStandardPaths::PicturesLocation).toStdString(),
      QDir::homePath().toStdString());
  // The directory field has no room for a line break: the catalog would go elsewhere.
  if (HasControlCharacter(environment.command_line_directory)) {
    constexpr char kRefusal[] = "The image directory's name holds a control character (a line "
                                "break or a tab): Fotoloom makes no catalog of it.";
    std::fprintf(stderr, "fotoloom: %s\n", kRefusal);
    if (!NobodyCanSee()) QtShowWarning(nullptr, kRefusal);
    return kRefused;
  }
  if (NobodyCanSee()) {
    SetReaderWarningHandler([](const std::string& message) {
      std::fprintf(stderr, "fotoloom: PNG warning: %s\n", message.c_str());
    });
    const int code = RunUnseen(app, std::move(environment));
    SetReaderWarningHandler({});
    return code;
  }
  // An unattended run must not stop at a box nobody answers.
  const bool unattended = !environment.command_line_directory.empty();
  SetReaderWarningHandler([unattended](const std::string& message) {
    if (unattended) {
      std::fprintf(stderr, "fotoloom: PNG warning: %s\n", message.c_str());
    } else {
      QtShowReaderWarning(message);
    }
  });

  TMainDlg window(std::move(environment));
  window.show();
  const int code = app.exec();
  SetReaderWarningHandler({});
  return code;
}

}  // namespace fotoloom
