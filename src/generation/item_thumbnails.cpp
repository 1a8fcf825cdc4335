#include "generation/item_thumbnails.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "generation/album_items.h"
#include "generation/album_settings.h"
#include "generation/client_ui.h"
#include "generation/usable_cpus.h"
#include "imaging/image_formats.h"

namespace fotoloom {

namespace {

RunThumbnails* g_current = nullptr;
RunThumbnailResources* g_resources = nullptr;

constexpr char kOutOfMemory[] = "Not enough memory to make every picture of ";

// The job of an item's image, or (with_preview false) of the fallback image, whose page shows
// no preview of it.
ThumbnailJob JobFor(const std::string& source, bool with_preview = true) {
  const AlbumSettings& album = Album();
  ThumbnailJob job{source, album.ThumbGeometryW, album.ThumbGeometryH};
  // A source the browser cannot show is shown through its preview, whatever its size.
  const bool stand_in = with_preview && album.ExtendedFormats && !BrowserShowsFile(source);
  if ((with_preview && MakesPreviews(album)) || stand_in) {
    job.preview_width = album.PreviewWidth;
    job.preview_height = album.PreviewHeight;
    job.preview_always = stand_in;
  }
  job.hidpi = album.HiDPIThumbnails;
  return job;
}

// Writes the companion and the preview the list has names for; the companion comes from the
// same picture as the thumbnail it goes with.
ItemPictures WriteCompanions(int i, const ThumbnailResult& thumbnail, const ThumbnailResult& item) {
  ItemPictures written;
  if (thumbnail.jpeg) written.thumb_size = JpegFrameSize(*thumbnail.jpeg);
  const std::string thumb_2x = ItemThumb2xPath(i);
  if (!thumb_2x.empty() && WriteResultPicture(thumbnail.jpeg_2x, thumb_2x)) {
    written.thumb_2x = thumb_2x;
  }
  const std::string preview = ItemPreviewPath(i);
  if (!preview.empty() && WriteResultPicture(item.preview, preview)) {
    written.preview = preview;
    written.preview_size = JpegFrameSize(*item.preview);
  }
  return written;
}

std::unique_ptr<ThumbnailCache> OpenCache() {
  const std::string& folder = Album().ThumbnailCache;
  if (folder.empty()) return nullptr;
  auto cache = std::make_unique<ThumbnailCache>(folder);
  // Not a warning of the run: the catalog comes out the same, only slower.
  if (!cache->problem().empty())
    std::fprintf(stderr, "Fotoloom: thumbnail cache not used: %s\n", cache->problem().c_str());
  return cache;
}

std::vector<ThumbnailJob> ItemJobs() {
  std::vector<ThumbnailJob> jobs;
  jobs.reserve(static_cast<std::size_t>(ItemCount()));
  for (int i = 0; i < ItemCount(); ++i) jobs.push_back(JobFor(ItemSourcePath(i)));
  return jobs;
}

}  // namespace

RunThumbnailResources::RunThumbnailResources(bool share) : cache_(OpenCache()), shared_(share) {
  if (shared_) g_resources = this;
}

RunThumbnailResources::~RunThumbnailResources() {
  if (shared_) g_resources = nullptr;
}

RunThumbnails::RunThumbnails(int workers)
    : own_(g_resources ? nullptr : std::make_unique<RunThumbnailResources>(false)),
      resources_(g_resources ? g_resources : own_.get()),
      pool_(ItemJobs(), workers, resources_->cache_.get(), &resources_->budget_) {
  g_current = this;
}

RunThumbnails::~RunThumbnails() { g_current = nullptr; }

ItemPictures WriteItemThumbnail(int i) {
  const std::string thumb = ItemThumbPath(i);
  RunThumbnails* run = g_current;
  const ThumbnailResult item = run ? run->pool_.Take(i,
                                                     [] {
                                                       PumpMessages();
                                                       return !CancelRequested();
                                                     })
                                   : MakeThumbnailResult(JobFor(ItemSourcePath(i)));
  if (item.out_of_memory) AddMessage(kOutOfMemory + ItemSourcePath(i));
  // The file just written holds exactly these bytes: an empty one is no thumbnail either.
  if (WriteThumbnailResult(item, thumb) && !item.jpeg->empty()) {
    return WriteCompanions(i, item, item);
  }
  // The alternative image stands for a source that gives no thumbnail, not for a good photo
  // that memory ran out for.
  if (item.out_of_memory) return WriteCompanions(i, ThumbnailResult{}, item);
  std::optional<ThumbnailResult> made;
  std::optional<ThumbnailResult>& fallback = run ? run->fallback_ : made;
  if (!fallback) {
    fallback = MakeThumbnailResult(JobFor(Album().EmptyThumbnail, false),
                                   run ? &run->resources_->budget_ : nullptr);
  }
  const bool written = WriteThumbnailResult(*fallback, thumb);
  const ItemPictures pictures = WriteCompanions(i, written ? *fallback : ThumbnailResult{}, item);
  if (fallback->out_of_memory) {
    AddMessage(kOutOfMemory + Album().EmptyThumbnail);
    fallback.reset();  // made again for the next item that needs it
  }
  return pictures;
}

int ThumbnailWorkerCount(int item_count) {
  const int workers = Album().ThumbnailWorkers > 0 ? Album().ThumbnailWorkers : UsableCpuCount();
  return std::max(1, std::min(workers, item_count));
}

}  // namespace fotoloom
