#include "generation/thumbnail_job.h"

#include <utility>
#include <vector>

#include "imaging/reader_warnings.h"
#include "imaging/thumbnails.h"
#include "platform/file_errors.h"
#include "platform/file_io.h"

namespace fotoloom {

ThumbnailResult MakeThumbnailResult(const ThumbnailJob& job, MemoryBudget* budget) noexcept {
  ThumbnailResult result;
  try {
    ReaderWarningCapture warnings;
    try {
      std::vector<OutputBox> boxes{{job.box_width, job.box_height}};
      if (job.hidpi) boxes.push_back({2 * job.box_width, 2 * job.box_height});
      // Last: the largest picture is finished and encoded after the others are released.
      const bool preview = job.preview_width > 0 && job.preview_height > 0;
      if (preview) {
        // The preview is made from rows averaged in pairs and encoded the quicker way, and a 2x
        // thumbnail is made from it.
        boxes.push_back({job.preview_width, job.preview_height, !job.preview_always,
                         job.preview_always, -1, true, true});
        if (job.hidpi) boxes[1].from = 2;
      }
      std::vector<std::optional<std::string>> pictures =
          EncodeImageOutputs(job.source_path, boxes, budget, &result.out_of_memory);
      result.jpeg = std::move(pictures[0]);
      if (job.hidpi) result.jpeg_2x = std::move(pictures[1]);
      if (preview) result.preview = std::move(pictures.back());
    } catch (const FileReadError&) {
      result.read_error = std::current_exception();
    }
    result.reader_warnings = warnings.Take();
  } catch (...) {
    // Only memory can run out here.
    result = ThumbnailResult{};
    result.out_of_memory = true;
  }
  return result;
}

bool WriteThumbnailResult(const ThumbnailResult& result, const std::string& target) {
  for (const std::string& warning : result.reader_warnings) {
    try {
      ReportReaderWarning(warning);
    } catch (...) {
      return false;
    }
  }
  if (result.read_error) std::rethrow_exception(result.read_error);
  return WriteResultPicture(result.jpeg, target);
}

bool WriteResultPicture(const std::optional<std::string>& picture, const std::string& target) {
  if (!picture) return false;
  WriteWholeFile(target, *picture);
  return true;
}

}  // namespace fotoloom
