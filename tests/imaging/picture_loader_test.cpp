#include "imaging/picture_loader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "image_test_util.h"
#include "imaging/jpeg_graphic.h"
#include "imaging/png_graphic.h"

namespace fotoloom {
namespace {

namespace fs = std::filesystem;

class PictureLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = testing::MakeTempDir(); }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Copy(const std::string& testData, const std::string& name) {
    const std::string path = dir_ + "/" + name;
    fs::copy_file(testing::TestData(testData), path);
    return path;
  }

  std::string ErrorOf(const std::string& path) {
    try {
      LoadPicture(path);
    } catch (const Error& e) {
      return e.what();
    }
    return "(loaded)";
  }

  std::string dir_;
  testing::PngWarningRecorder warnings_;
};

TEST_F(PictureLoaderTest, ExtensionPicksTheReaderWhateverItsCase) {
  auto upper = LoadPicture(Copy("jpeg/libjpeg-turbo/testorig.jpg", "photo.JPG"));
  EXPECT_NE(dynamic_cast<TJpegGraphic*>(upper.get()), nullptr);
  EXPECT_EQ(upper->Width(), 227);
  auto long_ = LoadPicture(Copy("jpeg/libjpeg-turbo/testorig.jpg", "photo.Jpeg"));
  EXPECT_NE(dynamic_cast<TJpegGraphic*>(long_.get()), nullptr);
  auto png = LoadPicture(Copy("pngsuite/basn3p08.png", "it's a \"photo\" \xC3\xBC.PnG"));
  EXPECT_NE(dynamic_cast<TPngGraphic*>(png.get()), nullptr);
  EXPECT_EQ(png->Format(), ifColor256);
  auto bmp = LoadPicture(Copy("bmpsuite/g/rgb32.bmp", ".hidden.bmp"));
  EXPECT_EQ(bmp->Format(), ifColor16M);  // 32-bit bitmaps arrive as true colour
  EXPECT_EQ(dynamic_cast<TJpegGraphic*>(bmp.get()), nullptr);
  auto grayBmp = LoadPicture(Copy("bmpsuite/g/pal8gs.bmp", "gray.bMp"));
  EXPECT_EQ(grayBmp->Format(), ifColor256);

  EXPECT_EQ(PictureFileDescription("PNG"), "Portable Network Graphic");
  EXPECT_EQ(PictureFileDescription("jpeg"), "JPEG");
  EXPECT_EQ(PictureFileDescription("bmp"), "Bitmaps");
  EXPECT_EQ(PictureFileDescription("gif"), "");
}

TEST_F(PictureLoaderTest, UnknownExtensionsAndUnreadableFilesAreErrors) {
  EXPECT_EQ(ErrorOf(Copy("pngsuite/basn3p08.png", "photo.gif")),
            "Unknown picture file extension (.gif)");
  EXPECT_EQ(ErrorOf(Copy("pngsuite/basn3p08.png", "photo")), "Unknown picture file extension (.)");
  EXPECT_EQ(ErrorOf(Copy("pngsuite/basn3p08.png", "photo.png.")),
            "Unknown picture file extension (.)");
  fs::create_directory(dir_ + "/album.d");
  EXPECT_EQ(ErrorOf(dir_ + "/album.d/picture"), "Unknown picture file extension (.)");

  const std::string missing = dir_ + "/missing.jpg";
  EXPECT_EQ(ErrorOf(missing), "Cannot open file " + missing);
  fs::create_directory(dir_ + "/folder.png");
  EXPECT_EQ(ErrorOf(dir_ + "/folder.png"), "Cannot open file " + dir_ + "/folder.png");
  const std::string fifo = dir_ + "/pipe.bmp";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ErrorOf(fifo), "Cannot open file " + fifo);  // refused, not waited on
  if (geteuid() != 0) {
    const std::string locked = Copy("jpeg/libjpeg-turbo/testorig.jpg", "locked.jpg");
    fs::permissions(locked, fs::perms::none);
    EXPECT_EQ(ErrorOf(locked), "Cannot open file " + locked);
  }

  // A file whose content does not match its name fails in the reader of its name.
  EXPECT_THROW(LoadPicture(Copy("pngsuite/basn3p08.png", "fake.jpg")), EJpegError);
  EXPECT_THROW(LoadPicture(Copy("jpeg/libjpeg-turbo/testorig.jpg", "fake.png")), EPNGError);
  EXPECT_THROW(LoadPicture(Copy("jpeg/libjpeg-turbo/testorig.jpg", "fake.bmp")), EInvalidGraphic);
}

