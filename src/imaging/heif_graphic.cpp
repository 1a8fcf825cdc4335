#include "imaging/heif_graphic.h"

#include <libheif/heif.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "imaging/decoded_pixels.h"

namespace fotoloom {

namespace {

struct ContextFree {
  void operator()(heif_context* p) const { heif_context_free(p); }
};
struct HandleFree {
  void operator()(heif_image_handle* p) const { heif_image_handle_release(p); }
};
struct ImageFree {
  void operator()(heif_image* p) const { heif_image_release(p); }
};
struct OptionsFree {
  void operator()(heif_decoding_options* p) const { heif_decoding_options_free(p); }
};

void Check(const heif_error& error) {
  if (error.code == heif_error_Ok) return;
  if (error.code == heif_error_Memory_allocation_error) throw std::bad_alloc();
  throw EHEIFError(error.message ? error.message : "HEIF file is not valid");
}

}  // namespace

void THeifGraphic::LoadFromMemory(const std::uint8_t* data, std::size_t size,
                                  const THeaderHandler& onHeader) {
  Clear();
  // libheif refuses every item (tile, alpha plane, the image) of more than limit x limit
  // pixels, but it sizes what it decodes from each item's own header: the primary image's
  // size alone does not bound it. A first reading, within what the image model could hold,
  // finds the primary image's size; the second, which decodes, admits no item of more pixels
  // than the square on the image's longer side, which is what the reservation counts.
  auto open = [&](int limit) {
    std::unique_ptr<heif_context, ContextFree> opened(heif_context_alloc());
    if (!opened) throw std::bad_alloc();
    heif_context_set_maximum_image_size_limit(opened.get(), limit);
    Check(heif_context_read_from_memory_without_copy(opened.get(), data, size, nullptr));
    return opened;
  };
  auto primary = [](heif_context* opened) {
    heif_image_handle* raw = nullptr;
    Check(heif_context_get_primary_image_handle(opened, &raw));
    return std::unique_ptr<heif_image_handle, HandleFree>(raw);
  };
  int width = 0, height = 0;
  {
    const auto first = open(static_cast<int>(std::sqrt(double(kMaxImageBytes) / 3)));
    const auto handle = primary(first.get());
    // The size after the file's rotation and crop, which is what the decode delivers.
    width = heif_image_handle_get_width(handle.get());
    height = heif_image_handle_get_height(handle.get());
  }
  CheckImageBound(width, height, 24);
  const int side = std::max(width, height);
  const auto context = open(side);
  const auto handle = primary(context.get());
  if (heif_image_handle_get_width(handle.get()) != width ||
      heif_image_handle_get_height(handle.get()) != height) {
    throw EHEIFError("HEIF image does not have its declared size");
  }
  const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
  const int depth = heif_image_handle_get_luma_bits_per_pixel(handle.get());
  // Besides the image: the file, the decoder's planes of any item (two bytes a sample above 8
  // bits, with alpha) and the interleaved copy libheif converts them to.
  const std::uint64_t pixels = std::uint64_t(width) * height;
  const std::uint64_t square = std::uint64_t(side) * side;
  const std::uint64_t planes = square * (alpha ? 4 : 3) * (depth > 8 ? 2 : 1);
  AcceptImageHeader({width, height, 24, size + planes + pixels * (alpha ? 4 : 3)}, onHeader);

  std::unique_ptr<heif_decoding_options, OptionsFree> options(heif_decoding_options_alloc());
  if (!options) throw std::bad_alloc();
  options->convert_hdr_to_8bit = 1;
  heif_image* raw_image = nullptr;
  Check(heif_decode_image(handle.get(), &raw_image, heif_colorspace_RGB,
                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                          options.get()));
  std::unique_ptr<heif_image, ImageFree> image(raw_image);
  int stride = 0;
  const std::uint8_t* plane =
      heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
  const int channels = alpha ? 4 : 3;
  if (plane == nullptr || stride < width * channels ||
      heif_image_get_width(image.get(), heif_channel_interleaved) != width ||
      heif_image_get_height(image.get(), heif_channel_interleaved) != height) {
    throw EHEIFError("HEIF image does not have its declared size");
  }
  NewImage(width, height, ifColor16M, nullptr, 0, 0);
  const RowLayout layout{channels, heif_image_is_premultiplied_alpha(image.get()) != 0};
  for (int y = 0; y < height; ++y) {
    StoreRow(*this, y, plane + static_cast<std::size_t>(y) * stride, layout, BackgroundColor);
  }
}

}  // namespace fotoloom
