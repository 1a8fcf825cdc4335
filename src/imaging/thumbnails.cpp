#include "imaging/thumbnails.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <new>
#include <sstream>
#include <utility>

#include "imaging/format_transform.h"
#include "imaging/jpeg_graphic.h"
#include "imaging/pass_kernels.h"
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
std::optional<PictureSize> PlannedSize(std::int32_t width, std::int32_t height,
                                       const OutputBox& box) {
  const bool fits = width <= box.width && height <= box.height;
  if (box.skip_when_fitting && fits) return std::nullopt;
  if (box.keep_when_fitting && fits && width > 0 && height > 0) return PictureSize{width, height};
  FitInBox(width, height, box.width, box.height);
  // An empty picture would be refused by the JPEG writer anyway; refusing it here leaves no
  // empty file behind.
  if (width <= 0 || height <= 0) return std::nullopt;
  return PictureSize{width, height};
}

// The upright size of header's image.
PictureSize UprightSize(const TImageHeader& header) {
  const bool turned = header.orientation >= 5 && header.orientation <= 8;
  return turned ? PictureSize{header.height, header.width}
                : PictureSize{header.width, header.height};
}

std::uint64_t TrueColourBytes(std::int32_t width, std::int32_t height) {
  return DecodeBytes({width, height, 24});
}

// The whole-image coefficients the progressive encoder keeps of a true-colour picture: blocks of
// 64 two-byte values, luminance in 16 x 16 units of four blocks and each chroma in one block per
// unit.
std::uint64_t EncoderBytes(const PictureSize& size) {
  const std::uint64_t units = (static_cast<std::uint64_t>(size.width) + 15) / 16 *
                              ((static_cast<std::uint64_t>(size.height) + 15) / 16);
  return units * 6 * 64 * 2;
}

struct Picture {
  std::string jpeg;
  PictureSize size;
};

// The JPEG of a finished picture; raises whatever the encoder raises.
Picture EncodeOne(TJpegGraphic& output, bool baseline) {
  TImageFormatTransform true_colour;
  true_colour.Format = ifColor16M;
  true_colour.Apply(output);
  output.SetQuality(85);
  output.SetProgressive(!baseline);
  output.SetOptimizeHuffman(baseline);

  std::ostringstream stream;
  output.SaveToStream(stream);
  return {std::move(stream).str(), {output.Width(), output.Height()}};
}

// The resampler of a picture file's boxes: made from the file's rows as they are decoded when
// its reader can hand them over in order, else from the whole decoded image.
class BoxResampler : public TRowSink {
 public:
  BoxResampler(const std::vector<OutputBox>& boxes, bool* out_of_memory)
      : boxes_(boxes),
        planned_(boxes.size()),
        derived_(boxes.size()),
        on_pairs_(boxes.size()),
        out_of_memory_(out_of_memory) {}

  bool Start(const TRowShape& shape) override {
    if (!TSharedResample::TakesRowsOf(shape.orientation)) return false;
    resample_ = std::make_unique<TSharedResample>(shape, rfLanczos3);
    const bool plain = shape.format == ifColor16M || shape.format == ifGray256;
    if (plain && shape.height >= 2 &&
        std::any_of(boxes_.begin(), boxes_.end(),
                    [](const OutputBox& b) { return b.paired_rows; })) {
      TRowShape halved = shape;
      halved.height = (shape.height + 1) / 2;
      pairs_ = std::make_unique<TSharedResample>(halved, rfLanczos3);
      row_bytes_ = static_cast<std::size_t>(shape.width) * (shape.format == ifColor16M ? 3 : 1);
      first_of_pair_.resize(row_bytes_);
    }
    rows_left_ = shape.height;
    Plan();
    return true;
  }
  std::uint8_t* NextRow() override { return row_ = resample_->NextRow(); }
  void RowDone() override {
    if (pairs_) {
      // The row is used here before the resampler may reuse its place.
      if (!pair_started_) {
        std::copy(row_, row_ + row_bytes_, first_of_pair_.begin());
      } else {
        AverageRows(first_of_pair_.data(), row_, row_bytes_, pairs_->NextRow());
        pairs_->RowDone();
      }
      pair_started_ = !pair_started_;
      if (rows_left_ == 1 && pair_started_) {  // the last row has no partner
        std::copy(row_, row_ + row_bytes_, pairs_->NextRow());
        pairs_->RowDone();
      }
    }
    --rows_left_;
    resample_->RowDone();
  }

