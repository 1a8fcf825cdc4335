#include "files/dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "files/file_errors.h"
#include "platform/paths.h"
#include "scratch_dir.h"

namespace fotoloom {
namespace {

using V = std::vector<std::string>;
const char kImages[] = "*.bmp|*.jpg|*.jpeg|*.png";

V FileNames(const CDir& dir) {
  V names;
  for (int i = 0; i < dir.Count(); ++i) names.push_back(ExtractFileName(dir.Items(i).Path));
  return names;
}

V Descriptions(const CDir& dir) {
  V texts;
  for (int i = 0; i < dir.Count(); ++i) texts.push_back(dir.Items(i).Description);
  return texts;
}

TEST(CDir, MasksInTheirOrderEachSortedAndDuplicatesKept) {
  testing::ScratchDir dir;
  for (const char* name : {"b.png", "a.jpg", "C.JPG", "x.bmp", "d.jpeg", "notes.txt", ".hidden.jpg"}) {
    dir.Write(name, "1234");
  }
  dir.MakeDir("folder.jpg");

  const CDir images(dir.path(), kImages, "imgdesc.dat");
  EXPECT_EQ(FileNames(images), (V{"x.bmp", ".hidden.jpg", "a.jpg", "C.JPG", "d.jpeg", "b.png"}));
  EXPECT_EQ(images.Items(0).Path, dir.path() + "x.bmp");
  EXPECT_EQ(images.Items(0).Size, 4);
  EXPECT_NE(images.Items(0).Time, 0);
  EXPECT_EQ(images.Items(0).ThumbPath, "");

  // A file matched by two masks is listed twice; blanks around masks do not matter and an
  // empty mask finds nothing.
  const CDir twice(dir.path(), " *.*||\t*.jpg ", "");
  EXPECT_EQ(FileNames(twice), (V{".hidden.jpg", "a.jpg", "b.png", "C.JPG", "d.jpeg", "notes.txt", "x.bmp",
                                 ".hidden.jpg", "a.jpg", "C.JPG"}));
  EXPECT_EQ(CDir(dir.path(), "", "").Count(), 0);
}

TEST(CDir, MissingDirectoryIsEmptyAndCurrentDirectoryUntouched) {
  testing::ScratchDir dir;
  const std::string before = GetCurrentDir();
  const CDir missing(dir / "nowhere", "*.*", "imgdesc.dat");
  EXPECT_EQ(missing.Count(), 0);
  EXPECT_EQ(GetCurrentDir(), before);
  EXPECT_EQ(CDir(dir.Write("file.jpg"), "*.*", "").Count(), 0);  // a file is no directory

  try {
    missing.Items(0);
    FAIL() << "no error";
  } catch (const ListIndexError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (0)");
  }
  const CDir one(dir.path(), "*.jpg", "");
  EXPECT_NO_THROW(one.Items(0));
  EXPECT_THROW(one.Items(1), ListIndexError);
  EXPECT_THROW(one.Items(-1), ListIndexError);
}

TEST(CDir, RelativeDirectoryGivesAbsolutePaths) {
  testing::ScratchDir dir;
  dir.MakeDir("album");
  dir.Write("album/a.jpg");
  dir.Write("album/imgdesc.dat", "a.jpg|first\n");
  const std::string before = GetCurrentDir();
  ASSERT_TRUE(SetCurrentDir(dir.path()));
  const CDir listing("album/../album", "*.jpg", "imgdesc.dat");
  const std::string here = GetCurrentDir();
  ASSERT_TRUE(SetCurrentDir(before));
  ASSERT_EQ(listing.Count(), 1);
  EXPECT_EQ(listing.Items(0).Path, here + "album/a.jpg");
  EXPECT_EQ(listing.Items(0).Description, "first");
}

TEST(CDir, DescriptionLinesByTheFormatsRules) {
  testing::ScratchDir dir;
  for (const char* name : {"photo.jpg", "other.jpg", "pipe.jpg", "Empty.jpg", "spaced.jpg", "twice.jpg"}) {
    dir.Write(name);
  }
  dir.Write("imgdesc.dat",
            "photo.JPG|Sunset at sea\r\n"
            "pipe.jpg|a|b\n"
            " spaced.jpg|leading blank matches nothing\n"
            "other.jpg\n"
            "|no name\n"
            "\n"
            "sub/dir/empty.jpg|set, then cleared\r"
            "empty.jpg|\r\n"
            "twice.jpg|first\n"
            "unknown.jpg|nobody\n"
            "twice.jpg| second  ");
  const CDir listing(dir.path(), "*.jpg", "imgdesc.dat");
  ASSERT_EQ(FileNames(listing), (V{"Empty.jpg", "other.jpg", "photo.jpg", "pipe.jpg", "spaced.jpg", "twice.jpg"}));
  EXPECT_EQ(Descriptions(listing), (V{"", "", "Sunset at sea", "a|b", "", " second  "}));
}

TEST(CDir, DescriptionGoesToTheFirstOfDuplicateEntries) {
  testing::ScratchDir dir;
  dir.Write("a.jpg");
  dir.Write("b.png");
  dir.Write("imgdesc.dat", "a.jpg|only the first copy\nb.png|png\n");
  const CDir listing(dir.path(), "*.*|*.jpg", "imgdesc.dat");
  ASSERT_EQ(FileNames(listing), (V{"a.jpg", "b.png", "imgdesc.dat", "a.jpg"}));
  EXPECT_EQ(Descriptions(listing), (V{"only the first copy", "png", "", ""}));
  EXPECT_EQ(listing.IndexOfName("/elsewhere/A.JPG"), 0);
  EXPECT_EQ(listing.IndexOfName("B.PNG"), 1);
  EXPECT_EQ(listing.IndexOfName("c.jpg"), -1);
}

TEST(CDir, DescriptionFileLocation) {
  testing::ScratchDir dir;
  dir.MakeDir("album");
  dir.Write("album/a.jpg");
  dir.Write("texts.txt", "a.jpg|from an absolute path\n");
  EXPECT_EQ(CDir(dir / "album", "*.jpg", dir / "texts.txt").Items(0).Description, "from an absolute path");
  EXPECT_EQ(CDir(dir / "album", "*.jpg", "imgdesc.dat").Items(0).Description, "");  // missing file
  dir.MakeDir("album/imgdesc.dat");  // a directory of that name is no description file
  EXPECT_EQ(CDir(dir / "album", "*.jpg", "imgdesc.dat").Items(0).Description, "");
}

TEST(CDir, UnreadableDescriptionFileRaisesOpenError) {
  testing::ScratchDir dir;
  dir.Write("a.jpg");
  // A FIFO stands in for a file that exists but cannot be read, also when running as root.
  ASSERT_EQ(mkfifo((dir / "imgdesc.dat").c_str(), 0666), 0);
  try {
    CDir listing(dir.path(), "*.jpg", "imgdesc.dat");
    FAIL() << "no error";
  } catch (const FileOpenError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file " + dir.path() + "imgdesc.dat");
  }
  if (!testing::RunningAsRoot()) {
    testing::ScratchDir other;
    other.Write("a.jpg");
    chmod(other.Write("imgdesc.dat", "a.jpg|x").c_str(), 0);
    EXPECT_THROW(CDir(other.path(), "*.jpg", "imgdesc.dat"), FileOpenError);
  }
}

TEST(CDir, HostileDescriptionFiles) {
  testing::ScratchDir dir;
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "\xC3\xA4.jpg", "bad\xFF.jpg"}) dir.Write(name);

