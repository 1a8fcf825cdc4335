#include "imaging/thumbnails.h"

#include <cmath>
#include <limits>
#include <memory>
#include <sstream>
#include <utility>

#include "imaging/format_transform.h"
#include "imaging/jpeg_graphic.h"
#include "imaging/picture_loader.h"
#include "imaging/shared_resample.h"
#include "platform/file_errors.h"
#include "platform/file_io.h"

namespace fotoloom {
namespace {

using Ext = long double;  // 80-bit extended on x86

Ext Quotient(Ext numerator, Ext denominator) {
  if (denominator == 0) {
    throw EMathError(numerator == 0 ? "Invalid floating point operation"
                                    : "Floating point division by zero");
  }
  return numerator / denominator;
}

std::int32_t Trunc(Ext value) {
  const Ext t = std::trunc(value);
  if (!(t >= std::numeric_limits<std::int32_t>::min() &&
        t <= std::numeric_limits<std::int32_t>::max())) {
    throw EMathError("Invalid floating point operation");
  }
  return static_cast<std::int32_t>(t);
}

// The size in box of the picture of an upright width x height image, or nullopt when the box
// gives none; raises EMathError.
std::optional<std::pair<std::int32_t, std::int32_t>> PictureSize(std::int32_t width,
                                                                 std::int32_t height,
                                                                 const OutputBox& box) {
  if (box.skip_when_fitting && width <= box.width && height <= box.height) return std::nullopt;
  FitInBox(width, height, box.width, box.height);
  // An empty picture would be refused by the JPEG writer anyway; refusing it here leaves no
  // empty file behind.
  if (width <= 0 || height <= 0) return std::nullopt;
  return std::make_pair(width, height);
}

// The JPEG of one planned size; raises whatever the resampler or encoder raise.
std::string EncodeOne(TSharedResample& resample, std::size_t size) {
  TJpegGraphic output;
  resample.Finish(size, output);
  TImageFormatTransform true_colour;
  true_colour.Format = ifColor16M;
  true_colour.Apply(output);
  output.SetQuality(85);
  output.SetProgressive(true);

  std::ostringstream stream;
  output.SaveToStream(stream);
  return std::move(stream).str();
}

// Every box's picture, each failure of one box kept to that box; raises what the reader
// raises.
std::vector<std::optional<std::string>> Encode(const std::string& source_path,
                                               const std::vector<OutputBox>& boxes) {
  std::vector<std::optional<std::string>> pictures(boxes.size());
  std::unique_ptr<TDibGraphic> source = LoadPicture(source_path);
  // The loaded graphic is used as the source image itself, and a photo stored sideways is
  // read upright by the resampler rather than turned first: a copy of the photo would
  // double the memory a thumbnail needs.
  // The boxes share one reading of the photo. Their work images (photo height x picture
  // width each) are held together, the photo only until its rows are read.
  if (source->Empty()) return pictures;
  TSharedResample resample(*source, source->Orientation(), rfLanczos3);
  std::vector<std::optional<std::size_t>> planned(boxes.size());
  for (std::size_t k = 0; k < boxes.size(); ++k) {
    try {
      if (const auto size =
              PictureSize(resample.SourceWidth(), resample.SourceHeight(), boxes[k])) {
        planned[k] = resample.AddSize(size->first, size->second);
      }
    } catch (...) {
      // This box gives no picture; the others may still.
    }
  }
  resample.RunRows();
  source.reset();
  for (std::size_t k = 0; k < boxes.size(); ++k) {
    if (!planned[k]) continue;
    try {
      pictures[k] = EncodeOne(resample, *planned[k]);
    } catch (...) {
      // As above.
    }
  }
  return pictures;
}

}  // namespace

void FitInBox(std::int32_t& width, std::int32_t& height, std::int32_t box_width,
              std::int32_t box_height) {
  const Ext s = Quotient(box_width, width);
  const std::int32_t w1 = Trunc(s * width);
  const std::int32_t h1 = Trunc(s * height);
  if (box_height >= h1) {
    width = w1;
    height = h1;
    return;
  }
  const Ext t = Quotient(box_height, h1);
  const std::int32_t w2 = Trunc(t * w1);
  const std::int32_t h2 = Trunc(t * h1);
  width = w2;
  height = h2;
}

std::vector<std::optional<std::string>> EncodeImageOutputs(const std::string& source_path,
                                                           const std::vector<OutputBox>& boxes) {
  try {
    return Encode(source_path, boxes);
  } catch (const FileReadError&) {
    throw;  // the disk failed, not the picture
  } catch (...) {
    return std::vector<std::optional<std::string>>(boxes.size());
  }
}

std::optional<std::string> EncodeThumbnail(const std::string& source_path, std::int32_t box_width,
                                           std::int32_t box_height) {
  return EncodeImageOutputs(source_path, {{box_width, box_height}}).front();
}

bool CreateThumbnail(const std::string& source_path, const std::string& target_path,
                     std::int32_t box_width, std::int32_t box_height) {
  const std::optional<std::string> encoded = EncodeThumbnail(source_path, box_width, box_height);
  if (!encoded) return false;
  // A thumbnail that cannot be written is a failed output of the run, not a picture without
  // a thumbnail: the alternative image would not fit on a full disk either.
  WriteWholeFile(target_path, *encoded);
  return true;
}

}  // namespace fotoloom
