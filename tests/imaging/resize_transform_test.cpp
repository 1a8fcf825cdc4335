#include "imaging/resize_transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "imaging/contributors.h"
#include "imaging/exif_orientation.h"
#include "imaging/resample_passes.h"
#include "imaging/shared_resample.h"

namespace fotoloom {
namespace {

// Every kind of loops this processor runs: each must give the portable loops' bytes.
std::vector<TLoopKind> AvailableLoops() {
  std::vector<TLoopKind> kinds;
  for (TLoopKind kind :
       {TLoopKind::kPortable, TLoopKind::kAvx2, TLoopKind::kAvx512, TLoopKind::kFastest})
    if (LoopsAvailable(kind)) kinds.push_back(kind);
  return kinds;
}

// Straight from the rules, pixel by pixel and column by column: every source pixel read
// through GetColor, every step a fused multiply-add, the work image as plain bytes.
void ReferenceResize(const TDibGraphic& src, TResizeFilter filter, TDibGraphic& dst) {
  const int sw = src.Width(), sh = src.Height(), dw = dst.Width(), dh = dst.Height();
  const TFilterKernel kernel = FilterKernel(filter);
  const auto cols = BuildContributors(dw, sw, ResampleScale(dw, sw), kernel);
  const auto rows = BuildContributors(dh, sh, ResampleScale(dh, sh), kernel);
  std::vector<std::uint8_t> work(static_cast<std::size_t>(dw) * sh * 3);
  auto channel = [](TColor c, int ch) { return ch == 0 ? ColorBlue(c) : ch == 1 ? ColorGreen(c) : ColorRed(c); };
  for (int y = 0; y < sh; ++y) {
    for (int i = 0; i < dw; ++i) {
      for (int ch = 0; ch < 3; ++ch) {
        float sum = 0.0f;
        for (const TContributor& c : cols[i]) {
          if (c.weight == 0.0f) continue;
          sum = std::fma(static_cast<float>(channel(src.GetColor(c.index, y), ch)), c.weight, sum);
        }
        work[(static_cast<std::size_t>(y) * dw + i) * 3 + ch] = ClampToByte(sum);
      }
    }
  }
  for (int x = 0; x < dw; ++x) {
    for (int i = 0; i < dh; ++i) {
      std::uint8_t bgr[3];
      for (int ch = 0; ch < 3; ++ch) {
        float sum = 0.0f;
        for (const TContributor& c : rows[i]) {
          if (c.weight == 0.0f) continue;
          sum = std::fma(static_cast<float>(work[(static_cast<std::size_t>(c.index) * dw + x) * 3 + ch]),
                         c.weight, sum);
        }
        bgr[ch] = ClampToByte(sum);
      }
      dst.SetColor(x, i, MakeColor(bgr[2], bgr[1], bgr[0]));
    }
  }
}

// A smooth gradient with noise, so that sums land everywhere between 0 and 255.
void FillPhoto(TDibGraphic& image, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> noise(-40, 40);
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) {
      const int base = (x * 7 + y * 3) % 256;
      const int v = std::clamp(base + noise(rng), 0, 255);
      if (image.Format() == ifColor16M) {
        image.SetColor(x, y, MakeColor(v, 255 - v, std::clamp(v + noise(rng), 0, 255)));
      } else {
        const int entries = 1 << BitsPerPixel(image.Format());
        image.SetIndex(x, y, v % entries);
      }
    }
  }
}

std::unique_ptr<TDibGraphic> MakeImage(int w, int h, TImageFormat f, unsigned seed,
                                       const TPalette* palette = nullptr) {
  auto image = std::make_unique<TDibGraphic>();
  image->NewImage(w, h, f, palette, 0, 0);
  FillPhoto(*image, seed);
  return image;
}

void ExpectSamePixels(const TDibGraphic& a, const TDibGraphic& b, const std::string& what) {
  ASSERT_EQ(a.Width(), b.Width()) << what;
  ASSERT_EQ(a.Height(), b.Height()) << what;
  ASSERT_EQ(a.Format(), b.Format()) << what;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      ASSERT_EQ(a.GetColor(x, y), b.GetColor(x, y)) << what << " at " << x << "," << y;
    }
  }
}

