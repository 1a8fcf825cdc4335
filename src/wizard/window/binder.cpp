#include "wizard/window/binder.h"

#include <QSignalBlocker>
#include <algorithm>

namespace fotoloom {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

void ShowState(const Control& control, QWidget* widget) {
  if (widget->isEnabledTo(widget->parentWidget()) != control.enabled)
    widget->setEnabled(control.enabled);
  if (widget->isHidden() == control.visible) widget->setVisible(control.visible);
}

template <class W>
W* Child(QWidget* root, const char* name) {
  W* widget = root->findChild<W*>(name);
  Q_ASSERT_X(widget, "Binder", name);
  return widget;
}

template <class... F>
struct Overload : F... {
  using F::operator()...;
};

}  // namespace

Qt::CheckState ToQt(CheckState state) {
  switch (state) {
    case CheckState::kChecked:
      return Qt::Checked;
    case CheckState::kGrayed:
      return Qt::PartiallyChecked;
    default:
      return Qt::Unchecked;
  }
}

CheckState FromQt(Qt::CheckState state) {
  switch (state) {
    case Qt::Checked:
      return CheckState::kChecked;
    case Qt::PartiallyChecked:
      return CheckState::kGrayed;
    default:
      return CheckState::kUnchecked;
  }
}

void Binder::Show() const {
  for (const auto& show : show_) show();
}

void Binder::BindState(Control& control, QWidget* widget) {
  show_.push_back([&control, widget] { ShowState(control, widget); });
}

void Binder::BindEdit(TextEdit& edit, QLineEdit* widget) {
  show_.push_back([&edit, widget] {
    ShowState(edit, widget);
    const QString text = Q(edit.text());
    // The length limit binds what the user types; a longer text a program step put there is
    // shown whole, as the edit's value holds it.
    const int limit = edit.max_length() > 0 ? std::max<int>(edit.max_length(), text.size()) : 32767;
    const QSignalBlocker block(widget);
    if (widget->maxLength() != limit) widget->setMaxLength(limit);
    if (widget->text() != text) widget->setText(text);
  });
  QObject::connect(widget, &QLineEdit::textEdited, widget, [this, &edit](const QString& text) {
    Edit([&edit, value = text.toStdString()] { edit.EnterText(value); });
  });
}

void Binder::BindNumber(NumberField& field, NumberSpin* widget) {
  show_.push_back([&field, widget] {
    ShowState(field, widget);
    const QSignalBlocker block(widget);
    if (widget->minimum() != field.min() || widget->maximum() != field.max())
      widget->setRange(field.min(), field.max());
    if (widget->value() != field.value() || widget->text() != QString::number(field.value()))
      widget->setValue(field.value());
  });
  QObject::connect(widget, &QSpinBox::valueChanged, widget,
                   [this, &field](int value) { Edit([&field, value] { field.SetValue(value); }); });
}

void Binder::BindCheck(CheckBox& box, QCheckBox* widget) {
  show_.push_back([&box, widget] {
    ShowState(box, widget);
    const QSignalBlocker block(widget);
    // Grayed only ever comes from a program step; a click on a grayed box checks it and the
    // box then toggles between the two other states.
    widget->setTristate(box.state() == CheckState::kGrayed);
    if (widget->checkState() != ToQt(box.state())) widget->setCheckState(ToQt(box.state()));
  });
  QObject::connect(widget, &QCheckBox::stateChanged, widget, [this, &box](int state) {
    Edit([&box, state] { box.SetState(FromQt(static_cast<Qt::CheckState>(state))); });
  });
}

void Binder::BindRadio(RadioGroup& group, RadioGroupBox* widget) {
  show_.push_back([&group, widget] {
    ShowState(group, widget);
    const QSignalBlocker block(widget);
    if (widget->ItemIndex() != group.item_index()) widget->SetItemIndex(group.item_index());
  });
  QObject::connect(widget, &RadioGroupBox::ItemChosen, widget, [this, &group](int index) {
    Edit([&group, index] { group.SetItemIndex(index); });
  });
}

void Binder::BindList(DropDownList& list, QComboBox* widget) {
  show_.push_back([&list, widget] {
    ShowState(list, widget);
    const QSignalBlocker block(widget);
    if (widget->currentIndex() != list.item_index()) widget->setCurrentIndex(list.item_index());
  });
  QObject::connect(widget, &QComboBox::activated, widget, [this, &list](int index) {
    Edit([&list, index] { list.SetItemIndex(index); });
  });
}

void Binder::BindSwatch(ColorSwatch& swatch, SwatchEdit* widget) {
  show_.push_back([&swatch, widget] {
    // Always disabled, whatever the value says: a swatch is never edited by hand.
    if (widget->isHidden() == swatch.visible) widget->setVisible(swatch.visible);
    widget->SetColor(swatch.color);
  });
}

void Binder::BindButton(PushButton& button, QPushButton* widget) {
  show_.push_back([&button, widget] {
    ShowState(button, widget);
    const QString caption = Q(button.caption);
    if (widget->text() != caption) widget->setText(caption);
  });
}

void Binder::BindSlot(std::vector<std::pair<PushButton*, QPushButton*>> top_first) {
  show_.push_back([top_first = std::move(top_first)] {
    bool covered = false;
    for (const auto& [button, widget] : top_first) {
      const bool on_screen = button->visible && !covered;
      covered = covered || button->visible;
      if (widget->isEnabledTo(widget->parentWidget()) != button->enabled)
        widget->setEnabled(button->enabled);
      if (widget->isHidden() == on_screen) widget->setVisible(on_screen);
      const QString caption = Q(button->caption);
      if (widget->text() != caption) widget->setText(caption);
    }
  });
}

void Binder::BindProgress(ProgressBarControl& bar, QProgressBar* widget) {
  show_.push_back([&bar, widget] {
    ShowState(bar, widget);
    // An empty range would make Qt show its busy animation; the bar shows empty instead.
    const int maximum = std::max(bar.Maximum(), bar.Minimum() + 1);
    if (widget->minimum() != bar.Minimum() || widget->maximum() != maximum)
      widget->setRange(bar.Minimum(), maximum);
    if (widget->value() != bar.Position()) widget->setValue(bar.Position());
  });
}

void Binder::BindLabel(StatusLabelControl& label, QLabel* widget) {
  show_.push_back([&label, widget] {
    ShowState(label, widget);
    const QString text = Q(label.caption());
    if (widget->text() != text) widget->setText(text);
  });
}

void Binder::BindSetting(ControlRef control, QWidget* root, const char* name) {
  std::visit(Overload{
                 [&](TextEdit* edit) { BindEdit(*edit, Child<QLineEdit>(root, name)); },
                 [&](NumberField* field) { BindNumber(*field, Child<NumberSpin>(root, name)); },
                 [&](CheckBox* box) { BindCheck(*box, Child<QCheckBox>(root, name)); },
                 [&](RadioGroup* group) { BindRadio(*group, Child<RadioGroupBox>(root, name)); },
                 [&](DropDownList* list) { BindList(*list, Child<QComboBox>(root, name)); },
                 [&](ColorSwatch* swatch) { BindSwatch(*swatch, Child<SwatchEdit>(root, name)); },
             },
             control);
}

}  // namespace fotoloom
