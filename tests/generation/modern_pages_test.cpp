// The modern pages of a worked catalog, line by line, and what a modern run leaves: the show
// pages, the stylesheet and script, the list of photos for full screen, previews without the
// preview option, the contrast notes; a cancelled run's pages still whole.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalog_fixture.h"
#include "files/dir.h"
#include "generation/album.h"
#include "generation/modern_page.h"

namespace fotoloom::testing {
namespace {

class ModernCatalogTest : public CatalogTest {
 protected:
  void SetUp() override {
    CatalogTest::SetUp();
    const fs::path assets = BackgroundFiles();
    Image("a.jpg", 32, 24);
    Image("big.jpg", 2000, 1500);
    Image("c d.png", 24, 32);
    Image("Anna's day.png", 16, 12);
    Image("say \"cheese\".jpg", 16, 12, 2560);
    Image("x.bmp", 20, 10);
    Image("z.jpg", 16, 12);
    File("imgdesc.dat", "say \"cheese\".jpg|Everyone <b>smiles</b>\r\n");
    // The worked catalog of the classic pages, in the modern style; an empty text still names
    // its button, a table border frames the cards, the links are too dark to read, and the
    // thumbnails have twice-as-large companions. The data folder is cleaned before the pages'
    // own files are written.
    ConfigureWorkedCatalog(assets);
    Album().CatalogStyle = kModernCatalog;
    Album().EraseExistingFiles = true;
    Album().Index = "";
    Album().TableBorder = "2";
    Album().LinkColor = "#0000FF";
    Album().HiDPIThumbnails = true;
  }
};

// The head lines every modern page shares, for a page in folder data_url ("fldata/" or "").
std::vector<std::string> Head(const std::string& data_url, const std::string& title,
                              const std::vector<std::string>& more) {
  std::vector<std::string> lines = {
      "<!DOCTYPE html>",
      "<html lang=\"en\">",
      "<head>",
      "<meta charset=\"utf-8\">",
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">",
      "<meta name=\"generator\" content=\"Fotoloom 2.0\">",
  };
  if (!data_url.empty()) lines.push_back("<meta name=\"description\" content=\"Summer 2024\">");
  lines.push_back("<title>" + title + "</title>");
  lines.push_back("<link rel=\"stylesheet\" href=\"" + data_url + "fotoloom.css\">");
  lines.push_back(
      "<style>:root{--fg:#FFFFFF;--bg:#000000;--link:#0000FF;--vlink:#FF8000;--head:#FFFF00;"
      "--card:#202020;--image:url(\"" +
      data_url +
      "tile.gif\");--font:Verdana;--size:13px;--nav-size:16px;--tw:100px;--frame:1px;"
      "--edge:2px;--cols:3}</style>");
  lines.insert(lines.end(), more.begin(), more.end());
  lines.push_back("<script src=\"" + data_url + "fotoloom.js\" defer></script>");
  lines.push_back("</head>");
  return lines;
}

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST_F(ModernCatalogTest, MiddleIndexPageLines) {
  generate();
  const std::vector<std::string> expected = Joined(
      Head("fldata/", "Trip", {}),
      {
          "<body class=\"index\">",
          "<header><H2 class=\"head\">Summer <i>2024</i></H2></header>",
          "<nav class=\"pages\" aria-label=\"Index pages\">",
          "<a class=\"button\" href=\"index001.html\" id=\"prev\" rel=\"prev\">&lt;&lt; Prev</a>",
          "<a class=\"button\" href=\"index001.html\" aria-label=\"Page 1\">1</a>",
          "<span class=\"button\" aria-current=\"page\">2</span>",
          "<a class=\"button\" href=\"index003.html\" aria-label=\"Page 3\">3</a>",
          "<a class=\"button\" href=\"index003.html\" id=\"next\" rel=\"next\">Next &gt;&gt;</a>",
          "</nav>",
          "<p class=\"tools\"><a class=\"button\" id=\"show\" href=\"fldata/c%20d-show.html\" "
          "data-play=\"fldata/c%20d.html\">Slide show</a></p>",
          "<main>",
          "<div class=\"grid\">",
          // The thumbnails' own sizes; the name cut to NameMaxLen and escaped after the cut.
          "<figure><a id=\"photo4\" href=\"fldata/c%20d.html\"><img src=\"fldata/c%20d.jpg\" "
          "srcset=\"fldata/c%20d.jpg 1x, fldata/c%20d%402x.jpg 2x\" width=\"60\" height=\"80\" "
          "alt=\"c d.png\"></a><figcaption><span>c d.png</span>"
          "<span>05/17/24</span><span>0 kB</span></figcaption></figure>",
          "<figure><a id=\"photo5\" href=\"fldata/say%20%22cheese%22.html\"><img "
          "src=\"fldata/say%20%22cheese%22.jpg\" srcset=\"fldata/say%20%22cheese%22.jpg 1x, "
          "fldata/say%20%22cheese%22%402x.jpg 2x\" width=\"100\" height=\"75\" "
          "alt=\"say &quot;cheese&quot;.jpg\"></a><figcaption><span>say &quot;cheese...</span>"
          "<span>05/17/24</span><span>2 kB</span><div class=\"description\">Everyone "
          "<b>smiles</b></div></figcaption></figure>",
          "<figure><a id=\"photo6\" href=\"fldata/x.html\"><img src=\"fldata/x.jpg\" "
          "srcset=\"fldata/x.jpg 1x, fldata/x%402x.jpg 2x\" width=\"100\" height=\"50\" "
          "alt=\"x.bmp\"></a><figcaption><span>x.bmp</span><span>05/17/24</span>"
          "<span>1 kB</span></figcaption></figure>",
          "</div>",
          "</main>",
          "<footer>Made by me</footer>",
          "<audio src=\"fldata/tune.mid\" controls loop preload=\"none\"></audio>",
          "</body>",
          "</html>",
      });
  EXPECT_EQ(Lines(album_ / "index002.html"), expected);
}

TEST_F(ModernCatalogTest, ImagePageLines) {
  generate();
  const std::string title = "say &quot;cheese&quot;.jpg";
  const std::string caption = title + ", 05/17/24, 2 kB";
  const std::vector<std::string> expected = Joined(
      Head("", title, {}),
      {
          // The next photo fits the preview box: its own file is the picture loaded ahead.
          "<body class=\"photo\" data-item=\"4\" data-items=\"index-items.js\" "
          "data-first=\"a.html\" data-last=\"z.html\" data-delay=\"5\" "
          "data-next-picture=\"../x.bmp\">",
          "<nav class=\"bar\" aria-label=\"Photos\">",
          "<a class=\"button\" href=\"c%20d.html\" id=\"prev\" rel=\"prev\">&lt;&lt; Prev</a>",
          "<a class=\"button\" href=\"../index002.html#photo5\" id=\"index\">Index</a>",
          "<a class=\"button\" href=\"x.html\" id=\"next\" rel=\"next\">Next &gt;&gt;</a>",
          "<a class=\"button\" href=\"say%20%22cheese%22-show.html\" id=\"show\">Slide show</a>",
          "<button type=\"button\" class=\"button\" id=\"full\" hidden>Full screen</button>",
          "</nav>",
          "<main class=\"stage\"><a class=\"picture\" id=\"original\" "
          "href=\"../say%20%22cheese%22.jpg\"><img id=\"picture\" "
          "src=\"../say%20%22cheese%22.jpg\" alt=\"" +
              caption + "\"></a></main>",
          "<div class=\"text\">",
          "<p id=\"details\">" + caption + "</p>",
          "<div class=\"description\" id=\"description\">Everyone <b>smiles</b></div>",
          "<footer>Made by me</footer>",
          "<audio src=\"tune.mid\" controls loop preload=\"none\"></audio>",
          "</div>",
          "</body>",
          "</html>",
      });
  EXPECT_EQ(Lines(data() / "say \"cheese\".html"), expected);
}

// A show page is its photo's page, playing: the refresh (without scripts), the neighbours'
// show pages, and "Pause" back to the photo's own page. The last one refreshes nowhere.
TEST_F(ModernCatalogTest, ShowPagesLeadFromOneToTheNextAndStopAtTheLast) {
  generate();
  struct Case {
    std::string page, refresh, prev, next, pause;
  };
  const Case cases[] = {
      {"a-show.html", "Anna%27s%20day-show.html", "", "Anna%27s%20day-show.html", "a.html"},
      {"big-show.html", "c%20d-show.html", "Anna%27s%20day-show.html", "c%20d-show.html",
       "big.html"},
      {"z-show.html", "", "x-show.html", "", "z.html"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    const std::string page = Read(data() / c.page);
    const std::string refresh = "<noscript><meta http-equiv=\"refresh\" content=\"5;url=";
    EXPECT_EQ(page.find(refresh + c.refresh + "\"></noscript>") != std::string::npos,
              !c.refresh.empty());
    EXPECT_EQ(Count(page, refresh), c.refresh.empty() ? 0u : 1u);
    const auto button = [](const std::string& href, const std::string& id) {
      return href.empty() ? "<a class=\"button\" id=\"" + id
                          : "<a class=\"button\" href=\"" + href + "\" id=\"" + id;
    };
    EXPECT_NE(page.find(button(c.prev, "prev")), std::string::npos);
    EXPECT_NE(page.find(button(c.next, "next")), std::string::npos);
    EXPECT_NE(page.find(button(c.pause, "show") + "\">Pause</a>"), std::string::npos);
    EXPECT_NE(page.find(" data-show=\"1\">"), std::string::npos);
  }
  // The first page's missing neighbour is a disabled button, on the photo's own page too.
  EXPECT_NE(Read(data() / "a.html").find("<a class=\"button\" id=\"prev\" rel=\"prev\" "
                                         "aria-disabled=\"true\">&lt;&lt; Prev</a>"),
            std::string::npos);
}

TEST_F(ModernCatalogTest, LeavesTheirFilesAndNotesAndEveryLinkResolves) {
  generate();
  EXPECT_EQ(GetMessages(), "");
  EXPECT_EQ(GetNotes(),
            "Low contrast: the link colour #0000FF on the background colour #000000 is 2.4:1, "
            "less than 4.5:1; some visitors will not be able to read it.\r"
            "Low contrast: the link colour #0000FF on the table background colour #202020 is "
            "1.8:1, less than 4.5:1; some visitors will not be able to read it.\r");

  std::set<std::string> expected = {".fotoloom-data", "tile.gif", "tune.mid", "fotoloom.css",
                                    "fotoloom.js",    "index-items.js", "big-preview.jpg"};
  for (const char* stem : {"a", "big", "c d", "Anna's day", "say \"cheese\"", "x", "z"}) {
    for (const char* suffix : {".jpg", "@2x.jpg", ".html", "-show.html"})
      expected.insert(stem + std::string(suffix));
  }
  EXPECT_EQ(Listing(data()), expected);
  EXPECT_EQ(Read(data() / "fotoloom.css"), ModernStylesheetText());
  EXPECT_EQ(Read(data() / "fotoloom.js"), ModernScriptText());
  EXPECT_LT(ModernStylesheetText().size() + ModernScriptText().size(), 12u * 1024);

  // The photo larger than the preview box shows its preview, though PreviewImages is off.
  const std::vector<std::string> items = Lines(data() / "index-items.js");
  ASSERT_EQ(items.size(), 9u);
  EXPECT_EQ(items[3],
            "[\"big.html\",\"big-preview.jpg\",1600,1200,\"../big.jpg\",\"big.jpg\","
            "\"big.jpg, 05/17/24, 211 kB\",\"\",\"../index001.html#photo3\"],");
  EXPECT_EQ(items[5],
            "[\"say%20%22cheese%22.html\",\"../say%20%22cheese%22.jpg\",0,0,"
            "\"../say%20%22cheese%22.jpg\",\"say \\\"cheese\\\".jpg\","
            "\"say \\\"cheese\\\".jpg, 05/17/24, 2 kB\",\"Everyone \\u003Cb>smiles\\u003C/b>\","
            "\"../index002.html#photo5\"],");
  EXPECT_NE(Read(data() / "big.html").find("<img id=\"picture\" src=\"big-preview.jpg\" "
                                           "width=\"1600\" height=\"1200\""),
            std::string::npos);
  EXPECT_EQ(BrokenLinks(AllPages()), std::vector<std::string>{});
}

// A cancel stops before the next thumbnail: the page holds what was made, and every photo on
// it still has both its pages (the last one's wait for a next picture that never comes) and
// its entry in the list. As in the classic pages, links to pages never written stay.
TEST_F(ModernCatalogTest, CancelledRunLeavesWholePagesForWhatWasMade) {
  progress_.cancel_when = [](const std::vector<std::string>& labels) {
    return labels.back() == "Processing: 3/7";
  };
  generate();
  EXPECT_TRUE(CancelRequested());
  const std::string index = Read(album_ / "index001.html");
  EXPECT_EQ(Count(index, "<figure>"), 2u);
  EXPECT_NE(index.find("</html>"), std::string::npos);
  EXPECT_EQ(HtmlFilesIn(data()).size(), 4u);
  EXPECT_EQ(Lines(data() / "index-items.js").size(), 4u);
  EXPECT_EQ(Read(data() / "Anna's day.html").find("data-next-picture"), std::string::npos);
}

}  // namespace
}  // namespace fotoloom::testing
