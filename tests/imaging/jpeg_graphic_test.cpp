#include "imaging/jpeg_graphic.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <set>
#include <sstream>

#include "image_test_util.h"

namespace fotoloom {
namespace {

using testing::FilesUnder;
using testing::ReadBytes;
using testing::ReadList;
using testing::TestData;

const std::string kSuite = TestData("jpeg");

std::unique_ptr<TJpegGraphic> Load(const std::vector<std::uint8_t>& bytes) {
  auto jpeg = std::make_unique<TJpegGraphic>();
  jpeg->LoadFromMemory(bytes.data(), bytes.size());
  return jpeg;
}

std::string ErrorOf(const std::vector<std::uint8_t>& bytes) {
  try {
    Load(bytes);
  } catch (const EJpegError& e) {
    return e.what();
  } catch (const Error& e) {
    return std::string("other error: ") + e.what();
  }
  return "(decoded)";
}

std::vector<std::uint8_t> Encode(const TJpegGraphic& jpeg) {
  std::ostringstream out;
  jpeg.SaveToStream(out);
  const std::string s = out.str();
  return {s.begin(), s.end()};
}

// A true-colour test card: smooth ramps, so a decoded copy must stay close.
void FillRamps(TDibGraphic& image) {
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) {
      image.SetColor(x, y, MakeColor(x * 255 / image.Width(), y * 255 / image.Height(), 90));
    }
  }
}

// Byte offset of the first marker 0xFF code, or npos.
std::size_t FindMarker(const std::vector<std::uint8_t>& jpeg, std::uint8_t code) {
  for (std::size_t i = 0; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == code) return i;
  }
  return std::string::npos;
}

TEST(JpegGraphicTest, SuiteFilesDecodeOrFailAsListed) {
  const auto failureList = ReadList(kSuite + "/expected-failures-rgb-output.txt");
  const auto warningList = ReadList(kSuite + "/decodes-with-warnings.txt");
  const std::set<std::string> failing(failureList.begin(), failureList.end());
  const std::set<std::string> warning(warningList.begin(), warningList.end());
  int decoded = 0, compared = 0;
  for (const std::string& name : FilesUnder(kSuite, {".jpg"})) {
    SCOPED_TRACE(name);
    const std::vector<std::uint8_t> bytes = ReadBytes(kSuite + "/" + name);
    const std::string error = ErrorOf(bytes);
    if (failing.count(name)) {
      EXPECT_NE(error, "(decoded)");
      EXPECT_EQ(error.find("other error"), std::string::npos) << error;
      continue;
    }
    ASSERT_EQ(error, "(decoded)");
    ++decoded;
    auto jpeg = Load(bytes);
    EXPECT_EQ(jpeg->WarningCount() > 0, warning.count(name) > 0) << jpeg->WarningCount();

    // Reference renderings (made by another libjpeg-based decoder) where there are any.
    const std::size_t slash = name.find('/');
    if (name.rfind("jpeg-decoder/", 0) != 0) continue;
    const std::string group = name.substr(slash + 1, name.find('/', slash + 1) - slash - 1);
    const std::string stem = name.substr(name.rfind('/') + 1, name.size() - name.rfind('/') - 5);
    const std::string ref = kSuite + "/jpeg-decoder/reference/" + group + "/" + stem + ".png";
    if (!std::filesystem::exists(ref)) continue;
    const testing::RefImage expected = testing::DecodeWithSimplifiedApi(ReadBytes(ref), 3);
    EXPECT_EQ(jpeg->Width(), expected.width);
    EXPECT_EQ(jpeg->Height(), expected.height);
    if (jpeg->Width() != expected.width || jpeg->Height() != expected.height) continue;
    long long total = 0;
    for (int y = 0; y < expected.height; ++y) {
      for (int x = 0; x < expected.width; ++x) {
        int rgb[3];
        testing::PixelRgb(*jpeg, x, y, rgb);
        for (int c = 0; c < 3; ++c) total += std::abs(rgb[c] - expected.At(x, y)[c]);
      }
    }
    const double mean = static_cast<double>(total) / (3.0 * expected.width * expected.height);
    EXPECT_LT(mean, 1.5);
    ++compared;
  }
  EXPECT_EQ(decoded, static_cast<int>(FilesUnder(kSuite, {".jpg"}).size() - failing.size()));
  EXPECT_GE(compared, 30);
}

