#include "generation/album_items.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "files/file_errors.h"
#include "generation/album_settings.h"
#include "generation/client_ui.h"
#include "generation/unique_names.h"

namespace fotoloom {
namespace {

namespace fs = std::filesystem;

// Keeps the label texts and the bar, enough to follow what the user would see.
class LabelLog : public ProgressTarget {
 public:
  void SetMinimum(int) override {}
  void SetMaximum(int maximum) override { max_ = maximum; }
  void SetPosition(int position) override { pos_ = position; }
  int Position() const override { return pos_; }
  int Maximum() const override { return max_; }
  void SetText(const std::string& text) override { texts.push_back(text); }
  void ProcessMessages() override {}
  std::vector<std::string> texts;

 private:
  int max_ = 0;
  int pos_ = 0;
};

class AlbumItemsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string templ = (fs::temp_directory_path() / "fotoloom-items-XXXXXX").string();
    ASSERT_NE(mkdtemp(templ.data()), nullptr);
    root_ = templ + "/";
    data_ = root_ + "fldata/";
    fs::create_directory(data_);
    ResetAlbumSettings();
    ResetClientUI();
  }
  void TearDown() override {
    ReleaseItems();
    ResetClientUI();
    ResetAlbumSettings();
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  void Touch(const std::string& path, std::size_t size = 0) {
    std::ofstream out(path, std::ios::binary);
    out << std::string(size, 'x');
  }

  // The file names (last component) of a field over all items, in item order.
  std::vector<std::string> Names(std::string (*field)(int)) {
    std::vector<std::string> names;
    for (int i = 0; i < ItemCount(); ++i) names.push_back(fs::path(field(i)).filename().string());
    return names;
  }

  // Creates the thumbnails and pages the current list names, as a run that is not erased
  // afterwards would leave them.
  void LeaveOutputsBehind() {
    for (int i = 0; i < ItemCount(); ++i) {
      Touch(ItemThumbPath(i), 10);
      Touch(ItemImagePage(i), 10);
    }
  }

  std::string root_;
  std::string data_;
};

using Strings = std::vector<std::string>;

TEST_F(AlbumItemsTest, SameStemGetsNumberedNamesInMaskOrder) {
  Touch(root_ + "x.jpg");
  Touch(root_ + "x.bmp");
  Touch(root_ + "x.png");
  ReadItems(root_, data_, 0);

  ASSERT_EQ(ItemCount(), 3);
  EXPECT_EQ(Names(ItemSourcePath), (Strings{"x.bmp", "x.jpg", "x.png"}));
  EXPECT_EQ(Names(ItemThumbPath), (Strings{"x.jpg", "x (1).jpg", "x (2).jpg"}));
  EXPECT_EQ(Names(ItemImagePage), (Strings{"x.html", "x (1).html", "x (2).html"}));
  EXPECT_EQ(ItemThumbPath(1), data_ + "x (1).jpg");
  EXPECT_EQ(ItemImagePage(2), data_ + "x (2).html");
  EXPECT_EQ(ItemSourcePath(0), root_ + "x.bmp");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ItemIndexPage(i), "not defined");
}

TEST_F(AlbumItemsTest, RepeatedRunsNeverReuseNamesAndCaseIsIgnored) {
  Touch(root_ + "x.jpg");
  Touch(root_ + "y.png");
  Touch(data_ + "Y.JPG");   // an old thumbnail in other letter case still blocks y.jpg
  Touch(data_ + "y.HTML");
  ReadItems(root_, data_, 0);
  EXPECT_EQ(Names(ItemThumbPath), (Strings{"x.jpg", "y (1).jpg"}));
  EXPECT_EQ(Names(ItemImagePage), (Strings{"x.html", "y (1).html"}));

  LeaveOutputsBehind();
  ReadItems(root_, data_, 0);
  EXPECT_EQ(Names(ItemThumbPath), (Strings{"x (1).jpg", "y (2).jpg"}));

  LeaveOutputsBehind();
  ReadItems(root_, data_, 0);
  EXPECT_EQ(Names(ItemThumbPath), (Strings{"x (2).jpg", "y (3).jpg"}));
  EXPECT_EQ(Names(ItemImagePage), (Strings{"x (2).html", "y (3).html"}));

  // Files of other kinds and subdirectories in the data directory take no names.
  fs::remove_all(data_);
  fs::create_directory(data_);
  Touch(data_ + "x.png");
  Touch(data_ + "x.htm");
  ReadItems(root_, data_, 0);
  EXPECT_EQ(Names(ItemThumbPath), (Strings{"x.jpg", "y.jpg"}));
  EXPECT_EQ(Names(ItemImagePage), (Strings{"x.html", "y.html"}));
}

