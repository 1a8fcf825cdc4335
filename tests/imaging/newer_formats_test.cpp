// The HEIF, AVIF, WebP and TIFF readers against the pictures their sample files were encoded
// from (tests/data/samples, made at build time).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image_test_util.h"
#include "imaging/exif_orientation.h"
#include "imaging/jpeg_graphic.h"
#include "imaging/picture_loader.h"
#include "imaging/thumbnails.h"
#include "imaging/webp_graphic.h"

namespace fotoloom {
namespace {

namespace fs = std::filesystem;

std::string Sample(const std::string& name) {
  return std::string(FOTOLOOM_SAMPLES_DIR) + "/" + name;
}

// A source picture as the image model holds it, alpha composited onto black as the readers do.
std::unique_ptr<TDibGraphic> Reference(const std::string& source) {
  auto image = std::make_unique<TDibGraphic>();
  if (source.ends_with(".jpg")) {
    TJpegGraphic jpeg;  // the pixels as stored: its EXIF orientation is left to the test
    jpeg.LoadFromFile(Sample(source));
    image->Assign(&jpeg);
    return image;
  }
  const testing::RefImage ref =
      testing::DecodeWithSimplifiedApi(testing::ReadBytes(Sample(source)), 4);
  image->NewImage(ref.width, ref.height, ifColor16M, nullptr, 0, 0);
  for (int y = 0; y < ref.height; ++y) {
    for (int x = 0; x < ref.width; ++x) {
      const std::uint8_t* p = ref.At(x, y);
      std::uint8_t* out = image->Row(y) + 3 * x;
      for (int c = 0; c < 3; ++c) out[2 - c] = static_cast<std::uint8_t>((p[c] * p[3] + 127) / 255);
    }
  }
  return image;
}

double MeanDifference(const TDibGraphic& a, const TDibGraphic& b) {
  double sum = 0;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      int p[3], q[3];
      testing::PixelRgb(a, x, y, p);
      testing::PixelRgb(b, x, y, q);
      for (int c = 0; c < 3; ++c) sum += std::abs(p[c] - q[c]);
    }
  }
  return sum / (3.0 * a.Width() * a.Height());
}

// Each sample decodes to its source picture: in the format stated, reporting the orientation
// stated (turned upright, it matches the source turned by `turn`), and its thumbnail carries
// none of the file's metadata (a JPEG's too).
TEST(NewerFormatsTest, EverySampleDecodesToItsSource) {
  struct Case {
    const char* sample;
    const char* source;
    TImageFormat format;
    int orientation;  // what the reader reports
    int turn;         // what turns the source as the sample stands upright
  };
  const Case cases[] = {
      {"rgb.heic", "src-rgb.png", ifColor16M, 1, 1},
      {"gray.heic", "src-gray.png", ifColor16M, 1, 1},
      {"alpha.heic", "src-alpha.png", ifColor16M, 1, 1},
      {"deep.heic", "src-rgb.png", ifColor16M, 1, 1},     // its 16-bit source's high bytes
      {"rotated.heic", "src-rgb.png", ifColor16M, 1, 6},  // irot and imir, applied by libheif
      {"exif6.heic", "src-rot6.jpg", ifColor16M, 1, 1},   // its EXIF orientation is not applied
      {"rgb.avif", "src-rgb.png", ifColor16M, 1, 1},
      {"gray.avif", "src-gray.png", ifColor16M, 1, 1},
      {"alpha.avif", "src-alpha.png", ifColor16M, 1, 1},
      {"deep.avif", "src-rgb.png", ifColor16M, 1, 1},
      {"rotated.avif", "src-rgb.png", ifColor16M, 1, 6},
      {"exif6.avif", "src-rot6.jpg", ifColor16M, 1, 1},
      {"rgb.webp", "src-rgb.png", ifColor16M, 1, 1},
      {"gray.webp", "src-gray.png", ifColor16M, 1, 1},
      {"alpha.webp", "src-alpha.png", ifColor16M, 1, 1},
      {"animated.webp", "src-rgb.png", ifColor16M, 1, 1},  // the first frame
      {"rgb.tif", "src-rgb.png", ifColor16M, 1, 1},
      {"gray.tif", "src-gray.png", ifGray256, 1, 1},
      {"alpha.tif", "src-alpha.png", ifColor16M, 1, 1},
      {"deep.tif", "src-rgb.png", ifColor16M, 1, 1},
      {"oriented.tif", "src-rgb.png", ifColor16M, 6, 6},
      {"multipage.tif", "src-rgb.png", ifColor16M, 1, 1},  // the first page
      {"src-rot6.jpg", "src-rot6.jpg", ifColor16M, 6, 6},  // its EXIF holds a GPS position
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sample);
    std::unique_ptr<TDibGraphic> image;
    ASSERT_NO_THROW(image = LoadPicture(Sample(c.sample)));
    EXPECT_EQ(image->Format(), c.format);
    EXPECT_EQ(image->Orientation(), c.orientation);
    ApplyExifOrientation(*image, image->Orientation());
    const std::unique_ptr<TDibGraphic> source = Reference(c.source);
    ApplyExifOrientation(*source, c.turn);
    ASSERT_EQ(image->Width(), source->Width());
    ASSERT_EQ(image->Height(), source->Height());
    EXPECT_LT(MeanDifference(*image, *source), 2.0);

    const std::optional<std::string> thumb = EncodeThumbnail(Sample(c.sample), 48, 48);
    ASSERT_TRUE(thumb.has_value());
    // No APP1 segment (EXIF, XMP) nor any trace of one.
    EXPECT_EQ(thumb->find("\xFF\xE1"), std::string::npos);
    EXPECT_EQ(thumb->find("Exif"), std::string::npos);
  }
}

