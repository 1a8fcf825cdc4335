#include "generation/item_thumbnails.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "files/file_utils.h"
#include "generation/album_items.h"
#include "generation/album_settings.h"
#include "generation/client_ui.h"
#include "generation/usable_cpus.h"

namespace fotoloom {

namespace {

RunThumbnails* g_current = nullptr;

ThumbnailJob JobFor(const std::string& source) {
  const AlbumSettings& album = Album();
  return {source, album.ThumbGeometryW, album.ThumbGeometryH};
}

std::unique_ptr<ThumbnailCache> OpenCache() {
  const std::string& folder = Album().ThumbnailCache;
  return folder.empty() ? nullptr : std::make_unique<ThumbnailCache>(folder);
}

std::vector<ThumbnailJob> ItemJobs() {
  std::vector<ThumbnailJob> jobs;
  jobs.reserve(static_cast<std::size_t>(ItemCount()));
  for (int i = 0; i < ItemCount(); ++i) jobs.push_back(JobFor(ItemSourcePath(i)));
  return jobs;
}

}  // namespace

RunThumbnails::RunThumbnails(int workers)
    : cache_(OpenCache()), pool_(ItemJobs(), workers, cache_.get()) {
  g_current = this;
}

RunThumbnails::~RunThumbnails() { g_current = nullptr; }

void WriteItemThumbnail(int i) {
  const std::string thumb = ItemThumbPath(i);
  RunThumbnails* run = g_current;
  const bool ok = WriteThumbnailResult(run ? run->pool_.Take(i,
                                                             [] {
                                                               PumpMessages();
                                                               return !CancelRequested();
                                                             })
                                           : MakeThumbnailResult(JobFor(ItemSourcePath(i))),
                                       thumb);
  // FileSizeOf only looks at wildcards when no file of that exact name exists, so asking
  // FileExists first keeps a "?" in a name from matching some other file.
  if (ok && FileExists(thumb) && FileSizeOf(thumb) != 0) return;
  const ThumbnailJob fallback = JobFor(Album().EmptyThumbnail);
  if (run == nullptr) {
    WriteThumbnailResult(MakeThumbnailResult(fallback), thumb);
    return;
  }
  if (!run->fallback_) run->fallback_ = MakeThumbnailResult(fallback);
  WriteThumbnailResult(*run->fallback_, thumb);
}

int ThumbnailWorkerCount(int item_count) {
  const int workers = Album().ThumbnailWorkers > 0 ? Album().ThumbnailWorkers : UsableCpuCount();
  return std::max(1, std::min(workers, item_count));
}

}  // namespace fotoloom
