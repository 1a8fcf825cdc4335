#include "imaging/buffer_reuse.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>  // defines __GLIBC__ on glibc systems
#include <cstring>
#include <mutex>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace fotoloom {

namespace {

// AddressSanitizer watches the heap's blocks, not mappings: under it every pixel block stays
// on the heap, so an overrun of one is still caught.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMapLargeBlocks = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kMapLargeBlocks = false;
#else
constexpr bool kMapLargeBlocks = true;
#endif
#else
constexpr bool kMapLargeBlocks = true;
#endif

bool IsMapped(std::size_t size) { return kMapLargeBlocks && size >= kLargeImageBlock; }

// Set once by RetainFreedImageMemory: from then on freed pixel mappings are kept.
std::atomic<bool> g_keep_blocks{false};

// A kept block serves a request of at least this share of its size, so one panorama's
// mapping does not hold a small photo's few megabytes.
constexpr std::size_t kFitShare = 2;
// Kept blocks: enough for one freed photo per thumbnail worker of a large desktop.
constexpr std::size_t kKeptBlocks = 16;
constexpr std::size_t kKeptBytes = std::size_t{512} << 20;

struct Block {
  std::uint8_t* p;
  std::size_t length;  // of the mapping
};

std::mutex g_mutex;
std::vector<Block>& Kept() {
  static std::vector<Block> kept;  // oldest first
  return kept;
}
std::size_t g_kept_bytes = 0;

std::size_t PageSize() {
  static const std::size_t page = [] {
    const long size = sysconf(_SC_PAGESIZE);
    return size > 0 ? static_cast<std::size_t>(size) : std::size_t{4096};
  }();
  return page;
}

std::size_t MappingLength(std::size_t size) {
  const std::size_t page = PageSize();
  return (size + page - 1) / page * page;
}

// The kept block that fits size best, taken out of the list; nullopt-like {nullptr, 0}.
Block TakeKept(std::size_t length) {
  const std::lock_guard<std::mutex> lock(g_mutex);
  std::vector<Block>& kept = Kept();
  auto best = kept.end();
  for (auto it = kept.begin(); it != kept.end(); ++it)
    if (it->length >= length && it->length / kFitShare <= length &&
        (best == kept.end() || it->length < best->length))
      best = it;
  if (best == kept.end()) return {nullptr, 0};
  const Block block = *best;
  kept.erase(best);
  g_kept_bytes -= block.length;
  return block;
}

}  // namespace

std::uint64_t KeptImageBytes() {
  const std::lock_guard<std::mutex> lock(g_mutex);
  return g_kept_bytes;
}

std::uint64_t ResidentBytes() {
  // The second field of statm: resident pages. One short read, unlike the allocator's own
  // statistics, which walk every free block.
  const int fd = open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  char text[128];
  const ssize_t n = read(fd, text, sizeof text - 1);
  close(fd);
  if (n <= 0) return 0;
  text[n] = '\0';
  unsigned long long size = 0, resident = 0;
  if (std::sscanf(text, "%llu %llu", &size, &resident) != 2) return 0;
  return static_cast<std::uint64_t>(resident) * PageSize();
}

void DropRetainedImageMemory() {
  std::vector<Block> dropped;
  {
    const std::lock_guard<std::mutex> lock(g_mutex);
    dropped.swap(Kept());
    g_kept_bytes = 0;
  }
  for (const Block& block : dropped) munmap(block.p, block.length);
#if defined(__GLIBC__)
  malloc_trim(0);
#endif
}

bool RetainFreedImageMemory() {
  g_keep_blocks = true;
#if defined(__GLIBC__)
  constexpr int kTrimThreshold = 512 * 1024 * 1024;
  const bool no_mappings = mallopt(M_MMAP_MAX, 0) == 1;
  const bool late_trim = mallopt(M_TRIM_THRESHOLD, kTrimThreshold) == 1;
  const bool one_heap = mallopt(M_ARENA_MAX, 1) == 1;
  return no_mappings && late_trim && one_heap;
#else
  return true;
#endif
}

std::uint8_t* AllocateImageBlock(std::size_t size) {
  if (!IsMapped(size)) return static_cast<std::uint8_t*>(std::calloc(size == 0 ? 1 : size, 1));
  const std::size_t length = MappingLength(size);
  const Block kept = TakeKept(length);
  if (kept.p != nullptr) {
    // A block of the same length is the usual case (a folder of one camera's photos).
    if (kept.length != length) munmap(kept.p + length, kept.length - length);
    std::memset(kept.p, 0, size);
    return kept.p;
  }
  void* p = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return p == MAP_FAILED ? nullptr : static_cast<std::uint8_t*>(p);
}

void ReleaseImageBlock(std::uint8_t* p, std::size_t size) {
  if (p == nullptr) return;
  if (!IsMapped(size)) {
    std::free(p);
    return;
  }
  const std::size_t length = MappingLength(size);
  if (!g_keep_blocks.load()) {
    munmap(p, length);
    return;
  }
  std::vector<Block> dropped;
  {
    const std::lock_guard<std::mutex> lock(g_mutex);
    std::vector<Block>& kept = Kept();
    kept.push_back({p, length});
    g_kept_bytes += length;
    while (kept.size() > kKeptBlocks || g_kept_bytes > kKeptBytes) {
      dropped.push_back(kept.front());
      g_kept_bytes -= kept.front().length;
      kept.erase(kept.begin());
    }
  }
  for (const Block& block : dropped) munmap(block.p, block.length);
}

}  // namespace fotoloom
