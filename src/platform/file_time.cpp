#include "platform/file_time.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/text.h"

namespace fotoloom {
namespace {

constexpr int kFirstYear = 1980;
constexpr int kLastYear = 2107;

PackedTime Pack(int year, int month, int day, int hour, int minute, int second) {
  const std::uint32_t packed =
      (static_cast<std::uint32_t>(year - kFirstYear) << 25) |
      (static_cast<std::uint32_t>(month) << 21) | (static_cast<std::uint32_t>(day) << 16) |
      (static_cast<std::uint32_t>(hour) << 11) | (static_cast<std::uint32_t>(minute) << 5) |
      static_cast<std::uint32_t>(second / 2);
  return static_cast<PackedTime>(packed);
}

std::tm Unpack(PackedTime packed) {
  const std::uint32_t bits = static_cast<std::uint32_t>(packed);
  std::tm tm{};
  tm.tm_year = static_cast<int>(bits >> 25) + kFirstYear - 1900;
  tm.tm_mon = static_cast<int>((bits >> 21) & 0x0F) - 1;
  tm.tm_mday = static_cast<int>((bits >> 16) & 0x1F);
  tm.tm_hour = static_cast<int>((bits >> 11) & 0x1F);
  tm.tm_min = static_cast<int>((bits >> 5) & 0x3F);
  tm.tm_sec = static_cast<int>(bits & 0x1F) * 2;
  tm.tm_isdst = -1;
  return tm;
}

}  // namespace

PackedTime PackFileTime(std::time_t t) {
  std::tm tm{};
  if (localtime_r(&t, &tm) == nullptr) return Pack(kFirstYear, 1, 1, 0, 0, 0);
  const int year = tm.tm_year + 1900;
  if (year < kFirstYear) return Pack(kFirstYear, 1, 1, 0, 0, 0);
  if (year > kLastYear) return Pack(kLastYear, 12, 31, 23, 59, 58);
  // A leap second (tm_sec 60) would spill into the minute field.
  return Pack(year, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, std::min(tm.tm_sec, 59));
}

std::optional<PackedTime> PackLocalTime(int year, int month, int day, int hour, int minute,
                                        int second) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || month < 1 || month > 12 || day < 1) return std::nullopt;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (day > kDays[month - 1] + (month == 2 && leap ? 1 : 0)) return std::nullopt;
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
    return std::nullopt;
  }
  if (year < kFirstYear) return Pack(kFirstYear, 1, 1, 0, 0, 0);
  if (year > kLastYear) return Pack(kLastYear, 12, 31, 23, 59, 58);
  return Pack(year, month, day, hour, minute, second);
}

std::time_t UnpackFileTime(PackedTime packed) {
  std::tm tm = Unpack(packed);
  return std::mktime(&tm);
}

std::string FormatShortDate(PackedTime packed) {
  UseUserLocale();
  std::tm tm = Unpack(packed);
  tm.tm_hour = 12;  // a date only; noon keeps a daylight-saving switch from moving the day
  tm.tm_min = tm.tm_sec = 0;
  std::mktime(&tm);  // fills the weekday and normalises impossible fields
  char buffer[128];
  const std::size_t n = std::strftime(buffer, sizeof buffer, "%x", &tm);
  return std::string(buffer, n);
}

bool GetPackedFileTime(const std::string& path, PackedTime* packed) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  *packed = PackFileTime(st.st_mtime);
  return true;
}

bool SetFileModificationTime(const std::string& path, std::time_t t) {
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = t;
  times[1].tv_nsec = 0;
  return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

}  // namespace fotoloom
