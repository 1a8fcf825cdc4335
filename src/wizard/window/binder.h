// Keeps Qt widgets in step with the wizard's control values.
//
// Each Bind* call pairs one widget with one control value: Show() writes every paired widget
// from its value (signals blocked, so showing never looks like a user edit), and the widget's
// user-edit signal writes the edit into the value through the control's own setter and then
// calls the after-edit hook, which shows everything again. Check boxes listen to their
// state-change signal, so a program step that sets a box's widget runs its handler too.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <functional>
#include <vector>

#include "wizard/controls.h"
#include "wizard/window/widgets.h"

namespace fotoloom {

class Binder {
 public:
  explicit Binder(std::function<void()> after_edit) : after_edit_(std::move(after_edit)) {}

  void Show() const;

  void BindState(Control& control, QWidget* widget);
  void BindEdit(TextEdit& edit, QLineEdit* widget);
  void BindNumber(NumberField& field, NumberSpin* widget);
  void BindCheck(CheckBox& box, QCheckBox* widget);
  void BindRadio(RadioGroup& group, RadioGroupBox* widget);
  void BindList(DropDownList& list, QComboBox* widget);
  void BindSwatch(ColorSwatch& swatch, SwatchEdit* widget);
  void BindButton(PushButton& button, QPushButton* widget);
  void BindProgress(ProgressBarControl& bar, QProgressBar* widget);
  void BindLabel(StatusLabelControl& label, QLabel* widget);

 private:
  void Edited() const {
    if (after_edit_) after_edit_();
  }

  std::function<void()> after_edit_;
  std::vector<std::function<void()>> show_;
};

// Qt's and the wizard's check states, which number their states differently.
Qt::CheckState ToQt(CheckState state);
CheckState FromQt(Qt::CheckState state);

}  // namespace fotoloom
