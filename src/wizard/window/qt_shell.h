// Qt's own dialogs and shell services behind the wizard's message boxes, pickers, help and
// error reports. Each blocks until the user has answered.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>

class QWidget;

namespace fotoloom {

struct FilePickerRequest;

// "Warning" box: warning icon, one "OK" button that Enter and Esc both press. Every "\r" in
// text is a line break; text is shown as plain text.
void QtShowWarning(QWidget* parent, const std::string& text);
// "Confirm" box: question icon, "&Yes" (Enter) and "&No" (Esc); true only for "&Yes".
bool QtAskQuestion(QWidget* parent, const std::string& text);
// The general error report: a box titled "Fotoloom" with an error icon and text (the
// ErrorReportText of the error's message).
void QtShowErrorReport(QWidget* parent, const std::string& text);
// A libpng warning: a box without owner titled "PNG Error", warning icon, "OK".
void QtShowPngWarning(const std::string& message);
// The about window: product name and version.
void QtShowAbout(QWidget* parent);

std::optional<std::int32_t> QtPickColor(QWidget* parent, std::int32_t initial);
std::optional<std::string> QtPickFolder(QWidget* parent, const std::string& title);
std::optional<std::string> QtPickFile(QWidget* parent, const FilePickerRequest& request);

// Opens the help file in the browser at anchor topic (none when empty); a missing file does
// nothing.
void QtOpenHelp(const std::string& help_file, const std::string& topic);
// Opens document with its default application; document is relative to the current directory
// unless absolute. Failures are not reported.
void QtOpenDocument(const std::string& document);

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

}  // namespace fotoloom
