#include "wizard/window/widgets.h"

#include <QFontMetricsF>
#include <QLayout>
#include <QPalette>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

namespace fotoloom {

double FontScale(const QFont& font) {
  constexpr double kUsualLineHeight = 14.0;
  return std::max(1.0, QFontMetricsF(font).height() / kUsualLineHeight);
}

QColor IntroTextColor(const QPalette& palette) {
  const bool dark = palette.color(QPalette::Window).lightnessF() < 0.5;
  return dark ? QColor(0x8a, 0xb4, 0xf8) : QColor(0x00, 0x00, 0x80);
}

NumberSpin::NumberSpin(int minimum, int maximum, QWidget* parent) : QSpinBox(parent) {
  setRange(minimum, maximum);
  setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
  setKeyboardTracking(false);
}

// Any optional sign followed by digits may be typed; an out-of-range number is only brought
// into range when the field is left, so the user can type over the current value freely.
QValidator::State NumberSpin::validate(QString& input, int& /*pos*/) const {
  QString text = input.trimmed();
  if (text.isEmpty() || text == "-" || text == "+") return QValidator::Intermediate;
  bool ok = false;
  const qlonglong number = text.toLongLong(&ok);
  if (!ok) return QValidator::Invalid;
  return number >= minimum() && number <= maximum() ? QValidator::Acceptable
                                                    : QValidator::Intermediate;
}

void NumberSpin::fixup(QString& input) const { input = QString::number(Clamp(input)); }

int NumberSpin::valueFromText(const QString& text) const { return Clamp(text); }

int NumberSpin::Clamp(const QString& text) const {
  bool ok = false;
  const qlonglong number = text.trimmed().toLongLong(&ok);
  if (!ok) return minimum();
  return static_cast<int>(std::clamp<qlonglong>(number, minimum(), maximum()));
}

QColor BgrToQColor(int bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

int QColorToBgr(const QColor& color) {
  return color.red() | (color.green() << 8) | (color.blue() << 16);
}

SwatchEdit::SwatchEdit(QWidget* parent) : QLineEdit(parent) {
  setEnabled(false);
  setReadOnly(true);
  setFixedSize(25, 21);
  setFocusPolicy(Qt::NoFocus);
  SetColor(0);
}

void SwatchEdit::SetColor(int bgr) {
  if (bgr == color_) return;
  color_ = bgr;
  setStyleSheet(QString("QLineEdit { background-color: %1; border: 1px solid #808080; }")
                    .arg(BgrToQColor(bgr).name()));
  Describe();
}

void SwatchEdit::DescribeAlso(QWidget* button) {
  button_ = button;
  Describe();
}

void SwatchEdit::Describe() {
  const QString colour = BgrToQColor(color_).name().toUpper();
  setAccessibleDescription(colour);
  if (button_) button_->setAccessibleDescription(colour);
}

FitScrollArea::FitScrollArea(QWidget* content, QWidget* parent) : QScrollArea(parent) {
  setFrameShape(QFrame::NoFrame);
  setFocusPolicy(Qt::NoFocus);
  setWidgetResizable(true);
  setWidget(content);
  FitInto(QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

void FitScrollArea::FitInto(QSize room) {
  const QWidget* content = widget();
  QSize need = content->sizeHint().expandedTo(content->minimumSizeHint());
  // Wrapped texts may take more lines at that width than the hint allows for.
  if (content->hasHeightForWidth())
    need.setHeight(std::max(need.height(), content->heightForWidth(need.width())));
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  const bool tall = need.height() > room.height();
  const int width = need.width() + (tall ? bar : 0);
  const bool wide = width > room.width();
  const int height = need.height() + (wide ? bar : 0);
  setFixedSize(std::min(width, room.width()), std::min(height, room.height()));
}

namespace {

// What a window's frame adds to it: the frame it has once shown, or that of the window it
// belongs to (the same window manager draws both); before either is shown, a title bar of two
// lines' height.
QSize FrameExtra(const QWidget* window) {
  for (const QWidget* w = window; w != nullptr;
       w = w->parentWidget() ? w->parentWidget()->window() : nullptr) {
    const QSize frame = w->frameGeometry().size() - w->geometry().size();
    if (frame.height() > 0) return frame;
  }
  const int title_bar = std::max(window->style()->pixelMetric(QStyle::PM_TitleBarHeight),
                                 2 * window->fontMetrics().height());
  return QSize(0, title_bar);
}

}  // namespace

void FitWindowIntoScreen(QWidget* window, FitScrollArea* area, const QRect& available) {
  area->FitInto(QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
  window->layout()->activate();
  const QSize frame = FrameExtra(window);
  const QSize around = window->sizeHint() - area->size();  // what the window holds beside it
  area->FitInto(available.size() - frame - around);
  window->layout()->activate();
  const QSize outer = window->size() + frame;
  const QPoint centred = available.center() - QPoint(outer.width() / 2, outer.height() / 2);
  window->move(std::max(centred.x(), available.left()), std::max(centred.y(), available.top()));
}

RadioGroupBox::RadioGroupBox(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 4, 8, 4);
  layout->setSpacing(2);
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], this);
    group_.addButton(button, i);
    buttons_.push_back(button);
    layout->addWidget(button);
  }
  connect(&group_, &QButtonGroup::idClicked, this, &RadioGroupBox::ItemChosen);
}

int RadioGroupBox::ItemIndex() const { return group_.checkedId(); }

void RadioGroupBox::SetItemIndex(int index) {
  if (index >= Count()) index = Count() - 1;
  if (index < 0) {
    // An exclusive group refuses to uncheck its last checked button.
    group_.setExclusive(false);
    for (QRadioButton* button : buttons_) button->setChecked(false);
    group_.setExclusive(true);
    return;
  }
  buttons_[static_cast<size_t>(index)]->setChecked(true);
}

}  // namespace fotoloom
