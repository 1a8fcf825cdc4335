#include "wizard/window/screenshots.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPalette>
#include <QPixmap>
#include <QProcess>
#include <QTextStream>
#include <cstdio>
#include <string_view>

#include "platform/file_io.h"

#include "wizard/window/adv_set_dlg.h"
#include "wizard/window/main_dlg.h"
#include "wizard/window/text_shell.h"

namespace fotoloom {
namespace {

// Nothing may wait for an answer while the pictures are taken: boxes are printed, questions
// answered "no", pickers cancelled, and nothing is opened.
TextShell QuietShell() { return TextShell("fotoloom: warning while taking screenshots: "); }

// Through the one file writer: a link at a picture's name is replaced, never written through.
bool Save(QWidget& widget, const QString& path) {
  QCoreApplication::processEvents();
  QByteArray png;
  QBuffer buffer(&png);
  bool saved = buffer.open(QIODevice::WriteOnly) && widget.grab().save(&buffer, "PNG");
  if (saved) {
    try {
      WriteWholeFile(path.toStdString(), std::string_view(png.constData(),
                                                          static_cast<std::size_t>(png.size())));
    } catch (const std::exception&) {
      saved = false;
    }
  }
  if (!saved) std::fprintf(stderr, "fotoloom: cannot write %s\n", qPrintable(path));
  return saved;
}

// A scratch place that reads well in the pictures: an image folder and a program folder holding
// the alternative thumbnail image, with a settings file naming the folder. Removed again when it
// goes; the current folder, which a run changes, is restored.
class ScratchAlbum {
 public:
  ScratchAlbum() : start_directory_(QDir::currentPath()) {
    QDir(root_).removeRecursively();
    QDir().mkpath(album_);
    QDir().mkpath(program_);
    QImage empty(64, 64, QImage::Format_RGB32);
    empty.fill(Qt::lightGray);
    empty.save(program_ + "default.jpg", "JPEG");
    QFile settings(program_ + "Settings.ini");
    ok_ = settings.open(QIODevice::WriteOnly | QIODevice::Text);
    if (ok_)
      QTextStream(&settings) << "[Settings]\nAlbumFileName=holiday.html\nAlbumDirectory=" << album_
                             << "\n";
  }
  ~ScratchAlbum() {
    QDir::setCurrent(start_directory_);
    QDir(root_).removeRecursively();
  }

  bool ok() const { return ok_; }
  const QString& album() const { return album_; }

  WizardEnvironment Environment(const std::string& executable) const {
    const char* argv[] = {executable.c_str()};
    WizardEnvironment environment = DefaultWizardEnvironment(1, argv);
    environment.executable_directory = program_.toStdString();
    environment.settings_path = (program_ + "Settings.ini").toStdString();
    environment.help_file = (program_ + "fotoloom.html").toStdString();
    return environment;
  }

 private:
  const QString start_directory_;
  const QString root_ = QDir::tempPath() + "/fotoloom-screenshots";
  const QString album_ = root_ + "/Pictures/Holiday/";
  const QString program_ = root_ + "/fotoloom/";
  bool ok_ = false;
};

// Shows page of a fresh window in the application's present font and palette and saves it.
bool SavePage(const ScratchAlbum& scratch, const std::string& executable, int page,
              const QString& path) {
  TextShell shell = QuietShell();
  TMainDlg window(scratch.Environment(executable), &shell);
  window.show();
  window.wizard().FormPaint();
  while (window.wizard().CurrentPage() < page && window.wizard().StepPage(+1)) {
  }
  window.SyncFromModel();
  return window.wizard().CurrentPage() == page && Save(window, path) && shell.warnings() == 0;
}

// Fusion's colours for a dark desktop theme.
QPalette DarkPalette() {
  QPalette dark;
  dark.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
  dark.setColor(QPalette::WindowText, Qt::white);
  dark.setColor(QPalette::Base, QColor(0x23, 0x23, 0x23));
  dark.setColor(QPalette::AlternateBase, QColor(0x35, 0x35, 0x35));
  dark.setColor(QPalette::Text, Qt::white);
  dark.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
  dark.setColor(QPalette::ButtonText, Qt::white);
  dark.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
  dark.setColor(QPalette::HighlightedText, Qt::white);
  dark.setColor(QPalette::Light, QColor(0x50, 0x50, 0x50));
  dark.setColor(QPalette::Midlight, QColor(0x45, 0x45, 0x45));
  dark.setColor(QPalette::Mid, QColor(0x2a, 0x2a, 0x2a));
  dark.setColor(QPalette::Dark, QColor(0x20, 0x20, 0x20));
  dark.setColor(QPalette::Shadow, Qt::black);
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    dark.setColor(QPalette::Disabled, role, QColor(0x80, 0x80, 0x80));
  return dark;
}

}  // namespace

bool WriteScreenshots(const std::string& directory, const std::string& executable, int dpi) {
  // A run makes the album folder current, so the output folder is fixed before it.
  const QString out = QDir(QString::fromStdString(directory)).absolutePath();
  if (!QDir().mkpath(out)) return false;
  ScratchAlbum scratch;
  if (!scratch.ok()) return false;
  if (dpi > 0)
    return SavePage(scratch, executable, 3, QString("%1/page3-%2dpi.png").arg(out).arg(dpi));

  bool ok = true;
  {
    TextShell shell = QuietShell();
    TMainDlg window(scratch.Environment(executable), &shell);
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
      picture.save(scratch.album() + QString("picture%1.jpg").arg(i), "JPEG");
    }
    window.Dispatch([&window] { window.wizard().btnFinishClick(); });
    ok = Save(window, out + "/page7-finished.png") && ok;

    TAdvSetDlg& advanced = window.advancedDialog();
    advanced.SyncFromModel();
    advanced.show();
    ok = Save(advanced, out + "/advanced-settings.png") && ok;
    advanced.hide();
    ok = ok && shell.warnings() == 0;
  }

  const QPalette desktop = QApplication::palette();
  QApplication::setPalette(DarkPalette());
  ok = SavePage(scratch, executable, 1, out + "/page1-dark.png") && ok;
  QApplication::setPalette(desktop);

  // Text and the style's measures as at 144 dpi need a process started that way.
  QProcess larger;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_FONT_DPI", "144");
  environment.insert("QT_ENABLE_HIGHDPI_SCALING", "0");
  larger.setProcessEnvironment(environment);
  larger.setProcessChannelMode(QProcess::ForwardedChannels);
  larger.start(QCoreApplication::applicationFilePath(), {"--screenshots", out, "144"});
  return larger.waitForFinished(60000) && larger.exitStatus() == QProcess::NormalExit &&
         larger.exitCode() == 0 && ok;
}

}  // namespace fotoloom
