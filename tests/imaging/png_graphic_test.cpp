#include "imaging/png_graphic.h"
#include "imaging/reader_warnings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <set>
#include <thread>

#include "image_test_util.h"

namespace fotoloom {
namespace {

using testing::FilesUnder;
using testing::PngWarningRecorder;
using testing::ReadBytes;
using testing::ReadList;
using testing::RefImage;
using testing::TestData;

const std::string kSuite = TestData("pngsuite");

std::unique_ptr<TPngGraphic> Load(const std::vector<std::uint8_t>& bytes) {
  auto png = std::make_unique<TPngGraphic>();
  png->LoadFromMemory(bytes.data(), bytes.size());
  return png;
}

std::unique_ptr<TPngGraphic> LoadSuite(const std::string& name) {
  return Load(ReadBytes(kSuite + "/" + name));
}

std::string ErrorOf(const std::vector<std::uint8_t>& bytes) {
  try {
    Load(bytes);
  } catch (const EPNGError& e) {
    return e.what();
  } catch (const Error& e) {
    return std::string("other error: ") + e.what();
  }
  return "(decoded)";
}

// Largest difference over the pixels the reference shows fully opaque.
int MaxOpaqueDifference(const TDibGraphic& image, const RefImage& ref) {
  int worst = 0;
  for (int y = 0; y < ref.height; ++y) {
    for (int x = 0; x < ref.width; ++x) {
      const std::uint8_t* p = ref.At(x, y);
      if (p[3] != 255) continue;
      int rgb[3];
      testing::PixelRgb(image, x, y, rgb);
      for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(rgb[c] - p[c]));
    }
  }
  return worst;
}

class PngGraphicTest : public ::testing::Test {
 protected:
  PngWarningRecorder warnings_;
};

TEST_F(PngGraphicTest, FormatFollowsDepthAndColourType) {
  const std::pair<const char*, TImageFormat> cases[] = {
      {"basn0g01", ifBlackWhite}, {"basn0g02", ifGray16},   {"basn0g04", ifGray16},
      {"basn0g16", ifGray256},    {"basn2c16", ifColor16M}, {"basn3p01", ifBlackWhite},
      {"basn3p02", ifColor16},    {"basn3p08", ifColor256}, {"basn4a16", ifGray256},
      {"basn6a08", ifColor16M}};
  for (const auto& [file, format] : cases) {
    auto png = LoadSuite(std::string(file) + ".png");
    EXPECT_EQ(png->Format(), format) << file;
    EXPECT_EQ(png->Width(), 32) << file;
  }
  // Gray images keep the gray palettes, which match the PNG levels.
  EXPECT_EQ(LoadSuite("basn0g04.png")->Palette(), DefaultPalette(ifGray16));
  EXPECT_EQ(LoadSuite("basn3p04.png")->Palette().size(), 15u);  // the file's PLTE
  // 2-bit gray is spread over the 16-level palette: only levels 0, 5, 10 and 15 occur.
  auto gray2 = LoadSuite("basn0g02.png");
  std::set<int> levels;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) levels.insert(gray2->GetIndex(x, y));
  }
  EXPECT_EQ(levels, (std::set<int>{0, 5, 10, 15}));
}

