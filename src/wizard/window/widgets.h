// The Qt widgets behind the wizard's control kinds that Qt lacks as such.
//
// NumberSpin: a whole-number field that lets the user type any integer and brings it into
// range when the field is left (below the minimum gives the minimum, above the maximum the
// maximum; text that is no number gives the minimum).
// SwatchEdit: a 25 x 21 field that is always disabled, shows no text and shows a colour held
// as 0x00BBGGRR (red in the low byte), the layout the settings file uses. A screen reader,
// which cannot see the colour, reads it as "#RRGGBB" in the swatch's accessible description
// and in that of the button that picks it.
// RadioGroupBox: a captioned group of radio buttons addressed by a 0-based item index, -1
// when none is selected.
//
// FitScrollArea and FitWindowIntoScreen: a window whose content is larger than the screen it
// opens on (a large font, a small screen at a scale of 2) scrolls its content rather than run
// off the screen; while it fits, the window looks as it would without them.
//
// FontScale and Scaled: the windows' measures are given for the desktop's usual font (9-point
// sans serif, 14-pixel lines); a larger font scales them by its line height, a smaller one
// keeps them.
#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStringList>
#include <vector>

namespace fotoloom {

double FontScale(const QFont& font);
inline int Scaled(int pixels, double scale) { return qRound(pixels * scale); }

// widget, given its object name: the name that bindings and tests find it by.
template <class W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

// The colour of the pages' introductory texts: navy on a light window colour, a light blue
// of the same role where the window colour is dark (lightness below one half).
QColor IntroTextColor(const QPalette& palette);

class NumberSpin : public QSpinBox {
  Q_OBJECT
 public:
  NumberSpin(int minimum, int maximum, QWidget* parent);
  // A field whose range comes from the number field it is bound to (Binder::BindNumber).
  explicit NumberSpin(QWidget* parent) : NumberSpin(0, 0, parent) {}

  QValidator::State validate(QString& input, int& pos) const override;
  void fixup(QString& input) const override;

 protected:
  int valueFromText(const QString& text) const override;

 private:
  int Clamp(const QString& text) const;
};

class SwatchEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit SwatchEdit(QWidget* parent);
  void SetColor(int bgr);
  int Color() const { return color_; }
  // button's accessible description follows the colour as well.
  void DescribeAlso(QWidget* button);

 private:
  void Describe();

  int color_ = -1;
  QPointer<QWidget> button_;
};

// 0x00BBGGRR to a QColor and back.
QColor BgrToQColor(int bgr);
int QColorToBgr(const QColor& color);

// A scroll area around content, without a frame and without a focus of its own: as large as
// the content while that fits in the room it is given, that large with scroll bars otherwise.
// Walking the controls with the keyboard scrolls each one into sight.
class FitScrollArea : public QScrollArea {
  Q_OBJECT
 public:
  FitScrollArea(QWidget* content, QWidget* parent);
  // room: the largest size the area may take; QWIDGETSIZE_MAX each way shows all content.
  void FitInto(QSize room);
};

// Sizes window (whose layout fixes its size) so that with its frame it fits into available,
// shrinking area as much as needed, and centres it there.
void FitWindowIntoScreen(QWidget* window, FitScrollArea* area, const QRect& available);

class RadioGroupBox : public QGroupBox {
  Q_OBJECT
 public:
  RadioGroupBox(const QString& caption, const QStringList& items, QWidget* parent);
  int ItemIndex() const;
  // -1 (or below) clears the selection; an index at or beyond the item count selects the last.
  void SetItemIndex(int index);
  QRadioButton* Button(int index) const { return buttons_.at(static_cast<size_t>(index)); }
  int Count() const { return static_cast<int>(buttons_.size()); }

 signals:
  // Only for a selection the user made; SetItemIndex stays silent.
  void ItemChosen(int index);

 private:
  QButtonGroup group_;
  std::vector<QRadioButton*> buttons_;
};

}  // namespace fotoloom