TEST_F(AlbumItemsTest, ImagesDifferingOnlyInCaseGetDistinctNames) {
  // Distinct files on this file system, but their outputs would collide on one that ignores
  // case; UTF-8 letters are upper-cased as well.
  Touch(root_ + "a.jpg");
  Touch(root_ + "A.jpg");
  Touch(root_ + "\xC3\xA9t\xC3\xA9.jpg");  // "été"
  Touch(root_ + "\xC3\x89T\xC3\x89.png");  // "ÉTÉ"
  ReadItems(root_, data_, 0);
  EXPECT_EQ(Names(ItemThumbPath),
            (Strings{"A.jpg", "a (1).jpg", "\xC3\xA9t\xC3\xA9.jpg", "\xC3\x89T\xC3\x89 (1).jpg"}));
}

TEST_F(AlbumItemsTest, OddFileNamesKeepTheirStem) {
  const Strings sources = {"my photo.jpg", "it's.jpg", "say \"hi\".jpg", ".hidden.jpg",
                           "a.b.c.jpeg",   "x (1).jpg"};
  for (const std::string& name : sources) Touch(root_ + name);
  Touch(root_ + "x.bmp");
  Touch(root_ + "x.jpg");
  Touch(root_ + "notes.txt");
  fs::create_directory(root_ + "folder.jpg");
  ReadItems(root_, data_, 1);

  // Sorted by name (upper-cased bytes); the names were given before the sort, in mask order,
  // so "x.bmp" holds the plain name and "x.jpg" must step past the existing "x (1)".
  EXPECT_EQ(Names(ItemSourcePath), (Strings{".hidden.jpg", "a.b.c.jpeg", "it's.jpg", "my photo.jpg",
                                            "say \"hi\".jpg", "x (1).jpg", "x.bmp", "x.jpg"}));
  EXPECT_EQ(Names(ItemThumbPath), (Strings{".hidden.jpg", "a.b.c.jpg", "it's.jpg", "my photo.jpg",
                                           "say \"hi\".jpg", "x (1).jpg", "x.jpg", "x (2).jpg"}));
}

TEST_F(AlbumItemsTest, NamingReportsEveryHundredthItem) {
  for (int i = 0; i < 250; ++i) Touch(root_ + "p" + std::to_string(i) + ".jpg");
  LabelLog log;
  SetProgressTarget(&log);
  ReadItems(root_, data_, 0);
  EXPECT_EQ(log.texts, (Strings{"Initializing...",
                                "Creating unique thumbnail file names 1/250",
                                "Creating unique thumbnail file names 101/250",
                                "Creating unique thumbnail file names 201/250",
                                "Done.",
                                "Initializing...",
                                "Creating unique HTML file names 1/250",
                                "Creating unique HTML file names 101/250",
                                "Creating unique HTML file names 201/250",
                                "Done.",
                                "Sorting files...",
                                "Done."}));
  EXPECT_EQ(log.Position(), 200);
  EXPECT_EQ(log.Maximum(), 250);
}

TEST_F(AlbumItemsTest, EmptyOrMissingDirectoriesAndRelease) {
  LabelLog log;
  SetProgressTarget(&log);
  ReadItems(root_, data_, 1);
  EXPECT_EQ(ItemCount(), 0);
  EXPECT_TRUE(log.texts.empty());

  // A data directory that does not exist yet holds no taken names.
  Touch(root_ + "a.png");
  ReadItems(root_, root_ + "missing/", 0);
  ASSERT_EQ(ItemCount(), 1);
  EXPECT_EQ(ItemThumbPath(0), root_ + "missing/a.jpg");

  ReleaseItems();
  EXPECT_EQ(ItemCount(), 0);
  ReleaseItems();
  EXPECT_THROW(ItemSourcePath(0), ListIndexError);

  ReadItems(root_ + "nowhere/", data_, 0);
  EXPECT_EQ(ItemCount(), 0);
}

