#include "imaging/thumbnails.h"

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <stdlib.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "imaging/jpeg_graphic.h"
#include "platform/file_errors.h"

namespace fotoloom {
namespace {

namespace fs = std::filesystem;

std::string TestData(const std::string& relative) {
  return std::string(FOTOLOOM_TESTDATA_DIR) + "/" + relative;
}

std::pair<int, int> Fit(int w, int h, int bw, int bh) {
  FitInBox(w, h, bw, bh);
  return {w, h};
}

std::string FitError(int w, int h) {
  try {
    FitInBox(w, h, 100, 100);
  } catch (const EMathError& e) {
    return e.what();
  }
  return "";
}

TEST(FitInBoxTest, SizesOfTheRule) {
  using P = std::pair<int, int>;
  EXPECT_EQ(Fit(640, 480, 100, 100), P(100, 75));
  EXPECT_EQ(Fit(480, 640, 100, 100), P(75, 100));
  EXPECT_EQ(Fit(1024, 768, 100, 100), P(100, 75));
  // Small images are enlarged to the box width.
  EXPECT_EQ(Fit(50, 50, 100, 100), P(100, 100));
  EXPECT_EQ(Fit(2, 2, 100, 100), P(100, 100));
  EXPECT_EQ(Fit(1, 1, 100, 100), P(100, 100));
  // The quotient is rounded before it is multiplied back, and products are truncated.
  EXPECT_EQ(Fit(97, 50, 100, 100), P(99, 51));
  EXPECT_EQ(Fit(149, 100, 100, 100), P(99, 67));
  EXPECT_EQ(Fit(1600, 1200, 160, 120), P(160, 120));
  EXPECT_EQ(Fit(1200, 1800, 100, 100), P(66, 100));
  // Very flat or tall images.
  EXPECT_EQ(Fit(1000, 10, 100, 100), P(100, 1));
  EXPECT_EQ(Fit(10000, 1, 100, 100), P(100, 0));
  EXPECT_EQ(Fit(3, 1000, 100, 100), P(0, 100));
  EXPECT_EQ(Fit(65535, 65535, 65535, 1), P(1, 1));
}

TEST(FitInBoxTest, ArithmeticWithoutResultRaises) {
  EXPECT_EQ(FitError(0, 50), "Floating point division by zero");
  int w = 0, h = 0;
  EXPECT_THROW(FitInBox(w, h, 0, 100), EMathError);  // 0 / 0
  // A height that does not fit 32 bits once scaled up.
  EXPECT_EQ(FitError(1, 2000000000), "Invalid floating point operation");
  w = 1;
  h = 2000000000;
  try {
    FitInBox(w, h, 100, 100);
  } catch (const EMathError&) {
  }
  EXPECT_EQ(w, 1);  // unchanged
  EXPECT_EQ(h, 2000000000);
}

// What libjpeg itself says about a written file.
struct JpegFacts {
  int width = 0, height = 0, components = 0;
  bool progressive = false;
  int density_unit = -1, x_density = 0, y_density = 0;
  int luma_q0 = 0, luma_q1 = 0;  // first two luminance quantisation steps
};

struct ErrorJump {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
};

bool ReadJpegFacts(const std::string& path, JpegFacts& facts) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  jpeg_decompress_struct cinfo;
  ErrorJump err;
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = [](j_common_ptr c) {
    std::longjmp(reinterpret_cast<ErrorJump*>(c->err)->jump, 1);
  };
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    std::fclose(f);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, f);
  jpeg_read_header(&cinfo, TRUE);
  facts.width = static_cast<int>(cinfo.image_width);
  facts.height = static_cast<int>(cinfo.image_height);
  facts.components = cinfo.num_components;
  facts.progressive = cinfo.progressive_mode != 0;
  facts.density_unit = cinfo.density_unit;
  facts.x_density = cinfo.X_density;
  facts.y_density = cinfo.Y_density;
  if (cinfo.quant_tbl_ptrs[0] != nullptr) {
    facts.luma_q0 = cinfo.quant_tbl_ptrs[0]->quantval[0];
    facts.luma_q1 = cinfo.quant_tbl_ptrs[0]->quantval[1];
  }
  jpeg_destroy_decompress(&cinfo);
  std::fclose(f);
  return true;
}

class ThumbnailTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "fotoloom-thumb-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (fs::path(dir_) / name).string(); }

  // A JPEG with a diagonal gradient; gray or colour.
  std::string MakeJpeg(const std::string& name, int w, int h, TImageFormat format, int dpi = 0) {
    TJpegGraphic image;
    image.NewImage(w, h, format, nullptr, dpi, dpi);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const int v = (x * 255 / w + y * 255 / h) / 2;
        if (format == ifGray256) {
          image.SetIndex(x, y, v);
        } else {
          image.SetColor(x, y, MakeColor(v, 255 - v, (x * 31) % 256));
        }
      }
    }
    const std::string path = Path(name);
    image.SaveToFile(path);
    return path;
  }

  std::unique_ptr<TJpegGraphic> Load(const std::string& path) {
    auto image = std::make_unique<TJpegGraphic>();
    image->LoadFromFile(path);
    return image;
  }

  std::string dir_;
};

TEST_F(ThumbnailTest, TrueColourGrayAndPaletteSources) {
  JpegFacts facts;
  // True colour: progressive, quality 85, the source's resolution.
  const std::string colour = MakeJpeg("colour.jpg", 640, 480, ifColor16M, 300);
  ASSERT_TRUE(CreateThumbnail(colour, Path("colour-t.jpg"), 100, 100));
  ASSERT_TRUE(ReadJpegFacts(Path("colour-t.jpg"), facts));
  EXPECT_EQ(facts.width, 100);
  EXPECT_EQ(facts.height, 75);
  EXPECT_EQ(facts.components, 3);
  EXPECT_TRUE(facts.progressive);
  EXPECT_EQ(facts.density_unit, 1);
  EXPECT_EQ(facts.x_density, 300);
  EXPECT_EQ(facts.y_density, 300);
  // libjpeg's scaling at quality 85 is 30 %: the base steps 16 and 11 become 5 and 3.
  EXPECT_EQ(facts.luma_q0, 5);
  EXPECT_EQ(facts.luma_q1, 3);

  // Gray: written as colour with equal channels.
  const std::string gray = MakeJpeg("gray.jpg", 480, 640, ifGray256);
  ASSERT_TRUE(CreateThumbnail(gray, Path("gray-t.jpg"), 100, 100));
  ASSERT_TRUE(ReadJpegFacts(Path("gray-t.jpg"), facts));
  EXPECT_EQ(facts.components, 3);
  EXPECT_EQ(facts.x_density, 96);  // a source without resolution gets the screen's
  auto g = Load(Path("gray-t.jpg"));
  ASSERT_EQ(g->Width(), 75);
  ASSERT_EQ(g->Height(), 100);
  for (int y = 0; y < g->Height(); ++y) {
    for (int x = 0; x < g->Width(); ++x) {
      const TColor c = g->GetColor(x, y);
      ASSERT_NEAR(ColorRed(c), ColorGreen(c), 1) << x << "," << y;
      ASSERT_NEAR(ColorBlue(c), ColorGreen(c), 1) << x << "," << y;
    }
  }

  // A 256-colour bitmap (127 x 64), a palette PNG and a colour PNG (32 x 32, enlarged).
  const std::pair<std::string, std::pair<int, int>> others[] = {
      {"bmpsuite/g/pal8.bmp", {100, 50}},    {"bmpsuite/g/rgb24.bmp", {100, 50}},
      {"pngsuite/basn3p08.png", {100, 100}}, {"pngsuite/basn2c08.png", {100, 100}},
      {"pngsuite/basn0g01.png", {100, 100}},
  };
  for (const auto& [name, size] : others) {
    const std::string target = Path("other-t.jpg");
    ASSERT_TRUE(CreateThumbnail(TestData(name), target, 100, 100)) << name;
    ASSERT_TRUE(ReadJpegFacts(target, facts)) << name;
    EXPECT_EQ(facts.width, size.first) << name;
    EXPECT_EQ(facts.height, size.second) << name;
    EXPECT_TRUE(facts.progressive) << name;
  }
}

