// Whole-page checks of a worked catalog: the exact files a run leaves, the exact text of an
// index page and of an image page, and links that resolve for the names people really use.
#include <gtest/gtest.h>

#include <string>

#include "catalog_fixture.h"
#include "files/dir.h"
#include "generation/album.h"
#include "generation/index_page.h"

namespace fotoloom::testing {
namespace {

using CatalogPagesTest = CatalogTest;

class WorkedCatalogTest : public CatalogTest {
 protected:
  void SetUp() override {
    CatalogTest::SetUp();
    const fs::path assets = BackgroundFiles();
    Image("a.jpg", 32, 24);
    Image("b.png", 24, 32);
    Image("x.bmp", 20, 10);
    Image("X.JPG", 10, 20);
    Image("my photo.jpg", 16, 12, 1536);
    Image("Anna's day.png", 16, 12);
    Image(
        "Gr\xC3\xB6\xC3\x9F"
        "e.jpg",
        16, 12, 10240);
    Image("say \"cheese\".jpg", 16, 12, 2560);
    File("imgdesc.dat", "say \"cheese\".jpg|Everyone <b>smiles</b>\r\n");
    ConfigureWorkedCatalog(assets);
    generate();
  }
};

TEST_F(WorkedCatalogTest, LeavesExactlyTheCatalogFiles) {
  EXPECT_EQ(GetMessages(), "");
  EXPECT_FALSE(CancelRequested());
  EXPECT_EQ(Album().FirstPage, "index001.html");
  EXPECT_EQ(ItemCount(), 0);
  EXPECT_EQ(fs::current_path(), album_);

  const std::set<std::string> album_files = {"a.jpg",
                                             "b.png",
                                             "x.bmp",
                                             "X.JPG",
                                             "my photo.jpg",
                                             "Anna's day.png",
                                             "Gr\xC3\xB6\xC3\x9F"
                                             "e.jpg",
                                             "say \"cheese\".jpg",
                                             "imgdesc.dat",
                                             "index001.html",
                                             "index002.html",
                                             "index003.html",
                                             "fldata/"};
  EXPECT_EQ(Listing(album_), album_files);

  // x.bmp is named first (its mask comes first), so X.JPG finds x.jpg taken, case ignored.
  std::set<std::string> data_files = {".fotoloom-data", "tile.gif", "tune.mid"};
  for (const char* stem : {"a", "b", "x", "X (1)", "my photo", "Anna's day",
                           "Gr\xC3\xB6\xC3\x9F"
                           "e",
                           "say \"cheese\""}) {
    data_files.insert(std::string(stem) + ".jpg");
    data_files.insert(std::string(stem) + ".html");
  }
  EXPECT_EQ(Listing(data()), data_files);

  for (const std::string& name : data_files) {
    if (fs::path(name).extension() != ".jpg") continue;
    const std::string thumb = Read(data() / name);
    ASSERT_GE(thumb.size(), 2u) << name;
    EXPECT_EQ(thumb.substr(0, 2), "\xFF\xD8") << name << " is not a JPEG";
  }
  EXPECT_EQ(Album().BgImage, (data() / "tile.gif").string());
  EXPECT_EQ(Album().ThumbDirectory, data().string() + "/");
  EXPECT_EQ(Album().AlbumDirectory, album_.string() + "/");

  EXPECT_EQ(BrokenLinks(AllPages()), std::vector<std::string>{});
}

TEST_F(WorkedCatalogTest, MiddleIndexPageText) {
  const std::string status_in = "\" OnMouseOver=\"this.className='over'; window.status='";
  const std::string status_out =
      "'; return true;\" OnMouseOut=\"this.className='off'; window.status=''; return true;\">";
  const std::string gross =
      "Gr\xC3\xB6\xC3\x9F"
      "e";
  const std::string gross_url = "Gr%C3%B6%C3%9Fe";
  const std::vector<std::string> expected = {
      "<html>",
      "<head>",
      "<meta name=\"DESCRIPTION\" content=\"Summer <i>2024</i>\">",
      "<meta name=\"GENERATOR\" content=\"Fotoloom 2.0\">",
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">",
      "<title>",
      "Trip",
      "</title>",
      "</head>",
      "<body background=\"fldata/tile.gif\" bgcolor=\"#000000\" text=\"#FFFFFF\" "
      "link=\"#FFFF00\" vlink=\"#FF8000\">",
      "<bgsound src=\"fldata/tune.mid\">",
      "<font face=\"Verdana\">",
      "<p>",
      "<center>",
      "<font size=\"3\">",
      "<a href=\"index001.html" + status_in + "&lt;&lt; Prev" + status_out +
          "&lt;&lt; Prev</a> | <a href=\"index003.html" + status_in + "Next &gt;&gt;" + status_out +
          "Next &gt;&gt;</a>",
      "</font>",
      "</center>",
      "&nbsp;",
      "</p>",
      "<p>",
      "<center>",
      "<H2><font color=\"#FFFF00\">Summer <i>2024</i></font></H2>",
      "</center>",
      "&nbsp;",
      "</p>",
      "<p>",
      "<center>",
      "<table border=\"0\" bgcolor=\"#202020\">",
      "<tr>",
      "<td><br></td>",
      "<td><br></td>",
      "<td><br></td>",
      "</tr>",
      "<tr>",
      "<a name=\"row1\">",
      "<td align=\"center\" valign=\"center\" width=\"102\" height=\"82\"><a href=\"fldata/" +
          gross_url + ".html" + status_in + gross + ".jpg" + status_out + "<img src=\"fldata/" +
          gross_url + ".jpg\" border=\"1\" alt=\"" + gross + ".jpg\"></a></td>",
      "<td align=\"center\" valign=\"center\" width=\"102\" height=\"82\"><a "
      "href=\"fldata/my%20photo.html" +
          status_in + "my photo.jpg" + status_out +
          "<img src=\"fldata/my%20photo.jpg\" border=\"1\" alt=\"my photo.jpg\"></a></td>",
      "<td align=\"center\" valign=\"center\" width=\"102\" height=\"82\"><a "
      "href=\"fldata/say%20%22cheese%22.html" +
          status_in + "say &quot;cheese&quot;.jpg" + status_out +
          "<img src=\"fldata/say%20%22cheese%22.jpg\" border=\"1\" "
          "alt=\"say &quot;cheese&quot;.jpg\"></a></td>",
      "</a>",
      "</tr>",
      "<tr>",
      "<td align=\"center\" valign=\"top\"><font size=\"2\"><a href =\"fldata/" + gross_url +
          ".html" + status_in + gross + ".jpg" + status_out + gross +
          ".jpg</a><br>05/17/24<br>10 kB<br></font><p><br></p></td>",
      "<td align=\"center\" valign=\"top\"><font size=\"2\"><a href =\"fldata/my%20photo.html" +
          status_in + "my photo.jpg" + status_out +
          "my photo.jpg</a><br>05/17/24<br>2 kB<br></font><p><br></p></td>",
      // 16 characters shown as the first 11 and "...", escaped after the cut.
      "<td align=\"center\" valign=\"top\"><font size=\"2\"><a href "
      "=\"fldata/say%20%22cheese%22.html" +
          status_in + "say &quot;cheese&quot;.jpg" + status_out +
          "say &quot;cheese...</a><br>05/17/24<br>2 kB<br></font><p><br></p></td>",
      "</tr>",
      "</table>",
      "</center>",
      "</p>",
      "<p>",
      "<font size=\"2\">",
      "<center>",
      "<br>",
      "Made by me",
      "</center>",
      "</font>",
      "</p>",
      "</font>",
      "</body>",
      "</html>",
  };
  EXPECT_EQ(Lines(album_ / "index002.html"), expected);
}

TEST_F(WorkedCatalogTest, ImagePageText) {
  const std::string status_in = "\" OnMouseOver=\"this.className='over'; window.status='";
  const std::string status_out =
      "'; return true;\" OnMouseOut=\"this.className='off'; window.status=''; return true;\">";
  const std::vector<std::string> expected = {
      "<html>",
      "<head>",
      "<meta name=\"DESCRIPTION\" content=\"say &quot;cheese&quot;.jpg\">",
      "<meta name=\"GENERATOR\" content=\"Fotoloom 2.0\">",
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">",
      "<meta http-equiv=\"REFRESH\" content=5;url=\"x.html\">",
      "<title>",
      "say &quot;cheese&quot;.jpg",
      "</title>",
      "</head>",
      "<body background=\"tile.gif\" bgcolor=\"#000000\" text=\"#FFFFFF\" link=\"#FFFF00\" "
      "vlink=\"#FF8000\">",
      "<bgsound src=\"tune.mid\">",
      "<font face=\"Verdana\">",
      "<p>",
      "<center>",
      "<font size=\"3\">",
      "<a href=\"my%20photo.html" + status_in + "&lt;&lt; Prev" + status_out +
          "&lt;&lt; Prev</a> | <a href=\"../index002.html#row1" + status_in + "Index" + status_out +
          "Index</a> | <a href=\"x.html" + status_in + "Next &gt;&gt;" + status_out +
          "Next &gt;&gt;</a>",
      "</font>",
      "</center>",
      "</p>",
      "<p>",
      "<center>",
      "<img src=\"../say%20%22cheese%22.jpg\" alt=\"say &quot;cheese&quot;.jpg, 05/17/24, 2 kB\">",
      "</center>",
      "</p>",
      "<p>",
      "<center>",
      "<table>",
      "<tr>",
      "<td>",
      "<font size=\"2\">",
      "Everyone <b>smiles</b>",
      "</font>",
      "</td>",
      "</tr>",
      "</table>",
      "</center>",
      "</p>",
      "<p>",
      "<font size=\"2\">",
      "<center>",
      "<br>",
      "Made by me",
      "</center>",
      "</font>",
      "</p>",
      "</font>",
      "</body>",
      "</html>",
  };
  EXPECT_EQ(Lines(data() / "say \"cheese\".html"), expected);
}

TEST_F(WorkedCatalogTest, EndsOfTheCatalog) {
  // First index page: bare Previous; the apostrophe stays in the alt text and becomes an
  // acute accent inside the status script.
  const std::string first = Read(album_ / "index001.html");
  EXPECT_NE(first.find("\r\n&lt;&lt; Prev | <a href=\"index002.html\""), std::string::npos);
  EXPECT_NE(first.find("alt=\"Anna's day.png\""), std::string::npos);
  EXPECT_NE(first.find("window.status='Anna\xC2\xB4s day.png'"), std::string::npos);
  EXPECT_EQ(Count(first, "<a name=\"row"), 1u);

  // Last index page: two items in a short row; the spacer row still has three cells.
  const std::string last = Read(album_ / "index003.html");
  EXPECT_NE(last.find("<a href=\"index002.html\""), std::string::npos);
  EXPECT_NE(last.find("</a> | Next &gt;&gt;\r\n"), std::string::npos);
  EXPECT_EQ(Count(last, "<td><br></td>"), 3u);
  EXPECT_EQ(Count(last, "valign=\"center\""), 2u);

  // First image page: plain Previous; last one: plain Next, and the slide show loops back.
  const std::string a = Read(data() / "a.html");
  EXPECT_NE(a.find("\r\n&lt;&lt; Prev | <a href=\"../index001.html#row1\""), std::string::npos);
  const std::string last_image = Read(data() / "X (1).html");
  EXPECT_NE(last_image.find("content=5;url=\"a.html\""), std::string::npos);
  EXPECT_NE(last_image.find("</a> | Next &gt;&gt;\r\n"), std::string::npos);
  EXPECT_NE(last_image.find("<img src=\"../X.JPG\""), std::string::npos);
}

// The checker every catalog test leans on must itself catch what it is meant to catch.
TEST_F(CatalogPagesTest, LinkCheckerReportsMissingFilesAnchorsAndAbsoluteReferences) {
  File("a b.jpg", "x");
  File("target.html", "<a name=\"row1\"><a id=\"photo1\" href=\"a%20b.jpg\">");
  File("page.html",
       "<a href=\"a%20b.jpg\"><img src=\"target.html#row1\"><body background=\"missing.gif\">"
       "<a href =\"a b%2.jpg\"><a href=\"target.html#row2\"><a href=\"/etc/passwd\">"
       "<a href=\"target.html#photo1\"><a href=\"target.html#photo2\">"
       "<meta http-equiv=\"REFRESH\" content=5;url=\"gone.html\">"
       "<noscript><meta http-equiv=\"refresh\" content=\"5;url=gone-too.html\"></noscript>");
  const std::vector<std::string> broken = BrokenLinks(album_ / "page.html");
  ASSERT_EQ(broken.size(), 7u) << ::testing::PrintToString(broken);
  EXPECT_NE(broken[0].find("missing.gif"), std::string::npos);
  EXPECT_NE(broken[1].find("malformed escape"), std::string::npos);
  EXPECT_NE(broken[2].find("no anchor \"row2\""), std::string::npos);
  EXPECT_NE(broken[3].find("not a relative reference"), std::string::npos);
  EXPECT_NE(broken[4].find("no anchor \"photo2\""), std::string::npos);
  EXPECT_NE(broken[5].find("gone.html"), std::string::npos);
  EXPECT_NE(broken[6].find("gone-too.html"), std::string::npos);
}

// Names taken from real photo folders: URL-special characters, a macOS companion file that
// is no JPEG at all, an empty PNG. Every link must still lead to a file, in either style, with
// image pages and without.
TEST_F(CatalogPagesTest, NamesPeopleReallyHaveStillLink) {
  const fs::path assets = root_ / "assets";
  fs::create_directory(assets);
  Image("spare.jpg", 40, 30, 0, assets);
  Image("#1.jpg");
  Image("what?.jpg");
  Image("a%28b%29.jpg");
  Image("rock & roll.png");
  Image("  two  blanks .bmp");
  Image("IMG_0001.jpg");
  File("._IMG_0001.jpg", std::string("\x00\x05\x16\x07\x00\x02\x00\x00Mac OS X        ", 24));
  File("empty.png", "");
  Image("<b>bold<i>.jpg");
  Image("line\nbreak.jpg");
  for (const int style : {kClassicCatalog, kModernCatalog}) {
    for (bool pages : {true, false}) {
      const bool modern = style == kModernCatalog;
      const std::string name = std::string(modern ? "modern " : "") + (pages ? "with" : "without");
      SCOPED_TRACE(name);
      Album().CatalogStyle = style;
      Album().AlbumDirectory = album_.string();
      Album().ThumbDirectory = name;
      Album().AlbumFileName = name + ".html";
      Album().GenerateHTMLImages = pages;
      Album().SlideShow = true;
      Album().EmptyThumbnail = (assets / "spare.jpg").string();
      Album().ThumbsPerRow = 4;
      Album().ThumbRowsPerFile = kSingleFileRows;
      generate();
      EXPECT_EQ(GetMessages(), "");
      std::vector<fs::path> pages_written = {album_ / Album().AlbumFileName};
      for (const fs::path& page : HtmlFilesIn(Album().ThumbDirectory)) pages_written.push_back(page);
      // Modern catalogs: an image page and a show page per photo.
      EXPECT_EQ(pages_written.size(), pages ? (modern ? 21u : 11u) : 1u);
      EXPECT_EQ(BrokenLinks(pages_written), std::vector<std::string>{});

      // The companion file and the empty PNG got the spare picture's thumbnail instead.
      const std::string spare = Read(fs::path(Album().ThumbDirectory) / "._IMG_0001.jpg");
      EXPECT_FALSE(spare.empty());
      EXPECT_EQ(Read(fs::path(Album().ThumbDirectory) / "empty.jpg"), spare);

      // Every line of every page (and of the list of photos) ends in CR LF, and no name splits
      // one.
      if (modern && pages) pages_written.push_back(fs::path(Album().ThumbDirectory) / (name + "-items.js"));
      for (const fs::path& page : pages_written) {
        const std::string text = Read(page);
        ASSERT_FALSE(text.empty()) << page;
        for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
          ASSERT_TRUE(at > 0 && text[at - 1] == '\r') << page << " has a bare line feed at " << at;
        for (std::size_t at = text.find('\r'); at != std::string::npos; at = text.find('\r', at + 1))
          ASSERT_TRUE(at + 1 < text.size() && text[at + 1] == '\n') << page << " has a bare CR";
      }

      // A name that looks like markup is shown as text.
      const std::string index = Read(album_ / Album().AlbumFileName);
      EXPECT_EQ(index.find("<b>bold"), std::string::npos);
      EXPECT_NE(index.find("alt=\"" + std::string(pages || modern ? "" : album_.string() + "/") +
                           "&lt;b&gt;bold&lt;i&gt;.jpg\""),
                std::string::npos);
    }
  }
}

}  // namespace
}  // namespace fotoloom::testing
