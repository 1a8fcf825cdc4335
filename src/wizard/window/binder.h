// Keeps Qt widgets in step with the wizard's control values.
//
// Each Bind* call pairs one widget with one control value: Show() writes every paired widget
// from its value (signals blocked, so showing never looks like a user edit), and the widget's
// user-edit signal writes the edit into the value through the control's own setter and then
// runs inside the dispatcher, which shows everything again afterwards. Check boxes listen to their
// state-change signal, so a program step that sets a box's widget runs its handler too.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <functional>
#include <utility>
#include <vector>

#include "wizard/controls.h"
#include "wizard/settings_table.h"
#include "wizard/window/widgets.h"

namespace fotoloom {

class Binder {
 public:
  // dispatch runs one edit and then shows the model again.
  using Dispatcher = std::function<void(const std::function<void()>&)>;
  explicit Binder(Dispatcher dispatch) : dispatch_(std::move(dispatch)) {}

  void Show() const;

  void BindState(Control& control, QWidget* widget);
  void BindEdit(TextEdit& edit, QLineEdit* widget);
  void BindNumber(NumberField& field, NumberSpin* widget);
  void BindCheck(CheckBox& box, QCheckBox* widget);
  void BindRadio(RadioGroup& group, RadioGroupBox* widget);
  void BindList(DropDownList& list, QComboBox* widget);
  void BindSwatch(ColorSwatch& swatch, SwatchEdit* widget);
  void BindButton(PushButton& button, QPushButton* widget);
  // Buttons that share one place, topmost first. The topmost button the model shows is the one
  // on screen; those under it are hidden, so that no key reaches a button the user cannot see.
  void BindSlot(std::vector<std::pair<PushButton*, QPushButton*>> top_first);
  void BindProgress(ProgressBarControl& bar, QProgressBar* widget);
  void BindLabel(StatusLabelControl& label, QLabel* widget);
  // The control a settings key fills, with the widget named like it below root.
  void BindSetting(ControlRef control, QWidget* root, const char* name);

 private:
  void Edit(const std::function<void()>& edit) const { dispatch_(edit); }

  Dispatcher dispatch_;
  std::vector<std::function<void()>> show_;
};

// Qt's and the wizard's check states, which number their states differently.
Qt::CheckState ToQt(CheckState state);
CheckState FromQt(Qt::CheckState state);

}  // namespace fotoloom