TEST(JpegGraphicTest, ColourSpacesAndFailures) {
  auto gray = Load(ReadBytes(kSuite + "/jpeg-decoder/mozilla/jpg-gray.jpg"));
  EXPECT_EQ(gray->Format(), ifGray256);
  EXPECT_EQ(gray->Palette(), DefaultPalette(ifGray256));
  auto color = Load(ReadBytes(kSuite + "/libjpeg-turbo/testorig.jpg"));
  EXPECT_EQ(color->Format(), ifColor16M);
  EXPECT_EQ(color->Width(), 227);
  EXPECT_EQ(color->Height(), 149);
  auto rgb = Load(ReadBytes(kSuite + "/jpeg-decoder/reftest/rgb.jpg"));
  EXPECT_EQ(rgb->Format(), ifColor16M);

  EXPECT_EQ(ErrorOf(ReadBytes(kSuite + "/jpeg-decoder/mozilla/jpg-cmyk-1.jpg")),
            "Unsupported color conversion request");
  EXPECT_EQ(ErrorOf(ReadBytes(kSuite + "/jpeg-decoder/crashtest/empty.jpg")), "Empty input file");
  EXPECT_EQ(ErrorOf(ReadBytes(kSuite + "/jpeg-decoder/mozilla/jpg-size-6x6.jpg")),
            "Not a JPEG file: starts with 0x89 0x50");

  // Every truncation either decodes what is there (counting a warning) or fails cleanly.
  const std::vector<std::uint8_t> whole = ReadBytes(kSuite + "/jpeg-decoder/reftest/restarts.jpg");
  for (std::size_t n = 0; n < whole.size(); ++n) {
    const std::vector<std::uint8_t> prefix(whole.begin(), whole.begin() + static_cast<long>(n));
    const std::string error = ErrorOf(prefix);
    ASSERT_EQ(error.find("other error"), std::string::npos) << n << " " << error;
    if (error == "(decoded)") {
      EXPECT_GT(Load(prefix)->WarningCount(), 0) << n;
    }
  }
}

TEST(JpegGraphicTest, ResolutionComesFromTheJfifDensity) {
  TJpegGraphic source;
  source.NewImage(16, 8, ifColor16M, nullptr, 300, 150);
  FillRamps(source);
  std::vector<std::uint8_t> bytes = Encode(source);
  const std::size_t app0 = FindMarker(bytes, 0xE0);
  ASSERT_NE(app0, std::string::npos);
  const std::size_t unit = app0 + 11;  // marker, length, "JFIF\0", version
  ASSERT_EQ(bytes[unit], 1);
  EXPECT_EQ((bytes[unit + 1] << 8) | bytes[unit + 2], 300);
  EXPECT_EQ((bytes[unit + 3] << 8) | bytes[unit + 4], 150);
  auto loaded = Load(bytes);
  EXPECT_EQ(loaded->XDpi(), 300);
  EXPECT_EQ(loaded->YDpi(), 150);

  bytes[unit] = 2;  // dots per centimetre: 28 -> 71.12 dpi
  bytes[unit + 1] = 0;
  bytes[unit + 2] = 28;
  bytes[unit + 3] = 0;
  bytes[unit + 4] = 59;  // 149.86 dpi
  loaded = Load(bytes);
  EXPECT_EQ(loaded->XDpi(), 71);
  EXPECT_EQ(loaded->YDpi(), 150);
  bytes[unit] = 0;  // aspect ratio only: the screen's resolution
  loaded = Load(bytes);
  EXPECT_EQ(loaded->XDpi(), kScreenDpi);
  EXPECT_EQ(loaded->YDpi(), kScreenDpi);

  // Resolutions beyond the 16-bit JFIF fields are written as the largest value.
  source.SetPixelsPerMeter(DpiToPixelsPerMeter(100000), DpiToPixelsPerMeter(72));
  bytes = Encode(source);
  EXPECT_EQ((bytes[unit + 1] << 8) | bytes[unit + 2], 65535);
}

TEST(JpegGraphicTest, WritesWhatItReads) {
  TJpegGraphic color;
  color.NewImage(64, 48, ifColor16M, nullptr, 72, 72);
  FillRamps(color);
  color.SetQuality(95);
  auto back = Load(Encode(color));
  ASSERT_EQ(back->Format(), ifColor16M);
  ASSERT_EQ(back->Width(), 64);
  int worst = 0;
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      int a[3], b[3];
      testing::PixelRgb(color, x, y, a);
      testing::PixelRgb(*back, x, y, b);
      for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(a[c] - b[c]));
    }
  }
  EXPECT_LE(worst, 12);  // red and blue in their places, not exchanged

  TJpegGraphic gray;
  gray.NewImage(9, 7, ifGray256, nullptr, 0, 0);
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 9; ++x) gray.SetIndex(x, y, 200);
  }
  auto grayBack = Load(Encode(gray));
  EXPECT_EQ(grayBack->Format(), ifGray256);
  EXPECT_NEAR(grayBack->GetIndex(4, 3), 200, 1);
}

