// Runs with TZ=UTC, so local time and UTC agree.
#include "platform/file_time.h"

#include <gtest/gtest.h>

namespace fotoloom {
namespace {

std::time_t Utc(int year, int month, int day, int hour, int minute, int second) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  return timegm(&tm);
}

TEST(PackedTime, FieldLayout) {
  // 2004-07-15 13:45:31: years 24, month 7, day 15, 13 h, 45 min, 31 s / 2 = 15.
  const PackedTime packed = PackFileTime(Utc(2004, 7, 15, 13, 45, 31));
  EXPECT_EQ(packed, (24 << 25) | (7 << 21) | (15 << 16) | (13 << 11) | (45 << 5) | 15);
  EXPECT_EQ(UnpackFileTime(packed), Utc(2004, 7, 15, 13, 45, 30));  // 2-second resolution
  EXPECT_EQ(PackFileTime(Utc(1980, 1, 1, 0, 0, 0)), (1 << 21) | (1 << 16));
}

TEST(PackedTime, OrderSignAndClamping) {
  EXPECT_LT(PackFileTime(Utc(2004, 1, 1, 0, 0, 0)), PackFileTime(Utc(2004, 1, 1, 0, 0, 2)));
  EXPECT_GT(PackFileTime(Utc(2043, 12, 31, 23, 59, 58)), 0);
  EXPECT_LT(PackFileTime(Utc(2044, 1, 1, 0, 0, 0)), 0);  // the top bit is the sign

  const PackedTime earliest = (1 << 21) | (1 << 16);
  EXPECT_EQ(PackFileTime(0), earliest);
  EXPECT_EQ(PackFileTime(Utc(1979, 12, 31, 23, 59, 59)), earliest);
  const PackedTime latest = PackFileTime(Utc(2107, 12, 31, 23, 59, 59));
  EXPECT_EQ(PackFileTime(Utc(2108, 1, 1, 0, 0, 0)), latest);
  EXPECT_EQ(PackFileTime(Utc(2500, 6, 1, 0, 0, 0)), latest);
  EXPECT_EQ(UnpackFileTime(latest), Utc(2107, 12, 31, 23, 59, 58));
}

TEST(PackedTime, ShortDateUsesTheLocaleFormat) {
  // The tests run in C.UTF-8, whose "%x" is mm/dd/yy.
  EXPECT_EQ(FormatShortDate(PackFileTime(Utc(2004, 7, 15, 23, 59, 58))), "07/15/04");
  EXPECT_EQ(FormatShortDate(PackFileTime(Utc(1980, 1, 1, 0, 0, 0))), "01/01/80");
}

}  // namespace
}  // namespace fotoloom