TEST_F(PngGraphicTest, SuiteFilesDecodeToLibpngsPixelsOrFailAsListed) {
  const std::vector<std::string> failureList = ReadList(kSuite + "/expected-failures.txt");
  const std::vector<std::string> warningList = ReadList(kSuite + "/decodes-with-warnings.txt");
  const std::set<std::string> failing(failureList.begin(), failureList.end());
  const std::set<std::string> warning(warningList.begin(), warningList.end());
  int decoded = 0;
  for (const std::string& name : FilesUnder(kSuite, {".png"})) {
    SCOPED_TRACE(name);
    const std::vector<std::uint8_t> bytes = ReadBytes(kSuite + "/" + name);
    const std::size_t warningsBefore = warnings_.warnings().size();
    const std::string error = ErrorOf(bytes);
    if (failing.count(name)) {
      EXPECT_NE(error, "(decoded)");
      EXPECT_EQ(error.find("other error"), std::string::npos) << error;
      continue;
    }
    ASSERT_EQ(error, "(decoded)");
    ++decoded;
    EXPECT_EQ(warnings_.warnings().size() > warningsBefore, warning.count(name) > 0);
    // With every colour-space chunk replaced by sRGB neither decoder applies a gamma, so the
    // pixels must agree with libpng's own simplified decode (16-bit samples may differ by
    // one: stripped here, scaled there). That decoder mishandles interlaced 16-bit files;
    // their pixels are checked against their non-interlaced twins below.
    if (name.size() == 12 && name[3] == 'i' && name.substr(6, 2) == "16") continue;
    const std::vector<std::uint8_t> srgb = testing::WithSrgbOnly(bytes);
    const RefImage ref = testing::DecodeWithSimplifiedApi(srgb, 4);
    auto png = Load(srgb);
    EXPECT_EQ(png->Width(), ref.width);
    EXPECT_EQ(png->Height(), ref.height);
    EXPECT_LE(MaxOpaqueDifference(*png, ref), bytes[24] == 16 ? 1 : 0);
  }
  EXPECT_EQ(decoded, static_cast<int>(FilesUnder(kSuite, {".png"}).size() - failing.size()));
}

TEST_F(PngGraphicTest, InterlacedFilesGiveTheSamePixels) {
  int pairs = 0;
  for (const std::string& name : FilesUnder(kSuite, {".png"})) {
    if (name.size() != 12 || name[3] != 'i' || name.find('/') != std::string::npos) continue;
    std::string twin = name;
    twin[3] = 'n';
    if (!std::ifstream(kSuite + "/" + twin)) continue;
    SCOPED_TRACE(name);
    auto interlaced = LoadSuite(name);
    auto plain = LoadSuite(twin);
    ASSERT_EQ(interlaced->Width(), plain->Width());
    ASSERT_EQ(interlaced->Height(), plain->Height());
    ASSERT_EQ(interlaced->Format(), plain->Format());
    int different = 0;
    for (int y = 0; y < plain->Height(); ++y) {
      for (int x = 0; x < plain->Width(); ++x) {
        different += interlaced->GetColor(x, y) != plain->GetColor(x, y);
      }
    }
    EXPECT_EQ(different, 0);
    ++pairs;
  }
  EXPECT_GE(pairs, 30);  // 15 basic pairs and the odd sizes
}

TEST_F(PngGraphicTest, GammaIsCorrectedForATwoPointTwoDisplay) {
  const std::vector<std::uint8_t> original = ReadBytes(kSuite + "/basn2c08.png");
  const RefImage stored = testing::DecodeWithSimplifiedApi(testing::WithSrgbOnly(original), 3);

  auto noGamma = Load(testing::WithGamma(original, 0));
  EXPECT_DOUBLE_EQ(noGamma->FileGamma, 0.5);
  auto neutral = Load(testing::WithGamma(original, 45455));
  EXPECT_NEAR(neutral->FileGamma, 0.45455, 1e-9);
  auto srgb = Load(testing::WithSrgbOnly(original));
  EXPECT_EQ(testing::MaxDifference(*neutral, stored), 0);
  EXPECT_EQ(testing::MaxDifference(*srgb, stored), 0);

  int worst = 0, brighter = 0;
  for (int y = 0; y < stored.height; ++y) {
    for (int x = 0; x < stored.width; ++x) {
      int rgb[3];
      testing::PixelRgb(*noGamma, x, y, rgb);
      for (int c = 0; c < 3; ++c) {
        const int v = stored.At(x, y)[c];
        const int expected = static_cast<int>(std::lround(255 * std::pow(v / 255.0, 1 / 1.1)));
        worst = std::max(worst, std::abs(rgb[c] - expected));
        brighter += rgb[c] > v;
      }
    }
  }
  EXPECT_LE(worst, 1);
  EXPECT_GT(brighter, 1000);

  EXPECT_NEAR(LoadSuite("g03n2c08.png")->FileGamma, 0.35, 1e-9);
  // Depths 1 and 2 are never corrected, whatever the file says.
  const std::vector<std::uint8_t> twoBit = ReadBytes(kSuite + "/basn0g02.png");
  auto low = Load(testing::WithGamma(twoBit, 250000));
  EXPECT_EQ(testing::MaxDifference(
                *low, testing::DecodeWithSimplifiedApi(testing::WithSrgbOnly(twoBit), 1)),
            0);
}

