#include "fuzz_support.h"

#include <sanitizer/allocator_interface.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

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

namespace {

class RowRecorder : public TRowSink {
 public:
  explicit RowRecorder(const TDibGraphic& whole) : whole_(whole) {}
  bool Start(const TRowShape& shape) override {
    if (shape.width != whole_.Width() || shape.height != whole_.Height() ||
        shape.format != whole_.Format()) {
      __builtin_trap();
    }
    row_bytes_ = static_cast<std::size_t>(shape.width) * (shape.format == ifColor16M ? 3 : 1);
    rows_.assign(row_bytes_ * static_cast<std::size_t>(shape.height), 0);
    started_ = true;
    return true;
  }
  std::uint8_t* NextRow() override {
    if (done_ >= whole_.Height()) __builtin_trap();
    return rows_.data() + row_bytes_ * static_cast<std::size_t>(done_);
  }
  void RowDone() override { ++done_; }

  void Check() const {
    if (!started_) return;
    if (done_ != whole_.Height()) __builtin_trap();
    for (int y = 0; y < done_; ++y) {
      if (std::memcmp(rows_.data() + row_bytes_ * static_cast<std::size_t>(y), whole_.Row(y),
                      row_bytes_) != 0) {
        __builtin_trap();
      }
    }
  }

 private:
  const TDibGraphic& whole_;
  std::vector<std::uint8_t> rows_;
  std::size_t row_bytes_ = 0;
  int done_ = 0;
  bool started_ = false;
};

}  // namespace

void CheckRowsMatch(const TDibGraphic& whole, const std::function<void(TRowSink*)>& read) {
  RowRecorder recorder(whole);
  try {
    read(&recorder);
  } catch (...) {
    __builtin_trap();
  }
  recorder.Check();
}

bool ReadWithLibrary(TLibraryGraphic& image, const std::uint8_t* data, std::size_t size) {
  if (size > 0) image.BackgroundColor = MakeColor(data[size - 1], 0, 255);
  try {
    PeakHeapCheck check;
    image.LoadFromMemory(data, size, check.Reserve());
  } catch (const Error&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

}  // namespace fotoloom::fuzzing
