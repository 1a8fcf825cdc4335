// The size a JPEG declares, read from its frame header.
#include "imaging/jpeg_frame_size.h"

#include <gtest/gtest.h>

#include <string>

#include "link_check.h"
#include "test_images.h"

namespace fotoloom {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) bytes += static_cast<char>(v);
  return bytes;
}

TEST(JpegFrameSize, WalksTheSegmentsToTheFrameHeader) {
  char path[] = "/tmp/fotoloom-frame-XXXXXX";
  const int fd = ::mkstemp(path);
  ASSERT_GE(fd, 0);
  ::close(fd);
  testing::WriteJpeg(path, 37, 21);
  const std::string real = testing::ReadWholeFile(path);
  ::unlink(path);

  const std::string soi = Bytes({0xFF, 0xD8});
  // A progressive frame of 2 x 3 pixels.
  const std::string frame = Bytes({0xFF, 0xC2, 0x00, 0x0B, 0x08, 0x00, 0x03, 0x00, 0x02, 0x01,
                                   0x01, 0x11, 0x00});
  // A segment whose payload looks like a frame header, and a Huffman table (0xC4, in the frame
  // markers' range).
  const std::string app = Bytes({0xFF, 0xE1, 0x00, 0x0A, 0xFF, 0xC0, 0x00, 0x11, 0x08, 0x00, 0x05,
                                 0x00});
  const std::string dht = Bytes({0xFF, 0xC4, 0x00, 0x04, 0x00, 0x00});
  struct Case {
    const char* what;
    std::string bytes;
    int width, height;
  };
  const Case cases[] = {
      {"written by libjpeg", real, 37, 21},
      {"after other segments", soi + app + dht + frame, 2, 3},
      {"after fill bytes", soi + Bytes({0xFF}) + frame, 2, 3},
      {"no JPEG", "GIF89a......", 0, 0},
      {"only the start", soi, 0, 0},
      {"the frame cut short", soi + frame.substr(0, 7), 0, 0},
      {"a scan before any frame", soi + Bytes({0xFF, 0xDA, 0x00, 0x02}) + frame, 0, 0},
      {"zero width", soi + Bytes({0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x03, 0x00, 0x00}), 0, 0},
      {"a segment longer than the file", soi + Bytes({0xFF, 0xE0, 0xFF, 0xFF, 0x00}), 0, 0},
      {"garbage between segments", soi + Bytes({0x12}) + frame, 0, 0},
  };
  for (const Case& c : cases) {
    const FrameSize size = JpegFrameSize(c.bytes);
    EXPECT_EQ(size.width, c.width) << c.what;
    EXPECT_EQ(size.height, c.height) << c.what;
  }
}

}  // namespace
}  // namespace fotoloom
