#include "platform/paths.h"

#include <gtest/gtest.h>

#include "scratch_dir.h"

namespace fotoloom {
namespace {

TEST(Paths, TrailingSeparator) {
  EXPECT_EQ(WithTrailingSeparator("/photos"), "/photos/");
  EXPECT_EQ(WithTrailingSeparator("/photos/"), "/photos/");
  EXPECT_EQ(WithTrailingSeparator("fldata"), "fldata/");
  EXPECT_EQ(WithTrailingSeparator(""), "");
}

TEST(Paths, SplittingAtTheLastSeparator) {
  EXPECT_EQ(ExtractFileName("/photos/sub/a b.jpg"), "a b.jpg");
  EXPECT_EQ(ExtractFilePath("/photos/sub/a b.jpg"), "/photos/sub/");
  EXPECT_EQ(ExtractFileName("plain.jpg"), "plain.jpg");
  EXPECT_EQ(ExtractFilePath("plain.jpg"), "");
  EXPECT_EQ(ExtractFileName("/photos/"), "");
  // A backslash is an ordinary character of a Linux name.
  EXPECT_EQ(ExtractFileName("/p/a\\b.jpg"), "a\\b.jpg");

  EXPECT_EQ(ExtractFileExt("/p/a.tar.gz"), ".gz");
  EXPECT_EQ(StripFileExt("/p/a.tar.gz"), "/p/a.tar");
  EXPECT_EQ(ExtractFileExt("/p.d/notes"), "");
  EXPECT_EQ(StripFileExt("/p.d/notes"), "/p.d/notes");
  EXPECT_EQ(ExtractFileExt(".profile"), ".profile");
  EXPECT_EQ(ExtractFileExt("name."), ".");
}

TEST(Paths, ExpandResolvesDotsByText) {
  EXPECT_EQ(ExpandFileName("/a/./b//c/../d.jpg"), "/a/b/d.jpg");
  EXPECT_EQ(ExpandFileName("/a/b/"), "/a/b/");
  EXPECT_EQ(ExpandFileName("/.."), "/");
  EXPECT_EQ(ExpandFileName("/a/.."), "/");

  testing::ScratchDir dir;
  const std::string before = GetCurrentDir();
  ASSERT_TRUE(SetCurrentDir(dir.path()));
  const std::string here = GetCurrentDir();
  EXPECT_EQ(ExpandFileName("x.jpg"), here + "x.jpg");
  EXPECT_EQ(ExpandFileName(""), here);
  EXPECT_EQ(ExpandFileName("sub/../y"), here + "y");
  ASSERT_TRUE(SetCurrentDir(before));
}

TEST(Paths, ExistenceTestsFollowLinksAndTellFilesFromDirectories) {
  testing::ScratchDir dir;
  dir.Write("file.jpg");
  dir.MakeDir("folder.jpg");
  ASSERT_EQ(symlink("file.jpg", (dir / "link").c_str()), 0);
  ASSERT_EQ(symlink("missing", (dir / "broken").c_str()), 0);

  EXPECT_TRUE(FileExists(dir / "file.jpg"));
  EXPECT_FALSE(FileExists(dir / "folder.jpg"));
  EXPECT_TRUE(DirectoryExists(dir / "folder.jpg"));
  EXPECT_FALSE(DirectoryExists(dir / "file.jpg"));
  EXPECT_TRUE(FileExists(dir / "link"));
  EXPECT_FALSE(FileExists(dir / "broken"));
  EXPECT_FALSE(FileExists(""));

  EXPECT_TRUE(CreateDir(dir / "new"));
  EXPECT_FALSE(CreateDir(dir / "new"));
  EXPECT_FALSE(CreateDir(dir / "no/such/parent"));
  EXPECT_FALSE(SetCurrentDir(dir / "file.jpg"));
}

TEST(Paths, ExecutableDirectoryIsWhereTheTestRuns) {
  EXPECT_EQ(ExecutableDirectory(), ExpandFileName(std::string(FOTOLOOM_BIN_DIR) + "/"));
}

}  // namespace
}  // namespace fotoloom
