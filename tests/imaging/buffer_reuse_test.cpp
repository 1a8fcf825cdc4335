#include "imaging/buffer_reuse.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstring>
#include <thread>

#include "imaging/dib_graphic.h"

namespace fotoloom {
namespace {

long MinorFaults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

// One photo's life: created, every pixel written, freed.
void PhotoCycle(int width = 4000, int height = 3000) {
  TDibGraphic photo;
  photo.NewImage(width, height, ifColor16M, nullptr, 0, 0);
  std::memset(photo.Bits(), 0x5a, photo.ImageSize());
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define SKIP_UNDER_SANITIZER() GTEST_SKIP() << "the sanitizer's allocator has its own reuse rules"
#else
#define SKIP_UNDER_SANITIZER()
#endif

TEST(BufferReuseTest, SecondPhotoReusesTheFirstOnesMemory) {
  SKIP_UNDER_SANITIZER();
  ASSERT_TRUE(RetainFreedImageMemory());
  PhotoCycle();
  const long before = MinorFaults();
  PhotoCycle();
  // 36 MB mapped afresh would fault in about 8800 pages.
  EXPECT_LT(MinorFaults() - before, 200);
}

TEST(BufferReuseTest, PhotosOnOtherThreadsReuseItToo) {
  SKIP_UNDER_SANITIZER();
  ASSERT_TRUE(RetainFreedImageMemory());
  // 24 megapixels: more than a heap of glibc's own for one thread can hold.
  PhotoCycle(6000, 4000);
  const long before = MinorFaults();
  for (int t = 0; t < 2; ++t) std::thread([] { PhotoCycle(6000, 4000); }).join();
  // Each would fault in about 17600 pages afresh; a thread's stack takes a few.
  EXPECT_LT(MinorFaults() - before, 400);
}

}  // namespace
}  // namespace fotoloom
