#include "progress_display.h"

#include <algorithm>

namespace fotoloom::cli {
namespace {

constexpr int kBarCells = 24;
constexpr long long kRedrawMs = 50;      // a terminal line need not change faster
constexpr long long kLineIntervalMs = 1000;

bool IsContinuationByte(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

std::string CutToCharacters(const std::string& text, int max_chars) {
  if (max_chars <= 0) return {};
  int chars = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsContinuationByte(static_cast<unsigned char>(text[i]))) continue;
    if (chars == max_chars) return text.substr(0, i);
    ++chars;
  }
  return text;
}

ProgressDisplay::ProgressDisplay(std::FILE* out, Mode mode, int columns)
    : out_(out), mode_(mode), columns_(columns > 0 ? columns : 80) {}

std::string ProgressDisplay::BarLine(int position, int maximum, const std::string& status,
                                     int columns) {
  int filled = 0;
  if (maximum > 0) {
    long long p = std::clamp<long long>(position, 0, maximum);
    filled = static_cast<int>(p * kBarCells / maximum);
  }
  std::string line = "[" + std::string(filled, '#') + std::string(kBarCells - filled, '.') +
                     "] " + status;
  return CutToCharacters(line, std::max(columns - 1, 1));
}

void ProgressDisplay::Update(int position, int maximum, const std::string& status,
                             long long now_ms) {
  const bool changed = !have_state_ || position != position_ || maximum != maximum_ ||
                       status != status_;
  position_ = position;
  maximum_ = maximum;
  status_ = status;
  have_state_ = true;
  if (!changed && (mode_ == Mode::kLines || drawn_)) return;

  if (mode_ == Mode::kBar) {
    // A new status text is drawn at once; a moving bar is redrawn at a pace the eye follows.
    if (!drawn_ || status != last_status_drawn_ || now_ms - last_write_ms_ >= kRedrawMs) {
      Draw();
      last_write_ms_ = now_ms;
    }
    return;
  }

  if (status_ == last_written_) return;
  if (written_once_ && now_ms - last_write_ms_ < kLineIntervalMs) return;
  std::fprintf(out_, "%s\n", status_.c_str());
  std::fflush(out_);
  last_written_ = status_;
  last_write_ms_ = now_ms;
  written_once_ = true;
}

void ProgressDisplay::Draw() {
  last_written_ = BarLine(position_, maximum_, status_, columns_);
  last_status_drawn_ = status_;
  std::fprintf(out_, "\r%s\x1b[K", last_written_.c_str());
  std::fflush(out_);
  drawn_ = true;
}

void ProgressDisplay::Interrupt() {
  if (mode_ == Mode::kBar && drawn_) {
    std::fputs("\r\x1b[K", out_);
    std::fflush(out_);
    drawn_ = false;
  }
}

void ProgressDisplay::Finish() {
  if (!have_state_) return;
  if (mode_ == Mode::kBar) {
    if (!drawn_ || last_written_ != BarLine(position_, maximum_, status_, columns_)) Draw();
    std::fputs("\n", out_);
    drawn_ = false;
  } else if (status_ != last_written_) {
    std::fprintf(out_, "%s\n", status_.c_str());
    last_written_ = status_;
  }
  std::fflush(out_);
}

}  // namespace fotoloom::cli