  // Text after a NUL byte does not exist.
  dir.Write("nul.dat", std::string("a.jpg|kept\nb.jpg|cut\0here\nc.jpg|never\n", 38));
  EXPECT_EQ(Descriptions(CDir(dir.path(), "a.jpg|b.jpg|c.jpg", "nul.dat")), (V{"kept", "cut", ""}));

  // CR-only line ends, invalid UTF-8 and a name that upper-cases through the locale.
  dir.Write("cr.dat", "a.jpg|one\rb.jpg|t\xFFwo\r\xC3\x84.JPG|umlaut\rBAD\xFF.JPG|raw byte\r");
  EXPECT_EQ(Descriptions(CDir(dir.path(), "*.jpg", "cr.dat")),
            (V{"one", "t\xFFwo", "raw byte", "", "", "umlaut"}));

  // A 1 MiB line and thousands of "|".
  const std::string huge(1 << 20, 'x');
  const std::string bars(5000, '|');
  dir.Write("big.dat", "a.jpg|" + huge + "\n" + huge + "\nb.jpg" + bars + "\n" + bars + "\nc.jpg|" + bars);
  EXPECT_EQ(Descriptions(CDir(dir.path(), "a.jpg|b.jpg|c.jpg", "big.dat")),
            (V{huge, bars.substr(1), bars}));
}

TEST(CDir, OddFileNames) {
  testing::ScratchDir dir;
  const V names{"it's.jpg", "say \"cheese\".jpg", "with space.jpg", "\xC3\xA4pfel.jpg", ".dot.jpg",
                "a<b>&c.jpg", "back\\slash.jpg"};
  std::string descriptions;
  for (const std::string& name : names) {
    dir.Write(name);
    descriptions += name + "|about " + name + "\n";
  }
  dir.Write("imgdesc.dat", descriptions);
  const CDir listing(dir.path(), "*.jpg", "imgdesc.dat");
  ASSERT_EQ(listing.Count(), static_cast<int>(names.size()));
  for (int i = 0; i < listing.Count(); ++i) {
    const std::string name = ExtractFileName(listing.Items(i).Path);
    EXPECT_EQ(listing.Items(i).Description, "about " + name);
    EXPECT_TRUE(FileExists(listing.Items(i).Path)) << name;
  }
}

}  // namespace
}  // namespace fotoloom