// Mean absolute difference over all channels of two images of one size.
double MeanDifference(const TDibGraphic& a, const TDibGraphic& b, bool mirror_b = false) {
  double total = 0;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      const TColor p = a.GetColor(x, y);
      const TColor q = b.GetColor(mirror_b ? b.Width() - 1 - x : x, y);
      total += std::abs(ColorRed(p) - ColorRed(q)) + std::abs(ColorGreen(p) - ColorGreen(q)) +
               std::abs(ColorBlue(p) - ColorBlue(q));
    }
  }
  return total / (3.0 * a.Width() * a.Height());
}

TEST_F(ThumbnailTest, ExifOrientationGivesUprightThumbnails) {
  for (const std::string kind : {"Landscape", "Portrait"}) {
    const int w = kind == "Landscape" ? 100 : 66;
    const int h = kind == "Landscape" ? 66 : 100;
    auto thumbnail = [&](int n) {
      const std::string target = Path(kind + "-" + std::to_string(n) + ".jpg");
      const std::string source =
          TestData("jpeg/exif-orientation/" + kind + "_" + std::to_string(n) + ".jpg");
      EXPECT_TRUE(CreateThumbnail(source, target, 100, 100)) << source;
      return Load(target);
    };
    const auto upright = thumbnail(1);
    ASSERT_EQ(upright->Width(), w);
    ASSERT_EQ(upright->Height(), h);
    // The pictures are not symmetric: a mirrored thumbnail is far from the upright one.
    const double mirrored = MeanDifference(*upright, *upright, true);
    ASSERT_GT(mirrored, 20.0) << kind;
    for (int n = 0; n <= 8; ++n) {
      const auto t = thumbnail(n);
      ASSERT_EQ(t->Width(), w) << kind << n;
      ASSERT_EQ(t->Height(), h) << kind << n;
      EXPECT_LT(MeanDifference(*upright, *t), 6.0) << kind << n;
    }
  }
}

