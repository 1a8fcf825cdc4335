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

TEST(DibGraphicTest, RowsAreBottomUpPaddedAndPacked) {
  TDibGraphic image;
  image.NewImage(5, 3, ifColor16M, nullptr, 0, 0);
  EXPECT_EQ(image.RowBytes(), 16);
  EXPECT_EQ(image.Row(0), image.Bits() + 2 * 16);  // the top row is stored last
  image.NewImage(33, 2, ifBlackWhite, nullptr, 0, 0);
  EXPECT_EQ(image.RowBytes(), 8);
  image.NewImage(9, 2, ifGray16, nullptr, 0, 0);
  EXPECT_EQ(image.RowBytes(), 8);

  // Leftmost 1-bit pixel in the top bit, even 4-bit pixel in the high nibble, BGR bytes.
  image.NewImage(10, 1, ifBlackWhite, nullptr, 0, 0);
  image.SetIndex(0, 0, 5);  // any index above 0 is 1
  image.SetIndex(9, 0, 1);
  EXPECT_EQ(image.Row(0)[0], 0x80);
  EXPECT_EQ(image.Row(0)[1], 0x40);
  image.NewImage(3, 1, ifColor16, nullptr, 0, 0);
  image.SetIndex(0, 0, 0xA);
  image.SetIndex(1, 0, 0x15);  // low 4 bits only, the neighbour untouched
  image.SetIndex(2, 0, 0xC);
  EXPECT_EQ(image.Row(0)[0], 0xA5);
  EXPECT_EQ(image.Row(0)[1], 0xC0);
  image.NewImage(2, 1, ifColor16M, nullptr, 0, 0);
  image.SetColor(1, 0, MakeColor(1, 2, 3));
  EXPECT_EQ(image.Row(0)[3], 3);
  EXPECT_EQ(image.Row(0)[5], 1);
  EXPECT_EQ(MessageOf([&] { image.GetIndex(0, 0); }), "The image does not have a palette");
  EXPECT_EQ(MessageOf([&] { image.SetWidth(5); }),
            "Dimensions must be change with the NewImage method");
}

TEST(DibGraphicTest, ResolutionIsStoredInPixelsPerMetre) {
  TDibGraphic image;
  image.NewImage(1, 1, ifColor16M, nullptr, 72, 96);
  EXPECT_EQ(image.XPixelsPerMeter(), 2835);
  EXPECT_EQ(image.YPixelsPerMeter(), 3780);
  EXPECT_EQ(image.XDpi(), 72);
  image.NewImage(1, 1, ifColor16M, nullptr, 0, 300);
  EXPECT_EQ(image.XDpi(), kScreenDpi);  // 0 takes the screen's
  EXPECT_EQ(image.YPixelsPerMeter(), 11811);
  image.SetPixelsPerMeter(3000, 1);
  EXPECT_EQ(image.XDpi(), 76);  // 76.2
  EXPECT_EQ(image.YDpi(), 0);
  EXPECT_EQ(PixelsPerMeterToDpi(1e12), 2147483647);  // saturates instead of overflowing
}

TEST(DibGraphicTest, NearestIndexPrefersLowestIndexAndCaches) {
  TPalette palette = {{0, 0, 0}, {10, 10, 10}, {255, 0, 0}, {10, 10, 10}, {20, 20, 20}};
  TRgbToPaletteConverter converter(palette);
  EXPECT_EQ(converter.NearestIndex(MakeColor(10, 10, 10)), 1);  // duplicate: lower index
  EXPECT_EQ(converter.NearestIndex(MakeColor(15, 15, 15)), 1);  // tie with entry 4
  EXPECT_EQ(converter.NearestIndex(MakeColor(15, 15, 15)), 1);
  EXPECT_EQ(converter.Hits(), 1u);
  // Colours 1020 apart share a slot: each replaces the other and both stay correct.
  const TColor a = MakeColor(9, 9, 9);
  TColor b = MakeColor(250, 0, 0);
  while (b % TRgbToPaletteConverter::kSlots != a % TRgbToPaletteConverter::kSlots) ++b;
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(converter.NearestIndex(a), 1);
    EXPECT_EQ(converter.NearestIndex(b), 2);
  }
  EXPECT_EQ(converter.Hits(), 1u);

  TDibGraphic image;
  image.NewImage(2, 1, ifColor16, nullptr, 0, 0);
  image.SetColor(0, 0, MakeColor(160, 80, 10));  // nearest VGA colour: brown, entry 6
  EXPECT_EQ(image.GetColor(0, 0), MakeColor(170, 85, 0));
}

TEST(DibGraphicTest, PalettesDefaultByFormatAndStayInBounds) {
  EXPECT_EQ(DefaultPalette(ifGray16)[5], (TPaletteEntry{85, 85, 85}));
  EXPECT_EQ(DefaultPalette(ifColor16)[9], (TPaletteEntry{85, 85, 255}));
  const TPalette c256 = DefaultPalette(ifColor256);
  ASSERT_EQ(c256.size(), 256u);
  EXPECT_EQ(c256[6], (TPaletteEntry{170, 85, 0}));
  EXPECT_EQ(c256[255], TPaletteEntry{});
  EXPECT_EQ(MessageOf([] { BitsPerPixel(static_cast<TImageFormat>(6)); }),
            "Internal error: Invalid image format");

  TDibGraphic image;
  TPalette two = {{1, 2, 3}, {4, 5, 6}};
  image.NewImage(4, 1, ifColor256, &two, 0, 0);
  EXPECT_EQ(image.Palette(), two);
  image.SetIndex(0, 0, 200);  // past the palette's end: black, not a read past the table
  EXPECT_EQ(image.GetColor(0, 0), 0u);
  TPalette many(40, TPaletteEntry{9, 9, 9});
  image.NewImage(4, 1, ifColor16, &many, 0, 0);
  EXPECT_EQ(image.Palette().size(), 16u);
}

