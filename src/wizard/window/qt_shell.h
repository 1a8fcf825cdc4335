// Qt's own dialogs and shell services behind the wizard's message boxes, pickers, help and
// error reports. Each blocks until the user has answered.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace fotoloom {

struct FilePickerRequest;

// "Warning" box: warning icon, one "OK" button that Enter and Esc both press. Every "\r" in
// text is a line break; text is shown as plain text.
void QtShowWarning(QWidget* parent, const std::string& text);
// The same box without blocking anything: shown, and closed by its user whenever.
void QtShowNotice(QWidget* parent, const std::string& text);
// "Confirm" box: question icon, "&Yes" (Enter) and "&No" (Esc); true only for "&Yes".
bool QtAskQuestion(QWidget* parent, const std::string& text);
// The general error report: a box titled "Fotoloom" with an error icon and text (the
// ErrorReportText of the error's message).
void QtShowErrorReport(QWidget* parent, const std::string& text);
// A reader warning (only libpng warns): a box without owner titled "PNG Error", warning icon,
// "OK".
void QtShowReaderWarning(const std::string& message);
// The about window: product name and version.
void QtShowAbout(QWidget* parent);

std::optional<std::int32_t> QtPickColor(QWidget* parent, std::int32_t initial);
// Opens in initial_directory, or in the user's home folder when that is empty.
std::optional<std::string> QtPickFolder(QWidget* parent, const std::string& title,
                                        const std::string& initial_directory);
std::optional<std::string> QtPickFile(QWidget* parent, const FilePickerRequest& request);

// Opens local files with the desktop's default application. Where xdg-open is found it runs
// through a shell and is watched until it ends, so that an opener that fails after starting (no
// browser set up) is reported as well as one that cannot start: later_failure then runs from
// the event loop. Ending the shell when the opener is destroyed leaves the opener it started
// running, so a program that closes right after opening its catalog still shows it.
class DesktopOpener : public QObject {
 public:
  // launcher: the program that opens a URL; empty: xdg-open from PATH, or Qt's own desktop
  // services where there is none.
  DesktopOpener(QString launcher, QObject* parent);
  ~DesktopOpener() override;

  // False when the file does not exist or nothing could be started to open it.
  bool Open(const QUrl& url, std::function<void()> later_failure);

 private:
  QString launcher_;
};

// The error report's text: message, with "." added when its last character sorts after "."
// (a letter or a digit, for example).
std::string ErrorReportText(const std::string& message);
// A "|"-separated list of description / pattern pairs ("JPEG images (*.jpg)|*.jpg;*.jpe") in
// Qt's name-filter syntax: each description (without a pattern list of its own) followed by
// its patterns in parentheses, blank-separated; "*.*" matches every file, as it does in the
// program's own listing.
QStringList QtNameFilters(const std::string& filter);
// The help topic of a help context number: 100 ... 160 the wizard's pages (STEP_1 ...
// STEP_7), 180 the advanced settings; empty for any other number.
std::string HelpTopicOfContext(int context);
// The address that opens help_file at topic: the topic's own page, help/TOPIC.html beside the
// help file, where there is one (an opener may drop what follows "#" in an address, that page
// does not need it); otherwise the help file with "#" and the topic. An empty topic: the help
// file's start.
QUrl HelpAddress(const std::string& help_file, const std::string& topic);

}  // namespace fotoloom
