#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/file_errors.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "platform/permissions.h"
#include "scratch_dir.h"

namespace fotoloom {
namespace {

// Read-only is a matter of mode bits, so these hold for root as well.
TEST(Permissions, ReadOnlyFilesAreDetectedAndNeverRemoved) {
  testing::ScratchDir dir;
  const std::string locked = dir.Write("locked.jpg", "x");
  const std::string open = dir.Write("open.jpg", "x");
  ASSERT_TRUE(SetPermissions(locked, 0444));

  EXPECT_TRUE(IsReadOnly(locked));
  EXPECT_FALSE(IsReadOnly(open));
  EXPECT_FALSE(IsReadOnly(dir / "missing"));
  std::uint32_t bits = 0;
  ASSERT_TRUE(GetPermissions(locked, &bits));
  EXPECT_EQ(bits, 0444u);

  EXPECT_FALSE(RemoveFile(locked));
  EXPECT_TRUE(FileExists(locked));
  EXPECT_TRUE(RemoveFile(open));
  EXPECT_FALSE(FileExists(open));
  EXPECT_FALSE(RemoveFile(open));
  EXPECT_FALSE(RemoveFile(dir.MakeDir("sub")));
  EXPECT_TRUE(DirectoryExists(dir / "sub"));

  // A link goes, the read-only file it leads to stays.
  ASSERT_EQ(symlink("locked.jpg", (dir / "link.jpg").c_str()), 0);
  EXPECT_TRUE(RemoveFile(dir / "link.jpg"));
  EXPECT_TRUE(FileExists(locked));
}

TEST(FileIo, WritesAreCheckedAndNameTheFile) {
  testing::ScratchDir dir;
  const std::string path = dir / "page.html";
  WriteWholeFile(path, std::string("a\0b\r\n", 5));
  std::string back;
  ASSERT_TRUE(ReadWholeFile(path, &back));
  EXPECT_EQ(back, std::string("a\0b\r\n", 5));

  try {
    WriteWholeFile(dir / "no/such/dir/page.html", "x");
    FAIL() << "no error";
  } catch (const FileCreateError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file " + dir.path() + "no/such/dir/page.html");
  }

  // /dev/full accepts the open and refuses every byte, as a full disk does.
  if (FileExists("/dev/full")) {
    try {
      WriteWholeFile("/dev/full", "content");
      FAIL() << "no error";
    } catch (const FileWriteError& e) {
      EXPECT_STREQ(e.what(), "Unable to write to /dev/full");
    }
  }
}

TEST(FileIo, ReadsOnlyRegularFiles) {
  testing::ScratchDir dir;
  std::string data = "stale";
  EXPECT_FALSE(ReadWholeFile(dir / "missing", &data));
  EXPECT_FALSE(ReadWholeFile(dir.path(), &data));
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0666), 0);
  EXPECT_FALSE(ReadWholeFile(dir / "fifo", &data));  // returns at once instead of waiting
  ASSERT_TRUE(ReadWholeFile(dir.Write("empty"), &data));
  EXPECT_EQ(data, "");
}

TEST(FileErrors, MessagesAreExact) {
  EXPECT_STREQ(ListIndexError(-1).what(), "List index out of bounds (-1)");
  EXPECT_STREQ(FileOpenError("/p/a b.dat").what(), "Cannot open file /p/a b.dat");
  EXPECT_STREQ(FileCreateError("x").what(), "Cannot create file x");
  EXPECT_THROW(RaiseListIndexError(7), Error);
}

}  // namespace
}  // namespace fotoloom