TEST(JpegGraphicTest, EncoderSettingsReachTheFile) {
  TJpegGraphic image;
  image.NewImage(64, 64, ifColor16M, nullptr, 0, 0);
  FillRamps(image);
  EXPECT_EQ(image.Quality(), 80);
  EXPECT_FALSE(image.Progressive());
  EXPECT_FALSE(image.OptimizeHuffman());

  std::vector<std::uint8_t> baseline = Encode(image);
  EXPECT_NE(FindMarker(baseline, 0xC0), std::string::npos);
  EXPECT_EQ(FindMarker(baseline, 0xC2), std::string::npos);
  image.SetProgressive(true);
  std::vector<std::uint8_t> progressive = Encode(image);
  EXPECT_NE(FindMarker(progressive, 0xC2), std::string::npos);
  EXPECT_EQ(FindMarker(progressive, 0xC0), std::string::npos);
  EXPECT_TRUE(Load(progressive)->Width() == 64);
  image.SetProgressive(false);

  // The first luminance quantiser is 16 scaled by libjpeg's quality rule, at most 255.
  auto firstQuantiser = [&](int quality) {
    image.SetQuality(quality);
    const std::vector<std::uint8_t> bytes = Encode(image);
    const std::size_t dqt = FindMarker(bytes, 0xDB);
    EXPECT_EQ(bytes[dqt + 4] >> 4, 0);  // 8-bit tables
    return static_cast<int>(bytes[dqt + 5]);
  };
  EXPECT_EQ(firstQuantiser(85), 5);  // scale 200 - 170 = 30
  EXPECT_EQ(firstQuantiser(50), 16);
  EXPECT_EQ(firstQuantiser(10), 80);  // scale 5000 / 10 = 500
  EXPECT_EQ(firstQuantiser(1), 255);  // 800, forced into a baseline table
  image.SetQuality(0);
  EXPECT_EQ(image.Quality(), 1);
  image.SetQuality(80);

  const std::size_t plain = Encode(image).size();
  image.SetOptimizeHuffman(true);
  EXPECT_LT(Encode(image).size(), plain);
}

TEST(JpegGraphicTest, RefusesFormatsItCannotWriteAndReportsFileErrors) {
  const std::string message = "JPEG image must be gray scale or true color";
  for (TImageFormat format : {ifBlackWhite, ifGray16, ifColor16, ifColor256}) {
    TJpegGraphic image;
    image.NewImage(4, 4, format, nullptr, 0, 0);
    std::ostringstream out;
    try {
      image.SaveToStream(out);
      ADD_FAILURE() << "saved " << FormatDisplayName(format);
    } catch (const EJpegError& e) {
      EXPECT_EQ(e.what(), message);
    }
    EXPECT_TRUE(out.str().empty());  // nothing was written
  }

  // Saving to a file goes through a temporary file: a refused image leaves nothing behind.
  const std::string dir = testing::MakeTempDir();
  const std::string path = dir + "/empty thumb's.jpg";
  TJpegGraphic empty;
  EXPECT_THROW(empty.SaveToFile(path), EJpegError);
  EXPECT_TRUE(std::filesystem::is_empty(dir));

  TJpegGraphic good;
  good.NewImage(8, 8, ifGray256, nullptr, 0, 0);
  good.SaveToFile(path);
  EXPECT_GT(std::filesystem::file_size(path), 100u);
  auto reloaded = std::make_unique<TJpegGraphic>();
  reloaded->LoadFromFile(path);
  EXPECT_EQ(reloaded->Width(), 8);

  try {
    good.SaveToFile(dir + "/missing/x.jpg");
    ADD_FAILURE() << "saved into a missing directory";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file " + dir + "/missing/x.jpg");
  }
  std::filesystem::remove_all(dir);
  if (std::filesystem::exists("/dev/full")) {  // a device is never written to or replaced
    try {
      good.SaveToFile("/dev/full");
      ADD_FAILURE() << "wrote to a device";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), "Cannot create file /dev/full");
    }
  }
}

}  // namespace
}  // namespace fotoloom
