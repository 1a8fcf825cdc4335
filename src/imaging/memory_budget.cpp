#include "imaging/memory_budget.h"

#include <algorithm>
#include <utility>

#include "imaging/buffer_reuse.h"

namespace fotoloom {

MemoryBudget::Reservation::Reservation(Reservation&& other) noexcept
    : budget_(std::exchange(other.budget_, nullptr)), bytes_(std::exchange(other.bytes_, 0)) {}

MemoryBudget::Reservation& MemoryBudget::Reservation::operator=(Reservation&& other) noexcept {
  if (this != &other) {
    if (budget_ != nullptr) budget_->Release(bytes_);
    budget_ = std::exchange(other.budget_, nullptr);
    bytes_ = std::exchange(other.bytes_, 0);
  }
  return *this;
}

MemoryBudget::Reservation::~Reservation() {
  if (budget_ != nullptr) budget_->Release(bytes_);
}

namespace {

// What the process holds before a run, the pixel memory an earlier run kept excepted: that is
// the budget's to give back.
std::uint64_t ResidentWithoutKept() {
  const std::uint64_t resident = ResidentBytes(), kept = KeptImageBytes();
  return resident > kept ? resident - kept : 0;
}

}  // namespace

MemoryBudget::MemoryBudget(std::uint64_t bytes)
    : bytes_(bytes), resident_at_start_(ResidentWithoutKept()) {}

MemoryBudget::Reservation MemoryBudget::Reserve(std::uint64_t bytes) {
  std::unique_lock<std::mutex> lock(mutex_);
  const std::uint64_t ticket = next_ticket_++;
  changed_.wait(lock, [&] {
    return ticket == serving_ && (held_ == 0 || (held_ <= bytes_ && bytes <= bytes_ - held_));
  });
  held_ += bytes;
  peak_ = std::max(peak_, held_);
  ++serving_;
  const std::uint64_t held = held_;
  lock.unlock();
  changed_.notify_all();  // the next in line may fit as well
  // What the last decodes left for reuse is resident too, and the reserved memory is about to
  // be: the kept memory goes back first when both would not fit. What the decodes in progress
  // have touched counts twice here, which only makes that happen sooner.
  const std::uint64_t resident = ResidentBytes();
  const std::uint64_t grown = resident > resident_at_start_ ? resident - resident_at_start_ : 0;
  if (held >= bytes_ || grown >= bytes_ - held) DropRetainedImageMemory();
  return Reservation(this, bytes);
}

void MemoryBudget::Release(std::uint64_t bytes) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    held_ -= bytes;
  }
  changed_.notify_all();
}

std::uint64_t MemoryBudget::peak() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return peak_;
}

}  // namespace fotoloom
