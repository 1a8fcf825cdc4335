// The display options of a run: twice-as-large thumbnails offered through srcset, and previews
// fitted into a box that the image pages show scaled to the window, linked to the original.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "catalog_fixture.h"
#include "files/file_utils.h"
#include "generation/album.h"
#include "generation/photo_details.h"
#include "imaging/thumbnails.h"

namespace fotoloom::testing {
namespace {

class DisplayOptionsTest : public CatalogTest {
 protected:
  void SetUp() override {
    CatalogTest::SetUp();
    Album().GenerateHTMLImages = true;
    Album().ShowFileName = Album().ShowFileTime = Album().ShowFileSize = false;
  }

  // The line of a page that holds what.
  static std::string LineWith(const fs::path& page, const std::string& what) {
    for (const std::string& line : Lines(page))
      if (line.find(what) != std::string::npos) return line;
    return "";
  }

  static std::pair<int, int> Size(const fs::path& path) { return ReadJpegSize(path.string()); }
};

TEST_F(DisplayOptionsTest, ThumbnailsGetTwiceAsLargeCompanions) {
  Image("a.jpg", 640, 480);
  Image("a@2x.png", 60, 90);  // its thumbnail takes the name the companion of a.jpg would want
  File("broken.jpg", "not a picture");
  Image("spare.jpg", 64, 48, 0, root_);
  Album().EmptyThumbnail = (root_ / "spare.jpg").string();
  Album().HiDPIThumbnails = true;
  generate();
  ASSERT_EQ(GetMessages(), "");

  struct Case {
    std::string thumb, thumb_2x;
    std::pair<int, int> size_2x;
  };
  const Case cases[] = {
      {"a.jpg", "a@2x (1).jpg", {200, 150}},
      {"a@2x.jpg", "a@2x@2x.jpg", {133, 200}},
      {"broken.jpg", "broken@2x.jpg", {200, 150}},  // the spare picture's companion
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.thumb);
    const std::string cell = LineWith(album_ / "index.html", "fldata/" + PathToUrl(c.thumb));
    EXPECT_NE(cell.find("<img src=\"fldata/" + PathToUrl(c.thumb) + "\" srcset=\"fldata/" +
                        PathToUrl(c.thumb) + " 1x, fldata/" + PathToUrl(c.thumb_2x) +
                        " 2x\" border=\"0\" alt="),
              std::string::npos)
        << cell;
    EXPECT_EQ(Size(data() / c.thumb_2x), c.size_2x);
  }
  // Made from the same decode, the thumbnail is still exactly the one made alone.
  EXPECT_EQ(Read(data() / "a.jpg"), EncodeThumbnail((album_ / "a.jpg").string(), 100, 100));
  EXPECT_EQ(BrokenLinks(AllPages()), std::vector<std::string>{});
}

TEST_F(DisplayOptionsTest, LargeImagesGetPreviewsOnTheirPages) {
  Image("big.jpg", 1000, 750);
  Image("tall.png", 300, 900);
  Image("small.jpg", 400, 300);  // fits the box: no preview
  Album().PreviewImages = true;
  Album().PreviewWidth = 400;
  Album().PreviewHeight = 100;  // brought up to 320
  generate();
  ASSERT_EQ(GetMessages(), "");

  struct Case {
    std::string name, preview;
    std::pair<int, int> size;
  };
  const Case cases[] = {
      {"big.jpg", "big-preview.jpg", {400, 300}},
      {"tall.png", "tall-preview.jpg", {106, 320}},
      {"small.jpg", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path page = data() / (fs::path(c.name).stem().string() + ".html");
    const std::string line = LineWith(page, "<img ");
    if (c.preview.empty()) {
      EXPECT_EQ(line, "<img src=\"../" + c.name + "\" alt=\"" + c.name + "\">");
      EXPECT_FALSE(fs::exists(data() / (fs::path(c.name).stem().string() + "-preview.jpg")));
      continue;
    }
    EXPECT_EQ(line, "<a href=\"../" + c.name + "\"><img src=\"" + c.preview + "\" alt=\"" + c.name +
                        "\" style=\"max-width: 100%; max-height: 85vh\"></a>");
    EXPECT_EQ(Size(data() / c.preview), c.size);
  }
  EXPECT_EQ(BrokenLinks(AllPages()), std::vector<std::string>{});
}

// With the newer formats listed, a photo the browser cannot show (HEIC, TIFF) is shown through a
// preview at its own size, whatever the preview box says, and offered only as a download; one it
// shows (WebP, AVIF) is shown itself. Without image pages its thumbnail leads to the preview.
// No page points the browser at a file it cannot display, in either catalog style.
TEST_F(DisplayOptionsTest, PhotosABrowserCannotShowAreShownThroughPreviews) {
  for (const char* sample : {"rgb.tif", "rgb.heic", "rgb.webp", "rgb.avif"}) {
    const std::string name = std::string(sample).replace(0, 3, "photo");
    fs::copy_file(std::string(FOTOLOOM_SAMPLES_DIR) + "/" + sample, album_ / name);
  }
  struct Case {
    int style;
    bool pages;
  };
  for (const Case c : {Case{kClassicCatalog, true}, {kClassicCatalog, false}, {kModernCatalog, true},
                       {kModernCatalog, false}}) {
    SCOPED_TRACE(std::to_string(c.style) + (c.pages ? " with image pages" : " without"));
    // The run rewrote both folders in place.
    Album().AlbumDirectory = album_.string();
    Album().ThumbDirectory = "fldata";
    Album().ExtendedFormats = true;
    Album().CatalogStyle = c.style;
    Album().GenerateHTMLImages = c.pages;
    fs::remove_all(data());
    for (const fs::path& page : HtmlFilesIn(album_)) fs::remove(page);
    generate();
    ASSERT_EQ(GetMessages(), "");
    // Listed HEIC, AVIF, WebP, TIFF; the modern pages name a preview for each.
    const std::string tiff_preview =
        c.style == kModernCatalog ? "photo-preview (3).jpg" : "photo-preview (1).jpg";
    EXPECT_EQ(Size(data() / "photo-preview.jpg"), std::make_pair(96, 64));
    EXPECT_EQ(Size(data() / tiff_preview), std::make_pair(96, 64));
    EXPECT_EQ(Listing(data()).count("photo-preview (2).jpg"), 0u);
    for (const fs::path& page : AllPages()) {
      for (const std::string& line : Lines(page)) {
        for (const char* ext : {".tif\"", ".heic\""}) {
          if (line.find(ext) == std::string::npos) continue;
          for (const char* attribute : {"src=\"", "href=\""}) {
            for (std::size_t at = line.find(attribute); at != std::string::npos;
                 at = line.find(attribute, at + 1)) {
              const std::size_t end = line.find('"', at + std::string(attribute).size());
              const std::string url = line.substr(at, end - at + 1);
              if (url.ends_with(ext)) {
                EXPECT_NE(line.find("\" download>Original file</a>"), std::string::npos)
                    << page << ": " << line;
              }
            }
          }
        }
      }
    }
    if (c.pages && c.style == kClassicCatalog) {
      EXPECT_EQ(LineWith(data() / "photo.html", "<img "),
                "<img src=\"photo-preview.jpg\" alt=\"photo.heic\" style=\"max-width: 100%; "
                "max-height: 85vh\"><br>");
      EXPECT_EQ(LineWith(data() / "photo.html", "download"),
                "<a href=\"../photo.heic\" download>Original file</a>");
      EXPECT_EQ(LineWith(data() / "photo (2).html", "<img "),
                "<img src=\"../photo.webp\" alt=\"photo.webp\">");
    }
    if (!c.pages && c.style == kClassicCatalog) {
      EXPECT_NE(LineWith(album_ / "index.html", "<a href=\"fldata/photo-preview.jpg\""), "");
    }
    EXPECT_EQ(BrokenLinks(AllPages()), std::vector<std::string>{});
  }
}

// With ShowPhotoDetails each image page, of either style, has one line of what the file records,
// escaped, without the GPS position; a photo without EXIF tells its size.
TEST_F(DisplayOptionsTest, ImagePagesTellWhatTheCameraRecorded) {
  fs::copy_file(std::string(FOTOLOOM_SAMPLES_DIR) + "/src-rot6.jpg", album_ / "cam.jpg");
  fs::copy_file(std::string(FOTOLOOM_SAMPLES_DIR) + "/src-rgb.png", album_ / "plain.png");
  const std::string taken = FormatShortDate(*PackLocalTime(2019, 6, 7, 8, 9, 10));
  const std::string camera = taken +
                             " 08:09, Fotoloom Test &lt;Camera&gt;, Fifty &amp; Co, 1/250 s, "
                             "f/2.8, ISO 200, 50 mm, 64 \xC3\x97 96 pixels";
  const std::string plain = "96 \xC3\x97 64 pixels";
  for (const int style : {kClassicCatalog, kModernCatalog}) {
    SCOPED_TRACE(style);
    Album().AlbumDirectory = album_.string();
    Album().ThumbDirectory = "fldata";
    Album().CatalogStyle = style;
    Album().ShowPhotoDetails = true;
    fs::remove_all(data());
    generate();
    ASSERT_EQ(GetMessages(), "");
    const auto line = [&](const std::string& page) {
      return style == kClassicCatalog
                 ? LineWith(data() / page, "<font size=\"2\">")
                 : LineWith(data() / page, "<p class=\"camera\"");
    };
    const std::string open = style == kClassicCatalog ? "<font size=\"2\">"
                                                      : "<p class=\"camera\" id=\"camera\">";
    const std::string close = style == kClassicCatalog ? "</font>" : "</p>";
    EXPECT_EQ(line("cam.html"), open + camera + close);
    EXPECT_EQ(line("plain.html"), open + plain + close);
    EXPECT_EQ(Read(data() / "cam.html").find("48"), std::string::npos);  // the latitude
  }
}

// The camera's line: make shown once when the model repeats it, long exposures in seconds,
// absent and zero values left out.
TEST(PhotoDetailsTest, FieldsAreWrittenAsPeopleReadThem) {
  ExifFields canon;
  canon.make = "Canon";
  canon.model = "Canon EOS 5D";
  canon.exposure_time = Rational{5, 2};
  canon.f_number = Rational{0, 0};
  canon.focal_length = Rational{245, 10};
  ExifFields make_only;
  make_only.make = "Nikon";
  make_only.iso = 0;
  struct Case {
    std::optional<ExifFields> exif;
    int width, height;
    std::string line;
  };
  const Case cases[] = {
      {canon, 0, 0, "Canon EOS 5D, 2.5 s, 24.5 mm"},
      {make_only, 10, 20, "Nikon, 10 \xC3\x97 20 pixels"},
      {std::nullopt, 0, 0, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(PhotoDetailsLine(c.exif, c.width, c.height), c.line);
}

}  // namespace
}  // namespace fotoloom::testing
