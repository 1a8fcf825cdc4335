#include "platform/listing.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "scratch_dir.h"

namespace fotoloom {
namespace {

TEST(MatchesMask, StarQuestionMarkCaseAndUtf8) {
  EXPECT_TRUE(MatchesMask("*.jpg", "Photo.JPG"));
  EXPECT_FALSE(MatchesMask("*.jpg", "photo.jpeg"));
  EXPECT_FALSE(MatchesMask("*.jpg", "photo.jpg.bak"));
  EXPECT_TRUE(MatchesMask("img?.png", "IMG7.png"));
  EXPECT_FALSE(MatchesMask("img?.png", "img10.png"));
  EXPECT_TRUE(MatchesMask("*a*b*", "xxaYYbzz"));
  EXPECT_FALSE(MatchesMask("[a].jpg", "a.jpg"));              // only "*" and "?" are special
  EXPECT_TRUE(MatchesMask("?pfel.jpg", "\xC3\xA4pfel.jpg"));  // ä is one character
  EXPECT_FALSE(MatchesMask("??pfel.jpg", "\xC3\xA4pfel.jpg"));
  EXPECT_TRUE(MatchesMask("\xC3\x84*.JPG", "\xC3\xA4pfel.jpg"));  // Ä matches ä
  EXPECT_TRUE(MatchesMask("?.jpg", "\xE4.jpg"));                  // so is an invalid byte
}

TEST(MatchesMask, DotStarAlsoMatchesNamesWithoutDot) {
  EXPECT_TRUE(MatchesMask("*.*", "README"));
  EXPECT_TRUE(MatchesMask("notes.*", "notes"));
  EXPECT_TRUE(MatchesMask("notes.*", "NOTES.txt"));
  EXPECT_FALSE(MatchesMask("notes.*", "notes2"));
}

TEST(DirectorySnapshot, LinksAreFollowedAndDirectoriesSkipped) {
  testing::ScratchDir dir;
  dir.Write("b.jpg", "data");
  dir.MakeDir("folder.jpg");
  ASSERT_EQ(symlink("folder.jpg", (dir / "dirlink.jpg").c_str()), 0);
  ASSERT_EQ(symlink("b.jpg", (dir / "a link.jpg").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", (dir / "broken.jpg").c_str()), 0);

  const std::vector<FoundFile> found = FindFiles(dir.path(), "*.jpg");
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].name, "a link.jpg");
  EXPECT_EQ(found[0].size, 4);
  EXPECT_EQ(found[1].upper_name, "B.JPG");
  EXPECT_FALSE(DirectorySnapshot(dir / "missing").ok());
  EXPECT_TRUE(FindFiles(dir / "missing", "*.*").empty());
}

}  // namespace
}  // namespace fotoloom
