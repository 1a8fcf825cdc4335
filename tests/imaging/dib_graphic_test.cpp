#include "imaging/dib_graphic.h"

#include <gtest/gtest.h>

#include <cstring>

#include "imaging/format_transform.h"

namespace fotoloom {
namespace {

template <typename F>
std::string MessageOf(F&& f) {
  try {
    f();
  } catch (const EPixwellError& e) {
    return e.what();
  }
  return "(no EPixwellError)";
}

TEST(DibGraphicTest, RowsAreBottomUpAndPaddedToFourBytes) {
  TDibGraphic image;
  EXPECT_TRUE(image.Empty());
  EXPECT_EQ(image.Width(), 0);

  image.NewImage(5, 3, ifColor16M, nullptr, 0, 0);
  EXPECT_EQ(image.RowBytes(), 16);
  EXPECT_EQ(image.ImageSize(), 48u);
  EXPECT_EQ(image.Row(0), image.Bits() + 2 * 16);  // top row is stored last
  EXPECT_EQ(image.Row(2), image.Bits());

  struct Case {
    TImageFormat format;
    int width;
    int rowBytes;
  } cases[] = {{ifBlackWhite, 33, 8}, {ifBlackWhite, 32, 4}, {ifGray16, 9, 8},
               {ifColor16, 8, 4},     {ifGray256, 5, 8},     {ifColor256, 4, 4},
               {ifColor16M, 1, 4},    {ifColor16M, 4, 12}};
  for (const Case& c : cases) {
    image.NewImage(c.width, 2, c.format, nullptr, 0, 0);
    EXPECT_EQ(image.RowBytes(), c.rowBytes) << FormatDisplayName(c.format) << " " << c.width;
  }

  // Pixel packing: leftmost 1-bit pixel in the top bit, even 4-bit pixel in the high nibble.
  image.NewImage(10, 2, ifBlackWhite, nullptr, 0, 0);
  image.SetIndex(0, 1, 1);
  image.SetIndex(9, 1, 1);
  EXPECT_EQ(image.Row(1)[0], 0x80);
  EXPECT_EQ(image.Row(1)[1], 0x40);
  image.NewImage(3, 1, ifColor16, nullptr, 0, 0);
  image.SetIndex(0, 0, 0xA);
  image.SetIndex(1, 0, 0x5);
  image.SetIndex(2, 0, 0xC);
  EXPECT_EQ(image.Row(0)[0], 0xA5);
  EXPECT_EQ(image.Row(0)[1], 0xC0);
  image.NewImage(2, 1, ifColor16M, nullptr, 0, 0);
  image.SetColor(1, 0, MakeColor(1, 2, 3));
  EXPECT_EQ(image.Row(0)[3], 3);  // blue, green, red
  EXPECT_EQ(image.Row(0)[5], 1);
  EXPECT_EQ(image.GetColor(1, 0), 0x010203u);
}

TEST(DibGraphicTest, SetIndexKeepsOnlyTheBitsOfTheFormat) {
  TDibGraphic image;
  image.NewImage(4, 1, ifBlackWhite, nullptr, 0, 0);
  image.SetIndex(1, 0, 5);
  EXPECT_EQ(image.GetIndex(1, 0), 1);
  image.SetIndex(1, 0, -3);
  EXPECT_EQ(image.GetIndex(1, 0), 0);

  image.NewImage(4, 1, ifGray16, nullptr, 0, 0);
  image.SetIndex(0, 0, 3);
  image.SetIndex(1, 0, 0x1F);
  EXPECT_EQ(image.GetIndex(1, 0), 15);
  EXPECT_EQ(image.GetIndex(0, 0), 3);  // the neighbour in the same byte is untouched
  EXPECT_EQ(image.GetColor(1, 0), MakeColor(255, 255, 255));

  image.NewImage(4, 1, ifGray256, nullptr, 0, 0);
  image.SetIndex(2, 0, 300);
  EXPECT_EQ(image.GetIndex(2, 0), 44);

  image.NewImage(4, 1, ifColor16M, nullptr, 0, 0);
  EXPECT_EQ(MessageOf([&] { image.GetIndex(0, 0); }), "The image does not have a palette");
  EXPECT_EQ(MessageOf([&] { image.SetIndex(0, 0, 1); }), "The image does not have a palette");
}

TEST(DibGraphicTest, ResolutionIsStoredInPixelsPerMetre) {
  TDibGraphic image;
  image.NewImage(1, 1, ifColor16M, nullptr, 72, 96);
  EXPECT_EQ(image.XPixelsPerMeter(), 2835);
  EXPECT_EQ(image.YPixelsPerMeter(), 3780);
  EXPECT_EQ(image.XDpi(), 72);
  EXPECT_EQ(image.YDpi(), 96);

  image.NewImage(1, 1, ifColor16M, nullptr, 0, 300);
  EXPECT_EQ(image.XDpi(), kScreenDpi);  // 0 takes the screen's
  EXPECT_EQ(image.YPixelsPerMeter(), 11811);

  image.SetPixelsPerMeter(3000, 1);
  EXPECT_EQ(image.XDpi(), 76);  // 76.2
  EXPECT_EQ(image.YDpi(), 0);
  EXPECT_EQ(PixelsPerMeterToDpi(2147483647.0 * 100), 2147483647);  // saturates, no overflow
}

TEST(DibGraphicTest, NearestIndexPrefersLowestIndexAndCachesResults) {
  TPalette palette = {{0, 0, 0}, {10, 10, 10}, {255, 0, 0}, {10, 10, 10}, {20, 20, 20}};
  TRgbToPaletteConverter converter(palette);
  EXPECT_EQ(converter.NearestIndex(MakeColor(10, 10, 10)), 1);  // duplicate: lower index
  EXPECT_EQ(converter.NearestIndex(MakeColor(15, 15, 15)), 1);  // tie with entry 4
  EXPECT_EQ(converter.NearestIndex(MakeColor(200, 30, 30)), 2);
  EXPECT_EQ(converter.Misses(), 3u);
  EXPECT_EQ(converter.NearestIndex(MakeColor(15, 15, 15)), 1);
  EXPECT_EQ(converter.Hits(), 1u);

  // Colours 1020 apart share a slot; each replaces the other and both stay correct.
  const TColor a = MakeColor(9, 9, 9);
  TColor b = MakeColor(250, 0, 0);
  while (b % TRgbToPaletteConverter::kSlots != a % TRgbToPaletteConverter::kSlots) ++b;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(converter.NearestIndex(a), 1);
    EXPECT_EQ(converter.NearestIndex(b), 2);
  }
  EXPECT_EQ(converter.Hits(), 1u);

