// Helpers of the fuzz targets.
//
// The heap one fuzz input holds at its peak, counted through the sanitizer's allocation hooks.
// libFuzzer's own limits (-malloc_limit_mb, -rss_limit_mb) stop only allocations far past the
// image bound of a fuzzing build; this check makes any reader that holds more than 1.5 times
// that bound at once a finding, as the catalog's memory rule demands.
#pragma once

#include <cstddef>
#include <string>

namespace fotoloom::fuzzing {

// Counts from construction; the destructor traps when the peak passed the limit.
class PeakHeapCheck {
 public:
  PeakHeapCheck();
  ~PeakHeapCheck();
  PeakHeapCheck(const PeakHeapCheck&) = delete;
  PeakHeapCheck& operator=(const PeakHeapCheck&) = delete;

 private:
  long long base_;
};

// A file name of this process in a scratch folder (/dev/shm when there is one). The targets
// remove the file after each input, so only the file of an input that stopped them is left.
std::string ScratchFile(const std::string& name);

}  // namespace fotoloom::fuzzing
