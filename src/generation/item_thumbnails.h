// The thumbnail files of a run's items, made by worker threads ahead of the page writer and
// written by the writer in item order.
//
// The run creates one RunThumbnails for its page-writing pass; while it lives, the index page
// writer's WriteItemThumbnail takes each item's thumbnail from its pool. Files, their order
// of creation, the reader warnings shown and what a cancelled run leaves behind are those of a
// writer that makes every thumbnail itself. Everything here runs on the front end's thread
// except the workers inside the pool.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "generation/thumbnail_pool.h"
#include "imaging/jpeg_frame_size.h"

namespace fotoloom {

// The pictures WriteItemThumbnail wrote beside an item's thumbnail: each path, or "" when that
// picture was not written; and the pixel sizes of the thumbnail and the preview, {0, 0} for
// one that was not written.
struct ItemPictures {
  std::string thumb_2x;
  std::string preview;
  FrameSize thumb_size;
  FrameSize preview_size;
};

// The thumbnail cache (Album().ThumbnailCache, when one is named) and the one memory budget of
// kDefaultMemoryBudget that the decodes of a run share. A run over several item lists (a
// folder tree) makes one for all of them: while it lives, every RunThumbnails uses it instead
// of opening its own, so the cache is opened, reported on and trimmed once, and no two
// folders' decodes add up beyond the one budget.
class RunThumbnailResources {
 public:
  // share: becomes the current one until destroyed. REQUIRES: no other current one lives.
  explicit RunThumbnailResources(bool share = true);
  ~RunThumbnailResources();
  RunThumbnailResources(const RunThumbnailResources&) = delete;
  RunThumbnailResources& operator=(const RunThumbnailResources&) = delete;

 private:
  friend class RunThumbnails;
  friend ItemPictures WriteItemThumbnail(int i);

  std::unique_ptr<ThumbnailCache> cache_;
  MemoryBudget budget_;
  bool shared_;
};

class RunThumbnails {
 public:
  // Starts making the thumbnails of every item of the item list, in a ThumbnailPool of
  // `workers` threads (fewer than 2: none), and becomes the current one until destroyed. The
  // pool uses the current RunThumbnailResources, or resources of its own when none lives.
  // REQUIRES: the item list is read and no other RunThumbnails lives.
  explicit RunThumbnails(int workers);
  // Stops and joins the workers; no work stays queued. Then trims the cache, when it is its
  // own.
  ~RunThumbnails();
  RunThumbnails(const RunThumbnails&) = delete;
  RunThumbnails& operator=(const RunThumbnails&) = delete;

 private:
  friend ItemPictures WriteItemThumbnail(int i);

  std::unique_ptr<RunThumbnailResources> own_;  // when no shared resources live
  RunThumbnailResources* const resources_;      // outlive the pool's workers
  ThumbnailPool pool_;
  // EmptyThumbnail's result, made at the first item that needs it and reused: the same file
  // every time. Its warnings are shown at every use, as they were when it was made each time.
  std::optional<ThumbnailResult> fallback_;
};

// Writes item i's thumbnail to ItemThumbPath(i): from the item's image or, when that gives none
// (or an empty file), from EmptyThumbnail; when both give none there is no file. When memory ran
// out for one of the item's pictures the warning "Not enough memory to make every picture of "
// + its path is added (GetMessages), and the alternative image does not stand in for it. Then, where the
// item list has names for them, the twice-as-large thumbnail from the same image as the
// thumbnail (none when neither gave a thumbnail) and the item's preview (none for an image that
// fits the preview box). Returns what of those two it wrote. Takes the pictures from
// the current RunThumbnails, or makes it here when there is none. While it waits for a worker
// it pumps the front end (PumpMessages); a cancel seen then stops the workers at once, and
// item i is still finished. Raises what WriteThumbnailResult raises.
ItemPictures WriteItemThumbnail(int i);

// The number of thumbnail workers a run of item_count items uses: Album().ThumbnailWorkers when
// above 0, otherwise UsableCpuCount(); never more than item_count.
int ThumbnailWorkerCount(int item_count);

}  // namespace fotoloom