  // Through the image: SetColor stores the nearest index of the image's own palette.
  TDibGraphic image;
  image.NewImage(2, 1, ifColor16, nullptr, 0, 0);
  image.SetColor(0, 0, MakeColor(160, 80, 10));  // nearest VGA colour: brown, entry 6
  EXPECT_EQ(image.GetIndex(0, 0), 6);
  EXPECT_EQ(image.GetColor(0, 0), MakeColor(170, 85, 0));
}

TEST(DibGraphicTest, DefaultPalettesAndDisplayNames) {
  const TPalette bw = DefaultPalette(ifBlackWhite);
  ASSERT_EQ(bw.size(), 2u);
  EXPECT_EQ(bw[1], (TPaletteEntry{255, 255, 255}));
  const TPalette g16 = DefaultPalette(ifGray16);
  ASSERT_EQ(g16.size(), 16u);
  EXPECT_EQ(g16[5], (TPaletteEntry{85, 85, 85}));
  const TPalette g256 = DefaultPalette(ifGray256);
  ASSERT_EQ(g256.size(), 256u);
  EXPECT_EQ(g256[200], (TPaletteEntry{200, 200, 200}));
  const TPalette c16 = DefaultPalette(ifColor16);
  ASSERT_EQ(c16.size(), 16u);
  EXPECT_EQ(c16[1], (TPaletteEntry{0, 0, 170}));
  EXPECT_EQ(c16[6], (TPaletteEntry{170, 85, 0}));
  EXPECT_EQ(c16[9], (TPaletteEntry{85, 85, 255}));
  const TPalette c256 = DefaultPalette(ifColor256);
  ASSERT_EQ(c256.size(), 256u);
  EXPECT_TRUE(std::equal(c16.begin(), c16.end(), c256.begin()));
  for (int i = 248; i < 256; ++i) EXPECT_EQ(c256[i], TPaletteEntry{}) << i;
  EXPECT_TRUE(DefaultPalette(ifColor16M).empty());

  EXPECT_EQ(FormatDisplayName(ifGray16), "16 shades of gray");
  EXPECT_EQ(FormatDisplayName(ifColor16M), "True color");
  EXPECT_EQ(MessageOf([] { BitsPerPixel(static_cast<TImageFormat>(6)); }),
            "Internal error: Invalid image format");
  TDibGraphic image;
  EXPECT_EQ(MessageOf([&] { image.NewImage(1, 1, static_cast<TImageFormat>(9), nullptr, 0, 0); }),
            "Internal error: Invalid image format");
}

TEST(DibGraphicTest, GivenPalettesAreUsedAndBoundedByTheFormat) {
  TDibGraphic image;
  TPalette two = {{1, 2, 3}, {4, 5, 6}};
  image.NewImage(4, 1, ifColor256, &two, 0, 0);
  EXPECT_EQ(image.Palette(), two);
  // An index past the palette's end reads as black rather than past the table.
  image.SetIndex(0, 0, 200);
  EXPECT_EQ(image.GetColor(0, 0), 0u);
  image.SetColor(1, 0, MakeColor(4, 5, 7));
  EXPECT_EQ(image.GetIndex(1, 0), 1);

  TPalette many(40, TPaletteEntry{9, 9, 9});
  image.NewImage(4, 1, ifColor16, &many, 0, 0);
  EXPECT_EQ(image.Palette().size(), 16u);
  image.NewImage(4, 1, ifColor16M, &many, 0, 0);
  EXPECT_TRUE(image.Palette().empty());
  EXPECT_EQ(image.Converter(), nullptr);
}

TEST(DibGraphicTest, DimensionsChangeOnlyThroughNewImageAndAreBounded) {
  TDibGraphic image;
  image.NewImage(3, 3, ifGray256, nullptr, 0, 0);
  EXPECT_EQ(MessageOf([&] { image.SetWidth(5); }),
            "Dimensions must be change with the NewImage method");
  EXPECT_EQ(MessageOf([&] { image.SetHeight(5); }),
            "Dimensions must be change with the NewImage method");
  EXPECT_EQ(image.Width(), 3);

  image.NewImage(kMaxImageDimension, 1, ifColor16M, nullptr, 0, 0);
  EXPECT_EQ(image.Width(), kMaxImageDimension);
  struct Size {
    int w, h;
    TImageFormat f;
  } refused[] = {{kMaxImageDimension + 1, 1, ifBlackWhite},
                 {1, kMaxImageDimension + 1, ifBlackWhite},
                 {20000, 20000, ifColor16M},  // 1.2 GB of pixels
                 {0, 5, ifColor16M},
                 {5, 0, ifColor16M},
                 {5, -2, ifColor16M}};
  for (const Size& s : refused) {
    image.NewImage(2, 2, ifGray256, nullptr, 0, 0);
    EXPECT_EQ(MessageOf([&] { image.NewImage(s.w, s.h, s.f, nullptr, 0, 0); }),
              "CreateDibSection failed")
        << s.w << "x" << s.h;
    EXPECT_TRUE(image.Empty());
    EXPECT_EQ(image.Width(), 0);
  }
  // Just under the buffer limit is accepted: 1 GiB of 1-bit pixels fits in 65535 rows.
  image.NewImage(kMaxImageDimension, kMaxImageDimension, ifBlackWhite, nullptr, 0, 0);
  EXPECT_EQ(image.ImageSize(), 8192u * kMaxImageDimension);
}

TEST(DibGraphicTest, AssignCopiesEverythingOrEmpties) {
  TDibGraphic source;
  TPalette palette = {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}};
  source.NewImage(7, 2, ifColor16, &palette, 0, 0);
  source.SetPixelsPerMeter(3001, 1234);
  for (int x = 0; x < 7; ++x) source.SetIndex(x, 1, x % 3);

