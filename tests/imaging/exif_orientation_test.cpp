#include "imaging/exif_orientation.h"

#include <gtest/gtest.h>

#include <cstring>

#include "image_test_util.h"
#include "imaging/jpeg_graphic.h"

namespace fotoloom {
namespace {

// An APP1 payload whose first IFD holds a Make entry and then the orientation.
std::vector<std::uint8_t> App1(bool bigEndian, std::uint16_t type, std::uint32_t value,
                               std::uint16_t entries = 2) {
  std::vector<std::uint8_t> out = {'E', 'x', 'i', 'f', 0, 0};
  auto put = [&](std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
      const int shift = 8 * (bigEndian ? bytes - 1 - i : i);
      out.push_back(static_cast<std::uint8_t>(v >> shift));
    }
  };
  out.push_back(bigEndian ? 'M' : 'I');
  out.push_back(bigEndian ? 'M' : 'I');
  put(42, 2);
  put(8, 4);
  put(entries, 2);
  put(0x010F, 2), put(2, 2), put(4, 4), put(0, 4);  // Make
  put(0x0112, 2), put(type, 2), put(1, 4);
  if (type == 3) {
    put(value, 2), put(0, 2);
  } else {
    put(value, 4);
  }
  put(0, 4);  // no next IFD
  return out;
}

int Parse(const std::vector<std::uint8_t>& payload) {
  return ExifOrientationFromApp1(payload.data(), payload.size());
}

TEST(ExifOrientationTest, ReadsTheTagInBothByteOrders) {
  for (bool big : {false, true}) {
    for (std::uint32_t v = 1; v <= 8; ++v) {
      EXPECT_EQ(Parse(App1(big, 3, v)), static_cast<int>(v)) << big << v;
    }
    EXPECT_EQ(Parse(App1(big, 4, 6)), 6);  // written as LONG by some cameras
    EXPECT_EQ(Parse(App1(big, 3, 0)), 1);  // out of range values mean upright
    EXPECT_EQ(Parse(App1(big, 3, 9)), 1);
    EXPECT_EQ(Parse(App1(big, 2, 6)), 1);     // ASCII is not an orientation
    EXPECT_EQ(Parse(App1(big, 3, 6, 1)), 1);  // the entry count stops before the tag
  }
  std::vector<std::uint8_t> notExif = App1(false, 3, 6);
  notExif[0] = 'X';
  EXPECT_EQ(Parse(notExif), 1);
  std::vector<std::uint8_t> badOrder = App1(false, 3, 6);
  badOrder[6] = 'M';  // "MI"
  EXPECT_EQ(Parse(badOrder), 1);
  EXPECT_EQ(ExifOrientationFromApp1(nullptr, 0), 1);
}

TEST(ExifOrientationTest, MalformedPayloadsAreIgnoredWithinTheirBounds) {
  const std::vector<std::uint8_t> good = App1(true, 3, 8);
  // Every truncation: the tag is found only when its bytes are all present. Copies of exact
  // size let the sanitizer build catch any read past the end.
  for (std::size_t n = 0; n < good.size(); ++n) {
    std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<long>(n));
    const int orientation = ExifOrientationFromApp1(cut.data(), cut.size());
    EXPECT_EQ(orientation, n >= 6 + 8 + 2 + 24 ? 8 : 1) << n;
  }
  std::vector<std::uint8_t> farIfd = good;
  farIfd[10 + 0] = 0x7F;  // IFD offset far beyond the data
  EXPECT_EQ(Parse(farIfd), 1);
  std::vector<std::uint8_t> manyEntries = good;
  manyEntries[14] = 0xFF;  // 65535 entries claimed, two present
  manyEntries[15] = 0xFF;
  EXPECT_EQ(Parse(manyEntries), 8);
}

// A 3 x 2 image whose pixels name their own position.
void FillPositions(TDibGraphic& image) {
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) image.SetColor(x, y, MakeColor(x, y, 7));
  }
}