// Keeps the rows a reader hands over.
class RowRecorder : public TRowSink {
 public:
  bool Start(const TRowShape& shape) override {
    shape_ = shape;
    if (shape.palette != nullptr) palette_ = *shape.palette;  // valid while the read lasts
    started_ = true;
    return true;
  }
  std::uint8_t* NextRow() override {
    rows_.emplace_back(static_cast<std::size_t>(shape_.width) *
                       (shape_.format == ifColor16M ? 3 : 1));
    return rows_.back().data();
  }
  void RowDone() override { ++done_; }

  TRowShape shape_;
  TPalette palette_;
  std::vector<std::vector<std::uint8_t>> rows_;
  bool started_ = false;
  int done_ = 0;
};

// Readers that can hand their rows over in order give exactly the rows of the whole image, and
// say so in the header; interlaced or low-depth PNGs are read whole.
TEST_F(PictureLoaderTest, RowsHandedOverAreTheDecodedRows) {
  const std::string gray = dir_ + "/gray.jpg";
  {
    TJpegGraphic g;
    g.NewImage(37, 21, ifGray256, nullptr, 0, 0);
    for (int y = 0; y < 21; ++y)
      for (int x = 0; x < 37; ++x) g.Row(y)[x] = static_cast<std::uint8_t>(x * 7 + y * 3);
    g.SaveToFile(gray);
  }
  const struct {
    std::string file;
    bool in_order;
  } cases[] = {
      {Copy("jpeg/libjpeg-turbo/testorig.jpg", "colour.jpg"), true},
      {gray, true},
      {Copy("jpeg/exif-orientation/Landscape_6.jpg", "turned.jpg"), true},
      {Copy("pngsuite/basn0g08.png", "g8.png"), true},
      {Copy("pngsuite/basn0g16.png", "g16.png"), true},
      {Copy("pngsuite/basn2c08.png", "c8.png"), true},
      {Copy("pngsuite/basn2c16.png", "c16.png"), true},
      {Copy("pngsuite/basn3p08.png", "p8.png"), true},
      {Copy("pngsuite/basn4a08.png", "ga8.png"), true},
      {Copy("pngsuite/basn6a08.png", "ca8.png"), true},
      {Copy("pngsuite/basi2c08.png", "interlaced.png"), false},
      {Copy("pngsuite/basn3p04.png", "p4.png"), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const std::unique_ptr<TDibGraphic> whole = LoadPicture(c.file);
    bool in_order = false;
    RowRecorder rows;
    const std::unique_ptr<TDibGraphic> left = LoadPicture(
        c.file, [&](const TImageHeader& h) { in_order = h.rowsInOrder; }, &rows);
    EXPECT_EQ(in_order, c.in_order);
    EXPECT_EQ(rows.started_, c.in_order);
    if (!c.in_order) {
      EXPECT_EQ(left->ImageSize(), whole->ImageSize());
      continue;
    }
    EXPECT_TRUE(left->Empty());
    EXPECT_EQ(rows.shape_.width, whole->Width());
    EXPECT_EQ(rows.shape_.format, whole->Format());
    EXPECT_EQ(rows.shape_.orientation, whole->Orientation());
    ASSERT_EQ(rows.done_, whole->Height());
    for (int y = 0; y < whole->Height(); ++y) {
      ASSERT_TRUE(std::equal(rows.rows_[y].begin(), rows.rows_[y].end(), whole->Row(y))) << y;
    }
    EXPECT_EQ(rows.palette_, whole->Palette());
  }
}

}  // namespace
}  // namespace fotoloom
