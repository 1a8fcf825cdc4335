#include "platform/paths.h"

#include <gtest/gtest.h>

#include "platform/file_errors.h"
#include "platform/file_io.h"
#include "scratch_dir.h"

namespace fotoloom {
namespace {

TEST(Paths, SplittingAndExpanding) {
  EXPECT_EQ(WithTrailingSeparator("/photos"), "/photos/");
  EXPECT_EQ(WithTrailingSeparator("/photos/"), "/photos/");
  EXPECT_EQ(WithTrailingSeparator(""), "");               // never the root directory by accident
  EXPECT_EQ(ExtractFileName("/p/a\\b.jpg"), "a\\b.jpg");  // a backslash is part of a name
  EXPECT_EQ(StripFileExt("/p/a.tar.gz"), "/p/a.tar");
  EXPECT_EQ(ExtractFileExt("/p.d/notes"), "");  // a dot in a folder name is no extension
  EXPECT_EQ(ExpandFileName("/a/./b//c/../d.jpg"), "/a/b/d.jpg");
  EXPECT_EQ(ExpandFileName("/a/../.."), "/");

  testing::ScratchDir dir;
  const std::string before = GetCurrentDir();
  ASSERT_TRUE(SetCurrentDir(dir.path()));
  const std::string here = GetCurrentDir();
  EXPECT_EQ(ExpandFileName("sub/../x.jpg"), here + "x.jpg");
  EXPECT_EQ(ExpandFileName(""), here);
  ASSERT_TRUE(SetCurrentDir(before));
}

TEST(Paths, ExecutableDirectoryIsWhereTheTestRuns) {
  EXPECT_EQ(ExecutableDirectory(), ExpandFileName(std::string(FOTOLOOM_BIN_DIR) + "/"));
}

TEST(FileIo, WritesAreCheckedAndNameTheFile) {
  testing::ScratchDir dir;
  testing::ExpectError<FileCreateError>(
      [&] { WriteWholeFile(dir / "no/such/dir/page.html", "x"); },
      "Cannot create file " + dir.path() + "no/such/dir/page.html");
  // A device at the name is neither written to nor replaced.
  if (FileExists("/dev/full")) {
    testing::ExpectError<FileCreateError>([&] { WriteWholeFile("/dev/full", "content"); },
                                          "Cannot create file /dev/full");
  }
}

}  // namespace
}  // namespace fotoloom
