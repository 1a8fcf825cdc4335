// Helpers of the fuzz targets.
//
// The heap one fuzz input holds at its peak, counted through the sanitizer's allocation hooks.
// libFuzzer's own limits (-malloc_limit_mb, -rss_limit_mb) stop only allocations far past the
// image bound of a fuzzing build. Each target reads its input within a memory budget, as a run
// does: the reader reserves its figure (DecodeBytes) between the headers and the pixels, and
// this check makes any reader that then holds more than it reserved, by more than a reader's
// own bookkeeping, a finding: the budget of a run must cover what its decodes hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "imaging/decoded_pixels.h"
#include "imaging/dib_graphic.h"
#include "imaging/memory_budget.h"
#include "imaging/row_sink.h"

namespace fotoloom::fuzzing {

// What a reader may hold beyond the figure it reserved: its input buffers, tables and rows.
inline constexpr std::uint64_t kReaderSlack = std::uint64_t{16} << 20;

// Counts from construction; the destructor traps when the peak passed what the read reserved
// plus kReaderSlack.
class PeakHeapCheck {
 public:
  PeakHeapCheck();
  ~PeakHeapCheck();
  PeakHeapCheck(const PeakHeapCheck&) = delete;
  PeakHeapCheck& operator=(const PeakHeapCheck&) = delete;

  // The header handler to give the reader: reserves its figure from the targets' budget, and
  // allows it here, until this check ends.
  THeaderHandler Reserve();

 private:
  long long base_;
  MemoryBudget::Reservation reserved_;
};

// A file name of this process in a scratch folder (/dev/shm when there is one). The targets
// remove the file after each input, so only the file of an input that stopped them is left.
std::string ScratchFile(const std::string& name);

// Reads the input again with read, handing it a sink that takes the rows; traps when the read
// fails or the rows it hands over differ from whole, the same input read whole. A reader that
// declines the sink is left alone.
void CheckRowsMatch(const TDibGraphic& whole, const std::function<void(TRowSink*)>& read);

// Reads data with a library reader within the targets' memory budget (PeakHeapCheck), the
// last byte picking the background behind transparent pixels; false when the reader refused
// the input or memory ran out.
bool ReadWithLibrary(TLibraryGraphic& image, const std::uint8_t* data, std::size_t size);

}  // namespace fotoloom::fuzzing
