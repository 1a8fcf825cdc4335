#include "imaging/buffer_reuse.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstring>

#include "imaging/dib_graphic.h"

namespace fotoloom {
namespace {

long MinorFaults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

// One photo's life: created, every pixel written, freed.
void PhotoCycle() {
  TDibGraphic photo;
  photo.NewImage(4000, 3000, ifColor16M, nullptr, 0, 0);
  std::memset(photo.Bits(), 0x5a, photo.ImageSize());
}

TEST(BufferReuseTest, SecondPhotoReusesTheFirstOnesMemory) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's allocator has its own reuse rules";
#else
  ASSERT_TRUE(RetainFreedImageMemory());
  PhotoCycle();
  const long before = MinorFaults();
  PhotoCycle();
  // 36 MB mapped afresh would fault in about 8800 pages.
  EXPECT_LT(MinorFaults() - before, 200);
#endif
}

}  // namespace
}  // namespace fotoloom