TEST_F(PngGraphicTest, TransparencyIsCompositedOntoTheRightBackground) {
  // Transparent pixels show the background, opaque ones their own colour, and partly
  // transparent ones lie between the two (libpng mixes them in linear light).
  auto checkBackground = [](const std::string& name, TPngGraphic& png, TColor expected) {
    SCOPED_TRACE(name);
    const std::vector<std::uint8_t> bytes = testing::WithSrgbOnly(ReadBytes(kSuite + "/" + name));
    png.LoadFromMemory(bytes.data(), bytes.size());
    const RefImage ref = testing::DecodeWithSimplifiedApi(bytes, 4);
    const int bg[3] = {ColorRed(expected), ColorGreen(expected), ColorBlue(expected)};
    int transparent = 0, mixed = 0, worstClear = 0, worstMixed = 0;
    for (int y = 0; y < ref.height; ++y) {
      for (int x = 0; x < ref.width; ++x) {
        const std::uint8_t* p = ref.At(x, y);
        int rgb[3];
        testing::PixelRgb(png, x, y, rgb);
        for (int c = 0; c < 3; ++c) {
          int low = std::min<int>(p[c], bg[c]), high = std::max<int>(p[c], bg[c]);
          if (p[3] == 0) low = high = bg[c];
          if (p[3] == 255) low = high = p[c];
          int& worst = (p[3] == 0 || p[3] == 255) ? worstClear : worstMixed;
          worst = std::max({worst, low - rgb[c], rgb[c] - high});
        }
        transparent += p[3] == 0;
        mixed += p[3] != 0 && p[3] != 255;
      }
    }
    EXPECT_GT(transparent + mixed, 0);
    EXPECT_LE(worstClear, 1);
    EXPECT_LE(worstMixed, 8);  // libpng mixes 8-bit samples through 8-bit linear tables
  };
  TPngGraphic png;
  checkBackground("bgan6a08.png", png, 0);  // no bKGD: BackgroundColor, black by default
  checkBackground("basn4a08.png", png, 0);
  png.BackgroundColor = MakeColor(200, 100, 50);
  checkBackground("bgan6a08.png", png, MakeColor(200, 100, 50));
  checkBackground("bgan6a16.png", png, MakeColor(200, 100, 50));
  checkBackground("tp1n3p08.png", png, MakeColor(200, 100, 50));
  png.BackgroundColor = MakeColor(90, 90, 90);
  checkBackground("basn4a16.png", png, MakeColor(90, 90, 90));
  checkBackground("bgwn6a08.png", png, MakeColor(255, 255, 255));  // the file's bKGD wins
  checkBackground("bgyn6a16.png", png, MakeColor(255, 255, 0));
  checkBackground("bggn4a16.png", png, MakeColor(0xab, 0xab, 0xab));
  checkBackground("tbrn2c08.png", png, MakeColor(255, 0, 0));
  png.IgnoreFileBackground = true;
  checkBackground("bgwn6a08.png", png, MakeColor(90, 90, 90));
  checkBackground("tbrn2c08.png", png, MakeColor(90, 90, 90));
  png.BackgroundColor = MakeColor(255, 255, 255);
  checkBackground("tbbn0g04.png", png, MakeColor(255, 255, 255));
}

TEST_F(PngGraphicTest, ResolutionComesFromPhysInMetres) {
  auto metres = LoadSuite("cdun2c08.png");  // 1000 pixels per metre
  EXPECT_EQ(metres->XDpi(), 25);
  EXPECT_EQ(metres->YDpi(), 25);
  auto aspectOnly = LoadSuite("cdfn2c08.png");  // unit unknown: no resolution
  EXPECT_EQ(aspectOnly->XDpi(), kScreenDpi);
  auto none = LoadSuite("basn2c08.png");
  EXPECT_EQ(none->YDpi(), kScreenDpi);
}

