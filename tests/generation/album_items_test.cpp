#include "generation/album_items.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "files/dir.h"
#include "files/file_errors.h"
#include "generation/album_settings.h"
#include "generation/client_ui.h"
#include "generation/unique_names.h"
#include "imaging/image_formats.h"
#include "imaging/picture_loader.h"
#include "platform/file_time.h"

namespace fotoloom {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

class LabelLog : public ProgressTarget {
 public:
  void SetMinimum(int) override {}
  void SetMaximum(int) override {}
  void SetPosition(int) override {}
  int Position() const override { return 0; }
  int Maximum() const override { return 0; }
  void SetText(const std::string& text) override { texts.push_back(text); }
  void ProcessMessages() override {}
  Strings texts;
};

class AlbumItemsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string templ = (fs::temp_directory_path() / "fotoloom-items-XXXXXX").string();
    ASSERT_NE(mkdtemp(templ.data()), nullptr);
    root_ = templ + "/";
    data_ = root_ + "fldata/";
    fs::create_directory(data_);
  }
  void TearDown() override {
    ReleaseItems();
    ResetClientUI();
    fs::remove_all(root_);
  }
  static void Touch(const std::string& path, std::size_t size = 0) {
    std::ofstream(path, std::ios::binary) << std::string(size, 'x');
  }
  // Last path components of one field over all items, in item order.
  static Strings Names(std::string (*field)(int)) {
    Strings names;
    for (int i = 0; i < ItemCount(); ++i) names.push_back(fs::path(field(i)).filename().string());
    return names;
  }
  std::string root_, data_;
};

TEST_F(AlbumItemsTest, NamesAreUniqueAcrossMasksRunsAndLetterCase) {
  for (const char* name : {"x.jpg", "x.bmp", "y.png", "a.jpg", "A.jpg"}) Touch(root_ + name);
  Touch(data_ + "Y.JPG");  // left by an earlier run, in other letter case
  Touch(data_ + "y.HTML");
  Touch(data_ + "a.png");  // other kinds take no names
  fs::create_directory(data_ + "A.html");  // a folder cannot be written over: skipped
  ReadItems(root_, data_, 0);
  // "*.bmp" is listed first, so x.bmp keeps the plain names.
  EXPECT_EQ(Names(ItemSourcePath), (Strings{"x.bmp", "A.jpg", "a.jpg", "x.jpg", "y.png"}));
  EXPECT_EQ(Names(ItemThumbPath), (Strings{"x.jpg", "A.jpg", "a (1).jpg", "x (1).jpg", "y (1).jpg"}));
  EXPECT_EQ(Names(ItemImagePage), (Strings{"x.html", "A (1).html", "a (2).html", "x (1).html", "y (1).html"}));
  EXPECT_EQ(ItemThumbPath(3), data_ + "x (1).jpg");
  EXPECT_EQ(ItemIndexPage(4), "not defined");

  // Runs that do not erase the data directory keep stepping to the next free number.
  for (int run = 2; run <= 3; ++run) {
    for (int i = 0; i < ItemCount(); ++i) Touch(ItemThumbPath(i)), Touch(ItemImagePage(i));
    ReadItems(root_, data_, 0);
  }
  EXPECT_EQ(Names(ItemThumbPath), (Strings{"x (4).jpg", "A (4).jpg", "a (5).jpg", "x (5).jpg", "y (3).jpg"}));
  EXPECT_EQ(ItemImagePage(4), data_ + "y (3).html");
}

TEST_F(AlbumItemsTest, OddFileNamesKeepTheirStemAndSortMovesTheNames) {
  for (const char* name : {"my photo.jpg", "it's.jpg", "say \"hi\".jpg", ".hidden.jpg",
                           "a.b.c.jpeg", "x (1).jpg", "x.bmp", "x.jpg", "\xC3\xA9t\xC3\xA9.jpg",
                           "\xC3\x89T\xC3\x89.png", "notes.txt"}) {
    Touch(root_ + name);
  }
  fs::create_directory(root_ + "folder.jpg");
  ReadItems(root_, data_, 1);
  EXPECT_EQ(Names(ItemSourcePath),
            (Strings{".hidden.jpg", "a.b.c.jpeg", "it's.jpg", "my photo.jpg", "say \"hi\".jpg",
                     "x (1).jpg", "x.bmp", "x.jpg", "\xC3\xA9t\xC3\xA9.jpg", "\xC3\x89T\xC3\x89.png"}));
  // x.jpg steps past both x.bmp's plain name and the "x (1)" taken by the image of that name;
  // "ÉTÉ" collides with "été" once upper-cased.
  EXPECT_EQ(Names(ItemThumbPath),
            (Strings{".hidden.jpg", "a.b.c.jpg", "it's.jpg", "my photo.jpg", "say \"hi\".jpg",
                     "x (1).jpg", "x.jpg", "x (2).jpg", "\xC3\xA9t\xC3\xA9.jpg", "\xC3\x89T\xC3\x89 (1).jpg"}));
}

