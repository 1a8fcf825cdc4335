// One item's thumbnail as a piece of work that any thread can do: plain values in, plain
// values out. A worker makes the result (MakeThumbnailResult); the page writer later shows
// what it recorded and writes the file (WriteThumbnailResult), on its own thread and in item
// order, so outputs and messages come out as if the writer had made the thumbnail itself.
#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "imaging/memory_budget.h"

namespace fotoloom {

// What to make: copied out of the item list and the album settings by the writer.
struct ThumbnailJob {
  std::string source_path;
  std::int32_t box_width = 0;
  std::int32_t box_height = 0;
  // The preview box: an image larger than it also gets a preview fitted into it. 0 x 0: none.
  std::int32_t preview_width = 0, preview_height = 0;
  // The preview is made whatever the image's size, one that fits the box at its own size: it
  // stands in for a source the browser cannot show.
  bool preview_always = false;
  // Whether the thumbnail also gets a companion fitted into the box of twice its size.
  bool hidpi = false;
};

// What came of it. Further outputs of the same decode belong here beside jpeg.
struct ThumbnailResult {
  std::optional<std::string> jpeg;     // the encoded thumbnail; nullopt: the source gives none
  std::optional<std::string> jpeg_2x;  // the twice-as-large thumbnail, when the job asked
  // The preview, when the job asked; nullopt also when the image already fits the preview box.
  std::optional<std::string> preview;
  std::vector<std::string> reader_warnings;  // raised while reading the source, in order
  std::exception_ptr read_error;  // a FileReadError the run must raise when it reaches the item
  // Memory ran out for one of the pictures (or for all): what is missing is not missing for
  // good, so the alternative image does not stand in and the cache keeps nothing.
  bool out_of_memory = false;
};

// Makes the thumbnail of job.source_path in memory, with its companion and preview from the
// same decode (EncodeImageOutputs; the thumbnail's bytes are EncodeThumbnail's), keeping the
// reader warnings of this thread's reads instead of reporting them. The decode's memory is
// reserved from budget (when given) between the source's headers and its pixels. Never throws:
// memory running out is noted in out_of_memory, whatever else goes wrong is a source without
// thumbnail, as it is for CreateThumbnail. Touches no process-wide state.
ThumbnailResult MakeThumbnailResult(const ThumbnailJob& job,
                                    MemoryBudget* budget = nullptr) noexcept;

// The writer's half, on the front end's thread: reports the recorded reader warnings
// (ReportReaderWarning), raises the read error, then writes the thumbnail to target (the companion
// and preview are the caller's to write, with WriteResultPicture). Returns true when
// the file was written, false when the source gave no thumbnail. A warning handler that raises
// counts as a failed thumbnail, as it did while reading (the warnings after it are dropped).
// Raises FileReadError (the recorded one) and the file writer's FileCreateError /
// FileWriteError naming target.
bool WriteThumbnailResult(const ThumbnailResult& result, const std::string& target);

// Writes picture to target when there is one; true when it was written. Raises the file
// writer's FileCreateError / FileWriteError naming target.
bool WriteResultPicture(const std::optional<std::string>& picture, const std::string& target);

}  // namespace fotoloom
