#include "window_fixture.h"

#include <QRadioButton>
#include <QThread>

namespace fotoloom::testing {
namespace {

// One application object for the whole test program, made before the first test runs.
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "app_window_test";
    static char* argv[] = {name, nullptr};
    // Never a real display, however the test was started.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app_ = std::make_unique<QApplication>(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
  }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const qt_environment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

TMainDlg& WindowTest::Show() {
  window_ = std::make_unique<TMainDlg>(Environment(), &ui_);
  window_->show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  // The first paint hands its work to the event loop; Begin is only visible after a run, so
  // the reloaded page 7 status tells that the loading is done.
  EXPECT_TRUE(ProcessUntil([this] {
    return window_->isHidden() ||
           window_->findChild<QLabel*>("lblProgressInfo")->text() == "Waiting for user input...";
  }));
  return *window_;
}

void WindowTest::Click(const char* button) { Click(Button(button)); }

void WindowTest::Click(QWidget* widget) {
  ASSERT_NE(widget, nullptr);
  // A check box or radio button takes clicks only on its mark and caption, at its left.
  const bool marked = qobject_cast<QCheckBox*>(widget) || qobject_cast<QRadioButton*>(widget);
  const QPoint at(marked ? 8 : widget->width() / 2, widget->height() / 2);
  QTest::mouseClick(widget, Qt::LeftButton, {}, at);
}

void WindowTest::Type(QLineEdit* edit, const QString& text) {
  ASSERT_NE(edit, nullptr);
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClicks(edit, text);
}

void WindowTest::GoTo(int page) {
  while (window_->wizard().CurrentPage() < page) {
    const int before = window_->wizard().CurrentPage();
    Click("btnNext");
    ASSERT_EQ(window_->wizard().CurrentPage(), before + 1) << "step from page " << before;
  }
}

std::string WindowTest::SlotCaption(const char* slot) {
  auto* button =
      qobject_cast<QPushButton*>(window_->childAt(Find<QWidget>(slot)->geometry().center()));
  return button ? button->text().toStdString() : std::string();
}

bool WindowTest::SlotEnabled(const char* slot) {
  QWidget* widget = window_->childAt(Find<QWidget>(slot)->geometry().center());
  return qobject_cast<QPushButton*>(widget) && widget->isEnabled();
}

bool WindowTest::ProcessUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 500; ++i) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (done()) return true;
    QThread::msleep(10);
  }
  return done();
}

}  // namespace fotoloom::testing