TEST(ExifOrientationTest, EachOrientationTurnsTheImageUpright) {
  // Stored pixel at (sx, sy) must end where the orientation says; corners suffice.
  struct Case {
    int orientation;
    int width, height;
    int topLeft[2], topRight[2], bottomLeft[2];  // source positions shown there
  } cases[] = {
      {1, 3, 2, {0, 0}, {2, 0}, {0, 1}}, {2, 3, 2, {2, 0}, {0, 0}, {2, 1}},
      {3, 3, 2, {2, 1}, {0, 1}, {2, 0}}, {4, 3, 2, {0, 1}, {2, 1}, {0, 0}},
      {5, 2, 3, {0, 0}, {0, 1}, {2, 0}}, {6, 2, 3, {0, 1}, {0, 0}, {2, 1}},
      {7, 2, 3, {2, 1}, {2, 0}, {0, 1}}, {8, 2, 3, {2, 0}, {2, 1}, {0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.orientation);
    TDibGraphic image;
    image.NewImage(3, 2, ifColor16M, nullptr, 0, 0);
    image.SetPixelsPerMeter(1000, 2000);
    FillPositions(image);
    ApplyExifOrientation(image, c.orientation);
    ASSERT_EQ(image.Width(), c.width);
    ASSERT_EQ(image.Height(), c.height);
    auto at = [](const int p[2]) { return MakeColor(p[0], p[1], 7); };
    EXPECT_EQ(image.GetColor(0, 0), at(c.topLeft));
    EXPECT_EQ(image.GetColor(c.width - 1, 0), at(c.topRight));
    EXPECT_EQ(image.GetColor(0, c.height - 1), at(c.bottomLeft));
    EXPECT_EQ(image.XPixelsPerMeter(), c.orientation >= 5 ? 2000 : 1000);
  }

  TDibGraphic gray;
  gray.NewImage(3, 1, ifGray256, nullptr, 0, 0);
  gray.SetIndex(0, 0, 10);
  ApplyExifOrientation(gray, 6);
  EXPECT_EQ(gray.Format(), ifGray256);
  EXPECT_EQ(gray.Width(), 1);
  EXPECT_EQ(gray.GetIndex(0, 0), 10);
  TDibGraphic bw;
  bw.NewImage(9, 1, ifBlackWhite, nullptr, 0, 0);
  bw.SetIndex(8, 0, 1);
  ApplyExifOrientation(bw, 2);
  EXPECT_EQ(bw.Format(), ifColor16M);  // packed pixels are widened first
  EXPECT_EQ(bw.GetColor(0, 0), MakeColor(255, 255, 255));
  const std::uint8_t* before = bw.Bits();
  ApplyExifOrientation(bw, 0);
  ApplyExifOrientation(bw, 9);
  EXPECT_EQ(bw.Bits(), before);
}

// Mean difference over a coarse grid; differently coded photos of one scene stay close.
double MeanDifference(const TDibGraphic& a, const TDibGraphic& b) {
  long long total = 0, count = 0;
  for (int y = 0; y < a.Height(); y += 7) {
    for (int x = 0; x < a.Width(); x += 7) {
      int p[3], q[3];
      testing::PixelRgb(a, x, y, p);
      testing::PixelRgb(b, x, y, q);
      for (int c = 0; c < 3; ++c) total += std::abs(p[c] - q[c]);
      count += 3;
    }
  }
  return static_cast<double>(total) / static_cast<double>(count);
}

TEST(ExifOrientationTest, SamplePhotosAllLookLikeTheUprightOne) {
  for (const char* kind : {"Landscape", "Portrait"}) {
    const std::string base = testing::TestData("jpeg/exif-orientation/") + kind + "_";
    TJpegGraphic upright;
    upright.LoadFromFile(base + "1.jpg");
    for (int n = 0; n <= 8; ++n) {
      SCOPED_TRACE(std::string(kind) + std::to_string(n));
      TJpegGraphic photo;
      photo.LoadFromFile(base + std::to_string(n) + ".jpg");
      EXPECT_EQ(photo.Orientation(), n == 0 ? 1 : n);
      TDibGraphic unturned;
      unturned.Assign(&photo);
      ApplyExifOrientation(photo, photo.Orientation());
      ASSERT_EQ(photo.Width(), upright.Width());
      ASSERT_EQ(photo.Height(), upright.Height());
      const double turned = MeanDifference(photo, upright);
      EXPECT_LT(turned, 6.0);
      if (n >= 2 && n <= 4) {
        EXPECT_GT(MeanDifference(unturned, upright), 3 * turned);  // the test can tell
      }
    }
  }
}

}  // namespace
}  // namespace fotoloom