void Configure(TResizeTransform& t, int w, int h, TResizeFilter filter) {
  t.Width = w;
  t.Height = h;
  t.Resample = true;
  t.FilterKind = filter;
}

void Resize(const TDibGraphic& src, int w, int h, TResizeFilter filter, TDibGraphic& dst) {
  TResizeTransform t;
  Configure(t, w, h, filter);
  t.ApplyOnDest(src, dst);
}

TEST(ResizeFilterTest, KernelValuesAndSupport) {
  EXPECT_EQ(FilterKernel(rfTriangle).function(0.25f), 0.75f);
  EXPECT_EQ(FilterKernel(rfHermite).function(0.5f), 0.5f);
  EXPECT_EQ(FilterKernel(rfBell).function(1.0f), 0.125f);
  EXPECT_EQ(FilterKernel(rfBSpline).function(1.0f), static_cast<float>(1.0L / 6));
  EXPECT_EQ(FilterKernel(rfBSpline).function(0.0f), static_cast<float>(2.0L / 3));
  EXPECT_EQ(FilterKernel(rfMitchell).function(0.0f), static_cast<float>(16.0L / 18));
  EXPECT_EQ(FilterKernel(rfMitchell).function(1.0f), static_cast<float>(1.0L / 18));
  EXPECT_EQ(FilterKernel(rfLanczos3).function(0.0f), 1.0f);
  // sin of pi rounded to single is not 0, so the zero crossings are only nearly zero.
  const float at_one = FilterKernel(rfLanczos3).function(1.0f);
  EXPECT_NE(at_one, 0.0f);
  EXPECT_LT(std::fabs(at_one), 1e-6f);
  EXPECT_NEAR(FilterKernel(rfLanczos3).function(0.5f), 0.6079271f, 1e-6f);
  EXPECT_EQ(FilterKernel(rfLanczos3).function(-0.5f), FilterKernel(rfLanczos3).function(0.5f));
  const float radius[] = {1.0f, 1.0f, 1.5f, 2.0f, 3.0f, 2.0f};
  for (int f = rfTriangle; f <= rfMitchell; ++f) {
    const TFilterKernel k = FilterKernel(static_cast<TResizeFilter>(f));
    EXPECT_EQ(k.radius, radius[f]) << f;
    EXPECT_EQ(k.function(k.radius), 0.0f) << f;
    EXPECT_EQ(k.function(-k.radius - 0.5f), 0.0f) << f;
  }
}

TEST(ContributorsTest, ScalesAndWindowWidth) {
  EXPECT_EQ(ResampleScale(2, 1), 2.0f);
  EXPECT_EQ(ResampleScale(100, 640), 99.0f / 639.0f);
  EXPECT_EQ(ResampleScale(75, 480), 74.0f / 479.0f);
  EXPECT_EQ(ResampleScale(50, 50), 1.0f);
  // Shrinking 640 to 100 with Lanczos-3: a window of about 19.4 columns either side.
  const auto lists = BuildContributors(100, 640, ResampleScale(100, 640), FilterKernel(rfLanczos3));
  const TContributorList& middle = lists[50];
  ASSERT_FALSE(middle.empty());
  EXPECT_EQ(middle.front().index, 304);  // centre 50 / scale = 322.73, minus 19.36
  EXPECT_EQ(middle.back().index, 342);
  for (const auto& list : lists) EXPECT_LE(list.size(), 39u);
  // Unnormalised: the sum of a list is close to 1, not 1.
  float sum = 0.0f;
  for (const TContributor& c : middle) sum += c.weight;
  EXPECT_NEAR(sum, 1.0f, 0.01f);
}

