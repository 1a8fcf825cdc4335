#include "generation/thumbnail_pool.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <utility>

namespace fotoloom {

namespace {

// How often a waiting writer lets the front end repaint and notice a cancel.
constexpr std::chrono::milliseconds kPumpInterval{10};

}  // namespace

ThumbnailPool::ThumbnailPool(std::vector<ThumbnailJob> jobs, int workers, ThumbnailCache* cache,
                             MemoryBudget* budget)
    : jobs_(std::move(jobs)), cache_(cache), budget_(budget) {
  const int count = static_cast<int>(std::min<std::size_t>(std::max(workers, 0), jobs_.size()));
  if (count < 2) return;
  slots_.resize(2 * static_cast<std::size_t>(count));
  for (int t = 0; t < count; ++t) {
    try {
      threads_.emplace_back(&ThumbnailPool::Work, this);
    } catch (const std::system_error&) {
      break;  // no more threads to be had: the ones running are enough
    }
  }
}

ThumbnailPool::~ThumbnailPool() {
  Stop();
  for (std::thread& thread : threads_) thread.join();
}

void ThumbnailPool::Stop() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
  }
  may_start_.notify_all();
}

void ThumbnailPool::Work() {
  const int count = static_cast<int>(jobs_.size());
  const int window = static_cast<int>(slots_.size());
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    may_start_.wait(lock, [&] { return stopped_ || next_ >= count || next_ < wanted_ + window; });
    if (stopped_ || next_ >= count) return;
    const int item = next_++;
    lock.unlock();
    ThumbnailResult result =
        MakeThumbnailResult(jobs_[static_cast<std::size_t>(item)], cache_, budget_);
    lock.lock();
    if (item < wanted_) continue;  // passed over while it was made
    Slot& slot = SlotOf(item);
    slot.item = item;
    slot.done = true;
    slot.result = std::move(result);
    finished_.notify_one();
  }
}

ThumbnailResult ThumbnailPool::Take(int i, const std::function<bool()>& keep_going) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (i > wanted_) {
    wanted_ = i;
    next_ = std::max(next_, i);
    may_start_.notify_all();
  }
  for (;;) {
    if (threads_.empty() || (stopped_ && next_ <= i)) {
      // No worker has it or will start it.
      next_ = wanted_ = i + 1;
      lock.unlock();
      return MakeThumbnailResult(jobs_[static_cast<std::size_t>(i)], cache_, budget_);
    }
    Slot& slot = SlotOf(i);
    if (finished_.wait_for(lock, kPumpInterval, [&] { return slot.done && slot.item == i; })) {
      ThumbnailResult result = std::move(slot.result);
      slot = Slot{};
      wanted_ = i + 1;
      lock.unlock();
      may_start_.notify_one();
      return result;
    }
    lock.unlock();
    if (!keep_going()) Stop();
    lock.lock();
  }
}

}  // namespace fotoloom