// What a WebP's header reserves covers libwebp's own whole-image buffer of a lossless image,
// four bytes a pixel, beside the image itself (fuzz/regressions/webp/).
TEST(NewerFormatsTest, ALosslessWebPReservesTheDecodersPixels) {
  const std::vector<std::uint8_t> lossless =
      testing::ReadBytes(std::string(FOTOLOOM_SOURCE_DIR) +
                         "/fuzz/regressions/webp/crash-e0f6d254bbf67f54a1d4069cfd2c2473240c0aaa");
  TImageHeader seen;
  TWebPGraphic webp;
  try {
    webp.LoadFromMemory(lossless.data(), lossless.size(),
                        [&](const TImageHeader& header) { seen = header; });
  } catch (const Error&) {
    // Decoded or refused: only the reservation is checked here.
  }
  const std::uint64_t pixels = std::uint64_t(seen.width) * seen.height;
  ASSERT_GT(pixels, 1000000u);
  EXPECT_GE(seen.otherBytes, 4 * pixels);
}

// A truncated file of each format, or one with a damaged header, is a reader's error, never a crash
// or a hang, and gives no thumbnail.
TEST(NewerFormatsTest, DamagedFilesAreRefused) {
  const std::string dir = testing::MakeTempDir();
  for (const char* name : {"rgb.heic", "rgb.avif", "alpha.webp", "animated.webp", "rgb.tif"}) {
    std::vector<std::uint8_t> bytes = testing::ReadBytes(Sample(name));
    const std::string ext = fs::path(name).extension().string();
    std::vector<std::uint8_t> truncated(bytes.begin(), bytes.begin() + bytes.size() / 2);
    std::vector<std::uint8_t> corrupt = bytes;
    // The container's first box or chunk, or the TIFF header's directory offset.
    for (std::size_t i = 4; i < 24; ++i) corrupt[i] ^= 0x5A;
    for (const auto& [kind, content] : {std::pair{"truncated", truncated}, {"corrupt", corrupt}}) {
      SCOPED_TRACE(std::string(name) + " " + kind);
      const std::string path = dir + "/" + kind + ext;
      {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(content.data(), 1, content.size(), f);
        std::fclose(f);
      }
      EXPECT_THROW(LoadPicture(path), Error);
      EXPECT_FALSE(EncodeThumbnail(path, 48, 48).has_value());
    }
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace fotoloom