TEST_F(PngGraphicTest, DamagedFilesRaiseTheirMessages) {
  EXPECT_EQ(ErrorOf(ReadBytes(kSuite + "/xs1n0g01.png")), "PNG file is not valid or corrupted");
  EXPECT_EQ(ErrorOf({}), "PNG file is not valid or corrupted");
  EXPECT_NE(ErrorOf(ReadBytes(kSuite + "/xhdn0g08.png")).find("CRC error"), std::string::npos);
  EXPECT_NE(ErrorOf(ReadBytes(kSuite + "/xcsn0g01.png")).find("CRC error"), std::string::npos);
  EXPECT_EQ(ErrorOf(ReadBytes(kSuite + "/xd3n2c08.png")), "Invalid IHDR data");

  // Every truncation of a valid file inside its image data fails with libpng's error, never
  // a crash or a hang; once the pixels are complete the missing end does not matter.
  for (const char* name : {"basi3p02.png", "oi1n2c16.png"}) {
    SCOPED_TRACE(name);
    const std::vector<std::uint8_t> whole = ReadBytes(kSuite + "/" + name);
    const std::string text(whole.begin(), whole.end());
    // The last IDAT chunk ends with the zlib checksum, which is not needed for the pixels.
    const std::size_t type = text.rfind("IDAT");
    const std::size_t length = (std::size_t{whole[type - 4]} << 24) | (whole[type - 3] << 16) |
                               (whole[type - 2] << 8) | whole[type - 1];
    const std::size_t lastData = type + 4 + length - 4;
    for (std::size_t n = 0; n < whole.size(); ++n) {
      const std::string error = ErrorOf({whole.begin(), whole.begin() + static_cast<long>(n)});
      ASSERT_EQ(error.find("other error"), std::string::npos) << error;
      if (n < lastData) {
        ASSERT_NE(error, "(decoded)") << n;
      }
    }
  }
}

TEST_F(PngGraphicTest, WarningsGoToTheHandler) {
  const std::vector<std::uint8_t> bytes =
      ReadBytes(kSuite + "/libpng-crashers/empty_ancillary_chunks.png");
  Load(bytes);
  EXPECT_FALSE(warnings_.warnings().empty());

  // A handler that throws ends the read with its own exception.
  struct Stop : std::exception {};
  ReaderWarningHandler previous = SetReaderWarningHandler([](const std::string&) { throw Stop(); });
  EXPECT_THROW(Load(bytes), Stop);
  SetReaderWarningHandler(previous);

  // Files whose sRGB profile libpng 1.6 would question decode silently.
  const std::vector<std::uint8_t> profiled = ReadBytes(kSuite + "/basn2c08.png");
  std::vector<std::uint8_t> withSrgb = testing::WithSrgbOnly(profiled);
  const std::size_t before = warnings_.warnings().size();
  Load(withSrgb);
  EXPECT_EQ(warnings_.warnings().size(), before);
}

TEST_F(PngGraphicTest, ACaptureKeepsItsOwnThreadsWarnings) {
  const std::vector<std::uint8_t> bytes =
      ReadBytes(kSuite + "/libpng-crashers/empty_ancillary_chunks.png");
  Load(bytes);
  const std::vector<std::string> all = warnings_.warnings();
  ASSERT_FALSE(all.empty());

  std::vector<std::string> captured, inner;
  {
    ReaderWarningCapture capture;
    {
      ReaderWarningCapture nested;
      Load(bytes);
      inner = nested.Take();
    }
    // Another thread's read is not this capture's.
    std::thread([&] { Load(bytes); }).join();
    Load(bytes);
    captured = capture.Take();
  }
  EXPECT_EQ(inner, all);
  EXPECT_EQ(captured, all);
  EXPECT_EQ(warnings_.warnings().size(), 2 * all.size());  // the other thread's reached it
  ReportReaderWarning("replayed");
  EXPECT_EQ(warnings_.warnings().back(), "replayed");
}

}  // namespace
}  // namespace fotoloom