  TDibGraphic copy;
  copy.NewImage(1, 1, ifColor16M, nullptr, 0, 0);
  copy.Assign(&source);
  EXPECT_EQ(copy.Width(), 7);
  EXPECT_EQ(copy.Format(), ifColor16);
  EXPECT_EQ(copy.Palette(), palette);
  EXPECT_EQ(copy.XPixelsPerMeter(), 3001);
  EXPECT_EQ(copy.YPixelsPerMeter(), 1234);
  EXPECT_NE(copy.Bits(), source.Bits());
  EXPECT_EQ(std::memcmp(copy.Bits(), source.Bits(), source.ImageSize()), 0);
  source.SetIndex(0, 1, 2);
  EXPECT_EQ(copy.GetIndex(0, 1), 0);                   // an independent copy
  EXPECT_EQ(copy.GetColor(2, 1), MakeColor(3, 3, 3));  // its converter and lookup are its own

  TDibGraphic empty;
  copy.Assign(&empty);
  EXPECT_TRUE(copy.Empty());
  EXPECT_TRUE(copy.Palette().empty());
  copy.Assign(&source);
  copy.Assign(nullptr);
  EXPECT_TRUE(copy.Empty());
}

TEST(DibGraphicTest, AssignFromBitmapFollowsItsHeader) {
  auto gray = [] {
    TBitmap b;
    b.width = 3;
    b.height = 2;
    b.bitsPerPixel = 8;
    b.usedColors = 256;
    for (int i = 0; i < 256; ++i) {
      const auto v = static_cast<std::uint8_t>(i);
      b.colorTable.push_back({v, v, v});
    }
    b.xPelsPerMeter = 2835;
    b.bits = TPixelBuffer::Allocate(8);
    b.bits.data()[0] = 7;    // bottom row, left pixel
    b.bits.data()[4] = 250;  // top row, left pixel
    return b;
  };
  TDibGraphic image;
  image.Assign(gray());
  EXPECT_EQ(image.Format(), ifColor256);  // a gray table still makes a colour image
  EXPECT_EQ(image.Palette(), DefaultPalette(ifGray256));
  EXPECT_EQ(image.GetIndex(0, 0), 250);
  EXPECT_EQ(image.GetIndex(0, 1), 7);
  EXPECT_EQ(image.XDpi(), 72);
  EXPECT_EQ(image.YDpi(), kScreenDpi);  // no resolution given

  const TBitmap copied = gray();
  image.Assign(copied);  // by copy: the bitmap keeps its rows
  EXPECT_TRUE(static_cast<bool>(copied.bits));
  EXPECT_EQ(image.GetIndex(0, 0), 250);

  TBitmap noTable = gray();
  noTable.usedColors = 0;
  image.Assign(std::move(noTable));
  EXPECT_EQ(image.Palette(), DefaultPalette(ifColor256));

  TBitmap bigDensity = gray();
  bigDensity.xPelsPerMeter = 2000000000;  // 50 million dpi is not a resolution
  image.Assign(std::move(bigDensity));
  EXPECT_EQ(image.XDpi(), kScreenDpi);

  TBitmap compressed = gray();
  compressed.compression = 1;
  EXPECT_EQ(MessageOf([&] { image.Assign(compressed); }), "Unsupported compression");
  TBitmap sixteen = gray();
  sixteen.bitsPerPixel = 16;
  EXPECT_EQ(MessageOf([&] { image.Assign(sixteen); }), "Unsupported bit count");
  TBitmap shortRows = gray();
  shortRows.bits = TPixelBuffer::Allocate(4);
  EXPECT_THROW(image.Assign(shortRows), EInvalidGraphic);
}

