#include "wizard/window/application.h"

#include <QDir>
#include <QScreen>
#include <QStandardPaths>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "imaging/reader_warnings.h"
#include "platform/version.h"
#include "wizard/settings_location.h"
#include "wizard/window/main_dlg.h"
#include "wizard/window/qt_shell.h"
#include "wizard/window/screenshots.h"
#include "wizard/window/side_art.h"

namespace fotoloom {

FotoloomApplication::FotoloomApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName("fotoloom");
  setApplicationDisplayName(kProductName);
  setApplicationVersion(ProductVersion());
  setDesktopFileName("fotoloom");
  setWindowIcon(AppIcon());
}

bool FotoloomApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    QtShowErrorReport(activeWindow(), ErrorReportText(error.what()));
  } catch (...) {
    QtShowErrorReport(activeWindow(), "Unknown error");
  }
  return false;
}

int RunFotoloom(int argc, char** argv) {
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