TEST_F(AlbumItemsTest, NamingReportsEveryHundredthItem) {
  for (int i = 0; i < 250; ++i) Touch(root_ + "p" + std::to_string(i) + ".jpg");
  LabelLog log;
  SetProgressTarget(&log);
  ReadItems(root_, data_, 0);
  Strings expected;
  for (const char* kind : {"thumbnail", "HTML"}) {
    expected.push_back("Initializing...");
    for (const char* at : {"1", "101", "201"}) {
      expected.push_back(std::string("Creating unique ") + kind + " file names " + at + "/250");
    }
    expected.push_back("Done.");
  }
  expected.insert(expected.end(), {"Sorting files...", "Done."});
  EXPECT_EQ(log.texts, expected);
}

TEST_F(AlbumItemsTest, EmptyMissingAndReleasedLists) {
  LabelLog log;
  SetProgressTarget(&log);
  ReadItems(root_, data_, 1);
  EXPECT_EQ(ItemCount(), 0);
  EXPECT_TRUE(log.texts.empty());

  Touch(root_ + "a.png");
  ReadItems(root_, root_ + "missing/", 0);  // a data directory not made yet takes no names
  ASSERT_EQ(ItemCount(), 1);
  EXPECT_EQ(ItemThumbPath(0), root_ + "missing/a.jpg");
  try {
    ItemThumbPath(1);
    FAIL() << "no error";
  } catch (const ListIndexError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (1)");
  }
  ReleaseItems();
  EXPECT_EQ(ItemCount(), 0);
  EXPECT_THROW(ItemSourcePath(0), ListIndexError);
  ReadItems(root_ + "nowhere/", data_, 0);
  EXPECT_EQ(ItemCount(), 0);
}

TEST_F(AlbumItemsTest, SizesDatesAndDescriptions) {
  const std::size_t sizes[] = {512, 1536, 2560, 3584, 0};
  for (int i = 0; i < 5; ++i) Touch(root_ + char('a' + i) + ".jpg", sizes[i]);
  Touch(root_ + "f.jpg");
  fs::resize_file(root_ + "f.jpg", 5ULL << 30 | 1536);  // sparse, beyond 32 bits
  std::ofstream(root_ + "imgdesc.dat") << "A.JPG|Sunset at sea\r\n";
  const struct timespec noon[2] = {{1796558400, 0}, {1796558400, 0}};  // 2026-12-06 12:00 UTC
  ASSERT_EQ(utimensat(AT_FDCWD, (root_ + "a.jpg").c_str(), noon, 0), 0);

  ReadItems(root_, data_, 0);
  ASSERT_EQ(ItemCount(), 6);
  Strings kb;
  for (int i = 0; i < 6; ++i) kb.push_back(ItemSizeKB(i));
  EXPECT_EQ(kb, (Strings{"0", "2", "2", "4", "0", "5242882"}));  // halves go to even
  EXPECT_EQ(ItemDescription(0), "Sunset at sea");
  EXPECT_EQ(ItemDescription(1), "");
  EXPECT_EQ(ItemDate(0), "12/06/26");  // the C locale's short date
}