TEST(FormatTransformTest, PaletteImagesBecomeTheirColours) {
  TImageFormatTransform transform;
  EXPECT_EQ(transform.Format, ifColor16M);

  TDibGraphic gray;
  gray.NewImage(3, 2, ifGray256, nullptr, 72, 300);
  gray.SetIndex(2, 1, 200);
  int reports = 0, last = -1;
  transform.ProgressEvent = [&](TImageTransform&, int percent) {
    ++reports;
    last = percent;
  };
  transform.Apply(gray);
  ASSERT_EQ(gray.Format(), ifColor16M);
  EXPECT_EQ(gray.Row(1)[6], 200);
  EXPECT_EQ(gray.Row(1)[7], 200);
  EXPECT_EQ(gray.Row(1)[8], 200);
  EXPECT_EQ(gray.GetColor(0, 0), 0u);
  EXPECT_EQ(gray.XDpi(), 72);
  EXPECT_EQ(gray.YDpi(), 300);
  EXPECT_EQ(last, 100);
  EXPECT_EQ(reports, 2);  // 50 and 100, each once

  TPalette two = {{10, 20, 30}, {200, 100, 50}};
  TDibGraphic bw;
  bw.NewImage(9, 1, ifBlackWhite, &two, 0, 0);
  bw.SetIndex(8, 0, 1);
  TDibGraphic out;
  transform.ApplyOnDest(bw, out);
  EXPECT_EQ(out.GetColor(0, 0), MakeColor(10, 20, 30));
  EXPECT_EQ(out.GetColor(8, 0), MakeColor(200, 100, 50));
  EXPECT_EQ(bw.Format(), ifBlackWhite);  // the source is only read

  TDibGraphic vga;
  vga.NewImage(3, 1, ifColor16, nullptr, 0, 0);
  vga.SetIndex(1, 0, 12);
  transform.Apply(vga);
  EXPECT_EQ(vga.GetColor(1, 0), MakeColor(255, 85, 85));

  // True colour in, true colour out: the very same pixels, not a copy.
  TDibGraphic color;
  color.NewImage(2, 2, ifColor16M, nullptr, 0, 0);
  const std::uint8_t* before = color.Bits();
  transform.Apply(color);
  EXPECT_EQ(color.Bits(), before);
}

TEST(FormatTransformTest, PaletteTargetsAndTheBaseAreRefused) {
  TDibGraphic image;
  image.NewImage(2, 2, ifColor16M, nullptr, 0, 0);
  TImageFormatTransform transform;
  transform.Format = ifColor256;
  EXPECT_EQ(MessageOf([&] { transform.Apply(image); }),
            "Conversion to palette formats is not supported");
  EXPECT_EQ(image.Format(), ifColor16M);
  transform.Format = static_cast<TImageFormat>(7);
  EXPECT_EQ(MessageOf([&] { transform.Apply(image); }), "Internal error: Invalid image format");

  TImageTransform base;
  TDibGraphic out;
  EXPECT_EQ(MessageOf([&] { base.ApplyOnDest(image, out); }),
            "Method \"ApplyOnDest\" not implemented for TImageTransform class");
}

}  // namespace
}  // namespace fotoloom
