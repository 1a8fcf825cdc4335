// Runs with TZ=UTC.
#include <gtest/gtest.h>

#include "files/dir.h"
#include "platform/file_time.h"
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

// Files a.jpg, b.jpg, ... of the given sizes and one common time, listed in that order.
V SortedBySize(const std::vector<int>& sizes, int code) {
  testing::ScratchDir dir;
  char name[] = "a.jpg";
  for (int size : sizes) {
    SetFileModificationTime(dir.Write(name, std::string(static_cast<std::size_t>(size), 'x')),
                            1100000000);
    ++name[0];
  }
  CDir listing(dir.path(), "*.jpg", "");
  listing.Sort(code);
  return FileNames(listing);
}

TEST(CDirSort, EqualKeysComeOutInTheQuicksortsOrder) {
  for (int code :
       {kSortSizeAscending, kSortSizeDescending, kSortTimeAscending, kSortTimeDescending}) {
    EXPECT_EQ(SortedBySize({5, 5}, code), (V{"b.jpg", "a.jpg"}));
    EXPECT_EQ(SortedBySize({5, 5, 5}, code), (V{"c.jpg", "b.jpg", "a.jpg"}));
    EXPECT_EQ(SortedBySize({5, 5, 5, 5}, code), (V{"c.jpg", "d.jpg", "a.jpg", "b.jpg"}));
  }
  // The pivot is the middle entry rounded down; here that decides the order of c and d.
  EXPECT_EQ(SortedBySize({1, 3, 2, 2}, kSortSizeAscending),
            (V{"a.jpg", "c.jpg", "d.jpg", "b.jpg"}));
  EXPECT_EQ(SortedBySize({30, 10, 20, 10, 0}, kSortSizeAscending),
            (V{"e.jpg", "d.jpg", "b.jpg", "c.jpg", "a.jpg"}));
  EXPECT_EQ(SortedBySize({30, 10, 20, 10, 0}, kSortSizeDescending).front(), "a.jpg");
  // Unknown codes leave the listing order.
  EXPECT_EQ(SortedBySize({3, 1, 2}, 7), (V{"a.jpg", "b.jpg", "c.jpg"}));
  EXPECT_EQ(SortedBySize({3, 1, 2}, kSortNone), (V{"a.jpg", "b.jpg", "c.jpg"}));
}

TEST(CDirSort, TimesAreSignedSoAfter2043SortsFirst) {
  testing::ScratchDir dir;
  for (const auto& [name, year] : std::vector<std::pair<std::string, int>>{
           {"a.jpg", 2010}, {"b.jpg", 2050}, {"c.jpg", 1999}}) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mday = 1;
    ASSERT_TRUE(SetFileModificationTime(dir.Write(name), timegm(&tm)));
  }
  CDir listing(dir.path(), "*.jpg", "");
  listing.Sort(kSortTimeAscending);
  EXPECT_EQ(FileNames(listing), (V{"b.jpg", "c.jpg", "a.jpg"}));
  listing.Sort(kSortTimeDescending);
  EXPECT_EQ(FileNames(listing), (V{"a.jpg", "c.jpg", "b.jpg"}));
}

TEST(CDirSort, NamesByUpperCasedBytesAndEntriesKeepTheirIdentity) {
  testing::ScratchDir dir;
  for (const char* name : {"img10.jpg", "_z.jpg", "IMG2.jpg", "img1.jpg", "a b.jpg", "ab.jpg",
                           "\xC3\xA4.jpg", "Z.jpg"}) {
    dir.Write(name);
  }
  CDir listing(dir.path(), "*.jpg", "");
  CFile& first = listing.Items(0);
  listing.Sort(kSortNameDescending);
  EXPECT_EQ(FileNames(listing), (V{"\xC3\xA4.jpg", "_z.jpg", "Z.jpg", "IMG2.jpg", "img10.jpg",
                                   "img1.jpg", "ab.jpg", "a b.jpg"}));
  EXPECT_EQ(&listing.Items(7), &first);  // references handed out follow their file
  listing.Sort(kSortNameAscending);
  EXPECT_EQ(FileNames(listing), (V{"a b.jpg", "ab.jpg", "img1.jpg", "img10.jpg", "IMG2.jpg",
                                   "Z.jpg", "_z.jpg", "\xC3\xA4.jpg"}));
}

}  // namespace
}  // namespace fotoloom