  // After the read: every box's finished picture (nullptr for a box that gives none), or none
  // at all when the image gives none.
  std::vector<std::unique_ptr<TJpegGraphic>> Finish(std::unique_ptr<TDibGraphic> source) {
    std::vector<std::unique_ptr<TJpegGraphic>> pictures(boxes_.size());
    if (!resample_) {
      if (source->Empty()) return pictures;
      // A photo stored sideways is read upright by the resampler rather than turned first: a
      // turned copy would double the memory a thumbnail needs.
      resample_ = std::make_unique<TSharedResample>(*source, source->Orientation(), rfLanczos3);
      Plan();
      resample_->RunRows();
    }
    source.reset();
    for (std::size_t k = 0; k < boxes_.size(); ++k) {
      if (!planned_[k]) continue;
      Guarded([&] {
        auto out = std::make_unique<TJpegGraphic>();
        (on_pairs_[k] ? *pairs_ : *resample_).Finish(*planned_[k], *out);
        pictures[k] = std::move(out);
      });
    }
    resample_.reset();
    pairs_.reset();
    for (std::size_t k = 0; k < boxes_.size(); ++k) {
      const auto from = static_cast<std::size_t>(boxes_[k].from);
      if (!derived_[k] || !pictures[from]) continue;
      Guarded([&] {
        TSharedResample resample(*pictures[from], 1, rfLanczos3);
        const std::size_t size = resample.AddSize(derived_[k]->width, derived_[k]->height);
        resample.RunRows();
        auto out = std::make_unique<TJpegGraphic>();
        resample.Finish(size, *out);
        pictures[k] = std::move(out);
      });
    }
    return pictures;
  }

 private:
  // Plans every box's size on the resampler; a box made from another's picture is planned
  // after the others, from that picture when it is planned and large enough.
  void Plan() {
    const int w = resample_->SourceWidth(), h = resample_->SourceHeight();
    std::vector<std::optional<PictureSize>> sizes(boxes_.size());
    for (std::size_t k = 0; k < boxes_.size(); ++k)
      Guarded([&] { sizes[k] = PlannedSize(w, h, boxes_[k]); });
    // Resampling a palette picture again would pick its colours twice.
    const bool plain = resample_->Format() == ifColor16M || resample_->Format() == ifGray256;
    const auto source_of = [&](std::size_t k) -> std::optional<std::size_t> {
      const int from = boxes_[k].from;
      if (!plain || from < 0 || static_cast<std::size_t>(from) >= boxes_.size() ||
          boxes_[from].from >= 0) {
        return std::nullopt;
      }
      return static_cast<std::size_t>(from);
    };
    for (bool made_from_another : {false, true}) {
      for (std::size_t k = 0; k < boxes_.size(); ++k) {
        const std::optional<std::size_t> from = source_of(k);
        if (!sizes[k] || from.has_value() != made_from_another) continue;
        if (from && planned_[*from] && sizes[*from]->width >= 2 * sizes[k]->width &&
            sizes[*from]->height >= 2 * sizes[k]->height) {
          derived_[k] = sizes[k];
          continue;
        }
        on_pairs_[k] = pairs_ && boxes_[k].paired_rows && 2 * sizes[k]->height <= h;
        TSharedResample& resample = on_pairs_[k] ? *pairs_ : *resample_;
        Guarded([&] { planned_[k] = resample.AddSize(sizes[k]->width, sizes[k]->height); });
      }
    }
    // Rows are averaged only for a box that uses them.
    if (pairs_ && std::find(on_pairs_.begin(), on_pairs_.end(), true) == on_pairs_.end()) {
      pairs_.reset();
    }
  }

  // Runs work, a failure kept to the box it works for (memory running out noted).
  template <typename Work>
  void Guarded(const Work& work) {
    try {
      work();
    } catch (const std::bad_alloc&) {
      *out_of_memory_ = true;
    } catch (...) {
      // This box gives no picture; the others may still.
    }
  }

  const std::vector<OutputBox>& boxes_;
  std::vector<std::optional<std::size_t>> planned_;
  std::vector<std::optional<PictureSize>> derived_;
  std::vector<bool> on_pairs_;  // planned on pairs_
  bool* out_of_memory_;
  std::unique_ptr<TSharedResample> resample_;
  // The image's rows averaged in pairs, for the boxes that ask for it.
  std::unique_ptr<TSharedResample> pairs_;
  std::size_t row_bytes_ = 0;
  std::vector<std::uint8_t> first_of_pair_;
  bool pair_started_ = false;
  int rows_left_ = 0;
  std::uint8_t* row_ = nullptr;
};

// Every box's picture, each failure of one box kept to that box (memory running out noted in
// *out_of_memory); raises what the reader raises.
std::vector<std::optional<Picture>> Encode(const std::string& source_path,
                                           const std::vector<OutputBox>& boxes,
                                           MemoryBudget* budget, bool* out_of_memory) {
  std::vector<std::optional<Picture>> pictures(boxes.size());
  // Held from the headers until every picture is made, released on every way out.
  MemoryBudget::Reservation reserved;
  const auto reserve = [&](const TImageHeader& header) {
    if (budget != nullptr) reserved = budget->Reserve(OutputsMemory(header, boxes));
  };
  // The boxes share one reading of the photo, a band of rows at a time; each keeps only its
  // picture and the work rows its next picture rows need.
  BoxResampler resampler(boxes, out_of_memory);
  std::vector<std::unique_ptr<TJpegGraphic>> finished =
      resampler.Finish(LoadPicture(source_path, reserve, &resampler));
  for (std::size_t k = 0; k < boxes.size(); ++k) {
    if (!finished[k]) continue;
    try {
      pictures[k] = EncodeOne(*finished[k], boxes[k].baseline);
    } catch (const std::bad_alloc&) {
      *out_of_memory = true;
    } catch (...) {
      // This box gives no picture; the others may still.
    }
    finished[k].reset();
  }
  return pictures;
}