TEST(ContributorsTest, MirroredEdges) {
  // A single pixel enlarged: taps that mirror outside it stay, with weight 0.
  const auto one = BuildContributors(2, 1, ResampleScale(2, 1), FilterKernel(rfLanczos3));
  ASSERT_EQ(one[0].size(), 5u);
  const int indices[] = {2, 1, 0, 0, -1};
  const float tiny = FilterKernel(rfLanczos3).function(1.0f);
  const float weights[] = {0.0f, 0.0f, 1.0f, tiny, 0.0f};
  for (int n = 0; n < 5; ++n) {
    EXPECT_EQ(one[0][n].index, indices[n]) << n;
    EXPECT_EQ(one[0][n].weight, weights[n]) << n;
  }
  // The two edges reflect differently: -1 reads column 1, but 5 reads column 4.
  const auto five = BuildContributors(5, 5, 1.0f, FilterKernel(rfBSpline));
  const float side = static_cast<float>(1.0L / 6), mid = static_cast<float>(2.0L / 3);
  ASSERT_EQ(five[0].size(), 3u);
  EXPECT_EQ(five[0][0].index, 1);
  EXPECT_EQ(five[0][0].weight, side);
  EXPECT_EQ(five[0][1].index, 0);
  EXPECT_EQ(five[0][1].weight, mid);
  ASSERT_EQ(five[4].size(), 3u);
  EXPECT_EQ(five[4][2].index, 4);
  EXPECT_EQ(five[4][2].weight, side);
  EXPECT_EQ(five[4][0].index, 3);
}

TEST(ResampleStepTest, ClampAndRoundHalvesToEven) {
  EXPECT_EQ(ClampToByte(254.5f), 254);
  EXPECT_EQ(ClampToByte(253.5f), 254);
  EXPECT_EQ(ClampToByte(255.3f), 255);
  EXPECT_EQ(ClampToByte(-0.7f), 0);
  EXPECT_EQ(ClampToByte(0.5f), 0);
  EXPECT_EQ(ClampToByte(1.5f), 2);
  EXPECT_EQ(ClampToByte(1000.0f), 255);

  // The same through both passes and both loop kinds: one tap each, weight = wanted sum,
  // over a source of value 1 (16 rows, so the vector loops run whole blocks).
  const float sums[] = {254.5f, 253.5f, 255.3f, -0.7f, 0.5f, 2.5f, 3.5f, 127.49f};
  const std::uint8_t expected[] = {254, 254, 255, 0, 0, 2, 4, 127};
  TTapTable taps;
  taps.start = {0};
  for (int n = 0; n < 8; ++n) {
    taps.index.push_back(n);
    taps.weight.push_back(sums[n]);
    taps.start.push_back(n + 1);
  }
  TDibGraphic ones;
  ones.NewImage(8, 16, ifColor16M, nullptr, 0, 0);
  for (int y = 0; y < 16; ++y) std::fill(ones.Row(y), ones.Row(y) + 24, 1);
  for (TLoopKind loops : AvailableLoops()) {
    TDibGraphic work, dest;
    work.NewImage(8, 16, ifColor16M, nullptr, 0, 0);
    ResampleRows(TOrientedSource(ones, 1), taps, work, loops);
    dest.NewImage(8, 8, ifColor16M, nullptr, 0, 0);
    ResampleColumns(ones, taps, dest, loops);  // destination row n from source row n
    for (int n = 0; n < 8; ++n) {
      for (int ch = 0; ch < 3; ++ch) {
        for (int y = 0; y < 16; ++y) EXPECT_EQ(work.Row(y)[3 * n + ch], expected[n]) << n;
        for (int x = 0; x < 8; ++x) EXPECT_EQ(dest.Row(n)[3 * x + ch], expected[n]) << n;
      }
    }
  }
}

// Finds a byte b and a weight w for which 50 + b x w gives another byte when the product
// is rounded on its own before the addition than when the step is one fused rounding.
bool FindFusedOnlyCase(std::uint8_t& byte, float& weight) {
  for (int b = 255; b >= 2; --b) {
    for (const float toward : {0.0f, 1.0f}) {
      float w = 51.5f / static_cast<float>(b);
      for (int n = 0; n < 64; ++n) {
        w = std::nextafter(w, toward);
        volatile float product = static_cast<float>(b) * w;
        volatile float unfused = product + 50.0f;
        if (ClampToByte(std::fma(static_cast<float>(b), w, 50.0f)) != ClampToByte(unfused)) {
          byte = static_cast<std::uint8_t>(b);
          weight = w;
          return true;
        }
      }
    }
  }
  return false;
}

