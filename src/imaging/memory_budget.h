// The memory that the decodes of one run may hold at once, shared by every thread that decodes.
//
// A decode reserves what it will hold (Reserve) once the image's headers are read and before
// any of its pixels are, and gives it back when its pictures are made (the Reservation ends).
// A reservation waits while the rest of the budget is short; one larger than the whole budget
// waits until nothing else is held and then runs alone. Reservations are granted in the order
// they were asked for, so a large image is never passed over by the smaller ones behind it.
// Memory the process keeps for reuse after a decode (buffer_reuse.h) counts against the
// budget too: when what the process has grown by since the budget was made, with what is now
// reserved, would pass the budget, that memory is given back to the system first. (With
// RetainFreedImageMemory, as the programs start, all of it can be; without, each thread's own
// heap may keep the free memory at its top.)
//
// A holder of a reservation must not wait for another one: the budget cannot then deadlock,
// since every holder finishes and releases.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "imaging/dib_graphic.h"

namespace fotoloom {

// One and a half times the largest image a decode may hold, whatever the number of threads:
// the largest image always fits, and ordinary photos (tens of megabytes each) fit beside it.
inline constexpr std::uint64_t kDefaultMemoryBudget = std::uint64_t{kMaxImageBytes} / 2 * 3;

class MemoryBudget {
 public:
  class Reservation {
   public:
    Reservation() = default;  // holds nothing
    Reservation(Reservation&& other) noexcept;
    Reservation& operator=(Reservation&& other) noexcept;
    ~Reservation();

    std::uint64_t bytes() const { return bytes_; }

   private:
    friend class MemoryBudget;
    Reservation(MemoryBudget* budget, std::uint64_t bytes) : budget_(budget), bytes_(bytes) {}
    MemoryBudget* budget_ = nullptr;
    std::uint64_t bytes_ = 0;
  };

  explicit MemoryBudget(std::uint64_t bytes = kDefaultMemoryBudget);
  // REQUIRES: no reservation outlives the budget.
  ~MemoryBudget() = default;
  MemoryBudget(const MemoryBudget&) = delete;
  MemoryBudget& operator=(const MemoryBudget&) = delete;

  // Waits for its turn and until bytes fit beside what the others hold (or nothing else is
  // held), then holds them until the returned reservation ends. Never throws but for a failure
  // of the system's locks.
  Reservation Reserve(std::uint64_t bytes);

  std::uint64_t bytes() const { return bytes_; }
  // The most that was held at once so far.
  std::uint64_t peak() const;

 private:
  void Release(std::uint64_t bytes);

  const std::uint64_t bytes_;
  const std::uint64_t resident_at_start_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::uint64_t held_ = 0;
  std::uint64_t peak_ = 0;
  std::uint64_t next_ticket_ = 0;  // handed to the next caller of Reserve
  std::uint64_t serving_ = 0;      // the ticket whose turn it is
};

}  // namespace fotoloom
