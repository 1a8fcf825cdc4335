#include "generation/thumbnail_job.h"

#include "imaging/png_graphic.h"
#include "imaging/thumbnails.h"
#include "platform/file_errors.h"
#include "platform/file_io.h"

namespace fotoloom {

ThumbnailResult MakeThumbnailResult(const ThumbnailJob& job) noexcept {
  ThumbnailResult result;
  try {
    PngWarningCapture warnings;
    try {
      result.jpeg = EncodeThumbnail(job.source_path, job.box_width, job.box_height);
    } catch (const FileReadError&) {
      result.read_error = std::current_exception();
    }
    result.png_warnings = warnings.Take();
  } catch (...) {
    // Only memory can run out here; the item then simply has no thumbnail.
    result = ThumbnailResult{};
  }
  return result;
}

bool WriteThumbnailResult(const ThumbnailResult& result, const std::string& target) {
  for (const std::string& warning : result.png_warnings) {
    try {
      ReportPngWarning(warning);
    } catch (...) {
      return false;
    }
  }
  if (result.read_error) std::rethrow_exception(result.read_error);
  if (!result.jpeg) return false;
  WriteWholeFile(target, *result.jpeg);
  return true;
}

}  // namespace fotoloom
