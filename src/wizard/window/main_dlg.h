// TMainDlg: the wizard window. A view over fotoloom::Wizard, which holds every value, every
// enabled and visible state and every rule.
//
// The window builds its seven pages, the button row and the advanced settings dialog once,
// pairs each widget with the model value of the same name (Binder), forwards every user
// action to the Wizard handler named after control and event, and shows the model again after
// each handler returns and before every pump of a running generation. Each handler runs
// inside Dispatch, which reports an error that ends it in the "Fotoloom" error box.
//
// Message boxes, pickers, opening documents and help and the about box go to the shell given
// at construction (tests pass scripted answers there); without one the window uses Qt's own
// dialogs. The busy cursor, the advanced dialog, closing and event pumping are the window's.
// A help file or catalog that cannot be opened is named in a warning box; during a run that
// box does not hold the run up.
//
// Layouts place every widget in the desktop's font: the window takes the size its content
// needs at that font (about 500 x 367 at the usual one) and cannot be resized by hand, so it
// offers no maximise button. On a screen smaller than that the pages scroll, so the window
// never opens larger than the screen, nor does the advanced settings dialog.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "wizard/window/binder.h"
#include "wizard/wizard.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QProgressBar;
class QCheckBox;
class QDropEvent;
class QComboBox;
class QGroupBox;
class QLayout;
class QStackedLayout;
class QUrl;
class QVBoxLayout;

namespace fotoloom {

class TAdvSetDlg;
class DesktopOpener;
class FitScrollArea;

class TMainDlg : public QWidget, public WizardUi {
  Q_OBJECT
 public:
  // The window is created as FormCreate leaves it: page 1 loaded and shown. Pages 1 to 7 are
  // loaded again, and the command-line start follows, at the first paint.
  explicit TMainDlg(WizardEnvironment environment, WizardUi* shell = nullptr);
  ~TMainDlg() override;

  Wizard& wizard() { return *wizard_; }
  TAdvSetDlg& advancedDialog() { return *advanced_dlg_; }

  // Writes every widget from the model.
  void SyncFromModel();
  // Runs one wizard handler: pending edits first, errors reported, the model shown after it,
  // and a close the wizard asked for carried out once nothing runs any more.
  void Dispatch(const std::function<void()>& handler);

  // Where the general error report goes: the final text of the "Fotoloom" box. Qt's box by
  // default; tests record it instead.
  void SetErrorReport(std::function<void(const std::string& text)> report) {
    error_report_ = std::move(report);
  }

  // WizardUi.
  void ShowWarning(const std::string& text) override;
  bool AskQuestion(const std::string& text) override;
  std::optional<std::int32_t> PickColor(std::int32_t initial) override;
  std::optional<std::string> PickFolder(const std::string& title,
                                        const std::string& initial_directory) override;
  std::optional<std::string> PickFile(const FilePickerRequest& request) override;
  void ShowAdvancedDialog(AdvancedDialog& dialog) override;
  void ShowAbout() override;
  bool OpenDocument(const std::string& document, const std::string& working_directory) override;
  bool OpenHelp(const std::string& help_file, const std::string& topic) override;
  void SetBusyCursor(bool busy) override;
  void CloseWindow() override;
  void PumpMessages() override;
  void Refresh() override { SyncFromModel(); }

  // Fits the window into a screen's available area (the pages scroll where they must) and
  // centres it there; done for the primary screen when the window is made.
  void FitIntoScreen(const QRect& available);

  // Opens the help at the topic of a help context number (100 ... 160 the wizard's pages,
  // 180 the advanced settings); other numbers open the help at its start.
  void OpenHelpContext(int context);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildPages(QStackedLayout* pages);
  QLayout* BuildButtonRow();
  void BindModel();
  void ConnectHandlers();
  void CommitPendingEdit();
  // A drag that carries one folder, over the window or page 1's fields: accepted, and on a
  // drop taken, while the wizard takes a dropped folder. False for any other drag, which is
  // left to the widget under it.
  bool FolderDrag(QDropEvent* event);
  QWidget* DialogParent();
  QPushButton* AddButton(const char* name, QWidget* parent);
  // A page with its side picture, heading and introduction; column receives the layout that
  // stacks the page's controls.
  QGroupBox* AddPage(int page, const QString& heading, const QString& intro, QVBoxLayout** column);
  void FitWrappedTexts();
  void ColourIntroTexts();
  // Gives the focus to the first control of the page shown that takes it.
  void FocusFirstInput();
  // Opens url with the desktop opener, or through_shell when a shell was given; a failure is
  // reported with warning.
  bool OpenOrReport(const QUrl& url, const std::string& warning,
                    const std::function<bool()>& through_shell);
  // Names what could not be opened in a warning box; during a run (or later than the request)
  // the box leaves the window working.
  void ReportOpenFailure(const std::string& text, bool late);

  WizardUi* shell_;
  std::function<void(const std::string&)> error_report_;
  Binder binder_;
  std::unique_ptr<Wizard> wizard_;
  TAdvSetDlg* advanced_dlg_ = nullptr;
  FitScrollArea* pages_area_ = nullptr;
  int busy_depth_ = 0;
  int dispatch_depth_ = 0;
  bool close_pending_ = false;
  bool closing_ = false;
  bool first_paint_seen_ = false;
  bool in_close_event_ = false;
  bool syncing_ = false;
  int shown_page_ = 0;  // the page the widgets show, to move the focus when it changes
  double scale_ = 1.0;  // FontScale of the window's font when it was built
  std::unique_ptr<DesktopOpener> opener_;  // gone before the wizard its reports reach
};

}  // namespace fotoloom
