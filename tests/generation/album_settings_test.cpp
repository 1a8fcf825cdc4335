#include "generation/album_settings.h"

#include <gtest/gtest.h>

namespace fotoloom {
namespace {

void ExpectDefaults(const AlbumSettings& a) {
  EXPECT_EQ(a.AlbumFileName, "index.html");
  EXPECT_EQ(a.AlbumDirectory, ".");
  EXPECT_EQ(a.ThumbDirectory, "album");
  EXPECT_FALSE(a.EraseExistingFiles);
  EXPECT_EQ(a.EmptyThumbnail, "empty.jpg");
  EXPECT_FALSE(a.GenerateHTMLImages);
  EXPECT_EQ(a.NameMaxLen, 14);
  EXPECT_EQ(a.Font, "");
  EXPECT_FALSE(a.SlideShow);
  EXPECT_EQ(a.SlideShowDelay, 0);
  EXPECT_TRUE(a.ShowFileName);
  EXPECT_TRUE(a.ShowFileExtension);
  EXPECT_TRUE(a.ShowFileTime);
  EXPECT_TRUE(a.ShowFileSize);
  EXPECT_EQ(a.SortOrder, 0);
  EXPECT_EQ(a.Previous, "");
  EXPECT_EQ(a.Next, "");
  EXPECT_EQ(a.Index, "");
  EXPECT_EQ(a.ThumbsPerRow, 6);
  EXPECT_EQ(a.ThumbRowsPerFile, 1);
  EXPECT_EQ(a.ThumbGeometryW, 100);
  EXPECT_EQ(a.ThumbGeometryH, 100);
  EXPECT_EQ(a.AlbumName, "My Album");
  EXPECT_EQ(a.HeaderColor, "white");
  EXPECT_EQ(a.HeaderSize, "h2");
  EXPECT_EQ(a.AlbumHeader, "New Album");
  EXPECT_EQ(a.AlbumFooter, "");
  EXPECT_EQ(a.ThumbnailBorder, "0");
  EXPECT_EQ(a.TableBorder, "0");
  EXPECT_EQ(a.FontSize, "2");
  EXPECT_EQ(a.TextColor, "white");
  EXPECT_EQ(a.BgColor, "black");
  EXPECT_FALSE(a.UseTableBgColor);
  EXPECT_EQ(a.TableBgColor, "");
  EXPECT_EQ(a.BgImage, "");
  EXPECT_EQ(a.BgSound, "");
  EXPECT_EQ(a.LinkColor, "");
  EXPECT_EQ(a.VLinkColor, "");
  EXPECT_EQ(a.FirstPage, "");
}

// Runs first in this binary, before anything has written the process-wide values.
TEST(AlbumSettings, ProcessStartsWithTheDefaults) { ExpectDefaults(Album()); }

TEST(AlbumSettings, IsOneSharedInstanceAndResetsCompletely) {
  Album().AlbumDirectory = "/photos/";
  Album().ThumbDirectory = "/photos/fldata/";
  Album().ThumbsPerRow = 25;
  Album().ThumbRowsPerFile = kSingleFileRows;
  Album().SortOrder = 6;
  Album().ShowFileName = false;
  Album().BgImage = "/photos/fldata/bg (1).jpg";
  Album().FirstPage = "index001.html";

  const AlbumSettings& again = Album();
  EXPECT_EQ(&again, &Album());
  EXPECT_EQ(again.ThumbDirectory, "/photos/fldata/");
  EXPECT_EQ(again.FirstPage, "index001.html");

  ResetAlbumSettings();
  ExpectDefaults(Album());
}

}  // namespace
}  // namespace fotoloom
