#include "wizard/window/qt_shell.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

#include "platform/version.h"
#include "wizard/window/widgets.h"
#include "wizard/wizard_ui.h"

namespace fotoloom {
namespace {

QString MessageText(const std::string& text) {
  return QString::fromStdString(text).replace('\r', '\n');
}

void Centre(QMessageBox& box) { box.setWindowModality(Qt::ApplicationModal); }

// The image-file picker's preview: the selected picture scaled into a box beside the list.
void AddPreview(QFileDialog& dialog) {
  auto* layout = qobject_cast<QGridLayout*>(dialog.layout());
  if (!layout) return;
  auto* preview = new QLabel(&dialog);
  preview->setObjectName("preview");
  preview->setFixedSize(160, 160);
  preview->setAlignment(Qt::AlignCenter);
  preview->setFrameShape(QFrame::StyledPanel);
  layout->addWidget(preview, 1, layout->columnCount(), 1, 1, Qt::AlignTop);
  QObject::connect(&dialog, &QFileDialog::currentChanged, preview, [preview](const QString& path) {
    const QPixmap picture(path);
    if (picture.isNull()) {
      preview->clear();
      return;
    }
    preview->setPixmap(picture.scaled(preview->size() - QSize(8, 8), Qt::KeepAspectRatio,
                                      Qt::SmoothTransformation));
  });
}

}  // namespace

std::string ErrorReportText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

QStringList QtNameFilters(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split('|');
  QStringList filters;
  static const QRegularExpression own_patterns(R"(\s*\([^()]*\)\s*$)");
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i];
    description.remove(own_patterns);
    QStringList patterns;
    for (QString pattern : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
      pattern = pattern.trimmed();
      if (pattern == "*.*") pattern = "*";
      if (!pattern.isEmpty()) patterns << pattern;
    }
    filters << QString("%1 (%2)").arg(description.trimmed(), patterns.join(' '));
  }
  return filters;
}

std::string HelpTopicOfContext(int context) {
  if (context >= 100 && context <= 160 && context % 10 == 0)
    return "STEP_" + std::to_string((context - 90) / 10);
  if (context == 180) return "ADVANCED_SETTINGS";
  return {};
}

QUrl HelpAddress(const std::string& help_file, const std::string& topic) {
  const QFileInfo help(QString::fromStdString(help_file));
  QUrl url = QUrl::fromLocalFile(help.absoluteFilePath());
  if (topic.empty()) return url;
  const QFileInfo page(help.absoluteDir(), "help/" + QString::fromStdString(topic) + ".html");
  if (page.isFile()) return QUrl::fromLocalFile(page.absoluteFilePath());
  url.setFragment(QString::fromStdString(topic));
  return url;
}

void QtShowWarning(QWidget* parent, const std::string& text) {
  QMessageBox box(QMessageBox::Warning, "Warning", MessageText(text), QMessageBox::NoButton,
                  parent);
  box.setTextFormat(Qt::PlainText);
  QPushButton* ok = box.addButton("OK", QMessageBox::AcceptRole);
  box.setDefaultButton(ok);
  box.setEscapeButton(ok);
  Centre(box);
  box.exec();
}

void QtShowNotice(QWidget* parent, const std::string& text) {
  auto* box = new QMessageBox(QMessageBox::Warning, "Warning", MessageText(text),
                              QMessageBox::NoButton, parent);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setTextFormat(Qt::PlainText);
  QPushButton* ok = box->addButton("OK", QMessageBox::AcceptRole);
  box->setDefaultButton(ok);
  box->setEscapeButton(ok);
  box->setWindowModality(Qt::NonModal);
  box->show();
}

bool QtAskQuestion(QWidget* parent, const std::string& text) {
  QMessageBox box(QMessageBox::Question, "Confirm", MessageText(text), QMessageBox::NoButton,
                  parent);
  box.setTextFormat(Qt::PlainText);
  QPushButton* yes = box.addButton("&Yes", QMessageBox::YesRole);
  QPushButton* no = box.addButton("&No", QMessageBox::NoRole);
  box.setDefaultButton(yes);
  box.setEscapeButton(no);
  Centre(box);
  box.exec();
  return box.clickedButton() == yes;
}