TEST_F(AlbumItemsTest, NeighbourPagesAndIndexPageWalks) {
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"}) Touch(root_ + name);
  ReadItems(root_, data_, 0);
  ASSERT_EQ(ItemCount(), 5);
  EXPECT_EQ(PrevImagePage(0), "");
  EXPECT_EQ(PrevImagePage(1), data_ + "a.html");
  EXPECT_EQ(NextImagePage(3), data_ + "e.html");
  EXPECT_EQ(NextImagePage(4), "");

  auto walks = [] {
    Strings result;
    for (int i = 0; i < ItemCount(); ++i) result.push_back(PrevIndexPage(i) + "<>" + NextIndexPage(i));
    return result;
  };
  EXPECT_EQ(walks(), Strings(5, "<>"));  // all still "not defined"

  const Strings pages = {"i1.html", "i1.html", "i2.html", "i2.html", "i3.html"};
  for (int i = 0; i < 5; ++i) SetItemIndexPage(i, pages[i]);
  EXPECT_EQ(walks(), (Strings{"<>i2.html", "<>i2.html", "i1.html<>i3.html", "i1.html<>i3.html",
                              "i2.html<>"}));
  for (int i = 0; i < 5; ++i) SetItemIndexPage(i, "index.html");
  EXPECT_EQ(walks(), Strings(5, "<>"));
  SetItemIndexPage(4, "INDEX.html");  // exact comparison: another page
  EXPECT_EQ(walks()[0], "<>INDEX.html");
  EXPECT_EQ(walks()[4], "index.html<>");
}

TEST(RelativePath, SharedDirectoriesDropOut) {
  EXPECT_EQ(RelativePath("/photos/", "/photos/fldata/"), "fldata/");
  EXPECT_EQ(RelativePath("/photos/index.html", "/photos/fldata/my photo.jpg"), "fldata/my photo.jpg");
  EXPECT_EQ(RelativePath("/photos/fldata/a.html", "/photos/index.html"), "../index.html");
  EXPECT_EQ(RelativePath("/a/b/c/", "/a/x/c/z.jpg"), "../../x/c/z.jpg");
  EXPECT_EQ(RelativePath("/photos/", "/photos2/a.jpg"), "../photos2/a.jpg");
  EXPECT_EQ(RelativePath("/photos/", "/Photos/a.jpg"), "../Photos/a.jpg");  // case matters here
  // A relative target against an absolute base (or the reverse) has no common root.
  EXPECT_EQ(RelativePath("/photos/", "a b.jpg"), "a b.jpg");
  EXPECT_EQ(RelativePath("./", "/photos/a.jpg"), "/photos/a.jpg");
  EXPECT_EQ(RelativePath("./", "./album/x.jpg"), "album/x.jpg");
  EXPECT_EQ(RelativePath("pics/", "other/it's \"\xC3\xA9\".jpg"), "../other/it's \"\xC3\xA9\".jpg");

  Album().ThumbDirectory = "/photos/fldata/";
  EXPECT_EQ(RelativeDataDir("/photos/"), "fldata/");
  EXPECT_EQ(RelativeDataDir("/elsewhere/"), "../photos/fldata/");
  ResetAlbumSettings();
}

TEST(ScriptSafe, ReplacesOnlyApostrophes) {
  EXPECT_EQ(ScriptSafe("a'b"), "a\xC2\xB4" "b");
  EXPECT_EQ(ScriptSafe("'it's'"), "\xC2\xB4it\xC2\xB4s\xC2\xB4");
  const std::string other = "say \"\xC3\xA9t\xC3\xA9\" \xC2\xB4 `x` \\ <b>";
  EXPECT_EQ(ScriptSafe(other), other);
}

TEST(UniqueNamer, TakesTheFirstFreeNumberAndNeverRepeats) {
  UniqueNamer namer("/d/", ".jpg");
  namer.Take("/d/x.jpg");
  namer.Take("/elsewhere/X (2).JPG");  // only the file name counts
  EXPECT_EQ(namer.Claim("x"), "/d/x (1).jpg");
  EXPECT_EQ(namer.Claim("X"), "/d/X (3).jpg");
  EXPECT_EQ(namer.Claim("x (4)"), "/d/x (4).jpg");  // occupies number 4 of its plain twin
  EXPECT_EQ(namer.Claim("x"), "/d/x (5).jpg");
  EXPECT_EQ(namer.Claim("x (1)"), "/d/x (1) (1).jpg");
  EXPECT_EQ(namer.Claim(""), "/d/.jpg");
  EXPECT_EQ(namer.Claim(""), "/d/ (1).jpg");
}

