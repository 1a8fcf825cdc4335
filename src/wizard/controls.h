// The values a window control holds, without any window: what a front end shows and what the
// wizard's logic reads and sets. A front end maps each of these 1:1 onto a widget, pushes the
// user's edits in through the setters and shows the values back after every operation.
//
// Setters keep each control's invariants the way the real widget would: an edit never holds
// more than its length limit, a number field never leaves its range, a radio group never
// selects an item it does not have, and a check box or radio group whose state changes runs its
// click handler, exactly as if the user had clicked it. Setting the state a box already has runs
// nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "generation/client_ui.h"

namespace fotoloom {

// Three-state check box states; only kChecked counts as on.
enum class CheckState { kUnchecked = 0, kChecked = 1, kGrayed = 2 };

// Enabled and visible states every control has.
struct Control {
  bool enabled = true;
  bool visible = true;
};

// A group box or a page: it only has enabled and visible states.
struct GroupBox : Control {};

// A single-line text edit. The length limit (characters, 0: none) holds for what the user
// types, not for what a program step puts there, as with a native edit control: a value
// loaded from the settings file is shown whole.
class TextEdit : public Control {
 public:
  explicit TextEdit(int max_length = 0) : max_length_(max_length) {}

  const std::string& text() const { return text_; }
  int max_length() const { return max_length_; }

  // A program step sets the text. A single-line edit cannot hold a line break: CR and LF
  // become blanks.
  void SetText(const std::string& text);
  // The user edited the text: as SetText, then cut to the length limit (whole UTF-8
  // characters), or to the previous length when a program step had put a longer text there.
  void EnterText(const std::string& text);

 private:
  std::string text_;
  int max_length_;
};

// A number field (spin edit) that always holds a whole number inside [min, max].
class NumberField : public Control {
 public:
  // 0 in [0, 0], until the field is given its range.
  NumberField() : NumberField(0, 0, 0) {}
  NumberField(int min, int max, int value) : min_(min), max_(max), value_(Clamp(value)) {}

  int value() const { return value_; }
  int min() const { return min_; }
  int max() const { return max_; }

  // Below the minimum gives the minimum, above the maximum the maximum.
  void SetValue(long long value) { value_ = Clamp(value); }
  // What leaving the field does with typed text: a whole number (optional sign, blanks
  // around it allowed) is brought into range; anything else reads as the minimum.
  void SetText(const std::string& text);

 private:
  int Clamp(long long value) const;

  int min_;
  int max_;
  int value_;
};

// A three-state check box. on_click is the box's click handler: it runs after every change
// of state, whether the user or a program step made it.
class CheckBox : public Control {
 public:
  CheckState state() const { return state_; }
  bool checked() const { return state_ == CheckState::kChecked; }

  void SetState(CheckState state);
  void SetChecked(bool checked) {
    SetState(checked ? CheckState::kChecked : CheckState::kUnchecked);
  }

  std::function<void()> on_click;

 private:
  CheckState state_ = CheckState::kUnchecked;
};

// A radio group: item_index is -1 (no selection) or 0 .. items - 1. on_click runs after every
// change of selection, as a check box's does.
class RadioGroup : public Control {
 public:
  explicit RadioGroup(std::vector<std::string> items) : items_(std::move(items)) {}

  const std::vector<std::string>& items() const { return items_; }
  int item_index() const { return item_index_; }
  // Below -1 gives -1; at or beyond the item count selects the last item.
  void SetItemIndex(long long index);

  std::function<void()> on_click;

 private:
  std::vector<std::string> items_;
  int item_index_ = -1;
};

// A drop-down list with fixed choices and no free typing.
class DropDownList : public Control {
 public:
  explicit DropDownList(std::vector<std::string> items) : items_(std::move(items)) {}

  const std::vector<std::string>& items() const { return items_; }
  int item_index() const { return item_index_; }
  // An index outside the items shows no selection (-1).
  void SetItemIndex(long long index);
  // The selected item's text, empty when nothing is selected.
  std::string text() const;

 private:
  std::vector<std::string> items_;
  int item_index_ = -1;
};

// A colour swatch: a small box that is always disabled and shows a colour. The colour is the
// settings file's integer, laid out 0x00BBGGRR (red in the low byte).
struct ColorSwatch : Control {
  ColorSwatch() { enabled = false; }
  std::int32_t color = 0;
};

// A push button. is_default: Enter presses it.
struct PushButton : Control {
  explicit PushButton(std::string caption_text = "", bool default_button = false)
      : caption(std::move(caption_text)), is_default(default_button) {}
  std::string caption;
  bool is_default;
};

// A progress bar the generation's progress reporting can drive directly. Its position always
// stays inside [minimum, maximum].
class ProgressBarControl : public Control, public ProgressBar {
 public:
  void SetMinimum(int minimum) override;
  void SetMaximum(int maximum) override;
  void SetPosition(int position) override;
  int Position() const override { return position_; }
  int Maximum() const override { return maximum_; }
  int Minimum() const { return minimum_; }

 private:
  int minimum_ = 0;
  int maximum_ = 100;
  int position_ = 0;
};

// A one-line label the progress reporting can drive directly.
class StatusLabelControl : public Control, public StatusLabel {
 public:
  void SetText(const std::string& text) override { caption_ = text; }
  const std::string& caption() const { return caption_; }

 private:
  std::string caption_;
};

}  // namespace fotoloom
