#include "imaging/buffer_reuse.h"

#include <cstdlib>  // defines __GLIBC__ on glibc systems

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace fotoloom {

bool RetainFreedImageMemory() {
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

}  // namespace fotoloom
