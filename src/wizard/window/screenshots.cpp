#include "wizard/window/screenshots.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QTextStream>
#include <cstdio>

#include "wizard/window/adv_set_dlg.h"
#include "wizard/window/main_dlg.h"

namespace fotoloom {
namespace {

// Nothing may wait for an answer while the pictures are taken: boxes are printed, questions
// answered "no", pickers cancelled, and nothing is opened.
class QuietShell : public WizardUi {
 public:
  void ShowWarning(const std::string& text) override {
    std::fprintf(stderr, "fotoloom: warning while taking screenshots: %s\n", text.c_str());
    ok = false;
  }
  bool AskQuestion(const std::string&) override { return false; }
  std::optional<std::int32_t> PickColor(std::int32_t) override { return std::nullopt; }
  std::optional<std::string> PickFolder(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> PickFile(const FilePickerRequest&) override { return std::nullopt; }
  void ShowAdvancedDialog(AdvancedDialog&) override {}
  void ShowAbout() override {}
  bool OpenDocument(const std::string&, const std::string&) override { return true; }
  bool OpenHelp(const std::string&, const std::string&) override { return true; }
  void SetBusyCursor(bool) override {}
  void CloseWindow() override {}
  void PumpMessages() override {}

  bool ok = true;
};

bool Save(QWidget& widget, const QString& path) {
  QCoreApplication::processEvents();
  const bool saved = widget.grab().save(path, "PNG");
  if (!saved) std::fprintf(stderr, "fotoloom: cannot write %s\n", qPrintable(path));
  return saved;
}

}  // namespace

bool WriteScreenshots(const std::string& directory, const std::string& executable) {
  // A run makes the album folder current, so the output folder is fixed before it.
  const QString out = QDir(QString::fromStdString(directory)).absolutePath();
  if (!QDir().mkpath(out)) return false;
  const QString start_directory = QDir::currentPath();

  // A scratch place that reads well in the pictures: an image folder and a program folder
  // holding the alternative thumbnail image, with a settings file naming the folder.
  const QString root = QDir::tempPath() + "/fotoloom-screenshots";
  QDir(root).removeRecursively();
  const QString album = root + "/Pictures/Holiday/";
  const QString program = root + "/fotoloom/";
  QDir().mkpath(album);
  QDir().mkpath(program);
  QImage empty(64, 64, QImage::Format_RGB32);
  empty.fill(Qt::lightGray);
  empty.save(program + "default.jpg", "JPEG");
  {
    QFile settings(program + "Settings.ini");
    if (!settings.open(QIODevice::WriteOnly | QIODevice::Text)) return false;
    QTextStream(&settings) << "[Settings]\nAlbumFileName=holiday.html\nAlbumDirectory=" << album
                           << "\n";
  }

  const char* argv[] = {executable.c_str()};
  WizardEnvironment environment = DefaultWizardEnvironment(1, argv);
  environment.executable_directory = program.toStdString();
  environment.settings_path = (program + "Settings.ini").toStdString();
  environment.help_file = (program + "fotoloom.html").toStdString();

  bool ok = true;
  {
    QuietShell shell;
    TMainDlg window(environment, &shell);
    window.show();
    window.wizard().FormPaint();
    window.SyncFromModel();
    for (int page = 1; page <= 7; ++page) {
      if (page > 1) window.Dispatch([&window] { window.wizard().btnNextClick(); });
      if (window.wizard().CurrentPage() != page) ok = false;
      ok = Save(window, QString("%1/page%2.png").arg(out).arg(page)) && ok;
    }
    // Page 7 once a catalog of a few pictures is made: the run's last status and the buttons
    // of the finished state.
    for (int i = 1; i <= 3; ++i) {
      QImage picture(120, 80, QImage::Format_RGB32);
      picture.fill(QColor::fromHsv(i * 90, 120, 220));
      picture.save(album + QString("picture%1.jpg").arg(i), "JPEG");
    }
    window.Dispatch([&window] { window.wizard().btnFinishClick(); });
    ok = Save(window, out + "/page7-finished.png") && ok;

    TAdvSetDlg& advanced = window.advancedDialog();
    advanced.SyncFromModel();
    advanced.show();
    ok = Save(advanced, out + "/advanced-settings.png") && ok;
    advanced.hide();
    ok = ok && shell.ok;
  }
  QDir::setCurrent(start_directory);
  QDir(root).removeRecursively();
  return ok;
}

}  // namespace fotoloom
