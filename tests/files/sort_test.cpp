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

// Files a, b, c, ... of the given sizes and one common time; listed, they come in name order.
void WriteSized(const testing::ScratchDir& dir, const std::vector<int>& sizes) {
  char name[] = "a.jpg";
  for (int size : sizes) {
    ASSERT_TRUE(SetFileModificationTime(dir.Write(name, std::string(static_cast<std::size_t>(size), 'x')),
                                        1100000000));
    ++name[0];
  }
}

TEST(CDirSort, EqualKeysComeOutInTheQuicksortsOrder) {
  for (const auto& [count, expected] : std::vector<std::pair<int, V>>{
           {2, {"b.jpg", "a.jpg"}},
           {3, {"c.jpg", "b.jpg", "a.jpg"}},
           {4, {"c.jpg", "d.jpg", "a.jpg", "b.jpg"}},
       }) {
    testing::ScratchDir dir;
    WriteSized(dir, std::vector<int>(static_cast<std::size_t>(count), 5));
    for (int code : {3, 4, 5, 6}) {
      CDir listing(dir.path(), "*.jpg", "");
      listing.Sort(code);
      EXPECT_EQ(FileNames(listing), expected) << "count " << count << " code " << code;
    }
  }
}

TEST(CDirSort, SizesAscendingAndDescending) {
  testing::ScratchDir dir;
  WriteSized(dir, {30, 10, 20, 10, 0});
  CDir listing(dir.path(), "*.jpg", "");
  listing.Sort(kSortSizeAscending);
  EXPECT_EQ(FileNames(listing), (V{"e.jpg", "d.jpg", "b.jpg", "c.jpg", "a.jpg"}));
  listing.Sort(kSortSizeDescending);
  std::vector<std::int64_t> sizes;
  for (int i = 0; i < listing.Count(); ++i) sizes.push_back(listing.Items(i).Size);
  EXPECT_EQ(sizes, (std::vector<std::int64_t>{30, 20, 10, 10, 0}));

  // The pivot is the middle entry rounded down; here that decides where c and d end up.
  testing::ScratchDir other;
  WriteSized(other, {1, 3, 2, 2});
  CDir four(other.path(), "*.jpg", "");
  four.Sort(kSortSizeAscending);
  EXPECT_EQ(FileNames(four), (V{"a.jpg", "c.jpg", "d.jpg", "b.jpg"}));
}

TEST(CDirSort, TimesAreSignedSoAfter2043SortsFirst) {
  testing::ScratchDir dir;
  WriteSized(dir, {1, 1, 1});
  auto set = [&](const char* name, int year) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mday = 1;
    ASSERT_TRUE(SetFileModificationTime(dir / name, timegm(&tm)));
  };
  set("a.jpg", 2010);
  set("b.jpg", 2050);  // packs negative
  set("c.jpg", 1999);
  CDir listing(dir.path(), "*.jpg", "");
  listing.Sort(kSortTimeAscending);
  EXPECT_EQ(FileNames(listing), (V{"b.jpg", "c.jpg", "a.jpg"}));
  listing.Sort(kSortTimeDescending);
  EXPECT_EQ(FileNames(listing), (V{"a.jpg", "c.jpg", "b.jpg"}));
}

TEST(CDirSort, NamesByUpperCasedBytes) {
  testing::ScratchDir dir;
  for (const char* name : {"img10.jpg", "_z.jpg", "IMG2.jpg", "img1.jpg", "a b.jpg", "ab.jpg", "\xC3\xA4.jpg", "Z.jpg"}) {
    dir.Write(name);
  }
  // Listing order is itself name order, so start from the reverse to see the sort work.
  CDir listing(dir.path(), "*.jpg", "");
  listing.Sort(kSortNameDescending);
  EXPECT_EQ(FileNames(listing),
            (V{"\xC3\xA4.jpg", "_z.jpg", "Z.jpg", "IMG2.jpg", "img10.jpg", "img1.jpg", "ab.jpg", "a b.jpg"}));
  listing.Sort(kSortNameAscending);
  EXPECT_EQ(FileNames(listing),
            (V{"a b.jpg", "ab.jpg", "img1.jpg", "img10.jpg", "IMG2.jpg", "Z.jpg", "_z.jpg", "\xC3\xA4.jpg"}));
}

TEST(CDirSort, UnknownCodesAndEmptyListingsChangeNothingAndReferencesFollowTheirFile) {
  testing::ScratchDir dir;
  WriteSized(dir, {3, 1, 2});
  CDir listing(dir.path(), "*.jpg", "");
  CFile& first = listing.Items(0);
  first.ThumbPath = "marker";
  for (int code : {0, 7, -1, 100}) {
    listing.Sort(code);
    EXPECT_EQ(FileNames(listing), (V{"a.jpg", "b.jpg", "c.jpg"})) << code;
  }
  listing.Sort(kSortSizeAscending);
  EXPECT_EQ(&listing.Items(2), &first);
  EXPECT_EQ(listing.Items(2).ThumbPath, "marker");

  CDir empty(dir / "missing", "*.jpg", "");
  empty.Sort(kSortNameAscending);
  EXPECT_EQ(empty.Count(), 0);
}

// A large input with many equal keys: the sort must finish and give a correct order.
TEST(CDirSort, ManyEntriesSortCorrectly) {
  testing::ScratchDir dir;
  for (int i = 0; i < 2000; ++i) {
    std::string name = std::to_string(i);
    name += ".jpg";
    dir.Write(name, std::string(static_cast<std::size_t>(i % 7), 'x'));
  }
  CDir listing(dir.path(), "*.jpg", "");
  listing.Sort(kSortSizeDescending);
  for (int i = 1; i < listing.Count(); ++i) ASSERT_GE(listing.Items(i - 1).Size, listing.Items(i).Size);
}

}  // namespace
}  // namespace fotoloom
