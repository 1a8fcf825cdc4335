#include "fuzz_support.h"

#include <sanitizer/allocator_interface.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "imaging/dib_graphic.h"

namespace fotoloom::fuzzing {

namespace {

std::atomic<long long> g_live{0};
std::atomic<long long> g_peak{0};

void OnMalloc(const volatile void*, std::size_t size) {
  const long long live = g_live += static_cast<long long>(size);
  long long peak = g_peak.load();
  while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {
  }
}

void OnFree(const volatile void* p) {
  const void* block = const_cast<const void*>(p);
  if (block != nullptr && __sanitizer_get_ownership(block)) {
    g_live -= static_cast<long long>(__sanitizer_get_allocated_size(block));
  }
}

const bool g_installed = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;

MemoryBudget& Budget() {
  static MemoryBudget budget;
  return budget;
}

}  // namespace

PeakHeapCheck::PeakHeapCheck() : base_(g_live.load()) { g_peak = base_; }

PeakHeapCheck::~PeakHeapCheck() {
  const long long held = g_peak.load() - base_;
  const auto allowed = static_cast<long long>(reserved_.bytes() + kReaderSlack);
  if (g_installed && held > allowed) {
    std::fprintf(stderr,
                 "peak heap of one input: %lld bytes, more than the %llu it reserved and the "
                 "reader's %llu\n",
                 held, static_cast<unsigned long long>(reserved_.bytes()),
                 static_cast<unsigned long long>(kReaderSlack));
    __builtin_trap();
  }
}

THeaderHandler PeakHeapCheck::Reserve() {
  return [this](const TImageHeader& header) { reserved_ = Budget().Reserve(DecodeBytes(header)); };
}

std::string ScratchFile(const std::string& name) {
  const char* dir = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : std::getenv("TMPDIR");
  return std::string(dir != nullptr ? dir : "/tmp") + "/fotoloom-fuzz-" +
         std::to_string(::getpid()) + "-" + name;
}

}  // namespace fotoloom::fuzzing
