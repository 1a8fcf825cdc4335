// The per-user cache of made thumbnails, so that a run over unchanged photos reads their
// outputs instead of decoding them again.
//
// One folder holds one file per entry (cache_entry.h), named by its key's hash, written through
// the one file writer (a temporary file renamed over the name), so a killed run or two runs at
// once never leave a torn entry. An entry that cannot be read or fails any check is a miss, and
// the outputs made instead replace it. The cache only ever deletes its own entry files (and
// temporary files a killed writer left in its folder), least recently used first, once they
// add up to more than its bound.
//
// A cache is only ever faster: a folder that cannot be made or written, a full disk, any
// failure at all leaves it disabled or missing, and the run goes on as without it.
// Find and Store may be called from any number of threads at once.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "generation/thumbnail_job.h"

namespace fotoloom {

inline constexpr std::uint64_t kDefaultThumbnailCacheBytes = 256ull << 20;

// The folder of the user's thumbnail cache, with a trailing separator:
// $XDG_CACHE_HOME/fotoloom/thumbnails/, or ~/.cache/fotoloom/thumbnails/ when XDG_CACHE_HOME
// is not an absolute path. Empty, for no cache, when FOTOLOOM_CACHE is "off" or neither
// variable gives an absolute path.
std::string ThumbnailCacheFolder();

class ThumbnailCache {
 public:
  // Uses folder, creating it and its missing parents (private to the user). When it cannot be
  // made or written the cache is disabled: every Find misses, every Store does nothing.
  explicit ThumbnailCache(const std::string& folder,
                          std::uint64_t max_bytes = kDefaultThumbnailCacheBytes);
  // Trims the cache when this object stored anything.
  ~ThumbnailCache();
  ThumbnailCache(const ThumbnailCache&) = delete;
  ThumbnailCache& operator=(const ThumbnailCache&) = delete;

  bool enabled() const { return enabled_.load(std::memory_order_relaxed); }

  // The result stored under key, whole and checked, marked as just used; nullopt otherwise.
  std::optional<ThumbnailResult> Find(const std::string& key);
  // Keeps result's outputs under key. A failed write disables the cache.
  void Store(const std::string& key, const ThumbnailResult& result);
  // Deletes the least recently used entries until the rest fit within the bound, and the
  // temporary files of writers that were stopped an hour or more ago.
  void Trim();

  const std::string& folder() const { return folder_; }

 private:
  void TrimLocked();  // REQUIRES: trimming_ held

  std::string folder_;
  std::uint64_t max_bytes_;
  std::atomic<bool> enabled_{false};
  std::atomic<std::uint64_t> stored_bytes_{0};  // written since the last trim
  std::mutex trimming_;
};

// The job's result from cache (nullptr: none) when it holds it, otherwise made here
// (MakeThumbnailResult) and kept in cache when it can be served again as it is: the source gave
// a thumbnail without reader warnings (which must show on every run) and did not change while it
// was read.
ThumbnailResult MakeThumbnailResult(const ThumbnailJob& job, ThumbnailCache* cache) noexcept;

}  // namespace fotoloom
