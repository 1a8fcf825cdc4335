// The EXIF fields of a photo, found in each format that keeps them, and the date taken.
#include "imaging/exif_fields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image_test_util.h"

namespace fotoloom {
namespace {

std::string Sample(const std::string& name) {
  return std::string(FOTOLOOM_SAMPLES_DIR) + "/" + name;
}

PackedTime Packed(int y, int mo, int d, int h, int mi, int s) {
  return *PackLocalTime(y, mo, d, h, mi, s);
}

// The sample JPEG's EXIF, as the JPEG and the files encoded from it carry it; a TIFF's own tags;
// nothing for a file without EXIF or a format that keeps none here.
TEST(ExifFieldsTest, EveryFormatsExifIsFound) {
  struct Case {
    const char* file;
    bool found;
    const char* make;
    std::optional<PackedTime> taken;
  };
  const PackedTime camera = Packed(2019, 6, 7, 8, 9, 10);
  const Case cases[] = {
      {"src-rot6.jpg", true, "Fotoloom", camera},
      {"exif6.heic", true, "Fotoloom", camera},
      {"exif6.avif", true, "Fotoloom", camera},
      {"exif.webp", true, "Fotoloom", camera},
      {"dated.tif", true, "Scanner & Co", Packed(2018, 3, 4, 5, 6, 7)},  // DateTime only
      {"rgb.heic", false, "", std::nullopt},
      {"rgb.webp", false, "", std::nullopt},
      {"src-rgb.png", false, "", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::optional<ExifFields> exif = ReadPhotoExif(Sample(c.file));
    ASSERT_EQ(exif.has_value(), c.found);
    if (!exif) continue;
    EXPECT_EQ(exif->make, c.make);
    EXPECT_EQ(DateTaken(*exif), c.taken);
  }
  const ExifFields full = *ReadPhotoExif(Sample("exif6.heic"));
  EXPECT_EQ(full.model, "Test <Camera>");
  EXPECT_EQ(full.lens, "Fifty & Co");
  EXPECT_EQ(full.exposure_time, (Rational{1, 250}));
  EXPECT_EQ(full.f_number, (Rational{28, 10}));
  EXPECT_EQ(full.focal_length, (Rational{50, 1}));
  EXPECT_EQ(full.iso, 200u);
}

// DateTimeOriginal, else DateTimeDigitized, else DateTime: the first valid one; dates before
// 1980 clamp to the first packable time.
TEST(ExifFieldsTest, TheDateTakenIsTheFirstValidDate) {
  struct Case {
    const char *original, *digitized, *date_time;
    std::optional<PackedTime> taken;
  };
  const Case cases[] = {
      {"2021:07:08 09:10:11", "2000:01:01 00:00:00", "", Packed(2021, 7, 8, 9, 10, 11)},
      {"0000:00:00 00:00:00", "2000:01:01 00:00:00", "", Packed(2000, 1, 1, 0, 0, 0)},
      {"2019:02:29 10:00:00", "", "2020:02:29 23:59:59", Packed(2020, 2, 29, 23, 59, 59)},
      {"2019:01:01 24:00:00", "2019-01-01 10:00:00", "2019:01:01 10:00", std::nullopt},
      {"1975:05:06 07:08:09", "", "", Packed(1980, 1, 1, 0, 0, 0)},
      {"", "", "", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.original);
    ExifFields fields;
    fields.date_original = c.original;
    fields.date_digitized = c.digitized;
    fields.date_time = c.date_time;
    EXPECT_EQ(DateTaken(fields), c.taken);
  }
}

// Every cut of a real block is read without reading past the cut (the sanitizers watch), and
// what a cut leaves whole is still found.
TEST(ExifFieldsTest, CutBlocksAreReadWithinTheirBounds) {
  const std::vector<std::uint8_t> jpeg = testing::ReadBytes(Sample("src-rot6.jpg"));
  // The APP1 segment: its length, "Exif\0\0", the TIFF block.
  const std::string text(jpeg.begin(), jpeg.end());
  const std::size_t exif = text.find(std::string("Exif\0\0", 6));
  ASSERT_NE(exif, std::string::npos);
  const std::size_t length = (std::size_t{jpeg[exif - 2]} << 8) | jpeg[exif - 1];
  const std::vector<std::uint8_t> block(jpeg.begin() + exif + 6, jpeg.begin() + exif - 2 + length);
  for (std::size_t n = 0; n <= block.size(); ++n) {
    const std::vector<std::uint8_t> cut(block.begin(), block.begin() + n);
    const ExifFields fields = ReadExifFields(cut.data(), cut.size());
    if (n == block.size()) {
      EXPECT_EQ(fields.lens, "Fifty & Co");
    }
  }
}

}  // namespace
}  // namespace fotoloom