// Sums near a rounding boundary come out as a chain of fused multiply-adds would give them,
// in both passes and both loop kinds: a compiler that split the step into a rounded product
// and a rounded sum, or fused a different pair, would change these bytes.
TEST(ResampleStepTest, EachStepIsOneFusedRounding) {
  std::uint8_t b = 0;
  float weight = 0.0f;
  ASSERT_TRUE(FindFusedOnlyCase(b, weight));
  const std::uint8_t fused = ClampToByte(std::fma(static_cast<float>(b), weight, 50.0f));

  TTapTable taps;
  taps.start = {0, 2};
  taps.index = {0, 1};
  taps.weight = {1.0f, weight};
  TDibGraphic src;
  src.NewImage(2, 17, ifColor16M, nullptr, 0, 0);
  for (int y = 0; y < 17; ++y) {
    std::uint8_t* p = src.Row(y);
    std::fill(p, p + 3, 50);
    std::fill(p + 3, p + 6, b);
  }
  TDibGraphic tall;
  tall.NewImage(9, 2, ifColor16M, nullptr, 0, 0);
  std::fill(tall.Row(0), tall.Row(0) + 27, 50);
  std::fill(tall.Row(1), tall.Row(1) + 27, b);
  for (TLoopKind loops : AvailableLoops()) {
    TDibGraphic work;
    work.NewImage(1, 17, ifColor16M, nullptr, 0, 0);  // one block of rows and one more
    ResampleRows(TOrientedSource(src, 1), taps, work, loops);
    for (int y = 0; y < 17; ++y) {
      for (int ch = 0; ch < 3; ++ch) EXPECT_EQ(work.Row(y)[ch], fused) << y << "," << ch;
    }
    TDibGraphic dest;
    dest.NewImage(9, 1, ifColor16M, nullptr, 0, 0);
    ResampleColumns(tall, taps, dest, loops);
    for (int x = 0; x < 27; ++x) EXPECT_EQ(dest.Row(0)[x], fused) << x;
  }
}

TEST(ResizeTransformTest, SameSizeLanczosKeepsEveryPixel) {
  const auto src = MakeImage(100, 50, ifColor16M, 1);
  TDibGraphic dst;
  Resize(*src, 100, 50, rfLanczos3, dst);
  ExpectSamePixels(*src, dst, "identity");
}

TEST(ResizeTransformTest, VectorLoopsMatchPlainReference) {
  struct Case { int sw, sh, dw, dh; TResizeFilter filter; };
  const Case cases[] = {
      {640, 480, 100, 75, rfLanczos3}, {97, 50, 99, 51, rfLanczos3}, {33, 17, 71, 40, rfMitchell},
      {1, 1, 2, 2, rfLanczos3},        {5, 9, 13, 3, rfBell},        {200, 23, 7, 11, rfBSpline},
      {64, 64, 64, 64, rfHermite},     {30, 300, 9, 100, rfTriangle},
  };
  unsigned seed = 10;
  for (const Case& c : cases) {
    const auto owned = MakeImage(c.sw, c.sh, ifColor16M, ++seed);
    const TDibGraphic& src = *owned;
    TDibGraphic fast, reference;
    Resize(src, c.dw, c.dh, c.filter, fast);
    reference.NewImage(c.dw, c.dh, ifColor16M, nullptr, 0, 0);
    ReferenceResize(src, c.filter, reference);
    ExpectSamePixels(fast, reference, std::to_string(c.sw) + "x" + std::to_string(c.sh));

    // And each kind of loops on its own.
    const TFilterKernel kernel = FilterKernel(c.filter);
    for (TLoopKind loops : AvailableLoops()) {
      TDibGraphic work, plain;
      work.NewImage(c.dw, c.sh, ifColor16M, nullptr, 0, 0);
      plain.NewImage(c.dw, c.dh, ifColor16M, nullptr, 0, 0);
      ResampleRows(TOrientedSource(src, 1),
                   MakeTapTable(BuildContributors(c.dw, c.sw, ResampleScale(c.dw, c.sw), kernel)),
                   work, loops);
      ResampleColumns(
          work, MakeTapTable(BuildContributors(c.dh, c.sh, ResampleScale(c.dh, c.sh), kernel)),
          plain, loops);
      ExpectSamePixels(plain, reference, "loops " + std::to_string(static_cast<int>(loops)));
    }
  }
}

