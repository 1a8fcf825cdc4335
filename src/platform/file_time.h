// File modification times in the packed FAT date-time layout, in local time:
// bits 25-31 years since 1980, 21-24 month, 16-20 day, 11-15 hours, 5-10 minutes,
// 0-4 seconds divided by 2. Held as a signed 32-bit number, so from 2044 on it is negative.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace fotoloom {

using PackedTime = std::int32_t;

// Packs t (converted to local time). Times before 1980 pack as 1980-01-01 00:00:00, times
// after 2107 as the largest packable value (2107-12-31 23:59:58); odd seconds round down.
PackedTime PackFileTime(std::time_t t);

// Packs a local date and time given by its fields, clamped as PackFileTime clamps; nullopt when
// a field is out of its range (month 1..12, a day the month has, hour 0..23, minute and second
// 0..59).
std::optional<PackedTime> PackLocalTime(int year, int month, int day, int hour, int minute,
                                        int second);

// The local time that packed stands for; fields out of their ranges are normalised as
// mktime does.
std::time_t UnpackFileTime(PackedTime packed);

// The date part of packed in the user's short date format (strftime "%x" with the
// user's locale).
std::string FormatShortDate(PackedTime packed);

// The packed modification time of the file at path; false when it cannot be read.
bool GetPackedFileTime(const std::string& path, PackedTime* packed);

// Sets the modification time (and access time) of the file at path to t; false on failure.
bool SetFileModificationTime(const std::string& path, std::time_t t);

}  // namespace fotoloom
