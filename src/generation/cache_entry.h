// What one thumbnail cache entry holds, and its bytes on disk.
//
// An entry is made for one ThumbnailJob and holds the outputs of its ThumbnailResult, each as a
// record of its kind: present with its bytes, or recorded as absent (which is not a miss). The
// entry carries the full key it was made for and a checksum of everything it holds, so a
// damaged file, a file of another layout or a name shared by two keys is never taken for the
// job's outputs. Nothing here touches the file system except ThumbnailCacheKey's stat.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "generation/thumbnail_job.h"

namespace fotoloom {

// Everything that decides the bytes a job's outputs come out with, as one text: the source
// file's identity and state (device, inode, size, modification and change times to the
// nanosecond, extension), the job's other fields and the format version. nullopt when the job
// must not be cached: the source is not a regular file, cannot be looked at, or was changed so
// recently that a further change could still leave every one of these values as they are.
std::optional<std::string> ThumbnailCacheKey(const ThumbnailJob& job);

// 16 lower-case hexadecimal digits naming the entry of key; different keys may share one.
std::string CacheEntryName(std::string_view key);

struct CacheRecord {
  std::uint8_t kind = 0;
  std::optional<std::string> bytes;  // nullopt: the output is absent
};

// The outputs of result that an entry holds, one record per kind, absent ones included.
std::vector<CacheRecord> CacheRecordsOf(const ThumbnailResult& result);

// The result whose outputs records hold (no warnings, no read error); nullopt when a kind the
// result has is missing from them.
std::optional<ThumbnailResult> ResultFromCacheRecords(const std::vector<CacheRecord>& records);

// The file content of an entry for key.
std::string EncodeCacheEntry(std::string_view key, const std::vector<CacheRecord>& records);

// The records of an entry's file content; nullopt unless it is whole, passes its checksum and
// was made for exactly this key by this format version.
std::optional<std::vector<CacheRecord>> DecodeCacheEntry(std::string_view entry,
                                                         std::string_view key);

}  // namespace fotoloom