TEST(ResizeTransformTest, ExtremeAspectRatios) {
  // Very flat to very tall and on to very wide, with a constant colour: the result stays
  // close to it (weights are not normalised: each pass may lose or gain up to about a percent),
  // and black stays exactly black.
  for (const TColor colour : {MakeColor(0, 0, 0), MakeColor(200, 100, 30)}) {
    TDibGraphic flat;
    flat.NewImage(512, 9, ifColor16M, nullptr, 0, 0);
    for (int y = 0; y < 9; ++y) {
      for (int x = 0; x < 512; ++x) flat.SetColor(x, y, colour);
    }
    TDibGraphic tall, wide;
    Resize(flat, 9, 512, rfLanczos3, tall);
    Resize(tall, 2000, 50, rfLanczos3, wide);
    for (const TDibGraphic* image : {&tall, &wide}) {
      for (int y = 0; y < image->Height(); ++y) {
        for (int x = 0; x < image->Width(); ++x) {
          const TColor c = image->GetColor(x, y);
          ASSERT_NEAR(ColorRed(c), ColorRed(colour), 6);
          ASSERT_NEAR(ColorGreen(c), ColorGreen(colour), 6);
          ASSERT_NEAR(ColorBlue(c), ColorBlue(colour), 6);
          if (colour == 0) {
            ASSERT_EQ(c, 0u);
          }
        }
      }
    }
  }
  // A single row or column of source: 1000 x 1 to 100 x 2 follows the reference.
  const auto line = MakeImage(1000, 1, ifColor16M, 3);
  TDibGraphic out, reference;
  Resize(*line, 100, 2, rfLanczos3, out);
  reference.NewImage(100, 2, ifColor16M, nullptr, 0, 0);
  ReferenceResize(*line, rfLanczos3, reference);
  ExpectSamePixels(out, reference, "1000x1");
}

TEST(ResizeTransformTest, PaletteAndGraySourcesKeepTheirFormat) {
  TPalette palette;
  for (int n = 0; n < 256; ++n) palette.push_back({static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(255 - n), static_cast<std::uint8_t>(n * 7)});
  const auto indexed = MakeImage(90, 40, ifColor256, 5, &palette);
  TDibGraphic out, reference;
  Resize(*indexed, 30, 20, rfLanczos3, out);
  EXPECT_EQ(out.Format(), ifColor256);
  EXPECT_EQ(out.Palette(), palette);
  reference.NewImage(30, 20, ifColor256, &palette, 0, 0);
  ReferenceResize(*indexed, rfLanczos3, reference);
  ExpectSamePixels(out, reference, "palette");

  // Gray stays gray with every level: the same picture in true colour gives equal channels
  // and the gray result holds exactly that level.
  const auto gray_owned = MakeImage(90, 40, ifGray256, 6);
  const TDibGraphic& gray = *gray_owned;
  TDibGraphic colour;
  colour.NewImage(90, 40, ifColor16M, nullptr, 0, 0);
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 90; ++x) colour.SetColor(x, y, gray.GetColor(x, y));
  }
  TDibGraphic gray_out, colour_out;
  Resize(gray, 30, 20, rfLanczos3, gray_out);
  Resize(colour, 30, 20, rfLanczos3, colour_out);
  EXPECT_EQ(gray_out.Format(), ifGray256);
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 30; ++x) {
      const TColor c = colour_out.GetColor(x, y);
      ASSERT_EQ(ColorRed(c), ColorBlue(c));
      ASSERT_EQ(gray_out.GetIndex(x, y), ColorRed(c)) << x << "," << y;
    }
  }

  // 4-bit and 1-bit sources are read pixel by pixel.
  for (TImageFormat format : {ifColor16, ifBlackWhite}) {
    const auto packed = MakeImage(37, 21, format, 7);
    TDibGraphic result, expected;
    Resize(*packed, 11, 9, rfMitchell, result);
    expected.NewImage(11, 9, format, &packed->Palette(), 0, 0);
    ReferenceResize(*packed, rfMitchell, expected);
    ExpectSamePixels(result, expected, FormatDisplayName(format));
  }
}