TEST_F(AlbumItemsTest, IndexOutsideTheListIsRefused) {
  Touch(root_ + "a.jpg");
  ReadItems(root_, data_, 0);
  try {
    ItemThumbPath(5);
    FAIL() << "no error";
  } catch (const ListIndexError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (5)");
  }
  EXPECT_THROW(SetItemIndexPage(-1, "x"), ListIndexError);
}

TEST_F(AlbumItemsTest, SizesDatesAndDescriptions) {
  Touch(root_ + "a.jpg", 512);
  Touch(root_ + "b.jpg", 1536);
  Touch(root_ + "c.jpg", 2560);
  Touch(root_ + "d.jpg", 3584);
  Touch(root_ + "e.jpg", 0);
  // Beyond 32 bits: a sparse file keeps the test cheap.
  Touch(root_ + "f.jpg");
  fs::resize_file(root_ + "f.jpg", 5ULL * 1024 * 1024 * 1024 + 1536);
  std::ofstream(root_ + "imgdesc.dat") << "A.JPG|Sunset at sea\r\nb.jpg|a|b\nc.jpg|\n|x\nd.jpg\n";

  // 2026-12-06 12:00 UTC; the tests run with TZ=UTC and the C.UTF-8 locale.
  const std::time_t when = 1796558400;
  struct timespec times[2] = {{when, 0}, {when, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, (root_ + "a.jpg").c_str(), times, 0), 0);

  ReadItems(root_, data_, 0);
  ASSERT_EQ(ItemCount(), 6);
  EXPECT_EQ(ItemSizeKB(0), "0");
  EXPECT_EQ(ItemSizeKB(1), "2");
  EXPECT_EQ(ItemSizeKB(2), "2");
  EXPECT_EQ(ItemSizeKB(3), "4");
  EXPECT_EQ(ItemSizeKB(4), "0");
  EXPECT_EQ(ItemSizeKB(5), "5242882");
  EXPECT_EQ(ItemDate(0), "12/06/26");
  EXPECT_EQ(ItemDescription(0), "Sunset at sea");
  EXPECT_EQ(ItemDescription(1), "a|b");
  EXPECT_EQ(ItemDescription(2), "");
  EXPECT_EQ(ItemDescription(3), "");
}

TEST_F(AlbumItemsTest, NeighbourPagesAndIndexPageWalks) {
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"}) Touch(root_ + name);
  ReadItems(root_, data_, 0);
  ASSERT_EQ(ItemCount(), 5);

  EXPECT_EQ(PrevImagePage(0), "");
  EXPECT_EQ(PrevImagePage(1), data_ + "a.html");
  EXPECT_EQ(NextImagePage(3), data_ + "e.html");
  EXPECT_EQ(NextImagePage(4), "");

  // Before pages are assigned every item shares "not defined": no neighbours anywhere.
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(PrevIndexPage(i), "") << i;
    EXPECT_EQ(NextIndexPage(i), "") << i;
  }

  // Pages of two items: 001 = {0, 1}, 002 = {2, 3}, 003 = {4}.
  const Strings pages = {"index001.html", "index001.html", "index002.html", "index002.html",
                         "index003.html"};
  for (int i = 0; i < 5; ++i) SetItemIndexPage(i, pages[i]);
  EXPECT_EQ(ItemIndexPage(3), "index002.html");
  const Strings prev = {"", "", "index001.html", "index001.html", "index002.html"};
  const Strings next = {"index002.html", "index002.html", "index003.html", "index003.html", ""};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(PrevIndexPage(i), prev[i]) << i;
    EXPECT_EQ(NextIndexPage(i), next[i]) << i;
  }

  // One page for all: no neighbours. Names compare exactly, so a case change is a new page.
  for (int i = 0; i < 5; ++i) SetItemIndexPage(i, "index.html");
  EXPECT_EQ(PrevIndexPage(4), "");
  EXPECT_EQ(NextIndexPage(0), "");
  SetItemIndexPage(4, "INDEX.html");
  EXPECT_EQ(NextIndexPage(0), "INDEX.html");
  EXPECT_EQ(PrevIndexPage(4), "index.html");
}

