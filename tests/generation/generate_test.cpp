// The generation run: how items are split over index pages, what the run reports and leaves
// when things go wrong, where a cancel stops it, and that cleaning never reaches the photos.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "catalog_fixture.h"
#include "files/file_errors.h"
#include "files/file_utils.h"
#include "generation/album.h"
#include "generation/album_tree.h"

namespace fotoloom::testing {
namespace {

class GenerateTest : public CatalogTest {
 protected:
  // n small JPEGs named p00.jpg, p01.jpg, ... (listing order is name order).
  void Photos(int n, const fs::path& folder = {}) {
    for (int i = 0; i < n; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "p%02d.jpg", i);
      Image(name, 8, 6, 0, folder);
    }
  }
  // Thumbnail cells on an index page.
  std::size_t Thumbs(const std::string& page) {
    return Count(Read(album_ / page), "valign=\"center\"");
  }
};

TEST_F(GenerateTest, SplitsItemsOverNumberedIndexPages) {
  struct Case {
    int items;
    int rows_per_file;
    std::string album_file;
    std::vector<std::pair<std::string, std::size_t>> pages;  // name, thumbnails
  };
  const std::vector<Case> cases = {
      {12, 2, "index.html", {{"index.html", 12}}},
      {13, 2, "index.html", {{"index001.html", 12}, {"index002.html", 1}}},
      {30, 2, "index.html", {{"index001.html", 12}, {"index002.html", 12}, {"index003.html", 6}}},
      {13, 2, "photos.htm", {{"photos001.html", 12}, {"photos002.html", 1}}},
      {30, kSingleFileRows, "index.html", {{"index.html", 30}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.items) + " items into " + c.album_file + " by " +
                 std::to_string(c.rows_per_file) + " rows");
    fs::remove_all(album_);
    fs::create_directory(album_);
    Photos(c.items);
    ResetAlbumSettings();
    Album().AlbumDirectory = album_.string();
    Album().ThumbDirectory = "fldata";
    Album().AlbumFileName = c.album_file;
    Album().ThumbsPerRow = 6;
    Album().ThumbRowsPerFile = c.rows_per_file;
    Album().GenerateHTMLImages = true;
    generate();
    EXPECT_EQ(GetMessages(), "");
    EXPECT_EQ(Album().FirstPage, c.pages.front().first);
    std::set<std::string> html;
    for (const std::string& name : Listing(album_))
      if (fs::path(name).extension() == ".html" || fs::path(name).extension() == ".htm")
        html.insert(name);
    std::set<std::string> expected;
    for (const auto& [name, thumbs] : c.pages) {
      expected.insert(name);
      EXPECT_EQ(Thumbs(name), thumbs) << name;
    }
    EXPECT_EQ(html, expected);
    EXPECT_EQ(BrokenLinks(AllPages()), std::vector<std::string>{});
  }
}

TEST_F(GenerateTest, NumbersPagesWithAtLeastThreeDigits) {
  EXPECT_EQ(NumberedIndexPageName("index.html", 1), "index001.html");
  EXPECT_EQ(NumberedIndexPageName("index.html", 10), "index010.html");
  EXPECT_EQ(NumberedIndexPageName("index.html", 99), "index099.html");
  EXPECT_EQ(NumberedIndexPageName("index.html", 100), "index100.html");
  EXPECT_EQ(NumberedIndexPageName("index.html", 1000), "index1000.html");
  EXPECT_EQ(NumberedIndexPageName("my.album.htm", 2), "my.album002.html");
  EXPECT_EQ(NumberedIndexPageName("catalog", 3), "catalog003.html");

  // A run of 101 one-item pages: empty files make it cheap (no thumbnail can be made).
  for (int i = 0; i < 101; ++i) File(std::to_string(1000 + i).insert(0, 1, 'e') + ".jpg", "");
  Album().ThumbsPerRow = 1;
  Album().ThumbRowsPerFile = 1;
  generate();
  EXPECT_EQ(Album().FirstPage, "index001.html");
  const std::string tenth = Read(album_ / "index010.html");
  EXPECT_NE(tenth.find("<a href=\"index009.html\""), std::string::npos);
  EXPECT_NE(tenth.find("<a href=\"index011.html\""), std::string::npos);
  const std::string hundredth = Read(album_ / "index100.html");
  EXPECT_NE(hundredth.find("e1099.jpg"), std::string::npos);
  EXPECT_NE(hundredth.find("<a href=\"index101.html\""), std::string::npos);
  EXPECT_TRUE(fs::exists(album_ / "index101.html"));
  EXPECT_FALSE(fs::exists(album_ / "index102.html"));
  EXPECT_FALSE(fs::exists(album_ / "index.html"));
}

TEST_F(GenerateTest, BringsSettingsOutOfRangeIntoRangeFirst) {
  Photos(3);
  Album().ThumbsPerRow = 0;
  Album().ThumbRowsPerFile = -2;
  Album().HeaderSize = "";
  Album().SlideShow = true;
  Album().SlideShowDelay = -5;
  Album().GenerateHTMLImages = true;
  generate();
  EXPECT_EQ(GetMessages(), "");
  EXPECT_EQ(Album().FirstPage, "index001.html");
  EXPECT_TRUE(fs::exists(album_ / "index003.html"));
  EXPECT_NE(Read(album_ / "index002.html").find("<h2><font color="), std::string::npos);
  EXPECT_NE(Read(data() / "p00.html").find("content=0;url="), std::string::npos);
}

TEST_F(GenerateTest, ReportsProgressInOrder) {
  const fs::path assets = root_ / "assets";
  fs::create_directory(assets);
  File("tile.gif", "GIF", assets);
  Photos(2);
  Album().BgImage = (assets / "tile.gif").string();
  Album().EraseExistingFiles = true;
  generate();
  const std::vector<std::string> expected = {
      "Initializing...",
      "Cleaning thumbnail directory (this may take a while)...",
      "Done.",
      "Copying: tile.gif",
      "Done.",
      "Reading and analyzing files...",
      "Initializing...",
      "Creating unique thumbnail file names 1/2",
      "Done.",
      "Initializing...",
      "Creating unique HTML file names 1/2",
      "Done.",
      "Sorting files...",
      "Done.",
      "Initializing...",
      "Processing: 1/2",
      "Processing: 2/2",
      "Done.",
  };
  EXPECT_EQ(progress_.labels, expected);
  EXPECT_EQ(progress_.Position(), 2);
  EXPECT_EQ(progress_.Maximum(), 2);
}

TEST_F(GenerateTest, EndsEarlyWithAWarningWhenThereIsNothingToDo) {
  // A successful run first, so that a stale FirstPage would show.
  Photos(1);
  generate();
  ASSERT_EQ(Album().FirstPage, "index.html");

  const std::string start_dir = fs::current_path();
  for (const std::string& dir : {std::string(), (root_ / "missing").string()}) {
    SCOPED_TRACE("album directory \"" + dir + "\"");
    ResetAlbumSettings();
    progress_.labels.clear();
    Album().AlbumDirectory = dir;
    Album().FirstPage = "stale.html";
    generate();
    EXPECT_EQ(GetMessages(), "Error in: generate.setcurrentdir (src_directory) \r");
    EXPECT_EQ(Album().FirstPage, "");
    EXPECT_EQ(progress_.labels, std::vector<std::string>{"Done."});
    EXPECT_EQ(fs::current_path(), start_dir);
  }

  // No supported image: a directory named like one and other files do not count.
  const fs::path empty = root_ / "no images";
  fs::create_directories(empty / "old.jpg");
  File("notes.txt", "x", empty);
  File("photo.gif", "GIF", empty);
  ResetAlbumSettings();
  Album().AlbumDirectory = empty.string();
  Album().FirstPage = "stale.html";
  generate();
  EXPECT_EQ(GetMessages(), "Selected directory does not contain supported image files !\r");
  EXPECT_EQ(Album().FirstPage, "");
  EXPECT_EQ(Listing(empty), (std::set<std::string>{"old.jpg/", "notes.txt", "photo.gif"}));
}

TEST_F(GenerateTest, MakesFallbackThumbnailsFromTheSparePicture) {
  const fs::path assets = root_ / "assets";
  fs::create_directory(assets);
  Image("spare.jpg", 40, 30, 0, assets);
  Image("good.jpg", 64, 48);
  File("corrupt.jpg", std::string("\xFF\xD8\xFF\xE0 this is not image data", 27));
  Image("flat.png", 1000, 10);  // thumbnail 100 x 1: too thin to make
  Album().EmptyThumbnail = (assets / "spare.jpg").string();
  generate();
  EXPECT_EQ(GetMessages(), "");
  EXPECT_EQ(ReadJpegSize((data() / "good.jpg").string()), std::make_pair(100, 75));
  const std::string spare = Read(data() / "corrupt.jpg");
  EXPECT_EQ(ReadJpegSize((data() / "corrupt.jpg").string()), std::make_pair(100, 75));
  EXPECT_EQ(Read(data() / "flat.jpg"), spare);
  EXPECT_EQ(BrokenLinks(AllPages()), std::vector<std::string>{});

  // Without a usable spare picture the cells point at thumbnails that do not exist; the
  // catalog is still written and nothing is reported.
  fs::remove_all(data());
  ResetAlbumSettings();
  Album().AlbumDirectory = album_.string();
  Album().ThumbDirectory = "fldata";
  Album().EmptyThumbnail = "no such picture.jpg";
  generate();
  EXPECT_EQ(GetMessages(), "");
  EXPECT_EQ(Album().FirstPage, "index.html");
  const std::vector<std::string> broken = BrokenLinks(album_ / "index.html");
  ASSERT_EQ(broken.size(), 4u) << ::testing::PrintToString(broken);  // img + details link each
  for (const std::string& b : broken)
    EXPECT_TRUE(b.find("corrupt.jpg") != std::string::npos ||
                b.find("flat.jpg") != std::string::npos)
        << b;
}

TEST_F(GenerateTest, RefusesADataDirectoryItCannotWriteInto) {
  Photos(2);
  File("fldata", "a file where the data directory belongs");
  Album().GenerateHTMLImages = false;
  Album().FirstPage = "stale.html";
  try {
    generate();
    ADD_FAILURE() << "the run went on without a data directory";
  } catch (const FileCreateError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file " + (album_ / "fldata").string());
  }
  EXPECT_EQ(Album().FirstPage, "");
  EXPECT_EQ(ItemCount(), 0);
  EXPECT_EQ(Listing(album_), (std::set<std::string>{"p00.jpg", "p01.jpg", "fldata"}));
}

TEST_F(GenerateTest, RefusesAReadOnlyDataDirectory) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not stop root";
  Photos(2);
  fs::create_directory(data());
  fs::permissions(data(), fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_THROW(generate(), FileCreateError);
  EXPECT_FALSE(fs::exists(album_ / "index.html"));
}

TEST_F(GenerateTest, CopiesABackgroundFromInsideTheDataDirectoryUnderANewName) {
  Photos(1);
  fs::create_directory(data());
  File("bg.gif", "GIF", data());
  Album().BgImage = (data() / "bg.gif").string();
  Album().BgSound = (root_ / "no such tune.mid").string();
  Album().GenerateHTMLImages = true;
  generate();
  EXPECT_EQ(GetMessages(), "");
  EXPECT_EQ(Album().BgImage, (data() / "bg (1).gif").string());
  EXPECT_EQ(Album().BgSound, (root_ / "no such tune.mid").string());
  EXPECT_EQ(Read(data() / "bg (1).gif"), "GIF");
  EXPECT_NE(Read(album_ / "index.html").find("background=\"fldata/bg%20%281%29.gif\""),
            std::string::npos);
  EXPECT_NE(Read(data() / "p00.html").find("background=\"bg%20%281%29.gif\""), std::string::npos);
  // The sound was never copied, yet the pages still name it in the data directory.
  EXPECT_NE(Read(album_ / "index.html").find("<bgsound src=\"fldata/no%20such%20tune.mid\">"),
            std::string::npos);
}

TEST_F(GenerateTest, CleaningKeepsABackgroundChosenFromTheDataDirectory) {
  Photos(1);
  fs::create_directory(data());
  File(kDataDirectoryMarker, "", data());
  File("bg.gif", "only copy", data());
  File("stale.jpg", "old thumbnail", data());
  Album().BgImage = (data() / "bg.gif").string();
  Album().EraseExistingFiles = true;
  generate();
  EXPECT_EQ(GetMessages(), "");
  EXPECT_EQ(Listing(data()),
            (std::set<std::string>{kDataDirectoryMarker, "bg.gif", "bg (1).gif", "p00.jpg"}));
  EXPECT_EQ(Read(data() / "bg.gif"), "only copy");
  EXPECT_EQ(fs::last_write_time(data() / "bg.gif"), fs::last_write_time(data() / "bg (1).gif"));
  EXPECT_EQ(BrokenLinks(AllPages()), std::vector<std::string>{});
}

TEST_F(GenerateTest, CancelWhileNamingWritesNoPage) {
  Photos(13);
  Album().ThumbsPerRow = 6;
  Album().ThumbRowsPerFile = 2;
  Album().GenerateHTMLImages = true;
  // The label after "Reading and analyzing files..." comes from the naming step.
  progress_.cancel_when = [](const std::vector<std::string>& labels) {
    return labels.size() >= 2 && labels[labels.size() - 2] == "Reading and analyzing files...";
  };
  generate();
  EXPECT_TRUE(CancelRequested());
  EXPECT_EQ(GetMessages(), "");
  EXPECT_EQ(Album().FirstPage, "index001.html");
  EXPECT_EQ(Listing(data()), std::set<std::string>{kDataDirectoryMarker});
  for (const std::string& name : Listing(album_)) EXPECT_NE(fs::path(name).extension(), ".html");
}

TEST_F(GenerateTest, CancelWhileWritingSavesThePartialPage) {
  Photos(13);
  Album().ThumbsPerRow = 6;
  Album().ThumbRowsPerFile = 2;
  Album().GenerateHTMLImages = true;
  progress_.cancel_when = [](const std::vector<std::string>& labels) {
    return labels.back() == "Processing: 3/13";
  };
  generate();
  EXPECT_TRUE(CancelRequested());
  EXPECT_EQ(Album().FirstPage, "index001.html");
  EXPECT_FALSE(fs::exists(album_ / "index002.html"));
  // Two thumbnails and pages made; the row is closed and its details row is complete.
  EXPECT_EQ(Listing(data()), (std::set<std::string>{kDataDirectoryMarker, "p00.jpg", "p00.html",
                                                    "p01.jpg", "p01.html"}));
  const std::string page = Read(album_ / "index001.html");
  EXPECT_EQ(Count(page, "valign=\"center\""), 2u);
  EXPECT_EQ(Count(page, "valign=\"top\""), 6u);
  EXPECT_EQ(Count(page, "<a name=\"row"), 1u);
  EXPECT_NE(page.find("</a>\r\n</tr>\r\n<tr>\r\n"), std::string::npos);
  const std::string ending = "</tr>\r\n</table>\r\n</center>\r\n</p>\r\n</body>\r\n</html>\r\n";
  ASSERT_GE(page.size(), ending.size());
  EXPECT_EQ(page.substr(page.size() - ending.size()), ending);
}

TEST_F(GenerateTest, CleansOnlyADataDirectoryInsideTheAlbum) {
  Photos(2);
  fs::create_directory(data());
  File(kDataDirectoryMarker, "", data());
  File("p00.jpg", "old thumbnail", data());
  File("old.html", "old page", data());
  Album().EraseExistingFiles = true;
  generate();
  EXPECT_EQ(GetMessages(), "");
  EXPECT_EQ(Listing(data()), (std::set<std::string>{kDataDirectoryMarker, "p00.jpg", "p01.jpg"}));

  // "." is the album itself, ".." its parent, and a link may lead anywhere: none is cleaned.
  const fs::path elsewhere = root_ / "elsewhere";
  fs::create_directory(elsewhere);
  File("keep.txt", "keep", elsewhere);
  File("sentinel.txt", "parent's own file", root_);
  fs::remove_all(data());
  fs::create_directory_symlink(elsewhere, album_ / "linked");
  for (const char* name : {".", "..", "linked"}) {
    SCOPED_TRACE(std::string("data directory \"") + name + "\"");
    const std::set<std::string> album_before = Listing(album_);
    const std::set<std::string> parent_before = Listing(root_);
    const std::set<std::string> elsewhere_before = Listing(elsewhere);
    ResetAlbumSettings();
    Album().AlbumDirectory = album_.string();
    Album().ThumbDirectory = name;
    Album().EraseExistingFiles = true;
    generate();
    EXPECT_EQ(GetMessages(), "Thumbnail directory was not completely cleaned up.\r");
    for (const auto& [folder, before] :
         {std::pair{album_, album_before}, std::pair{root_, parent_before},
          std::pair{elsewhere, elsewhere_before}}) {
      const std::set<std::string> after = Listing(folder);
      for (const std::string& file : before) EXPECT_TRUE(after.count(file)) << folder / file;
    }
    EXPECT_EQ(Read(root_ / "sentinel.txt"), "parent's own file");
    EXPECT_EQ(Read(elsewhere / "keep.txt"), "keep");
    EXPECT_EQ(ReadJpegSize((album_ / "p00.jpg").string()), std::make_pair(8, 6));
  }
}

// A tree run counts every photo of every folder on one bar, names the folder of each message,
// and a cancel ends it after the folder it stopped in: the folders after it keep no page.
TEST_F(GenerateTest, ATreeRunCountsOnOneBarAndStopsAfterTheFolderOfACancel) {
  struct Case {
    const char* cancel_at;           // the label that raises the cancel flag; "" none
    std::vector<std::string> pages;  // the index pages made, relative to the album
    std::string first_page;
  };
  const Case cases[] = {
      {"", {"a/index.html", "b/index.html", "index.html"}, "index.html"},
      {"Processing: 2/5", {"a/index.html"}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cancel_at);
    for (const char* folder : {"a", "b"}) {
      fs::remove_all(album_ / folder);
      fs::create_directory(album_ / folder);
      Photos(2, album_ / folder);
    }
    Photos(1);
    fs::remove_all(data());
    fs::remove(album_ / "index.html");
    // A data folder the run did not make is never cleaned.
    fs::create_directory(album_ / "b" / "fldata");
    File("mine.txt", "x", album_ / "b" / "fldata");
    Album() = AlbumSettings{};
    Album().AlbumDirectory = album_.string();
    Album().ThumbDirectory = "fldata";
    Album().EmptyThumbnail = "";
    Album().AlbumFileName = "index.html";
    Album().EraseExistingFiles = true;
    Album().IncludeSubfolders = true;
    progress_.labels.clear();
    SetCancelRequested(false);
    progress_.cancel_when = [&](const std::vector<std::string>& labels) {
      return labels.back() == c.cancel_at;
    };
    generate();
    std::vector<std::string> processing;
    for (const std::string& label : progress_.labels)
      if (label.rfind("Processing: ", 0) == 0) processing.push_back(label);
    const std::vector<std::string> all = {"Processing: 1/5", "Processing: 2/5", "Processing: 3/5",
                                          "Processing: 4/5", "Processing: 5/5"};
    EXPECT_EQ(processing,
              std::vector<std::string>(all.begin(), all.begin() + (c.cancel_at[0] ? 2 : 5)));
    for (const char* page : {"a/index.html", "b/index.html", "index.html"}) {
      const bool made = std::find(c.pages.begin(), c.pages.end(), page) != c.pages.end();
      EXPECT_EQ(fs::exists(album_ / page), made) << page;
    }
    EXPECT_EQ(Album().FirstPage, c.first_page);
    EXPECT_EQ(Album().AlbumDirectory, album_.string() + "/");
    EXPECT_EQ(GetMessages(), c.cancel_at[0] ? ""
                                            : "In b: Thumbnail directory was not completely "
                                              "cleaned up.\r");
  }
}

TEST_F(GenerateTest, ATreeTakesAFolderOfNewerFormatsOnlyWhenTheRunListsThem) {
  Photos(1);
  fs::create_directory(album_ / "phone");
  File("IMG_0001.webp", "", album_ / "phone");
  for (const bool extended : {false, true}) {
    std::vector<std::string> warnings;
    const std::vector<TreeFolder> tree =
        ListAlbumTree(album_.string() + "/", "fldata", extended, warnings);
    EXPECT_EQ(tree.size(), extended ? 2u : 1u) << extended;
  }
}

}  // namespace
}  // namespace fotoloom::testing
