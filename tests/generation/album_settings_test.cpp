#include "generation/album_settings.h"

#include <gtest/gtest.h>

namespace fotoloom {
namespace {

void ExpectDefaults(const AlbumSettings& a) {
  EXPECT_EQ(a.AlbumFileName, "index.html");
  EXPECT_EQ(a.AlbumDirectory, ".");
  EXPECT_EQ(a.ThumbDirectory, "album");
  EXPECT_EQ(a.EmptyThumbnail, "empty.jpg");
  EXPECT_EQ(a.NameMaxLen, 14);
  EXPECT_EQ(a.SlideShowDelay, 0);
  EXPECT_EQ(a.SortOrder, 0);
  EXPECT_EQ(a.ThumbsPerRow, 6);
  EXPECT_EQ(a.ThumbRowsPerFile, 1);
  EXPECT_EQ(a.ThumbGeometryW, 100);
  EXPECT_EQ(a.ThumbGeometryH, 100);
  EXPECT_EQ(a.AlbumName, "My Album");
  EXPECT_EQ(a.HeaderColor, "white");
  EXPECT_EQ(a.HeaderSize, "h2");
  EXPECT_EQ(a.AlbumHeader, "New Album");
  EXPECT_EQ(a.ThumbnailBorder, "0");
  EXPECT_EQ(a.TableBorder, "0");
  EXPECT_EQ(a.FontSize, "2");
  EXPECT_EQ(a.TextColor, "white");
  EXPECT_EQ(a.BgColor, "black");
  EXPECT_TRUE(a.ShowFileName && a.ShowFileExtension && a.ShowFileTime && a.ShowFileSize);
  EXPECT_FALSE(a.EraseExistingFiles || a.GenerateHTMLImages || a.SlideShow || a.UseTableBgColor);
  for (const std::string* empty : {&a.Font, &a.Previous, &a.Next, &a.Index, &a.AlbumFooter,
                                   &a.TableBgColor, &a.BgImage, &a.BgSound, &a.LinkColor,
                                   &a.VLinkColor, &a.FirstPage}) {
    EXPECT_EQ(*empty, "");
  }
}

// Declared first: runs before anything in this binary has written the process-wide values.
TEST(AlbumSettings, ProcessStartsWithTheDefaults) { ExpectDefaults(Album()); }

TEST(AlbumSettings, IsOneSharedInstanceAndResetsCompletely) {
  Album().ThumbDirectory = "/photos/fldata/";
  Album().ThumbRowsPerFile = kSingleFileRows;
  Album().ShowFileName = false;
  Album().BgImage = "/photos/fldata/bg (1).jpg";
  Album().FirstPage = "index001.html";
  EXPECT_EQ(Album().ThumbDirectory, "/photos/fldata/");
  EXPECT_EQ(Album().FirstPage, "index001.html");

  ResetAlbumSettings();
  ExpectDefaults(Album());
}

}  // namespace
}  // namespace fotoloom
