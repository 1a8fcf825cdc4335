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

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::vector<std::string> AllNames(const std::string& directory) {
  std::vector<std::string> names;
  const CDir listing(directory, "*.*", "");
  for (int i = 0; i < listing.Count(); ++i) names.push_back(ExtractFileName(listing.Items(i).Path));
  return names;
}

TEST(SuggestedNames, AllowedCharactersOnly) {
  EXPECT_TRUE(IsSuggestedName("My photos (2004)"));
  EXPECT_TRUE(IsSuggestedName("\xC3\xA4-\xC3\xB6_\xC3\xA5.html"));  // ä-ö_å.html
  EXPECT_TRUE(IsSuggestedName("\xC3\x84\xC3\x85\xC3\x96"));         // ÄÅÖ
  EXPECT_TRUE(IsSuggestedName("!#$%&'()-.@^_`{}~ 09AZaz"));
  EXPECT_TRUE(IsSuggestedName(""));
  for (const char* refused : {"a+b", "a,b", "sub/name", "sub\\name", "x:y", "\xC3\xA9.html", "a*b", "a?b",
                              "say \"x\"", "<a>", "a|b", "a;b", "a=b", "[a]", "tab\there", "\xE4.html",
                              "ok\xC3"}) {
    EXPECT_FALSE(IsSuggestedName(refused)) << refused;
  }
  EXPECT_TRUE(IsSuggestedNameChar(U'\u00F6'));
  EXPECT_FALSE(IsSuggestedNameChar(U'\u00F8'));
  EXPECT_FALSE(IsSuggestedNameChar(0xE4 + 0x100));
}

TEST(ListHeadTail, SplitAtTheFirstSeparator) {
  EXPECT_EQ(ListHead("*.bmp|*.jpg|*.png", '|'), "*.bmp");
  EXPECT_EQ(ListTail("*.bmp|*.jpg|*.png", '|'), "*.jpg|*.png");
  EXPECT_EQ(ListHead("*.png", '|'), "*.png");
  EXPECT_EQ(ListTail("*.png", '|'), "");
  EXPECT_EQ(ListHead("|x", '|'), "");
  EXPECT_EQ(ListTail(" a | b ", '|'), " b ");
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
  dir.MakeDir("x.d");
  dir.Write("x.d/plain");
  EXPECT_EQ(UniqueFileName(dir / "x.d/plain"), dir / "x.d/plain (1)");  // a dot in the folder only
  dir.Write(".profile");
  EXPECT_EQ(UniqueFileName(dir / ".profile"), dir / " (1).profile");
}

TEST(IsDirectoryWritable, ProbesWithoutLeavingOrTouchingFiles) {
  testing::ScratchDir dir;
  dir.Write("tmp.tmp", "keep me");
  EXPECT_TRUE(IsDirectoryWritable(dir.path()));
  EXPECT_TRUE(IsDirectoryWritable(dir.path().substr(0, dir.path().size() - 1)));
  EXPECT_EQ(AllNames(dir.path()), std::vector<std::string>{"tmp.tmp"});
  EXPECT_EQ(Contents(dir / "tmp.tmp"), "keep me");
  EXPECT_FALSE(IsDirectoryWritable(dir / "missing"));
  EXPECT_FALSE(IsDirectoryWritable(dir / "tmp.tmp"));
  if (!testing::RunningAsRoot()) {
    chmod(dir.MakeDir("locked").c_str(), 0555);
    EXPECT_FALSE(IsDirectoryWritable(dir / "locked"));
  }
}

TEST(CleanDirectory, DeletesFilesLeavesReadOnlyFilesAndSubdirectories) {
  testing::ScratchDir dir;
  EXPECT_TRUE(CleanDirectory(dir.path()));

  dir.Write("a.jpg");
  dir.Write(".hidden");
  dir.Write("imgdesc.dat", "a.jpg|x\n");
  dir.Write("no dot");
  const std::string locked = dir.Write("locked.html");
  ASSERT_TRUE(SetPermissions(locked, 0444));
  dir.MakeDir("sub.d");
  dir.Write("sub.d/inner.jpg");

  EXPECT_FALSE(CleanDirectory(dir.path()));
  EXPECT_EQ(AllNames(dir.path()), std::vector<std::string>{"locked.html"});
  EXPECT_TRUE(FileExists(dir / "sub.d/inner.jpg"));

  ASSERT_TRUE(SetPermissions(locked, 0644));
  EXPECT_TRUE(CleanDirectory(dir.path()));
  EXPECT_TRUE(AllNames(dir.path()).empty());
}

