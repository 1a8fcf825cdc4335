// Runs with TZ=UTC.
#include "files/file_utils.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "files/dir.h"
#include "files/file_errors.h"
#include "platform/file_time.h"
#include "platform/permissions.h"
#include "scratch_dir.h"

namespace fotoloom {
namespace {

using V = std::vector<std::string>;

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

V AllNames(const std::string& directory) {
  V names;
  const CDir listing(directory, "*.*", "");
  for (int i = 0; i < listing.Count(); ++i) names.push_back(ExtractFileName(listing.Items(i).Path));
  return names;
}

TEST(SuggestedNames, AllowedCharactersOnly) {
  EXPECT_TRUE(IsSuggestedName("My photos (2004)"));
  EXPECT_TRUE(IsSuggestedName("\xC3\xA4-\xC3\xB6_\xC3\xA5.html"));  // ä-ö_å.html
  EXPECT_TRUE(IsSuggestedName("!#$%&'()-.@^_`{}~ 09AZaz"));
  EXPECT_TRUE(IsSuggestedName(""));
  for (const char* refused : {"a+b", "a,b", "sub/name", "sub\\name", "x:y", "\xC3\xA9.html", "a*b",
                              "say \"x\"", "tab\there", "\xE4.html", "ok\xC3"}) {
    EXPECT_FALSE(IsSuggestedName(refused)) << refused;
  }
}

TEST(UniqueFileName, FirstFreeNumberBeforeTheExtension) {
  testing::ScratchDir dir;
  EXPECT_EQ(UniqueFileName(dir / "sunset.jpg"), dir / "sunset.jpg");
  dir.Write("sunset.jpg");
  dir.Write("sunset (1).jpg");
  EXPECT_EQ(UniqueFileName(dir / "sunset.jpg"), dir / "sunset (2).jpg");
  dir.Write("notes");
  EXPECT_EQ(UniqueFileName(dir / "notes"), dir / "notes (1)");
  dir.Write("a.tar.gz");
  EXPECT_EQ(UniqueFileName(dir / "a.tar.gz"), dir / "a.tar (1).gz");
  dir.MakeDir("folder.jpg");
  EXPECT_EQ(UniqueFileName(dir / "folder.jpg"), dir / "folder.jpg");  // a directory is no file
  dir.Write(".profile");
  EXPECT_EQ(UniqueFileName(dir / ".profile"), dir / " (1).profile");
}

TEST(IsDirectoryWritable, ProbesWithoutLeavingOrTouchingFiles) {
  testing::ScratchDir dir;
  dir.Write("tmp.tmp", "keep me");
  EXPECT_TRUE(IsDirectoryWritable(dir.path()));
  EXPECT_EQ(AllNames(dir.path()), V{"tmp.tmp"});
  EXPECT_EQ(Contents(dir / "tmp.tmp"), "keep me");
  EXPECT_FALSE(IsDirectoryWritable(dir / "missing"));
  EXPECT_FALSE(IsDirectoryWritable(dir / "tmp.tmp"));
}

TEST(CleanDirectory, DeletesFilesLeavesReadOnlyFilesAndSubdirectories) {
  testing::ScratchDir dir;
  EXPECT_TRUE(CleanDirectory(dir.path()));
  for (const char* name : {"a.jpg", ".hidden", "imgdesc.dat", "no dot"}) dir.Write(name, "x");
  const std::string locked = dir.Write("locked.html");
  ASSERT_TRUE(SetPermissions(locked, 0444));  // read-only by its mode, even for root
  dir.MakeDir("sub.d");
  dir.Write("sub.d/inner.jpg");

  EXPECT_FALSE(CleanDirectory(dir.path()));
  EXPECT_EQ(AllNames(dir.path()), V{"locked.html"});
  EXPECT_TRUE(FileExists(dir / "sub.d/inner.jpg"));
  ASSERT_TRUE(SetPermissions(locked, 0644));
  EXPECT_TRUE(CleanDirectory(dir.path()));
  EXPECT_TRUE(AllNames(dir.path()).empty());
}

TEST(CopyFileKeepingDate, ContentDateAndPermissions) {
  testing::ScratchDir dir;
  for (std::size_t size : {0u, 8192u, 20000u}) {
    std::string content(size, '\0');
    for (std::size_t i = 0; i < size; ++i) content[i] = static_cast<char>(i * 7 + size);
    CopyFileKeepingDate(dir.Write("src", content), dir / "copy");
    EXPECT_EQ(Contents(dir / "copy"), content) << size;  // also replaces the earlier copy
  }

  // An odd second comes back rounded down to the 2-second step; the mode bits travel along,
  // but a read-only source gives a copy its owner may write (and a cleaning delete), which
  // still carries the date.
  const std::string source = dir.Write("dated.jpg", "jpeg");
  ASSERT_TRUE(SetFileModificationTime(source, 1089899131));  // 2004-07-15 13:45:31
  for (std::uint32_t mode : {0751u, 0444u}) {
    ASSERT_TRUE(SetPermissions(source, mode));
    const std::string target = dir / ("copy " + std::to_string(mode));
    CopyFileKeepingDate(source, target);
    struct stat st;
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1089899130);
    EXPECT_EQ(st.st_mode & 07777, mode | 0200);
  }
}

TEST(CopyFileKeepingDate, FailuresNameTheFileAndKeepData) {
  testing::ScratchDir dir;
  const std::string before = GetCurrentDir();
  ASSERT_TRUE(SetCurrentDir(dir.path()));
  dir.Write("photo.jpg", "data");
  testing::ExpectError<FileOpenError>([&] { CopyFileKeepingDate("gone.jpg", "copy.jpg"); },
                                      "Cannot open file gone.jpg");
  EXPECT_FALSE(FileExists(dir / "copy.jpg"));
  testing::ExpectError<FileCreateError>(
      [&] { CopyFileKeepingDate("photo.jpg", "no/such/dir/copy.jpg"); },
      "Cannot create file " + GetCurrentDir() + "no/such/dir/copy.jpg");
  // Onto itself or onto a read-only file: refused, both stay whole.
  EXPECT_THROW(CopyFileKeepingDate("photo.jpg", "./photo.jpg"), FileCreateError);
  EXPECT_EQ(Contents(dir / "photo.jpg"), "data");
  ASSERT_TRUE(SetPermissions(dir.Write("locked.jpg", "keep"), 0444));
  EXPECT_THROW(CopyFileKeepingDate("photo.jpg", "locked.jpg"), FileCreateError);
  EXPECT_EQ(Contents(dir / "locked.jpg"), "keep");
  ASSERT_TRUE(SetCurrentDir(before));

  // A device at the destination is neither written to nor replaced.
  if (FileExists("/dev/full")) {
    testing::ExpectError<FileCreateError>(
        [&] { CopyFileKeepingDate(dir / "photo.jpg", "/dev/full"); },
        "Cannot create file /dev/full");
  }
}

TEST(FileUtils, AFileThatVanishesAfterListingIsAnOrdinaryFailure) {
  testing::ScratchDir dir;
  dir.Write("a.jpg", "abc");
  const CDir listing(dir.path(), "*.jpg", "");
  ASSERT_EQ(unlink(listing.Items(0).Path.c_str()), 0);
  EXPECT_EQ(FileSizeOf(listing.Items(0).Path), 0);
  EXPECT_THROW(CopyFileKeepingDate(listing.Items(0).Path, dir / "copy.jpg"), FileOpenError);
}

TEST(FileSizeOf, FilesPatternsAndMissingOnes) {
  testing::ScratchDir dir;
  dir.Write("b.jpg", "12345");
  dir.Write("a.jpg", "123");
  dir.Write("star*.jpg", "1234567");
  dir.MakeDir("dir.jpg");
  EXPECT_EQ(FileSizeOf(dir / "b.jpg"), 5);
  EXPECT_EQ(FileSizeOf(dir / "missing.jpg"), 0);
  EXPECT_EQ(FileSizeOf(dir / "dir.jpg"), 0);
  EXPECT_EQ(FileSizeOf(dir / "?.jpg"), 3);      // first match in listing order
  EXPECT_EQ(FileSizeOf(dir / "star*.jpg"), 7);  // the file of that very name
}

TEST(SimilarFiles, NumberedCatalogPagesFromAnyCurrentDirectory) {
  testing::ScratchDir dir;
  testing::ScratchDir elsewhere;
  for (const char* name : {"_cat.html", "_cat001.html", "_cat1000.html", "_cat.htm", "other.html"})
    dir.Write(name);
  dir.MakeDir("_cat002.html");
  ASSERT_TRUE(SetPermissions(dir.Write("_cat003.html"), 0444));

  const std::string before = GetCurrentDir();
  ASSERT_TRUE(SetCurrentDir(elsewhere.path()));
  EXPECT_TRUE(SimilarFilesExist(dir / "_cat.html"));
  EXPECT_FALSE(SimilarFilesExist(dir / "none.html"));
  EXPECT_FALSE(DeleteSimilarFiles(dir / "_cat.html"));
  ASSERT_TRUE(SetCurrentDir(before));
  // The catalog itself is the overwrite question's; read-only files and directories stay.
  EXPECT_EQ(AllNames(dir.path()), (V{"other.html", "_cat.htm", "_cat.html", "_cat003.html"}));
  EXPECT_TRUE(DirectoryExists(dir / "_cat002.html"));

  testing::ScratchDir only_dirs;
  only_dirs.MakeDir("_x001.html");  // a directory of matching name alone does not count
  EXPECT_FALSE(SimilarFilesExist(only_dirs / "_x.html"));
}

TEST(AnyFileMatches, FilesOnlyInMaskOrder) {
  testing::ScratchDir dir;
  dir.MakeDir("old.jpg");
  EXPECT_FALSE(AnyFileMatches("*.bmp|*.jpg|*.jpeg|*.png", dir.path()));
  dir.Write("new.JPG");
  EXPECT_TRUE(AnyFileMatches("*.bmp|*.jpg|*.jpeg|*.png", dir.path()));
  EXPECT_FALSE(AnyFileMatches(" *.jpg", dir.path()));  // masks are not trimmed here
  const std::string before = GetCurrentDir();
  ASSERT_TRUE(SetCurrentDir(dir.path()));
  EXPECT_TRUE(AnyFileMatches("*.gif|*.jpg"));
  ASSERT_TRUE(SetCurrentDir(before));
}

}  // namespace
}  // namespace fotoloom