TEST(RelativePath, FromAlbumAndDataDirectories) {
  EXPECT_EQ(RelativePath("/photos/", "/photos/fldata/"), "fldata/");
  EXPECT_EQ(RelativePath("/photos/", "/photos/fldata/my photo.jpg"), "fldata/my photo.jpg");
  EXPECT_EQ(RelativePath("/photos/index.html", "/photos/a.jpg"), "a.jpg");
  EXPECT_EQ(RelativePath("/photos/fldata/a.html", "/photos/index.html"), "../index.html");
  EXPECT_EQ(RelativePath("/a/b/c/", "/a/x/y/z.jpg"), "../../x/y/z.jpg");
  EXPECT_EQ(RelativePath("/a/b/", "/"), "../../");
  EXPECT_EQ(RelativePath("/", "/a/b.jpg"), "a/b.jpg");
  // A shared name further down does not count once the paths have parted.
  EXPECT_EQ(RelativePath("/a/b/c/", "/a/x/c/f"), "../../x/c/f");
  // A directory whose name merely starts like the other's is not shared.
  EXPECT_EQ(RelativePath("/photos/", "/photos2/a.jpg"), "../photos2/a.jpg");
}

TEST(RelativePath, CaseRelativeAndOddNames) {
  // On this file system case tells directories apart.
  EXPECT_EQ(RelativePath("/photos/", "/Photos/fldata/a.jpg"), "../Photos/fldata/a.jpg");
  // A bare file name, or any relative target against an absolute base, stays as it is.
  EXPECT_EQ(RelativePath("/photos/", "a b.jpg"), "a b.jpg");
  EXPECT_EQ(RelativePath("/photos/", "fldata/a.jpg"), "fldata/a.jpg");
  EXPECT_EQ(RelativePath("./", "/photos/a.jpg"), "/photos/a.jpg");
  // Two relative paths are related through their shared leading parts.
  EXPECT_EQ(RelativePath("./", "./album/x.jpg"), "album/x.jpg");
  EXPECT_EQ(RelativePath("pics/", "other/x.jpg"), "../other/x.jpg");
  EXPECT_EQ(RelativePath("", "x.jpg"), "x.jpg");
  // Names are bytes: quotes, apostrophes, UTF-8 and backslashes pass through.
  EXPECT_EQ(RelativePath("/\xC3\xA9t\xC3\xA9/", "/\xC3\xA9t\xC3\xA9/it's \"q\"/a\\b.jpg"),
            "it's \"q\"/a\\b.jpg");
}

TEST(RelativePath, DataDirectoryFromTheSettings) {
  ResetAlbumSettings();
  Album().ThumbDirectory = "/photos/fldata/";
  EXPECT_EQ(RelativeDataDir("/photos/"), "fldata/");
  EXPECT_EQ(RelativeDataDir("/photos/fldata/"), "");
  EXPECT_EQ(RelativeDataDir("/elsewhere/"), "../photos/fldata/");
  ResetAlbumSettings();
}

TEST(ScriptSafe, ReplacesEveryApostropheByAnAcuteAccent) {
  EXPECT_EQ(ScriptSafe("a'b"), "a\xC2\xB4"
                               "b");
  EXPECT_EQ(ScriptSafe("''"), "\xC2\xB4\xC2\xB4");
  EXPECT_EQ(ScriptSafe(""), "");
  // Everything else, double quotes and multi-byte characters included, is left alone.
  const std::string other = "say \"\xC3\xA9t\xC3\xA9\" \xC2\xB4 `x` \\ <b>";
  EXPECT_EQ(ScriptSafe(other), other);
  EXPECT_EQ(ScriptSafe("it's \xC3\xA9"), "it\xC2\xB4s \xC3\xA9");
}

TEST(UniqueNamer, TakesTheFirstFreeNumberAndNeverRepeats) {
  UniqueNamer namer("/d/", ".jpg");
  namer.Take("/d/x.jpg");
  namer.Take("/elsewhere/X (2).JPG");  // only the file name counts
  EXPECT_EQ(namer.Claim("x"), "/d/x (1).jpg");
  EXPECT_EQ(namer.Claim("X"), "/d/X (3).jpg");
  // A stem that looks numbered occupies that number for its plain twin.
  EXPECT_EQ(namer.Claim("x (4)"), "/d/x (4).jpg");
  EXPECT_EQ(namer.Claim("x"), "/d/x (5).jpg");
  EXPECT_EQ(namer.Claim("x (1)"), "/d/x (1) (1).jpg");
  EXPECT_EQ(namer.Claim("y"), "/d/y.jpg");
  EXPECT_EQ(namer.Claim(""), "/d/.jpg");
  EXPECT_EQ(namer.Claim(""), "/d/ (1).jpg");
}

}  // namespace
}  // namespace fotoloom