TEST(CopyFileKeepingDate, ContentDateAndPermissions) {
  testing::ScratchDir dir;
  for (std::size_t size : {0u, 1u, 8191u, 8192u, 8193u, 20000u}) {
    std::string content(size, '\0');
    for (std::size_t i = 0; i < size; ++i) content[i] = static_cast<char>(i * 7 + size);
    const std::string source = dir.Write("src " + std::to_string(size), content);
    const std::string target = dir / ("copy " + std::to_string(size));
    CopyFileKeepingDate(source, target);
    EXPECT_EQ(Contents(target), content) << size;
  }

  // An odd second comes back rounded down to the 2-second step; the mode bits travel along.
  const std::string source = dir.Write("dated.jpg", "jpeg");
  ASSERT_TRUE(SetFileModificationTime(source, 1089899131));  // 2004-07-15 13:45:31
  ASSERT_TRUE(SetPermissions(source, 0751));
  CopyFileKeepingDate(source, dir / "dated copy.jpg");
  struct stat st;
  ASSERT_EQ(stat((dir / "dated copy.jpg").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, 1089899130);
  EXPECT_EQ(st.st_mode & 07777, 0751u);

  // A read-only source gives a read-only copy that still carries the date.
  ASSERT_TRUE(SetPermissions(source, 0444));
  CopyFileKeepingDate(source, dir / "readonly copy.jpg");
  EXPECT_TRUE(IsReadOnly(dir / "readonly copy.jpg"));
  ASSERT_EQ(stat((dir / "readonly copy.jpg").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, 1089899130);

  // An existing writable destination is replaced.
  dir.Write("old.jpg", "a much longer old content");
  CopyFileKeepingDate(source, dir / "old.jpg");
  EXPECT_EQ(Contents(dir / "old.jpg"), "jpeg");
}

TEST(CopyFileKeepingDate, FailuresNameTheFileAndKeepData) {
  testing::ScratchDir dir;
  const std::string before = GetCurrentDir();
  ASSERT_TRUE(SetCurrentDir(dir.path()));
  dir.Write("photo.jpg", "data");

  try {
    CopyFileKeepingDate("gone.jpg", "copy.jpg");
    FAIL() << "no error";
  } catch (const FileOpenError& e) {
    EXPECT_STREQ(e.what(), "Cannot open file gone.jpg");
  }
  EXPECT_FALSE(FileExists(dir / "copy.jpg"));

  try {
    CopyFileKeepingDate("photo.jpg", "no/such/dir/copy.jpg");
    FAIL() << "no error";
  } catch (const FileCreateError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file " + GetCurrentDir() + "no/such/dir/copy.jpg");
  }

  // Onto itself, through another spelling of the path: refused, the photo stays whole.
  EXPECT_THROW(CopyFileKeepingDate("photo.jpg", "./photo.jpg"), FileCreateError);
  EXPECT_EQ(Contents(dir / "photo.jpg"), "data");

  const std::string locked = dir.Write("locked.jpg", "keep");
  ASSERT_TRUE(SetPermissions(locked, 0444));
  EXPECT_THROW(CopyFileKeepingDate("photo.jpg", "locked.jpg"), FileCreateError);
  EXPECT_EQ(Contents(locked), "keep");

  dir.MakeDir("folder");
  EXPECT_THROW(CopyFileKeepingDate("folder", "folder copy"), FileOpenError);
  ASSERT_TRUE(SetCurrentDir(before));

  // A full disk is an error naming the destination, never a silently short copy.
  if (FileExists("/dev/full")) {
    try {
      CopyFileKeepingDate(dir / "photo.jpg", "/dev/full");
      FAIL() << "no error";
    } catch (const FileWriteError& e) {
      EXPECT_STREQ(e.what(), "Unable to write to /dev/full");
    }
  }
}

TEST(FileSizeOf, FilesPatternsAndMissingOnes) {
  testing::ScratchDir dir;
  dir.Write("b.jpg", "12345");
  dir.Write("a.jpg", "123");
  dir.Write("empty.jpg");
  dir.Write("star*.jpg", "1234567");
  dir.MakeDir("dir.jpg");
  EXPECT_EQ(FileSizeOf(dir / "b.jpg"), 5);
  EXPECT_EQ(FileSizeOf(dir / "empty.jpg"), 0);
  EXPECT_EQ(FileSizeOf(dir / "missing.jpg"), 0);
  EXPECT_EQ(FileSizeOf(dir / "dir.jpg"), 0);
  EXPECT_EQ(FileSizeOf(dir / "?.jpg"), 3);  // first match in listing order
  EXPECT_EQ(FileSizeOf(dir / "star*.jpg"), 7);  // the file of that very name comes first
  EXPECT_EQ(FileSizeOf(dir / "*.png"), 0);
}

TEST(SimilarFiles, NumberedCatalogPagesFromAnyCurrentDirectory) {
  testing::ScratchDir dir;
  testing::ScratchDir elsewhere;
  dir.MakeDir("pics");
  for (const char* name : {"_cat.html", "_cat001.html", "_CAT002.HTML", "_cat.htm", "other.html", "x_cat1.html"}) {
    dir.Write(std::string("pics/") + name);
  }
  dir.MakeDir("pics/_cat_old.html");
  EXPECT_EQ(SimilarFilesPattern("/pics/_cat.html"), "/pics/_cat*.html");

  const std::string before = GetCurrentDir();
  ASSERT_TRUE(SetCurrentDir(elsewhere.path()));
  EXPECT_TRUE(SimilarFilesExist(dir / "pics/_cat.html"));
  EXPECT_FALSE(SimilarFilesExist(dir / "pics/none.html"));
  EXPECT_FALSE(SimilarFilesExist(dir / "pics/_cat_old.html/x.html"));
  const std::string locked = dir.Write("pics/_cat003.html");
  ASSERT_TRUE(SetPermissions(locked, 0444));
  EXPECT_FALSE(DeleteSimilarFiles(dir / "pics/_cat.html"));
  ASSERT_TRUE(SetCurrentDir(before));

  EXPECT_EQ(AllNames(dir / "pics"), (std::vector<std::string>{"other.html", "x_cat1.html", "_cat.htm", "_cat003.html"}));
  EXPECT_TRUE(DirectoryExists(dir / "pics/_cat_old.html"));

  // A directory of matching name alone does not count.
  testing::ScratchDir only_dirs;
  only_dirs.MakeDir("_cat1.html");
  EXPECT_FALSE(SimilarFilesExist(only_dirs / "_cat.html"));
  EXPECT_TRUE(DeleteSimilarFiles(only_dirs / "_cat.html"));
}

TEST(AnyFileMatches, FilesOnlyInMaskOrder) {
  testing::ScratchDir dir;
  dir.MakeDir("old.jpg");
  dir.MakeDir("x.png");
  EXPECT_FALSE(AnyFileMatches("*.bmp|*.jpg|*.jpeg|*.png", dir.path()));
  dir.Write("new.JPG");
  EXPECT_TRUE(AnyFileMatches("*.bmp|*.jpg|*.jpeg|*.png", dir.path()));
  EXPECT_FALSE(AnyFileMatches(" *.jpg", dir.path()));  // masks are not trimmed here
  EXPECT_FALSE(AnyFileMatches("", dir.path()));
  EXPECT_FALSE(AnyFileMatches("*.jpg", dir / "missing"));

  const std::string before = GetCurrentDir();
  ASSERT_TRUE(SetCurrentDir(dir.path()));
  EXPECT_TRUE(AnyFileMatches("*.gif|*.jpg"));
  EXPECT_FALSE(AnyFileMatches("*.gif"));
  ASSERT_TRUE(SetCurrentDir(before));
}

}  // namespace
}  // namespace fotoloom