// Every row of the format table reaches the listing through each of its masks, in the table's
// order, and its reader opens a sample of the format. The extended rows are listed only with
// ExtendedFormats, after the others; the items a browser cannot show then get preview names
// although previews are off.
TEST_F(AlbumItemsTest, EveryImageFormatIsListedInTableOrderAndOpens) {
  struct Sample {
    std::string format, file;
    int width, orientation;  // the orientation the file states
  };
  const std::string data = FOTOLOOM_TESTDATA_DIR "/";
  const std::string samples = FOTOLOOM_SAMPLES_DIR "/";
  const Sample samples_of[] = {
      {"Bitmaps", data + "bmpsuite/g/rgb24.bmp", 127, 1},
      {"JPEG", data + "jpeg/exif-orientation/Landscape_6.jpg", 1200, 6},
      {"Portable Network Graphic", data + "pngsuite/basn2c08.png", 32, 1},
      {"HEIF", samples + "rotated.heic", 64, 1},
      {"AVIF", samples + "rgb.avif", 96, 1},
      {"WebP", samples + "animated.webp", 96, 1},
      {"TIFF", samples + "oriented.tif", 96, 6},
  };
  Strings expected, classic, previews;
  std::vector<const Sample*> expected_samples;
  std::vector<const ImageFormat*> expected_formats;
  for (const ImageFormat& format : ImageFormats()) {
    const Sample* sample = nullptr;
    for (const Sample& s : samples_of) sample = s.format == format.name ? &s : sample;
    ASSERT_NE(sample, nullptr) << "no sample of " << format.name;
    for (const std::string& mask : MasksOf(format)) {
      // Named so that the listing's order within one mask cannot hide the masks' order.
      const std::string stem = "z" + std::to_string(expected.size());
      const std::string name = stem + mask.substr(1);
      fs::copy_file(sample->file, root_ + name);
      expected.push_back(name);
      if (!format.extended) classic.push_back(name);
      previews.push_back(format.browser_shows ? "" : stem + "-preview.jpg");
      expected_samples.push_back(sample);
      expected_formats.push_back(&format);
    }
  }
  Touch(root_ + "other.gif");

  ReadItems(root_, data_, 0);
  EXPECT_EQ(Names(ItemSourcePath), classic);
  Album().ExtendedFormats = true;
  ReadItems(root_, data_, 0);
  Album().ExtendedFormats = false;
  ASSERT_EQ(Names(ItemSourcePath), expected);
  EXPECT_EQ(Names(ItemPreviewPath), previews);
  for (int i = 0; i < ItemCount(); ++i) {
    SCOPED_TRACE(expected[i]);
    const auto image = LoadPicture(ItemSourcePath(i));
    EXPECT_EQ(image->Width(), expected_samples[i]->width);
    EXPECT_EQ(image->Orientation(),
              expected_formats[i]->carries_orientation ? expected_samples[i]->orientation : 1);
  }
}

// With UseDateTaken an item's time, for sorting and shown, is the date its photo was taken, where
// its EXIF states one; a file without keeps its own time.
TEST_F(AlbumItemsTest, TheDateTakenReplacesTheFileTime) {
  struct Photo {
    const char *name, *sample;
    std::time_t file_time;
  };
  const Photo photos[] = {
      {"a.jpg", "src-rot6.jpg", 1704067200},  // 2024; taken 2019-06-07
      {"b.tif", "dated.tif", 1735689600},     // 2025; dated 2018-03-04
      {"c.jpg", "", 1483228800},              // 2017; no EXIF
  };
  for (const Photo& p : photos) {
    const std::string path = root_ + p.name;
    if (*p.sample) {
      fs::copy_file(std::string(FOTOLOOM_SAMPLES_DIR) + "/" + p.sample, path);
    } else {
      fs::copy_file(std::string(FOTOLOOM_TESTDATA_DIR) + "/jpeg/libjpeg-turbo/testorig.jpg", path);
    }
    ASSERT_TRUE(SetFileModificationTime(path, p.file_time));
  }
  Album().ExtendedFormats = true;
  ReadItems(root_, data_, kSortTimeAscending);
  EXPECT_EQ(Names(ItemSourcePath), (Strings{"c.jpg", "a.jpg", "b.tif"}));
  Album().UseDateTaken = true;
  ReadItems(root_, data_, kSortTimeAscending);
  Album().UseDateTaken = Album().ExtendedFormats = false;
  EXPECT_EQ(Names(ItemSourcePath), (Strings{"c.jpg", "b.tif", "a.jpg"}));
  EXPECT_EQ(ItemDate(1), FormatShortDate(*PackLocalTime(2018, 3, 4, 5, 6, 7)));
  EXPECT_EQ(ItemDate(2), FormatShortDate(*PackLocalTime(2019, 6, 7, 8, 9, 10)));
}

}  // namespace
}  // namespace fotoloom