TEST(ResizeTransformTest, SizeErrorsAndDestinationSettings) {
  const auto owned = MakeImage(10, 10, ifColor16M, 8);
  const TDibGraphic& src = *owned;
  auto message_of = [](const TDibGraphic& s, int w, int h) -> std::string {
    TDibGraphic d;
    try {
      Resize(s, w, h, rfLanczos3, d);
    } catch (const EPixwellError& e) {
      return e.what();
    }
    return "";
  };
  EXPECT_EQ(message_of(src, 1, 5), "Destination graphic too small");
  EXPECT_EQ(message_of(src, 5, 1), "Destination graphic too small");
  EXPECT_EQ(message_of(src, 2, 2), "");
  const TDibGraphic empty;
  EXPECT_EQ(message_of(empty, 1, 1), "Source graphic too small");

  // The destination is re-created with the requested size, the source's resolution and,
  // with ForceFormat, another format (a true-colour source into a gray destination).
  TDibGraphic hires;
  hires.NewImage(40, 30, ifColor16M, nullptr, 300, 150);
  TResizeTransform t;
  Configure(t, 20, 15, rfTriangle);
  t.ForceFormat = true;
  t.TargetFormat = ifGray256;
  TDibGraphic out;
  t.ApplyOnDest(hires, out);
  EXPECT_EQ(out.Format(), ifGray256);
  EXPECT_EQ(out.XDpi(), 300);
  EXPECT_EQ(out.YDpi(), 150);
  EXPECT_EQ(out.Width(), 20);

  // Progress: 0 first, 100 last, never the same figure twice in a row.
  std::vector<int> reported;
  TResizeTransform p;
  Configure(p, 5, 5, rfLanczos3);
  p.ProgressEvent = [&](TImageTransform&, int percent) { reported.push_back(percent); };
  p.ApplyOnDest(src, out);
  ASSERT_GE(reported.size(), 2u);
  EXPECT_EQ(reported.front(), 0);
  EXPECT_EQ(reported.back(), 100);
  for (std::size_t n = 1; n < reported.size(); ++n) EXPECT_NE(reported[n], reported[n - 1]);
}

// A photo stored sideways is read upright without a turned copy: the result must be the
// turned copy's, bit for bit, in both loop kinds, resolution included.
TEST(ResizeTransformTest, SourceOrientationEqualsTurningFirst) {
  for (TImageFormat format : {ifColor16M, ifGray256}) {
    for (int orientation = 1; orientation <= 8; ++orientation) {
      auto stored = MakeImage(61, 37, format, 20 + orientation);
      stored->SetXDpi(300);
      stored->SetYDpi(72);
      TDibGraphic turned;
      turned.Assign(stored.get());
      ApplyExifOrientation(turned, orientation);
      const bool sideways = orientation >= 5;
      const int dw = sideways ? 20 : 33, dh = sideways ? 33 : 20;

      TDibGraphic expected, direct;
      Resize(turned, dw, dh, rfLanczos3, expected);
      TResizeTransform t;
      Configure(t, dw, dh, rfLanczos3);
      t.SourceOrientation = orientation;
      t.ApplyOnDest(*stored, direct);
      const std::string what = FormatDisplayName(format) + " " + std::to_string(orientation);
      ExpectSamePixels(direct, expected, what);
      EXPECT_EQ(direct.XDpi(), sideways ? 72 : 300) << what;
      EXPECT_EQ(direct.YDpi(), sideways ? 300 : 72) << what;

      const TOrientedSource upright(*stored, orientation);
      ASSERT_EQ(upright.Width(), turned.Width());
      ASSERT_EQ(upright.Height(), turned.Height());
      const TTapTable taps = MakeTapTable(
          BuildContributors(dw, upright.Width(), ResampleScale(dw, upright.Width()), FilterKernel(rfLanczos3)));
      TDibGraphic work_portable, work_turned;
      work_portable.NewImage(dw, upright.Height(), ifColor16M, nullptr, 0, 0);
      work_turned.NewImage(dw, upright.Height(), ifColor16M, nullptr, 0, 0);
      ResampleRows(upright, taps, work_portable, TLoopKind::kPortable);
      ResampleRows(TOrientedSource(turned, 1), taps, work_turned, TLoopKind::kPortable);
      ExpectSamePixels(work_portable, work_turned, what + " portable");
    }
  }
}