// Encode's pictures, none for an image that gives none; memory running out, for a picture or for
// the decode (and so for every picture), is noted in *out_of_memory when given.
std::vector<std::optional<Picture>> EncodePictures(const std::string& source_path,
                                                   const std::vector<OutputBox>& boxes,
                                                   MemoryBudget* budget, bool* out_of_memory) {
  bool short_of_memory = false;
  std::vector<std::optional<Picture>> pictures(boxes.size());
  try {
    pictures = Encode(source_path, boxes, budget, &short_of_memory);
  } catch (const FileReadError&) {
    throw;  // the disk failed, not the picture
  } catch (const std::bad_alloc&) {
    short_of_memory = true;
  } catch (...) {
  }
  if (out_of_memory != nullptr) *out_of_memory = short_of_memory;
  return pictures;
}

// Thrown by ReadPictureHeader's handler once the headers are known: no pixel is read.
struct HeaderRead {
  TImageHeader header;
};

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

std::uint64_t OutputsMemory(const TImageHeader& header, const std::vector<OutputBox>& boxes) {
  const PictureSize upright = UprightSize(header);
  const bool streamed = header.rowsInOrder && TSharedResample::TakesRowsOf(header.orientation);
  // A streamed image holds its band of rows (with its transposed copy and a stored row), the
  // decoder its other buffers; otherwise the whole image is held.
  std::uint64_t held = streamed
                           ? header.otherBytes + TrueColourBytes(header.width, 2 * kBandRows + 1)
                           : DecodeBytes(header) + TrueColourBytes(upright.width, kBandRows);
  // Rows averaged in pairs have a band and a row of their own.
  if (streamed &&
      std::any_of(boxes.begin(), boxes.end(), [](const OutputBox& b) { return b.paired_rows; })) {
    held += TrueColourBytes(header.width, 2 * kBandRows + 2);
  }
  std::uint64_t largest = 0;
  for (const OutputBox& box : boxes) {
    std::optional<PictureSize> size;
    try {
      size = PlannedSize(upright.width, upright.height, box);
    } catch (const EMathError&) {
    }
    if (!size) continue;
    // Each picture, in the image's own format, and the work rows it keeps, from the start.
    held += TSharedResample::WorkBytes(size->width, size->height, upright.height, rfLanczos3) +
            DecodeBytes({size->width, size->height, header.bitsPerPixel});
    // When it is encoded: its true-colour copy, and what the encoder keeps.
    const std::uint64_t copy =
        header.bitsPerPixel == 24 ? 0 : TrueColourBytes(size->width, size->height);
    largest = std::max(largest, copy + EncoderBytes(*size));
  }
  return held + largest;
}

std::optional<PictureSize> PlannedPictureSize(const TImageHeader& header, const OutputBox& box) {
  const PictureSize upright = UprightSize(header);
  try {
    return PlannedSize(upright.width, upright.height, box);
  } catch (const EMathError&) {
    return std::nullopt;
  }
}

std::optional<TImageHeader> ReadPictureHeader(const std::string& source_path) {
  try {
    LoadPicture(source_path, [](const TImageHeader& header) { throw HeaderRead{header}; });
  } catch (const HeaderRead& read) {
    return read.header;
  } catch (const FileReadError&) {
    throw;
  } catch (...) {
  }
  return std::nullopt;
}

std::vector<std::optional<std::string>> EncodeImageOutputs(const std::string& source_path,
                                                           const std::vector<OutputBox>& boxes,
                                                           MemoryBudget* budget,
                                                           bool* out_of_memory) {
  std::vector<std::optional<std::string>> outputs;
  for (std::optional<Picture>& picture :
       EncodePictures(source_path, boxes, budget, out_of_memory))
    outputs.push_back(picture ? std::optional<std::string>(std::move(picture->jpeg))
                              : std::nullopt);
  return outputs;
}

std::optional<std::string> EncodeThumbnail(const std::string& source_path, std::int32_t box_width,
                                           std::int32_t box_height) {
  return EncodeImageOutputs(source_path, {{box_width, box_height}}).front();
}

bool CreateThumbnail(const std::string& source_path, const std::string& target_path,
                     std::int32_t box_width, std::int32_t box_height, PictureSize* written) {
  std::optional<Picture> picture =
      std::move(EncodePictures(source_path, {{box_width, box_height}}, nullptr, nullptr).front());
  if (!picture) return false;
  // A thumbnail that cannot be written is a failed output of the run, not a picture without
  // a thumbnail: the alternative image would not fit on a full disk either.
  WriteWholeFile(target_path, picture->jpeg);
  if (written != nullptr) *written = picture->size;
  return true;
}

}  // namespace fotoloom
