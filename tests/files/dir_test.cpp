#include "files/dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "files/file_errors.h"
#include "platform/paths.h"
#include "scratch_dir.h"

namespace fotoloom {
namespace {

using V = std::vector<std::string>;

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
  for (const char* name :
       {"b.png", "a.jpg", "C.JPG", "x.bmp", "d.jpeg", "notes.txt", ".hidden.jpg"}) {
    dir.Write(name, "1234");
  }
  dir.MakeDir("folder.jpg");
  const CDir images(dir.path(), "*.bmp|*.jpg|*.jpeg|*.png", "imgdesc.dat");
  EXPECT_EQ(FileNames(images), (V{"x.bmp", ".hidden.jpg", "a.jpg", "C.JPG", "d.jpeg", "b.png"}));
  EXPECT_EQ(images.Items(0).Path, dir.path() + "x.bmp");
  EXPECT_EQ(images.Items(0).Size, 4);

  // Blanks around masks do not matter and an empty mask finds nothing.
  const CDir twice(dir.path(), " *.*||\t*.jpg ", "");
  EXPECT_EQ(FileNames(twice), (V{".hidden.jpg", "a.jpg", "b.png", "C.JPG", "d.jpeg", "notes.txt",
                                 "x.bmp", ".hidden.jpg", "a.jpg", "C.JPG"}));
}

TEST(CDir, MissingDirectoryAndBadIndexes) {
  testing::ScratchDir dir;
  const std::string before = GetCurrentDir();
  const CDir missing(dir / "nowhere", "*.*", "imgdesc.dat");
  EXPECT_EQ(missing.Count(), 0);
  EXPECT_EQ(GetCurrentDir(), before);
  testing::ExpectError<ListIndexError>([&] { missing.Items(0); }, "List index out of bounds (0)");
  dir.Write("one.jpg");
  EXPECT_THROW(CDir(dir.path(), "*.jpg", "").Items(1), ListIndexError);
}

TEST(CDir, DescriptionLinesByTheFormatsRules) {
  testing::ScratchDir dir;
  for (const char* name :
       {"photo.jpg", "other.jpg", "pipe.jpg", "Empty.jpg", "spaced.jpg", "twice.jpg"}) {
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
  ASSERT_EQ(FileNames(listing),
            (V{"Empty.jpg", "other.jpg", "photo.jpg", "pipe.jpg", "spaced.jpg", "twice.jpg"}));
  EXPECT_EQ(Descriptions(listing), (V{"", "", "Sunset at sea", "a|b", "", " second  "}));

  // Of a file listed twice only the first copy gets the text.
  const CDir twice(dir.path(), "*.*|photo.jpg", "imgdesc.dat");
  EXPECT_EQ(twice.Items(twice.IndexOfName("/elsewhere/PHOTO.jpg")).Description, "Sunset at sea");
  EXPECT_EQ(twice.Items(twice.Count() - 1).Description, "");
}

TEST(CDir, UnreadableDescriptionFileRaisesOpenError) {
  testing::ScratchDir dir;
  dir.Write("a.jpg");
  // A FIFO exists but cannot be read, also for root; it must not block the listing either.
  ASSERT_EQ(mkfifo((dir / "imgdesc.dat").c_str(), 0666), 0);
  testing::ExpectError<FileOpenError>([&] { CDir listing(dir.path(), "*.jpg", "imgdesc.dat"); },
                                      "Cannot open file " + dir.path() + "imgdesc.dat");
}

TEST(CDir, HostileDescriptionFiles) {
  testing::ScratchDir dir;
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "\xC3\xA4.jpg", "bad\xFF.jpg"})
    dir.Write(name);

  dir.Write("nul.dat", std::string("a.jpg|kept\nb.jpg|cut\0here\nc.jpg|never\n", 38));
  EXPECT_EQ(Descriptions(CDir(dir.path(), "a.jpg|b.jpg|c.jpg", "nul.dat")), (V{"kept", "cut", ""}));

  // CR-only line ends, invalid UTF-8, and a name that upper-cases through the locale.
  dir.Write("cr.dat", "a.jpg|one\rb.jpg|t\xFFwo\r\xC3\x84.JPG|umlaut\rBAD\xFF.JPG|raw byte\r");
  EXPECT_EQ(Descriptions(CDir(dir.path(), "*.jpg", "cr.dat")),
            (V{"one", "t\xFFwo", "raw byte", "", "umlaut"}));

  const std::string huge(1 << 20, 'x');
  const std::string bars(5000, '|');
  dir.Write("big.dat",
            "a.jpg|" + huge + "\n" + huge + "\nb.jpg" + bars + "\n" + bars + "\nc.jpg|" + bars);
  EXPECT_EQ(Descriptions(CDir(dir.path(), "a.jpg|b.jpg|c.jpg", "big.dat")),
            (V{huge, bars.substr(1), bars}));

  // Up to 64 MiB (here holes after a line, the first NUL ending the text) is read; one byte
  // more is refused unread.
  const std::string bound = dir.Write("bound.dat", "a.jpg|at the bound\n");
  std::filesystem::resize_file(bound, std::uintmax_t{64} << 20);
  EXPECT_EQ(Descriptions(CDir(dir.path(), "a.jpg", "bound.dat")), V{"at the bound"});
  std::filesystem::resize_file(bound, (std::uintmax_t{64} << 20) + 1);
  testing::ExpectError<FileOpenError>([&] { CDir listing(dir.path(), "a.jpg", "bound.dat"); },
                                      "Cannot open file " + bound + " (larger than 64 MiB)");
}

TEST(CDir, OddFileNames) {
  testing::ScratchDir dir;
  std::string descriptions;
  for (const std::string name : {"it's.jpg", "say \"cheese\".jpg", "with space.jpg",
                                 "\xC3\xA4pfel.jpg", ".dot.jpg", "a<b>&c.jpg", "back\\slash.jpg"}) {
    dir.Write(name);
    descriptions += name + "|about " + name + "\n";
  }
  dir.Write("imgdesc.dat", descriptions);
  const CDir listing(dir.path(), "*.jpg", "imgdesc.dat");
  ASSERT_EQ(listing.Count(), 7);
  for (int i = 0; i < listing.Count(); ++i) {
    EXPECT_EQ(listing.Items(i).Description, "about " + ExtractFileName(listing.Items(i).Path));
    EXPECT_TRUE(FileExists(listing.Items(i).Path));
  }
}

}  // namespace
}  // namespace fotoloom
