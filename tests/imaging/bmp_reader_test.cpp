#include "imaging/bmp_reader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "image_test_util.h"
#include "imaging/picture_loader.h"

namespace fotoloom {
namespace {

using testing::FilesUnder;
using testing::ReadBytes;
using testing::ReadList;
using testing::TestData;

const std::string kSuite = TestData("bmpsuite");

std::unique_ptr<TDibGraphic> Decode(const std::vector<std::uint8_t>& bytes) {
  auto image = std::make_unique<TDibGraphic>();
  image->Assign(ReadBitmap(bytes.data(), bytes.size()));
  return image;
}

std::string ErrorOf(const std::vector<std::uint8_t>& bytes) {
  try {
    Decode(bytes);
  } catch (const Error& e) {
    return e.what();
  }
  return "(decoded)";
}

// A bitmap file with a 40-byte header, the given colour table and stored rows.
struct BmpBuilder {
  int width = 2, height = 2, bits = 8, planes = 1;  // height < 0: top-down
  std::uint32_t compression = 0, usedColors = 0;
  std::vector<TPaletteEntry> table;
  std::vector<std::uint32_t> masks;  // written after the header when given
  std::vector<std::uint8_t> pixels;  // exactly as stored

  std::vector<std::uint8_t> Build() const {
    std::vector<std::uint8_t> out = {'B', 'M'};
    auto put = [&](std::uint32_t v, int bytes) {
      for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    const auto offset = static_cast<std::uint32_t>(54 + 4 * masks.size() + 4 * table.size());
    const auto size = static_cast<std::uint32_t>(pixels.size());
    for (std::uint32_t v : {offset + size, 0u, offset, 40u, static_cast<std::uint32_t>(width),
                            static_cast<std::uint32_t>(height)}) {
      put(v, 4);
    }
    put(static_cast<std::uint32_t>(planes), 2);
    put(static_cast<std::uint32_t>(bits), 2);
    for (std::uint32_t v : {compression, size, 3780u, 3780u, usedColors, 0u}) put(v, 4);
    for (std::uint32_t m : masks) put(m, 4);
    for (const TPaletteEntry& e : table) put(MakeColor(e.red, e.green, e.blue), 4);
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
  }
};

TEST(BmpReaderTest, GoodSuiteFilesMatchTheirReferenceRenderings) {
  std::map<std::string, std::vector<std::string>> references;
  for (const std::string& line : ReadList(kSuite + "/reference/reference-map.txt")) {
    std::istringstream words(line);
    std::string bmp, png;
    words >> bmp;
    while (words >> png) references[bmp].push_back(png);
  }
  const std::vector<std::string> good = FilesUnder(kSuite + "/g", {".bmp"});
  ASSERT_EQ(good.size(), 27u);
  for (const std::string& name : good) {
    SCOPED_TRACE(name);
    TDibGraphic image;
    ASSERT_NO_THROW(LoadBitmapFile(kSuite + "/g/" + name, image));
    const auto& refs = references["g/" + name];
    ASSERT_FALSE(refs.empty());
    bool matched = false;
    for (const std::string& ref : refs) {
      const testing::RefImage expected =
          testing::DecodeWithSimplifiedApi(ReadBytes(kSuite + "/reference/" + ref), 3);
      if (expected.width != image.Width() || expected.height != image.Height()) continue;
      if (testing::MaxDifference(image, expected) <= 0) matched = true;
    }
    // The only reference of the non-square file is stretched to square pixels.
    if (name != "pal8nonsquare.bmp") {
      EXPECT_TRUE(matched);
    }
  }
}

TEST(BmpReaderTest, FormatsAndResolutionFollowTheFile) {
  struct Case {
    const char* file;
    TImageFormat format;
    std::size_t paletteSize;
  } cases[] = {{"pal1.bmp", ifBlackWhite, 2},   {"pal4gs.bmp", ifColor16, 12},
               {"pal8-0.bmp", ifColor256, 256}, {"pal8os2.bmp", ifColor256, 256},
               {"rgb16.bmp", ifColor16M, 0},    {"rgb32.bmp", ifColor16M, 0},
               {"pal8rle.bmp", ifColor16M, 0}};
  for (const Case& c : cases) {
    TDibGraphic image;
    LoadBitmapFile(kSuite + "/g/" + c.file, image);
    EXPECT_EQ(image.Format(), c.format) << c.file;
    EXPECT_EQ(image.Palette().size(), c.paletteSize) << c.file;
  }
  TDibGraphic image;
  LoadBitmapFile(kSuite + "/g/pal8nonsquare.bmp", image);
  EXPECT_EQ(image.XDpi(), 72);
  EXPECT_EQ(image.YDpi(), 36);  // 1417 pixels per metre
}

TEST(BmpReaderTest, BadFilesFailCleanlyAndQuestionableOnesNeverCrash) {
  const std::vector<std::string> failures = ReadList(kSuite + "/expected-failures.txt");
  const std::vector<std::string> either = ReadList(kSuite + "/either-outcome.txt");
  ASSERT_EQ(failures.size(), 7u);
  const std::set<std::string> failing(failures.begin(), failures.end());
  const std::set<std::string> optional(either.begin(), either.end());
  int decoded = 0;
  for (const std::string& name : FilesUnder(kSuite, {".bmp"})) {
    if (name.rfind("reference/", 0) == 0) continue;
    SCOPED_TRACE(name);
    const std::string error = ErrorOf(ReadBytes(kSuite + "/" + name));
    if (failing.count(name)) {
      EXPECT_NE(error, "(decoded)");
    } else if (!optional.count(name)) {
      EXPECT_EQ(error, "(decoded)");
    }
    decoded += error == "(decoded)";
  }
  EXPECT_GE(decoded, 27);
  EXPECT_EQ(ErrorOf(ReadBytes(kSuite + "/b/badbitcount.bmp")), "Unsupported bit count");
  EXPECT_EQ(ErrorOf(ReadBytes(kSuite + "/b/reallybig.bmp")), "CreateDibSection failed");
  EXPECT_EQ(ErrorOf(ReadBytes(kSuite + "/b/shortfile.bmp")), "Bitmap image is not valid");
  EXPECT_EQ(ErrorOf(ReadBytes(kSuite + "/q/rgb24jpeg.bmp")), "Unsupported compression");
}

TEST(BmpReaderTest, EveryTruncationFailsCleanly) {
  for (const char* name : {"g/pal8.bmp", "g/pal4rle.bmp", "g/pal8rle.bmp", "g/rgb16-565.bmp",
                           "g/pal8os2.bmp", "g/pal1.bmp", "g/pal8v5.bmp"}) {
    SCOPED_TRACE(name);
    const std::vector<std::uint8_t> whole = ReadBytes(kSuite + "/" + name);
    ASSERT_EQ(ErrorOf(whole), "(decoded)");
    for (std::size_t n = 0; n < whole.size(); ++n) {
      const std::vector<std::uint8_t> prefix(whole.begin(), whole.begin() + static_cast<long>(n));
      ASSERT_NE(ErrorOf(prefix), "(decoded)") << n;
    }
  }
}

TEST(BmpReaderTest, RowOrderPaletteAndBitfields) {
  BmpBuilder bottomUp;
  bottomUp.table = {{0, 0, 0}, {255, 0, 0}, {0, 0, 255}};
  bottomUp.usedColors = 3;
  bottomUp.pixels = {1, 2, 0, 0,   // stored first: the bottom row
                     2, 1, 0, 0};  // the top row
  auto a = Decode(bottomUp.Build());
  BmpBuilder topDown = bottomUp;
  topDown.height = -2;
  topDown.pixels = {2, 1, 0, 0, 1, 2, 0, 0};
  auto b = Decode(topDown.Build());
  for (TDibGraphic* image : {a.get(), b.get()}) {
    EXPECT_EQ(image->GetColor(0, 0), MakeColor(0, 0, 255));
    EXPECT_EQ(image->GetColor(0, 1), MakeColor(255, 0, 0));
    EXPECT_EQ(image->Palette().size(), 3u);
  }

  // A colour index past the table's end is refused rather than guessed.
  BmpBuilder badIndex = bottomUp;
  badIndex.pixels[1] = 3;
  EXPECT_EQ(ErrorOf(badIndex.Build()), "Bitmap image is not valid");

  BmpBuilder rgb565;
  rgb565.bits = 16;
  rgb565.compression = 3;
  rgb565.masks = {0xF800, 0x07E0, 0x001F};
  rgb565.width = 2;
  rgb565.height = 1;
  rgb565.pixels = {0x00, 0xF8, 0xE0, 0x07};  // pure red, pure green
  auto c = Decode(rgb565.Build());
  EXPECT_EQ(c->GetColor(0, 0), MakeColor(255, 0, 0));
  EXPECT_EQ(c->GetColor(1, 0), MakeColor(0, 255, 0));

  BmpBuilder argb;
  argb.bits = 32;
  argb.width = 1;
  argb.height = 1;
  argb.pixels = {10, 20, 30, 0x80};  // the fourth byte is not alpha for BI_RGB
  EXPECT_EQ(Decode(argb.Build())->GetColor(0, 0), MakeColor(30, 20, 10));
}

TEST(BmpReaderTest, RunLengthDataIsDrawnAndBounded) {
  BmpBuilder rle;
  rle.compression = 1;
  rle.width = 4;
  rle.height = 3;
  rle.table = {{9, 9, 9}, {255, 0, 0}, {0, 255, 0}};
  rle.usedColors = 3;
  rle.pixels = {3, 1,              // bottom row: three red
                0, 0,              // end of line
                0, 2, 1, 1,        // delta: one right, one up, to the top row
                0, 3, 2, 1, 2, 0,  // absolute: green, red, green (padded)
                0, 1};             // end of bitmap
  auto image = Decode(rle.Build());
  ASSERT_EQ(image->Format(), ifColor16M);
  EXPECT_EQ(image->GetColor(0, 2), MakeColor(255, 0, 0));
  EXPECT_EQ(image->GetColor(2, 2), MakeColor(255, 0, 0));
  EXPECT_EQ(image->GetColor(3, 2), MakeColor(9, 9, 9));  // skipped: colour 0
  EXPECT_EQ(image->GetColor(1, 1), MakeColor(9, 9, 9));
  EXPECT_EQ(image->GetColor(0, 0), MakeColor(9, 9, 9));
  EXPECT_EQ(image->GetColor(1, 0), MakeColor(0, 255, 0));
  EXPECT_EQ(image->GetColor(2, 0), MakeColor(255, 0, 0));
  EXPECT_EQ(image->GetColor(3, 0), MakeColor(0, 255, 0));

  BmpBuilder overrun = rle;
  overrun.pixels = {5, 1, 0, 1};  // five pixels in a row of four
  EXPECT_EQ(ErrorOf(overrun.Build()), "Bitmap image is not valid");
  BmpBuilder farDelta = rle;
  farDelta.pixels = {0, 2, 0, 9, 1, 1, 0, 1};
  EXPECT_EQ(ErrorOf(farDelta.Build()), "Bitmap image is not valid");
  BmpBuilder pastRightEdge = rle;  // a delta may reach the edge, not pass it
  pastRightEdge.pixels = {0, 2, 4, 0, 0, 0, 0, 1};
  EXPECT_EQ(ErrorOf(pastRightEdge.Build()), "(decoded)");
  pastRightEdge.pixels[2] = 5;
  EXPECT_EQ(ErrorOf(pastRightEdge.Build()), "Bitmap image is not valid");
  BmpBuilder pastLastRow = rle;
  pastLastRow.pixels = {0, 0, 0, 0, 0, 0, 0, 1};
  EXPECT_EQ(ErrorOf(pastLastRow.Build()), "(decoded)");
  pastLastRow.pixels.insert(pastLastRow.pixels.begin(), {0, 0});
  EXPECT_EQ(ErrorOf(pastLastRow.Build()), "Bitmap image is not valid");
  // A stream may spend up to four bytes on every pixel and row (one-pixel deltas); one far
  // longer holds deltas that move nowhere, and is not read to its end.
  BmpBuilder slow = rle;
  slow.pixels.clear();
  for (int row = 0; row < 3; ++row) {
    for (int x = 0; x < 4; ++x) slow.pixels.insert(slow.pixels.end(), {0, 2, 1, 0});
    slow.pixels.insert(slow.pixels.end(), {0, 0});
  }
  slow.pixels.insert(slow.pixels.end(), {0, 1});
  EXPECT_EQ(ErrorOf(slow.Build()), "(decoded)");
  for (int i = 0; i < 100; ++i) slow.pixels.insert(slow.pixels.begin(), {0, 2, 0, 0});
  EXPECT_EQ(ErrorOf(slow.Build()), "Bitmap image is not valid");
  BmpBuilder unterminated = rle;
  unterminated.pixels = {2, 1, 0, 0};
  EXPECT_EQ(ErrorOf(unterminated.Build()), "Bitmap image is not valid");
  BmpBuilder topDownRle = rle;
  topDownRle.height = -3;
  EXPECT_EQ(ErrorOf(topDownRle.Build()), "Bitmap image is not valid");
}

TEST(BmpReaderTest, UnsupportedKindsAreRefusedByName) {
  BmpBuilder base;
  base.bits = 24;
  base.pixels = std::vector<std::uint8_t>(16, 0);
  BmpBuilder twoBits = base;
  twoBits.bits = 2;
  EXPECT_EQ(ErrorOf(twoBits.Build()), "Unsupported bit count");
  BmpBuilder jpeg = base;
  jpeg.compression = 4;
  EXPECT_EQ(ErrorOf(jpeg.Build()), "Unsupported compression");
  BmpBuilder planes = base;
  planes.planes = 2;
  EXPECT_EQ(ErrorOf(planes.Build()), "Bitmap image is not valid");
  BmpBuilder wide = base;
  wide.width = 70000;
  EXPECT_EQ(ErrorOf(wide.Build()), "CreateDibSection failed");
  // Pixel data 2 GiB into the file counts against the bound before anything is read.
  std::vector<std::uint8_t> far = base.Build();
  far[13] = 0x80;
  EXPECT_EQ(ErrorOf(far), "CreateDibSection failed");
}

}  // namespace
}  // namespace fotoloom
