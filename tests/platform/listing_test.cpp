#include "platform/listing.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "scratch_dir.h"

namespace fotoloom {
namespace {

std::vector<std::string> Names(const std::vector<FoundFile>& files) {
  std::vector<std::string> names;
  for (const FoundFile& f : files) names.push_back(f.name);
  return names;
}

using V = std::vector<std::string>;

TEST(MatchesMask, StarQuestionMarkAndCase) {
  EXPECT_TRUE(MatchesMask("*.jpg", "Photo.JPG"));
  EXPECT_TRUE(MatchesMask("*.JPG", "a.b.jpg"));
  EXPECT_FALSE(MatchesMask("*.jpg", "photo.jpeg"));
  EXPECT_FALSE(MatchesMask("*.jpg", "photo.jpg.bak"));
  EXPECT_TRUE(MatchesMask("img?.png", "IMG7.png"));
  EXPECT_FALSE(MatchesMask("img?.png", "img.png"));
  EXPECT_FALSE(MatchesMask("img?.png", "img10.png"));
  EXPECT_TRUE(MatchesMask("*a*b*", "xxaYYbzz"));
  EXPECT_TRUE(MatchesMask("_cat*.html", "_cat001.html"));
  EXPECT_TRUE(MatchesMask("_cat*.html", "_cat.html"));
  EXPECT_FALSE(MatchesMask("", "x"));
  // Characters other than "*" and "?" are literal.
  EXPECT_TRUE(MatchesMask("[a].jpg", "[A].jpg"));
  EXPECT_FALSE(MatchesMask("[a].jpg", "a.jpg"));
}

TEST(MatchesMask, DotStarAlsoMatchesNamesWithoutDot) {
  EXPECT_TRUE(MatchesMask("*.*", "README"));
  EXPECT_TRUE(MatchesMask("*.*", ".hidden"));
  EXPECT_TRUE(MatchesMask("notes.*", "notes"));
  EXPECT_TRUE(MatchesMask("notes.*", "NOTES.txt"));
  EXPECT_FALSE(MatchesMask("notes.*", "notes2"));
}

TEST(MatchesMask, Utf8CharactersCountOnceAndIgnoreCase) {
  EXPECT_TRUE(MatchesMask("?pfel.jpg", "\xC3\xA4pfel.jpg"));         // ä is one character
  EXPECT_TRUE(MatchesMask("\xC3\x84*.JPG", "\xC3\xA4pfel.jpg"));     // Ä matches ä
  EXPECT_FALSE(MatchesMask("??pfel.jpg", "\xC3\xA4pfel.jpg"));
  EXPECT_TRUE(MatchesMask("*\xE2\x82\xAC", "price \xE2\x82\xAC"));
  EXPECT_TRUE(MatchesMask("?.jpg", "\xE4.jpg"));                      // an invalid byte is one too
}

TEST(DirectorySnapshot, OrderHiddenFilesLinksAndDirectories) {
  testing::ScratchDir dir;
  for (const char* name : {"b.jpg", "A.jpg", "_x.jpg", "a b.jpg", ".hidden.jpg", "c.JPG", "img10.jpg",
                           "img1.jpg", "IMG2.jpg", "note.txt"}) {
    dir.Write(name, "data");
  }
  dir.MakeDir("folder.jpg");
  ASSERT_EQ(symlink("folder.jpg", (dir / "dirlink.jpg").c_str()), 0);
  ASSERT_EQ(symlink("b.jpg", (dir / "link.jpg").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", (dir / "broken.jpg").c_str()), 0);

  const DirectorySnapshot snapshot(dir.path());
  ASSERT_TRUE(snapshot.ok());
  // Ascending bytes of the upper-cased names: " " < "." < digits < letters < "_".
  EXPECT_EQ(Names(snapshot.Find("*.jpg")),
            (V{".hidden.jpg", "a b.jpg", "A.jpg", "b.jpg", "c.JPG", "img1.jpg", "img10.jpg", "IMG2.jpg",
               "link.jpg", "_x.jpg"}));
  EXPECT_EQ(Names(snapshot.Find("*.txt")), V{"note.txt"});
  EXPECT_TRUE(snapshot.Find("*.png").empty());
  EXPECT_TRUE(snapshot.Find("").empty());
  EXPECT_TRUE(snapshot.Any("*.TXT"));
  EXPECT_FALSE(snapshot.Any("folder.jpg"));

  const std::vector<FoundFile> link = snapshot.Find("link.jpg");
  ASSERT_EQ(link.size(), 1u);
  EXPECT_EQ(link[0].size, 4);
  EXPECT_EQ(link[0].upper_name, "LINK.JPG");
}

TEST(DirectorySnapshot, MissingOrUnreadableDirectoryIsEmpty) {
  testing::ScratchDir dir;
  dir.Write("plain.jpg");
  EXPECT_FALSE(DirectorySnapshot(dir / "missing").ok());
  EXPECT_TRUE(FindFiles(dir / "missing", "*.*").empty());
  EXPECT_TRUE(FindFiles(dir / "plain.jpg", "*.*").empty());  // a file, not a directory
  if (!testing::RunningAsRoot()) {
    const std::string locked = dir.MakeDir("locked");
    dir.Write("locked/x.jpg");
    chmod(locked.c_str(), 0);
    EXPECT_TRUE(FindFiles(locked, "*.jpg").empty());
  }
}

}  // namespace
}  // namespace fotoloom
