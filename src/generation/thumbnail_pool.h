// Worker threads that make a run's thumbnails ahead of the page writer.
//
// Workers take the jobs in item order, never more than a window of twice the worker count ahead
// of the item the writer takes next: each worker decodes one source image at a time, and at
// most a window of results waits for the writer. Every decode, the writer's own included,
// reserves its memory from one budget, so large images wait for each other instead of adding
// up; only the overlap changes, never a result. The writer takes the results in item order
// (Take) and does everything else itself: the workers touch neither the file system's outputs
// nor the front end nor any process-wide setting. Destroying the pool stops it and joins every
// worker, whatever ended the run; work not yet started is dropped, work in progress is
// finished first (a decode cannot be interrupted) and thrown away.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "generation/thumbnail_cache.h"
#include "generation/thumbnail_job.h"

namespace fotoloom {

class ThumbnailPool {
 public:
  // Starts min(workers, jobs.size()) threads. Fewer than 2 start none: Take then makes each
  // item itself, on the caller's thread, one after the other. Results come from cache when it
  // holds them and are kept there (nullptr: no cache); decodes reserve their memory from budget
  // (nullptr: none). Both must outlive the pool.
  ThumbnailPool(std::vector<ThumbnailJob> jobs, int workers, ThumbnailCache* cache = nullptr,
                MemoryBudget* budget = nullptr);
  ~ThumbnailPool();
  ThumbnailPool(const ThumbnailPool&) = delete;
  ThumbnailPool& operator=(const ThumbnailPool&) = delete;

  // Item i's result. REQUIRES: 0 <= i < the number of jobs, and i larger than at the previous
  // call; items passed over are dropped. While it waits for a worker it calls keep_going every
  // few milliseconds; once that answers false the pool stops (Stop) and Take still returns
  // item i, made here when no worker had started it.
  ThumbnailResult Take(int i, const std::function<bool()>& keep_going);

  // From now on no worker starts another item. Items in progress are finished, and kept for
  // Take.
  void Stop();

  // The threads started; 0 when Take makes every item itself.
  int workers() const { return static_cast<int>(threads_.size()); }

 private:
  struct Slot {
    int item = -1;
    bool done = false;
    ThumbnailResult result;
  };

  void Work();
  Slot& SlotOf(int item) { return slots_[static_cast<std::size_t>(item) % slots_.size()]; }

  const std::vector<ThumbnailJob> jobs_;
  ThumbnailCache* const cache_;
  MemoryBudget* const budget_;
  std::mutex mutex_;
  std::condition_variable may_start_;  // a worker may start an item, or the pool stopped
  std::condition_variable finished_;   // a worker stored a result
  std::vector<Slot> slots_;            // the window: item j in slot j % window
  int next_ = 0;                       // the first item no one has started
  int wanted_ = 0;                     // the first item the writer has not taken
  bool stopped_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace fotoloom
