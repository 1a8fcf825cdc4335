#include "wizard/controls.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "platform/text.h"

namespace fotoloom {

void TextEdit::SetText(const std::string& text) {
  text_ = text;
  std::replace(text_.begin(), text_.end(), '\r', ' ');
  std::replace(text_.begin(), text_.end(), '\n', ' ');
}

void TextEdit::EnterText(const std::string& text) {
  // A text longer than the limit can only have come from a program step; an edit may shorten
  // it but never lengthen it, and is never cut below what it leaves.
  const std::size_t previous = CharCount(text_);
  SetText(text);
  if (max_length_ > 0) {
    text_ = LeftChars(text_, std::max(static_cast<std::size_t>(max_length_), previous));
  }
}

int NumberField::Clamp(long long value) const {
  return static_cast<int>(std::clamp<long long>(value, min_, max_));
}

void NumberField::SetText(const std::string& text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  const char* first = text.data() + begin;
  const char* last = text.data() + end;
  bool negative = false;
  if (first < last && (*first == '+' || *first == '-')) {
    negative = *first == '-';
    ++first;
  }
  unsigned long long magnitude = 0;
  auto [ptr, ec] = std::from_chars(first, last, magnitude);
  if (first == last || ptr != last) {
    value_ = min_;
    return;
  }
  // A number too long for any range is still a whole number: it lands on the nearer bound.
  if (ec == std::errc::result_out_of_range || magnitude > (1ULL << 62)) {
    value_ = negative ? min_ : max_;
    return;
  }
  long long signed_value = static_cast<long long>(magnitude);
  SetValue(negative ? -signed_value : signed_value);
}

void CheckBox::SetState(CheckState state) {
  if (state == state_) return;
  state_ = state;
  if (on_click) on_click();
}

void RadioGroup::SetItemIndex(long long index) {
  const long long count = static_cast<long long>(items_.size());
  if (index < -1) index = -1;
  if (index >= count) index = count - 1;
  if (index == item_index_) return;
  item_index_ = static_cast<int>(index);
  if (on_click) on_click();
}

void DropDownList::SetItemIndex(long long index) {
  const long long count = static_cast<long long>(items_.size());
  item_index_ = (index >= 0 && index < count) ? static_cast<int>(index) : -1;
}

std::string DropDownList::text() const {
  return item_index_ >= 0 ? items_[static_cast<std::size_t>(item_index_)] : std::string();
}

void ProgressBarControl::SetMinimum(int minimum) {
  minimum_ = minimum;
  if (maximum_ < minimum_) maximum_ = minimum_;
  position_ = std::clamp(position_, minimum_, maximum_);
}

void ProgressBarControl::SetMaximum(int maximum) {
  maximum_ = maximum;
  if (minimum_ > maximum_) minimum_ = maximum_;
  position_ = std::clamp(position_, minimum_, maximum_);
}

void ProgressBarControl::SetPosition(int position) {
  position_ = std::clamp(position, minimum_, maximum_);
}

}  // namespace fotoloom
