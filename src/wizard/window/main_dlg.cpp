#include "wizard/window/main_dlg.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStackedLayout>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/error.h"
#include "wizard/window/adv_set_dlg.h"
#include "wizard/window/qt_shell.h"
#include "wizard/window/side_art.h"
#include "wizard/window/widgets.h"

namespace fotoloom {
namespace {

// Pairs the widget named like a model member with that member.
#define FL_BIND(kind, Widget, member) binder_.kind(m.member, Child<Widget>(this, #member))
// Connects the button named like a handler's control to that handler.
#define FL_CLICK(button)                                                  \
  connect(Child<QPushButton>(this, #button), &QPushButton::clicked, this, \
          [this] { Dispatch([this] { wizard_->button##Click(); }); })

template <class W>
W* Child(QObject* root, const char* name) {
  W* widget = root->findChild<W*>(name);
  Q_ASSERT_X(widget, "TMainDlg", name);
  return widget;
}

// The folder a drag carries: exactly one local folder; empty for anything else.
QString DraggedFolder(const QMimeData* data) {
  if (!data || !data->hasUrls() || data->urls().size() != 1) return {};
  const QUrl url = data->urls().front();
  if (!url.isLocalFile() || !QFileInfo(url.toLocalFile()).isDir()) return {};
  return QDir::toNativeSeparators(url.toLocalFile());
}

// Qt shows a plain top-level widget to assistive technology as a client area; the wizard is
// the program's main window, a frame.
QAccessibleInterface* MainWindowAccessible(const QString& class_name, QObject* object) {
  if (class_name == QLatin1String(TMainDlg::staticMetaObject.className()) && object->isWidgetType())
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
  return nullptr;
}

}  // namespace

TMainDlg::TMainDlg(WizardEnvironment environment, WizardUi* shell)
    : shell_(shell), binder_([this](const std::function<void()>& edit) { Dispatch(edit); }) {
  setObjectName("TMainDlg");
  [[maybe_unused]] static const bool frame_role =
      (QAccessible::installFactory(MainWindowAccessible), true);
  setWindowTitle(kWindowCaption);
  setWindowIcon(AppIcon());
  // The program's main window (so it has its own taskbar entry), with a title bar, a system
  // menu and the close button, but nothing to maximise: its size is the one its content needs.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  scale_ = FontScale(font());
  setAcceptDrops(true);
  opener_ = std::make_unique<DesktopOpener>(QString(), nullptr);
  auto* outer = new QVBoxLayout(this);
  outer->setSizeConstraint(QLayout::SetFixedSize);
  outer->setContentsMargins(Scaled(6, scale_), Scaled(2, scale_), Scaled(6, scale_),
                            Scaled(10, scale_));
  outer->setSpacing(0);
  // The pages scroll on a screen too small for them.
  auto* stack = new QWidget(this);  // the scroll area takes it over below
  auto* pages = new QStackedLayout(stack);
  pages->setStackingMode(QStackedLayout::StackAll);
  BuildPages(pages);
  FitWrappedTexts();
  pages_area_ = Named(new FitScrollArea(stack, this), "scrollPages");
  outer->addWidget(pages_area_, 1);
  auto* line = new QFrame(this);
  line->setObjectName("bvlSeparator");
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  outer->addWidget(line);
  outer->addSpacing(Scaled(16, scale_));
  outer->addLayout(BuildButtonRow());

  // FormCreate: the wizard's constructor leaves page 1 loaded and shown.
  wizard_ = std::make_unique<Wizard>(std::move(environment), *this);
  advanced_dlg_ = new TAdvSetDlg(
      wizard_->advanced(), [this](const std::function<void()>& edit) { Dispatch(edit); },
      [this](int context) { OpenHelpContext(context); }, this);
  BindModel();
  ConnectHandlers();
  ColourIntroTexts();
  SyncFromModel();

  if (QScreen* screen = QGuiApplication::primaryScreen())
    FitIntoScreen(screen->availableGeometry());
}

void TMainDlg::FitIntoScreen(const QRect& available) {
  FitWindowIntoScreen(this, pages_area_, available);
}

TMainDlg::~TMainDlg() {
  // Widgets outlive the wizard while the window is taken apart; a focus change then must not
  // reach a handler.
  for (const char* name : {"editAlbumFileName", "editAlbumDirectory"})
    if (auto* edit = findChild<QLineEdit*>(name)) edit->removeEventFilter(this);
}

void TMainDlg::BindModel() {
  WizardModel& m = wizard_->model();
  for (int page = 1; page <= kPageCount; ++page)
    binder_.BindState(*m.page(page),
                      Child<QGroupBox>(this, QString("gboxPage%1").arg(page).toLatin1()));

  // Every control a settings key fills is bound through its row, except the values the window
  // never shows.
  for (const SettingRow& row : SettingRows()) {
    if (row.in_dialog()) continue;
    const ControlRef control = ControlOf(row, m);
    if (std::visit([](const Control* c) { return c->visible; }, control))
      binder_.BindSetting(control, this, row.control);
  }
  FL_BIND(BindButton, QPushButton, btnBrowseFolders);
  FL_BIND(BindCheck, QCheckBox, chkboxUseDefaultsOnPage3);
  FL_BIND(BindState, QGroupBox, grpBoxFileDetails);
  FL_BIND(BindButton, QPushButton, btnSelectHeaderColor);
  FL_BIND(BindButton, QPushButton, btnSelectTextColor);
  FL_BIND(BindButton, QPushButton, btnSelectLinkColor);
  FL_BIND(BindButton, QPushButton, btnSelectVLinkColor);
  FL_BIND(BindButton, QPushButton, btnSelectBgColor);
  FL_BIND(BindButton, QPushButton, btnSelectTableBgColor);
  FL_BIND(BindButton, QPushButton, btnSelectBgImage);
  FL_BIND(BindButton, QPushButton, btnSelectBgSound);
  FL_BIND(BindButton, QPushButton, btnAdvancedSettings);
  FL_BIND(BindProgress, QProgressBar, ProgressBar1);
  FL_BIND(BindLabel, QLabel, lblProgressInfo);

  auto button = [this](PushButton& control, const char* name) {
    return std::pair<PushButton*, QPushButton*>(&control, Child<QPushButton>(this, name));
  };
  binder_.BindSlot({button(m.btnBegin, "btnBegin"), button(m.btnBack, "btnBack")});
  binder_.BindSlot({button(m.btnNext, "btnNext")});
  binder_.BindSlot({button(m.btnCancel, "btnCancel"), button(m.btnClose, "btnClose"),
                    button(m.btnFinish, "btnFinish")});
  binder_.BindSlot({button(m.btnHelp, "btnHelp")});
}

void TMainDlg::ConnectHandlers() {
  FL_CLICK(btnNext);
  FL_CLICK(btnBack);
  FL_CLICK(btnBegin);
  FL_CLICK(btnFinish);
  FL_CLICK(btnCancel);
  FL_CLICK(btnClose);
  FL_CLICK(btnHelp);
  FL_CLICK(btnBrowseFolders);
  FL_CLICK(btnSelectHeaderColor);
  FL_CLICK(btnSelectTextColor);
  FL_CLICK(btnSelectLinkColor);
  FL_CLICK(btnSelectVLinkColor);
  FL_CLICK(btnSelectBgColor);
  FL_CLICK(btnSelectTableBgColor);
  FL_CLICK(btnSelectBgImage);
  FL_CLICK(btnSelectBgSound);
  FL_CLICK(btnAdvancedSettings);

  // Esc is the window's cancel key: it closes without saving, whatever page is shown.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this,
          [this] { Dispatch([this] { wizard_->btnExitClick(); }); });
  auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(f1, &QShortcut::activated, this,
          [this] { OpenHelpContext(wizard_->model().help_context); });
}

void TMainDlg::SyncFromModel() {
  if (syncing_) return;
  syncing_ = true;
  setWindowTitle(QString::fromStdString(wizard_->model().caption));
  binder_.Show();
  if (advanced_dlg_) advanced_dlg_->SyncFromModel();
  syncing_ = false;
  if (shown_page_ != wizard_->CurrentPage()) {
    shown_page_ = wizard_->CurrentPage();
    // The step, which the side picture shows, for a screen reader as well.
    setAccessibleDescription(StepText(shown_page_));
    FocusFirstInput();
  }
}

// After a step the keys work on the new page, not on the button that made the step.
void TMainDlg::FocusFirstInput() {
  auto* page = findChild<QWidget*>(QString("gboxPage%1").arg(shown_page_));
  if (!page || page->isHidden()) return;
  for (QWidget* widget = page->nextInFocusChain(); widget != page;
       widget = widget->nextInFocusChain()) {
    if (!page->isAncestorOf(widget)) continue;
    if ((widget->focusPolicy() & Qt::TabFocus) && widget->isEnabled() &&
        widget->isVisibleTo(page)) {
      widget->setFocus(Qt::TabFocusReason);
      return;
    }
  }
}

void TMainDlg::ColourIntroTexts() {
  const QColor colour = IntroTextColor(palette());
  for (int page = 1; page <= kPageCount; ++page) {
    auto* intro = findChild<QLabel*>(QString("stxtIntro%1").arg(page));
    if (!intro || intro->palette().color(QPalette::WindowText) == colour) continue;
    QPalette own;
    own.setColor(QPalette::WindowText, colour);
    intro->setPalette(own);
  }
}

void TMainDlg::changeEvent(QEvent* event) {
  if (event->type() == QEvent::PaletteChange) ColourIntroTexts();
  QWidget::changeEvent(event);
}

// A number field the user is still typing in has not told the model yet when a button is
// pressed by its accelerator (the focus stays in the field); its text counts as it stands.
void TMainDlg::CommitPendingEdit() {
  if (auto* spin = qobject_cast<NumberSpin*>(QApplication::focusWidget())) spin->interpretText();
}

void TMainDlg::Dispatch(const std::function<void()>& handler) {
  if (syncing_) return;  // a widget written by SyncFromModel is not a user edit
  ++dispatch_depth_;
  try {
    CommitPendingEdit();
    handler();
  } catch (const std::exception& error) {
    // The operation ends here; the window stays usable, and closing it stays possible.
    while (busy_depth_ > 0) SetBusyCursor(false);
    SyncFromModel();
    const std::string text = ErrorReportText(error.what());
    if (error_report_) {
      error_report_(text);
    } else {
      QtShowErrorReport(DialogParent(), text);
    }
  }
  --dispatch_depth_;
  SyncFromModel();
  if (close_pending_ && dispatch_depth_ == 0 && !wizard_->running() && !closing_) {
    closing_ = true;
    // Inside closeEvent the pending close event itself is accepted; Qt ignores a nested
    // close() there.
    if (!in_close_event_) close();
  }
}

void TMainDlg::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  if (first_paint_seen_) return;
  first_paint_seen_ = true;
  // The first paint loads every page and may start an unattended run: that happens right
  // after this paint, never inside it, since a run pumps events and repaints.
  QTimer::singleShot(0, this, [this] { Dispatch([this] { wizard_->FormPaint(); }); });
}

void TMainDlg::closeEvent(QCloseEvent* event) {
  if (closing_) {
    event->accept();
    return;
  }
  // The title-bar button acts as Esc; during a run the window closes once the run is over.
  in_close_event_ = true;
  Dispatch([this] { wizard_->btnExitClick(); });
  in_close_event_ = false;
  event->setAccepted(closing_);
}

bool TMainDlg::FolderDrag(QDropEvent* event) {
  const QString folder = DraggedFolder(event->mimeData());
  if (folder.isEmpty()) return false;
  if (!wizard_->TakesDroppedFolder()) {
    event->ignore();
    return true;
  }
  event->acceptProposedAction();
  if (event->type() == QEvent::Drop)
    Dispatch([this, folder] { wizard_->FolderDropped(folder.toStdString()); });
  return true;
}

void TMainDlg::dragEnterEvent(QDragEnterEvent* event) {
  if (!FolderDrag(event)) event->ignore();
}

void TMainDlg::dragMoveEvent(QDragMoveEvent* event) {
  if (!FolderDrag(event)) event->ignore();
}

void TMainDlg::dropEvent(QDropEvent* event) {
  if (!FolderDrag(event)) event->ignore();
}

bool TMainDlg::eventFilter(QObject* watched, QEvent* event) {
  // Page 1's fields take dropped text themselves; a dropped folder is the image folder.
  const QEvent::Type type = event->type();
  if ((type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop) &&
      FolderDrag(static_cast<QDropEvent*>(event)))
    return true;
  if (event->type() == QEvent::FocusOut && watched->objectName() == "editAlbumFileName") {
    // The focus also leaves when showing the model hides the field's page; the name is then
    // normalised right after the showing, not inside it.
    if (syncing_) {
      QTimer::singleShot(0, this,
                         [this] { Dispatch([this] { wizard_->editAlbumFileNameExit(); }); });
    } else {
      Dispatch([this] { wizard_->editAlbumFileNameExit(); });
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TMainDlg::OpenHelpContext(int context) {
  const std::string& help_file = wizard_->environment().help_file;
  OpenHelp(help_file, HelpTopicOfContext(context));
}

// Boxes and pickers belong to the window the user is in: the advanced dialog while it is
// shown, the wizard otherwise.
QWidget* TMainDlg::DialogParent() {
  QWidget* modal = QApplication::activeModalWidget();
  return modal ? modal : this;
}

// Every box and picker shows over the values it is about: the model is shown first.
void TMainDlg::ShowWarning(const std::string& text) {
  SyncFromModel();
  if (shell_) return shell_->ShowWarning(text);
  QtShowWarning(DialogParent(), text);
}

bool TMainDlg::AskQuestion(const std::string& text) {
  SyncFromModel();
  if (shell_) return shell_->AskQuestion(text);
  return QtAskQuestion(DialogParent(), text);
}

std::optional<std::int32_t> TMainDlg::PickColor(std::int32_t initial) {
  SyncFromModel();
  if (shell_) return shell_->PickColor(initial);
  return QtPickColor(DialogParent(), initial);
}

std::optional<std::string> TMainDlg::PickFolder(const std::string& title,
                                                const std::string& initial_directory) {
  SyncFromModel();
  if (shell_) return shell_->PickFolder(title, initial_directory);
  return QtPickFolder(DialogParent(), title, initial_directory);
}

std::optional<std::string> TMainDlg::PickFile(const FilePickerRequest& request) {
  SyncFromModel();
  if (shell_) return shell_->PickFile(request);
  return QtPickFile(DialogParent(), request);
}

void TMainDlg::ShowAdvancedDialog(AdvancedDialog& /*dialog*/) {
  advanced_dlg_->SyncFromModel();
  if (QScreen* on = screen()) advanced_dlg_->FitIntoScreen(on->availableGeometry());
  advanced_dlg_->exec();
}

void TMainDlg::ShowAbout() {
  if (shell_) return shell_->ShowAbout();
  QtShowAbout(DialogParent());
}

bool TMainDlg::OpenDocument(const std::string& document, const std::string& working_directory) {
  const QString path = QFileInfo(QString::fromStdString(document)).absoluteFilePath();
  return OpenOrReport(QUrl::fromLocalFile(path),
                      "The catalog could not be opened in a Web browser:\r" + path.toStdString(),
                      [&] { return shell_->OpenDocument(document, working_directory); });
}

bool TMainDlg::OpenHelp(const std::string& help_file, const std::string& topic) {
  return OpenOrReport(HelpAddress(help_file, topic), "The help could not be opened:\r" + help_file,
                      [&] { return shell_->OpenHelp(help_file, topic); });
}

bool TMainDlg::OpenOrReport(const QUrl& url, const std::string& warning,
                            const std::function<bool()>& through_shell) {
  const bool opened =
      shell_ ? through_shell()
             : opener_->Open(url, [this, warning] { ReportOpenFailure(warning, true); });
  if (!opened) ReportOpenFailure(warning, false);
  return opened;
}

// Help asked for during a run, or an opener that failed after it started, must not stop the
// run or whatever the user does meanwhile: that box waits beside the window.
void TMainDlg::ReportOpenFailure(const std::string& text, bool late) {
  if (!late && !wizard_->running()) return ShowWarning(text);
  if (shell_) return shell_->ShowWarning(text);
  QtShowNotice(DialogParent(), text);
}

void TMainDlg::SetBusyCursor(bool busy) {
  if (busy) {
    QApplication::setOverrideCursor(Qt::BusyCursor);
    ++busy_depth_;
  } else if (busy_depth_ > 0) {
    QApplication::restoreOverrideCursor();
    --busy_depth_;
  }
}

void TMainDlg::CloseWindow() { close_pending_ = true; }

void TMainDlg::PumpMessages() {
  SyncFromModel();
  QCoreApplication::processEvents();
}

}  // namespace fotoloom
