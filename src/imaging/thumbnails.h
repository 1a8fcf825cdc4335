// Thumbnails: the size rule that fits an image into a box, the routine that turns one image
// file into the bytes of its JPEG thumbnail, and the one that writes them to a file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "imaging/dib_graphic.h"
#include "imaging/memory_budget.h"
#include "platform/error.h"

namespace fotoloom {

// Raised by FitInBox for arithmetic that has no result: "Floating point division by zero"
// for an image width of 0, "Invalid floating point operation" for 0 / 0 or a size that does
// not fit a 32-bit integer.
class EMathError : public Error {
 public:
  explicit EMathError(const std::string& message) : Error(message) {}
};

// Replaces width and height by the size of their thumbnail in a box_width x box_height box.
// The width goes to the box width first (small images are enlarged); when the height then
// exceeds the box height, both are scaled down again. The quotients are computed in 80-bit
// extended precision and every product is truncated, so a result may be one pixel short of
// the box (97 x 50 in 100 x 100 gives 99 x 51) and a very flat or tall image can give 0 or 1.
// Raises EMathError (see above); width and height are unchanged then.
void FitInBox(std::int32_t& width, std::int32_t& height, std::int32_t box_width,
              std::int32_t box_height);

// The progressive JPEG thumbnail (quality 85, the source's resolution) of the image file
// source_path, sized by FitInBox and encoded in memory; the orientation the file states (a
// JPEG's EXIF orientation) is applied first, so the thumbnail is upright. The source is only
// read, nothing is written, and nothing process-wide is touched but the reader warning report
// (reader_warnings.h), so any thread may call it.
// Returns nullopt when the source gives no thumbnail (missing, unopenable or corrupt source,
// unknown extension, an image too large for memory, a thumbnail dimension below 2, or any
// other failure inside the reader, resampler or encoder); nothing is reported then.
// Raises only FileReadError naming the source, when reading it failed part-way (an I/O
// error): the disk failed, not the picture.
std::optional<std::string> EncodeThumbnail(const std::string& source_path, std::int32_t box_width,
                                           std::int32_t box_height);

// One picture made from an image: the box its size is fitted into (FitInBox), and what becomes
// of an image that already fits the box instead of being enlarged to fill its width: it gives
// no picture (skip_when_fitting), or a picture of its own size (keep_when_fitting).
//
// A box may name a later box to make its picture from (from): when that box's picture is at
// least twice as large each way, this picture is resampled from it instead of from the image,
// at the same size, which costs a fraction of a pass over the whole image; the bytes differ
// slightly. baseline encodes the picture as a baseline JPEG with optimised tables instead of a
// progressive one: quicker to make for a large picture, a little larger. paired_rows, for a
// true-colour or gray image read row by row and at least twice as high as the picture, makes
// the picture from the image's rows averaged in pairs: half the work of both passes, and less
// than a level apart on average.
struct OutputBox {
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool skip_when_fitting = false;
  bool keep_when_fitting = false;
  int from = -1;
  bool baseline = false;
  bool paired_rows = false;
};

// The JPEGs (quality 85, progressive unless the box asks for baseline, the source's resolution)
// of the image file source_path in each of boxes, from one decode: entry k is the picture for
// boxes[k], made exactly as EncodeThumbnail makes a thumbnail of that box (unless made from
// another box's picture), or nullopt when the box gives none (a dimension below 2, a fitting
// image with skip_when_fitting, or a failure while resampling or encoding that picture). Every
// entry is nullopt when the source cannot be decoded. The image is read once for every box, a
// band of rows at a time: as it is decoded when its reader can hand its rows over in order
// (JPEG, and PNG that is not interlaced, stored upright or mirrored), else from the decoded
// image, held until its rows are read. Each box keeps its picture and the work rows its next
// picture rows need; each picture is then encoded and released before the next. With a
// budget, OutputsMemory is reserved from it once the source's headers are read, before its
// pixels are, and held until the pictures are made (the wait may be long when the budget is
// short). Any thread may call it; raises only FileReadError naming the source (see
// EncodeThumbnail). When memory ran out for a picture, or for the decode (and so for every
// picture), *out_of_memory becomes true, when given: those entries are nullopt for want of
// memory, not because the image gives none.
std::vector<std::optional<std::string>> EncodeImageOutputs(const std::string& source_path,
                                                           const std::vector<OutputBox>& boxes,
                                                           MemoryBudget* budget = nullptr,
                                                           bool* out_of_memory = nullptr);

struct PictureSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
  friend bool operator==(const PictureSize&, const PictureSize&) = default;
};

// The most memory EncodeImageOutputs holds at once for an image of header in boxes: what its
// decode holds (a band of rows and the decoder's other buffers when its rows are taken as they
// come, else DecodeBytes), every box's picture and work rows, and the largest picture's
// true-colour copy and the progressive encoder's whole-image coefficients as it is encoded.
// REQUIRES: header passed CheckImageBound.
std::uint64_t OutputsMemory(const TImageHeader& header, const std::vector<OutputBox>& boxes);

// The size of the picture an image of header gives in box (upright, as EncodeImageOutputs makes
// it); nullopt when it gives none.
std::optional<PictureSize> PlannedPictureSize(const TImageHeader& header, const OutputBox& box);

// The header of the image file source_path, read without any of its pixel data; nullopt when it
// gives no image (as EncodeThumbnail). Raises only FileReadError naming the source.
std::optional<TImageHeader> ReadPictureHeader(const std::string& source_path);

// EncodeThumbnail, then the bytes written to target_path through the one file writer
// (platform/file_io.h), which replaces a link at the target instead of writing through it.
// Returns true when the file was written (and its size in *written, when given), false when the
// source gives no thumbnail (the target is not touched then).
// Raises, with the target as it was: FileCreateError / FileWriteError naming the target when
// it cannot be written (a full disk is a failed output, not a picture without thumbnail), and
// FileReadError naming the source (see EncodeThumbnail).
bool CreateThumbnail(const std::string& source_path, const std::string& target_path,
                     std::int32_t box_width, std::int32_t box_height,
                     PictureSize* written = nullptr);

}  // namespace fotoloom
