#include "generation/cache_entry.h"

#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <ctime>
#include <utility>

#include "platform/paths.h"

namespace fotoloom {
namespace {

// The version of the thumbnail bytes. Bump it with every change that can alter a single byte
// of a thumbnail made from the same file: the readers (JPEG, PNG, BMP), the EXIF orientation
// handling, the size rule, the resampler, the format conversion, the JPEG encoder or its
// settings, and the libjpeg build the program is linked with. Entries of another version are
// then never served, and age out of the cache.
constexpr int kThumbnailFormatVersion = 1;

// The outputs of a ThumbnailResult that an entry holds, each under a kind number that never
// changes meaning. A new output is one more line here.
constexpr struct {
  std::uint8_t kind;
  std::optional<std::string> ThumbnailResult::*output;
} kCachedOutputs[] = {
    {1, &ThumbnailResult::jpeg},
    {2, &ThumbnailResult::jpeg_2x},
    {3, &ThumbnailResult::preview},
};

// The layout of an entry file: magic, layout version, key, records, checksum of all before it.
constexpr std::string_view kMagic = "FLTCACHE";
constexpr std::uint32_t kLayoutVersion = 1;

std::string TimeText(const timespec& t) {
  return std::to_string(t.tv_sec) + "." + std::to_string(t.tv_nsec);
}

bool Before(const timespec& a, const timespec& b) {
  return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

void PutU32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint32_t Crc32(std::string_view bytes) {
  return static_cast<std::uint32_t>(
      crc32_z(0L, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
}

// Reads the entry front to back; every read fails once the bytes run out.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  bool U8(std::uint8_t* value) {
    if (bytes_.size() - at_ < 1) return false;
    *value = static_cast<std::uint8_t>(bytes_[at_++]);
    return true;
  }
  bool U32(std::uint32_t* value) {
    if (bytes_.size() - at_ < 4) return false;
    *value = 0;
    for (int i = 0; i < 4; ++i)
      *value |= std::uint32_t{static_cast<unsigned char>(bytes_[at_++])} << (8 * i);
    return true;
  }
  bool Bytes(std::size_t n, std::string_view* value) {
    if (bytes_.size() - at_ < n) return false;
    *value = bytes_.substr(at_, n);
    at_ += n;
    return true;
  }
  bool AtEnd() const { return at_ == bytes_.size(); }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
};

}  // namespace

std::optional<std::string> ThumbnailCacheKey(const ThumbnailJob& job) {
  // The file system stamps a change with the coarse clock. A file last changed at or after the
  // tick read here may change again within that tick without its change time moving, so its
  // outputs are made but not kept.
  timespec now{};
  clock_gettime(CLOCK_REALTIME_COARSE, &now);
  struct stat st {};
  if (::stat(job.source_path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  if (!Before(st.st_ctim, now)) return std::nullopt;
  std::string extension = ExtractFileExt(job.source_path);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::string key = "thumbnail " + std::to_string(kThumbnailFormatVersion);
  key += " dev " + std::to_string(st.st_dev) + " ino " + std::to_string(st.st_ino);
  key += " size " + std::to_string(st.st_size);
  key += " mtime " + TimeText(st.st_mtim) + " ctime " + TimeText(st.st_ctim);
  key += " ext " + extension;
  key += " box " + std::to_string(job.box_width) + "x" + std::to_string(job.box_height);
  key += " preview " + std::to_string(job.preview_width) + "x" + std::to_string(job.preview_height);
  key += " hidpi " + std::string(job.hidpi ? "1" : "0");
  // Only where it is set, so the entries of every other job keep their keys.
  if (job.preview_always) key += " preview always";
  return key;
}

std::string CacheEntryName(std::string_view key) {
  // FNV-1a: a name only needs to spread keys; the entry itself carries the key.
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : key) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string name(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) name[static_cast<std::size_t>(i)] = kHex[hash & 15];
  return name;
}

std::vector<CacheRecord> CacheRecordsOf(const ThumbnailResult& result) {
  std::vector<CacheRecord> records;
  for (const auto& output : kCachedOutputs) records.push_back({output.kind, result.*output.output});
  return records;
}

std::optional<ThumbnailResult> ResultFromCacheRecords(const std::vector<CacheRecord>& records) {
  ThumbnailResult result;
  for (const auto& output : kCachedOutputs) {
    const auto record = std::find_if(records.begin(), records.end(),
                                     [&](const CacheRecord& r) { return r.kind == output.kind; });
    if (record == records.end()) return std::nullopt;
    result.*output.output = record->bytes;
  }
  return result;
}

std::string EncodeCacheEntry(std::string_view key, const std::vector<CacheRecord>& records) {
  std::string entry(kMagic);
  PutU32(entry, kLayoutVersion);
  PutU32(entry, static_cast<std::uint32_t>(key.size()));
  entry += key;
  PutU32(entry, static_cast<std::uint32_t>(records.size()));
  for (const CacheRecord& record : records) {
    entry += static_cast<char>(record.kind);
    entry += static_cast<char>(record.bytes ? 1 : 0);
    PutU32(entry, record.bytes ? static_cast<std::uint32_t>(record.bytes->size()) : 0);
    if (record.bytes) entry += *record.bytes;
  }
  PutU32(entry, Crc32(entry));
  return entry;
}

std::optional<std::vector<CacheRecord>> DecodeCacheEntry(std::string_view entry,
                                                         std::string_view key) {
  if (entry.size() < 4) return std::nullopt;
  const std::string_view body = entry.substr(0, entry.size() - 4);
  std::uint32_t stored_crc = 0;
  Reader tail(entry.substr(body.size()));
  if (!tail.U32(&stored_crc) || stored_crc != Crc32(body)) return std::nullopt;

  Reader in(body);
  std::string_view magic, stored_key;
  std::uint32_t layout = 0, key_size = 0, count = 0;
  if (!in.Bytes(kMagic.size(), &magic) || magic != kMagic || !in.U32(&layout) ||
      layout != kLayoutVersion || !in.U32(&key_size) || !in.Bytes(key_size, &stored_key) ||
      stored_key != key || !in.U32(&count)) {
    return std::nullopt;
  }
  std::vector<CacheRecord> records;
  for (std::uint32_t i = 0; i < count; ++i) {
    CacheRecord record;
    std::uint8_t present = 0;
    std::uint32_t size = 0;
    std::string_view bytes;
    if (!in.U8(&record.kind) || !in.U8(&present) || present > 1 || !in.U32(&size) ||
        !in.Bytes(size, &bytes)) {
      return std::nullopt;
    }
    if (present == 1) record.bytes = std::string(bytes);
    records.push_back(std::move(record));
  }
  if (!in.AtEnd()) return std::nullopt;
  return records;
}

}  // namespace fotoloom