TEST(DibGraphicTest, OversizedImagesAreRefusedAndLeaveTheImageEmpty) {
  TDibGraphic image;
  struct Size {
    int w, h;
    TImageFormat f;
  } refused[] = {{kMaxImageDimension + 1, 1, ifBlackWhite},
                 {1, kMaxImageDimension + 1, ifBlackWhite},
                 {20000, 20000, ifColor16M},  // 1.2 GB of pixels
                 {0, 5, ifColor16M},
                 {5, -2, ifColor16M}};
  for (const Size& s : refused) {
    image.NewImage(2, 2, ifGray256, nullptr, 0, 0);
    EXPECT_EQ(MessageOf([&] { image.NewImage(s.w, s.h, s.f, nullptr, 0, 0); }),
              "CreateDibSection failed");
    EXPECT_TRUE(image.Empty());
    EXPECT_EQ(image.Width(), 0);
  }
  // The largest accepted: 65535 rows of 65535 1-bit pixels fit within 1 GiB.
  image.NewImage(kMaxImageDimension, kMaxImageDimension, ifBlackWhite, nullptr, 0, 0);
  EXPECT_EQ(image.ImageSize(), 8192u * kMaxImageDimension);
}

TEST(DibGraphicTest, AssignCopiesImagesAndBitmaps) {
  TDibGraphic source;
  TPalette palette = {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}};
  source.NewImage(7, 2, ifColor16, &palette, 0, 0);
  source.SetPixelsPerMeter(3001, 1234);
  source.SetIndex(2, 1, 2);
  TDibGraphic copy;
  copy.Assign(&source);
  EXPECT_EQ(copy.Palette(), palette);
  EXPECT_EQ(copy.XPixelsPerMeter(), 3001);
  EXPECT_EQ(std::memcmp(copy.Bits(), source.Bits(), source.ImageSize()), 0);
  source.SetIndex(2, 1, 0);
  EXPECT_EQ(copy.GetColor(2, 1), MakeColor(3, 3, 3));  // independent pixels and palette
  TDibGraphic empty;
  copy.Assign(&empty);
  EXPECT_TRUE(copy.Empty());

  // An 8-bit bitmap with a gray table becomes a colour-palette image with that table.
  TBitmap gray;
  gray.width = 3;
  gray.height = 2;
  gray.bitsPerPixel = 8;
  gray.usedColors = 256;
  gray.colorTable = DefaultPalette(ifGray256);
  gray.xPelsPerMeter = 2835;
  gray.yPelsPerMeter = 2000000000;  // 50 million dpi is no resolution
  gray.bits = TPixelBuffer::Allocate(8);
  gray.bits.data()[4] = 250;  // top row, left pixel
  copy.Assign(gray);
  EXPECT_EQ(copy.Format(), ifColor256);
  EXPECT_EQ(copy.Palette(), DefaultPalette(ifGray256));
  EXPECT_EQ(copy.GetIndex(0, 0), 250);
  EXPECT_EQ(copy.XDpi(), 72);
  EXPECT_EQ(copy.YDpi(), kScreenDpi);
  gray.compression = 1;
  EXPECT_EQ(MessageOf([&] { copy.Assign(gray); }), "Unsupported compression");
  gray.compression = 0;
  gray.bitsPerPixel = 16;
  EXPECT_EQ(MessageOf([&] { copy.Assign(gray); }), "Unsupported bit count");
}

TEST(FormatTransformTest, PaletteImagesBecomeTheirColours) {
  TImageFormatTransform transform;
  TDibGraphic gray;
  gray.NewImage(3, 2, ifGray256, nullptr, 72, 300);
  gray.SetIndex(2, 1, 200);
  int last = -1;
  transform.ProgressEvent = [&](TImageTransform&, int percent) { last = percent; };
  transform.Apply(gray);
  ASSERT_EQ(gray.Format(), ifColor16M);
  EXPECT_EQ(gray.GetColor(2, 1), MakeColor(200, 200, 200));
  EXPECT_EQ(gray.YDpi(), 300);
  EXPECT_EQ(last, 100);

  TPalette two = {{10, 20, 30}, {200, 100, 50}};
  TDibGraphic bw;
  bw.NewImage(9, 1, ifBlackWhite, &two, 0, 0);
  bw.SetIndex(8, 0, 1);
  TDibGraphic out;
  transform.ApplyOnDest(bw, out);
  EXPECT_EQ(out.GetColor(0, 0), MakeColor(10, 20, 30));
  EXPECT_EQ(out.GetColor(8, 0), MakeColor(200, 100, 50));

  TDibGraphic color;  // true colour is left exactly as it is
  color.NewImage(2, 2, ifColor16M, nullptr, 0, 0);
  const std::uint8_t* before = color.Bits();
  transform.Apply(color);
  EXPECT_EQ(color.Bits(), before);

  transform.Format = ifColor256;
  EXPECT_EQ(MessageOf([&] { transform.Apply(color); }),
            "Conversion to palette formats is not supported");
  TImageTransform base;
  EXPECT_EQ(MessageOf([&] { base.ApplyOnDest(color, out); }),
            "Method \"ApplyOnDest\" not implemented for TImageTransform class");
}

}  // namespace
}  // namespace fotoloom
