#include "imaging/picture_loader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

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

}  // namespace
}  // namespace fotoloom
