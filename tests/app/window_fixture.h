// The wizard window under test: a private program folder, settings file and album under a
// fresh temporary directory, a scripted front end answering every box and picker, and helpers
// that act on the window the way a user does (clicks, typing, focus).
#pragma once

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <memory>
#include <string>

#include "../wizard/wizard_fixture.h"
#include "wizard/window/main_dlg.h"

namespace fotoloom::testing {

class WindowTest : public WizardTest {
 protected:
  void TearDown() override {
    window_.reset();
    WizardTest::TearDown();
  }

  // Creates the window, shows it and lets its first paint load every page.
  TMainDlg& Show();

  template <class W>
  W* Find(const char* name) {
    W* widget = window_->findChild<W*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QLineEdit* Edit(const char* name) { return Find<QLineEdit>(name); }
  QCheckBox* Check(const char* name) { return Find<QCheckBox>(name); }
  QPushButton* Button(const char* name) { return Find<QPushButton>(name); }

  void Click(const char* button);
  void Click(QWidget* widget);
  // Replaces an edit's text by typing, as a user would.
  void Type(QLineEdit* edit, const QString& text);
  void Type(const char* edit, const QString& text) { Type(Edit(edit), text); }
  // Clicks "&Next >" until page is shown; fails the test when a step is refused.
  void GoTo(int page);

  // What the user sees in a slot of the button row: the caption of the button on screen
  // there ("" when none), and whether it is enabled.
  std::string SlotCaption(const char* slot);
  bool SlotEnabled(const char* slot);

  // Processes events until done() holds or about five seconds have passed.
  bool ProcessUntil(const std::function<bool()>& done);

  std::unique_ptr<TMainDlg> window_;
};

inline constexpr char kLeftSlot[] = "slotLeft";
inline constexpr char kSecondSlot[] = "slotSecond";
inline constexpr char kThirdSlot[] = "slotThird";
inline constexpr char kRightSlot[] = "slotRight";

}  // namespace fotoloom::testing
