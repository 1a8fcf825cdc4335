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
//
// The folder must be the user's alone, since the entries hold pictures of the user's photos and
// are served as they are: its own folders (see ThumbnailCache) are made 0700, and each of them
// must be a folder, not a link, owned by the user and not writable by group or others; the folder
// above them must be the user's (a link to it too). Each is opened relative to the one above it
// without following links, the entries relative to the folder's handle, and entries are written
// 0600. A folder that fails disables the cache, with the reason in problem().
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

// The cache's own folders below the user's cache folder, as ThumbnailCacheFolder names them.
inline constexpr char kThumbnailCacheSubfolders[] = "fotoloom/thumbnails/";

class ThumbnailCache {
 public:
  // Uses folder (an absolute path), creating what is missing of it. Its own folders are the
  // kThumbnailCacheSubfolders it ends with, or else its last one; the folder above them (the
  // user's cache folder) is made with its missing parents when missing. When any of them fails
  // the checks above, or the folder cannot be written, the cache is disabled: every Find
  // misses, every Store does nothing.
  explicit ThumbnailCache(const std::string& folder,
                          std::uint64_t max_bytes = kDefaultThumbnailCacheBytes);
  // Trims the cache when this object stored anything.
  ~ThumbnailCache();
  ThumbnailCache(const ThumbnailCache&) = delete;
  ThumbnailCache& operator=(const ThumbnailCache&) = delete;

  bool enabled() const { return enabled_.load(std::memory_order_relaxed); }
  // Why the folder is not used, naming the folder that failed ("/x/fotoloom is owned by another
  // user"); empty when it is used.
  const std::string& problem() const { return problem_; }

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
  int fd_ = -1;  // the folder, open while the cache lives
  std::string problem_;
  std::uint64_t max_bytes_;
  std::atomic<bool> enabled_{false};
  std::atomic<std::uint64_t> stored_bytes_{0};  // written since the last trim
  std::mutex trimming_;
};

// The job's result from cache (nullptr: none) when it holds it, otherwise made here
// (MakeThumbnailResult, within budget when given) and kept in cache when it can be served again
// as it is: the source gave a thumbnail without reader warnings (which must show on every run),
// memory did not run out for any picture the job asked for, and the source did not change while
// it was read.
ThumbnailResult MakeThumbnailResult(const ThumbnailJob& job, ThumbnailCache* cache,
                                    MemoryBudget* budget = nullptr) noexcept;

}  // namespace fotoloom