void QtShowErrorReport(QWidget* parent, const std::string& text) {
  QMessageBox box(QMessageBox::Critical, "Fotoloom", MessageText(text), QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  Centre(box);
  box.exec();
}

void QtShowReaderWarning(const std::string& message) {
  QMessageBox box(QMessageBox::Warning, "PNG Error", MessageText(message), QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  Centre(box);
  box.exec();
}

void QtShowAbout(QWidget* parent) {
  QMessageBox box(QMessageBox::Information, "About Fotoloom",
                  QString::fromStdString(ProductNameAndVersion()) +
                      "\n\nTurns a directory of photos into an HTML catalog.",
                  QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  box.setIconPixmap(parent ? parent->windowIcon().pixmap(48, 48) : QPixmap());
  box.exec();
}

std::optional<std::int32_t> QtPickColor(QWidget* parent, std::int32_t initial) {
  const QColor color = QColorDialog::getColor(BgrToQColor(initial), parent);
  if (!color.isValid()) return std::nullopt;
  return QColorToBgr(color);
}

std::optional<std::string> QtPickFolder(QWidget* parent, const std::string& title,
                                        const std::string& initial_directory) {
  const QString start =
      initial_directory.empty() ? QDir::homePath() : QString::fromStdString(initial_directory);
  const QString folder = QFileDialog::getExistingDirectory(parent, QString::fromStdString(title),
                                                           start, QFileDialog::ShowDirsOnly);
  if (folder.isEmpty()) return std::nullopt;
  return QDir::toNativeSeparators(folder).toStdString();
}

std::optional<std::string> QtPickFile(QWidget* parent, const FilePickerRequest& request) {
  QFileDialog dialog(parent, QString(), QString::fromStdString(request.initial_directory));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  // Qt's own dialog, so that the preview can sit beside the file list.
  dialog.setOption(QFileDialog::DontUseNativeDialog, request.image_preview);
  const QStringList filters = QtNameFilters(request.filter);
  dialog.setNameFilters(filters);
  if (!filters.isEmpty()) dialog.selectNameFilter(filters.front());
  if (request.image_preview) AddPreview(dialog);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return QDir::toNativeSeparators(dialog.selectedFiles().front()).toStdString();
}

DesktopOpener::DesktopOpener(QString launcher, QObject* parent)
    : QObject(parent), launcher_(std::move(launcher)) {
  if (launcher_.isEmpty()) launcher_ = QStandardPaths::findExecutable("xdg-open");
}

DesktopOpener::~DesktopOpener() {
  for (QProcess* process : findChildren<QProcess*>()) {
    process->disconnect(this);
    process->kill();  // the shell only; the opener it started goes on
    process->waitForFinished(1000);
  }
}

bool DesktopOpener::Open(const QUrl& url, std::function<void()> later_failure) {
  if (url.isLocalFile() && !QFileInfo(url.toLocalFile()).isFile()) return false;
  if (launcher_.isEmpty()) return QDesktopServices::openUrl(url);
  auto* process = new QProcess(this);
  process->setProgram("/bin/sh");
  process->setArguments({"-c", "\"$1\" \"$2\"", "sh", launcher_, url.toString(QUrl::FullyEncoded)});
  process->setStandardInputFile(QProcess::nullDevice());
  process->setStandardOutputFile(QProcess::nullDevice());
  process->setStandardErrorFile(QProcess::nullDevice());
  connect(
      process, &QProcess::finished, this,
      [process, later_failure = std::move(later_failure)](int code, QProcess::ExitStatus status) {
        process->deleteLater();
        if ((status != QProcess::NormalExit || code != 0) && later_failure) later_failure();
      });
  process->start();
  if (process->waitForStarted()) return true;
  delete process;
  return false;
}

}  // namespace fotoloom