// Several sizes over one reading of the source give each size's own resize, bit for bit,
// with the source gone before the destinations are made; a size too small is refused alone.
// Taking the stored rows one at a time, as a decoder hands them over, gives the same bytes.
TEST(SharedResampleTest, EachSizeEqualsItsOwnResize) {
  struct Case {
    TImageFormat format;
    int orientation;
    int width, height;  // stored source; heights not a multiple of 16 leave rows after the blocks
  };
  const Case cases[] = {{ifColor16M, 1, 90, 53}, {ifColor16M, 6, 70, 41}, {ifGray256, 3, 45, 38},
                        {ifColor256, 2, 33, 16}, {ifColor16M, 1, 50, 7},  {ifColor16M, 2, 64, 120},
                        {ifGray256, 1, 20, 35}};
  const int sizes[][2] = {{7, 5}, {14, 10}, {40, 30}, {30, 150}};
  for (const Case& c : cases) {
    auto source = MakeImage(c.width, c.height, c.format, 40 + c.orientation);
    source->SetXDpi(300);
    const std::string what = FormatDisplayName(c.format) + " " + std::to_string(c.orientation);
    std::vector<std::unique_ptr<TDibGraphic>> expected;
    for (const auto& size : sizes) {
      expected.push_back(std::make_unique<TDibGraphic>());
      TResizeTransform t;
      Configure(t, size[0], size[1], rfLanczos3);
      t.SourceOrientation = c.orientation;
      t.ApplyOnDest(*source, *expected.back());
    }
    TSharedResample shared(*source, c.orientation, rfLanczos3);
    EXPECT_THROW(shared.AddSize(1, 30), EPixwellError) << what;
    std::vector<std::size_t> planned;
    for (const auto& size : sizes) planned.push_back(shared.AddSize(size[0], size[1]));
    shared.RunRows();
    source.reset();
    for (std::size_t k = 0; k < planned.size(); ++k) {
      TDibGraphic made;
      shared.Finish(planned[k], made);
      ExpectSamePixels(made, *expected[k], what + " size " + std::to_string(k));
      EXPECT_EQ(made.Palette(), expected[k]->Palette()) << what;
      EXPECT_EQ(made.XDpi(), expected[k]->XDpi()) << what;
      EXPECT_EQ(made.YDpi(), expected[k]->YDpi()) << what;
    }
    if (!TSharedResample::TakesRowsOf(c.orientation)) continue;
    source = MakeImage(c.width, c.height, c.format, 40 + c.orientation);
    source->SetXDpi(300);
    for (TLoopKind loops : AvailableLoops()) {
      TSharedResample rows({c.width, c.height, c.format, &source->Palette(), source->XDpi(),
                            source->YDpi(), c.orientation},
                           rfLanczos3, std::nullopt, loops);
      planned.clear();
      for (const auto& size : sizes) planned.push_back(rows.AddSize(size[0], size[1]));
      const std::size_t bytes =
          static_cast<std::size_t>(c.width) * (c.format == ifColor16M ? 3 : 1);
      for (int y = 0; y < c.height; ++y) {
        std::copy(source->Row(y), source->Row(y) + bytes, rows.NextRow());
        rows.RowDone();
      }
      for (std::size_t k = 0; k < planned.size(); ++k) {
        TDibGraphic made;
        rows.Finish(planned[k], made);
        ExpectSamePixels(made, *expected[k], what + " rows, size " + std::to_string(k));
        EXPECT_EQ(made.XDpi(), expected[k]->XDpi()) << what;
      }
    }
  }
}

TEST(ResizeTransformTest, StretchWithoutResamplingTakesNearestPixels) {
  TDibGraphic src;
  src.NewImage(2, 2, ifColor256, nullptr, 0, 0);
  src.SetIndex(0, 0, 1);
  src.SetIndex(1, 0, 2);
  src.SetIndex(0, 1, 3);
  src.SetIndex(1, 1, 4);
  TResizeTransform t;
  t.Width = 4;
  t.Height = 4;
  TDibGraphic out;
  t.ApplyOnDest(src, out);
  EXPECT_EQ(out.GetIndex(1, 1), 1);
  EXPECT_EQ(out.GetIndex(2, 1), 2);
  EXPECT_EQ(out.GetIndex(1, 3), 3);
  EXPECT_EQ(out.GetIndex(3, 3), 4);
}

}  // namespace
}  // namespace fotoloom
