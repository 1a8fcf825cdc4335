#include "wizard/window/qt_shell.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QUrl>

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

void QtShowPngWarning(const std::string& message) {
  QMessageBox box(QMessageBox::Warning, "PNG Error", MessageText(message), QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  Centre(box);
  box.exec();
}

void QtShowAbout(QWidget* parent) {
  QMessageBox box(QMessageBox::Information, "About Fotoloom",
                  "Fotoloom 2.0\n\nTurns a directory of photos into an HTML catalog.",
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

std::optional<std::string> QtPickFolder(QWidget* parent, const std::string& title) {
  const QString folder = QFileDialog::getExistingDirectory(
      parent, QString::fromStdString(title), QDir::rootPath(), QFileDialog::ShowDirsOnly);
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

void QtOpenHelp(const std::string& help_file, const std::string& topic) {
  const QString path = QString::fromStdString(help_file);
  if (!QFileInfo(path).isFile()) return;
  QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
  if (!topic.empty()) url.setFragment(QString::fromStdString(topic));
  QDesktopServices::openUrl(url);
}

void QtOpenDocument(const std::string& document) {
  const QFileInfo info(QString::fromStdString(document));
  QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}

}  // namespace fotoloom