TEST_F(ThumbnailTest, OneDecodeGivesAPictureForEveryBox) {
  using Size = std::pair<int, int>;
  const std::string flat = MakeJpeg("flat.jpg", 1000, 10, ifColor16M);
  const std::string portrait = TestData("jpeg/exif-orientation/Portrait_6.jpg");  // sideways
  const std::vector<OutputBox> boxes = {
      {100, 100}, {200, 200}, {320, 320, true}, {2000, 2000, true}};
  struct Case {
    std::string source;
    std::vector<Size> sizes;  // {0, 0}: no picture for that box
  };
  const Case cases[] = {
      {portrait, {{66, 100}, {133, 200}, {213, 320}, {0, 0}}},
      {flat, {{0, 0}, {200, 2}, {320, 3}, {0, 0}}},  // only the first box is too flat
      {Path("missing.jpg"), {{0, 0}, {0, 0}, {0, 0}, {0, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    const auto pictures = EncodeImageOutputs(c.source, boxes);
    ASSERT_EQ(pictures.size(), boxes.size());
    EXPECT_EQ(pictures[0], EncodeThumbnail(c.source, 100, 100));
    for (std::size_t k = 0; k < boxes.size(); ++k) {
      Size size{0, 0};
      if (pictures[k]) {
        const std::string path = Path("picture.jpg");
        std::ofstream(path, std::ios::binary) << *pictures[k];
        const auto loaded = Load(path);
        size = {loaded->Width(), loaded->Height()};
      }
      EXPECT_EQ(size, c.sizes[k]) << k;
    }
  }
}

// A box made from a later box's picture is made from it only when that picture is at least
// twice as large each way, and then differs from the picture made from the photo by less than
// a level on average, as does one made from rows averaged in pairs; a baseline box is written
// without progressive scans.
TEST_F(ThumbnailTest, APictureMadeFromALargerOneStaysAsGood) {
  const std::string photo = MakeJpeg("photo.jpg", 1200, 901, ifColor16M);  // an odd row last
  const std::optional<std::string> direct = EncodeImageOutputs(photo, {{200, 200}})[0];
  ASSERT_TRUE(direct);
  const struct {
    int larger;  // the box the 200 x 200 picture may be made from
    bool from_larger;
  } cases[] = {{800, true}, {300, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.larger);
    const auto pictures = EncodeImageOutputs(
        photo,
        {{100, 100}, {200, 200, false, false, 2}, {c.larger, c.larger, true, false, -1, true}});
    ASSERT_TRUE(pictures[0] && pictures[1] && pictures[2]);
    EXPECT_EQ(pictures[0], EncodeThumbnail(photo, 100, 100));
    EXPECT_EQ(*pictures[1] == *direct, !c.from_larger);
    const std::string made = Path("made.jpg"), reference = Path("direct.jpg");
    std::ofstream(made, std::ios::binary) << *pictures[1];
    std::ofstream(reference, std::ios::binary) << *direct;
    const auto a = Load(made), b = Load(reference);
    ASSERT_EQ(a->Width(), b->Width());
    ASSERT_EQ(a->Height(), b->Height());
    EXPECT_LT(MeanDifference(*a, *b), 1.0);
    const std::string large = Path("large.jpg");
    std::ofstream(large, std::ios::binary) << *pictures[2];
    JpegFacts facts;
    ASSERT_TRUE(ReadJpegFacts(large, facts));
    EXPECT_FALSE(facts.progressive);
    EXPECT_EQ(facts.width, c.larger);
  }
  // From rows averaged in pairs: other bytes, the same size, less than a level apart.
  const std::optional<std::string> plain = EncodeImageOutputs(photo, {{400, 400}})[0];
  OutputBox paired{400, 400};
  paired.paired_rows = true;
  const std::optional<std::string> averaged = EncodeImageOutputs(photo, {paired})[0];
  ASSERT_TRUE(plain && averaged);
  EXPECT_NE(*plain, *averaged);
  std::ofstream(Path("plain.jpg"), std::ios::binary) << *plain;
  std::ofstream(Path("averaged.jpg"), std::ios::binary) << *averaged;
  const auto a = Load(Path("plain.jpg")), b = Load(Path("averaged.jpg"));
  ASSERT_EQ(a->Width(), b->Width());
  ASSERT_EQ(a->Height(), b->Height());
  EXPECT_LT(MeanDifference(*a, *b), 1.0);
}

TEST_F(ThumbnailTest, FailuresGiveFalseAndNoFile) {
  const std::string flat = MakeJpeg("flat.jpg", 1000, 10, ifColor16M);
  const std::string line = MakeJpeg("line.jpg", 10000, 1, ifGray256);
  const std::string narrow = MakeJpeg("narrow.jpg", 3, 1000, ifColor16M);
  const std::string good = MakeJpeg("good.jpg", 64, 48, ifColor16M);
  const std::string gif = Path("photo.gif");
  fs::copy_file(good, gif);
  const std::string sources[] = {
      flat,    // 100 x 1
      line,    // 100 x 0
      narrow,  // 0 x 100
      gif,     // no reader for .gif
      Path("missing.jpg"),
      TestData("jpeg/jpeg-decoder/crashtest/empty.jpg"),
      TestData("jpeg/jpeg-decoder/crashtest/missing-sos.jpg"),
      TestData("jpeg/jpeg-decoder/mozilla/jpg-cmyk-1.jpg"),    // no RGB output for CMYK
      TestData("jpeg/jpeg-decoder/mozilla/jpg-size-6x6.jpg"),  // a PNG named .jpg
      TestData("pngsuite/xs1n0g01.png"),                       // broken signature
      TestData("pngsuite/libpng-crashers/badcrc.png"),
      TestData("bmpsuite/b/badbitcount.bmp"),
  };
  for (const std::string& source : sources) {
    const std::string target = Path("target.jpg");
    EXPECT_FALSE(CreateThumbnail(source, target, 100, 100)) << source;
    EXPECT_FALSE(fs::exists(target)) << source;
  }
  // A target that cannot be created is an error of the run, not a missing thumbnail; the
  // source stays as it was.
  const auto before = fs::file_size(good);
  EXPECT_THROW(CreateThumbnail(good, Path("no-such-dir/t.jpg"), 100, 100), FileCreateError);
  EXPECT_FALSE(fs::exists(Path("no-such-dir")));
  EXPECT_EQ(fs::file_size(good), before);
  // A failure leaves an earlier thumbnail at the target alone.
  ASSERT_TRUE(CreateThumbnail(good, Path("kept.jpg"), 100, 100));
  const auto kept = fs::file_size(Path("kept.jpg"));
  EXPECT_FALSE(CreateThumbnail(flat, Path("kept.jpg"), 100, 100));
  EXPECT_EQ(fs::file_size(Path("kept.jpg")), kept);
}

TEST_F(ThumbnailTest, OddFileNames) {
  const std::string good = MakeJpeg("good.jpg", 64, 48, ifColor16M);
  for (const std::string name : {"with space.JPG", "it's.jpeg", "say \"cheese\".jpg",
                                 "\xc3\xa5ngstr\xc3\xb6m.jpg", ".hidden.jpg", "a&b<c>.jpg"}) {
    const std::string source = Path(name);
    fs::copy_file(good, source);
    const std::string target = Path("t " + name);
    EXPECT_TRUE(CreateThumbnail(source, target, 100, 100)) << name;
    EXPECT_GT(fs::file_size(target), 0u) << name;
  }
}

// Runs the tool and returns its exit status and standard output.
std::pair<int, std::string> RunTool(const std::string& arguments) {
  const std::string command =
      std::string(FOTOLOOM_BIN_DIR) + "/fotoloom-thumb " + arguments + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return {-1, ""};
  std::string out;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

TEST_F(ThumbnailTest, ToolExitStatusAndOutput) {
  const std::string good = MakeJpeg("good.jpg", 640, 480, ifColor16M);
  using R = std::pair<int, std::string>;
  EXPECT_EQ(RunTool(Quoted(good) + " " + Quoted(Path("a.jpg"))), R(0, "100x75\n"));
  EXPECT_TRUE(fs::exists(Path("a.jpg")));
  EXPECT_EQ(RunTool(Quoted(good) + " " + Quoted(Path("b.jpg")) + " 160 120"), R(0, "160x120\n"));
  // A box one pixel high gives a 1 x 1 thumbnail, which is refused.
  EXPECT_EQ(RunTool(Quoted(good) + " " + Quoted(Path("c.jpg")) + " 100 1").first, 1);
  EXPECT_FALSE(fs::exists(Path("c.jpg")));
  EXPECT_EQ(RunTool(Quoted(Path("missing.jpg")) + " " + Quoted(Path("d.jpg"))).first, 1);
  EXPECT_FALSE(fs::exists(Path("d.jpg")));
  EXPECT_EQ(RunTool("").first, 2);
  EXPECT_EQ(RunTool(Quoted(good)).first, 2);
  EXPECT_EQ(RunTool(Quoted(good) + " " + Quoted(Path("e.jpg")) + " 100").first, 2);
  EXPECT_EQ(RunTool(Quoted(good) + " " + Quoted(Path("e.jpg")) + " 100 abc").first, 2);
  EXPECT_EQ(RunTool(Quoted(good) + " " + Quoted(Path("e.jpg")) + " 0 100").first, 2);
  EXPECT_EQ(RunTool(Quoted(good) + " " + Quoted(Path("e.jpg")) + " -5 100").first, 2);
  // A 20000 x 15000 thumbnail would need about 1.8 GB to make and encode: refused unmade.
  EXPECT_EQ(RunTool(Quoted(good) + " " + Quoted(Path("e.jpg")) + " 20000 15000").first, 2);
  EXPECT_FALSE(fs::exists(Path("e.jpg")));

  // A target that is the source itself, under any name, is refused and the photo kept.
  fs::create_symlink(good, Path("link.jpg"));
  fs::create_hard_link(good, Path("hard.jpg"));
  const auto size = fs::file_size(good);
  for (const std::string& target :
       {good, Path("link.jpg"), Path("hard.jpg"), dir_ + "/./good.jpg"}) {
    EXPECT_EQ(RunTool(Quoted(good) + " " + Quoted(target)).first, 2) << target;
    EXPECT_EQ(RunTool(Quoted(target) + " " + Quoted(good)).first, 2) << target;
    EXPECT_EQ(fs::file_size(good), size) << target;
  }
}

}  // namespace
}  // namespace fotoloom
