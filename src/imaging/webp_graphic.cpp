#include "imaging/webp_graphic.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <memory>
#include <new>

#include "imaging/decoded_pixels.h"

namespace fotoloom {

namespace {

[[noreturn]] void Corrupt() { throw EWebPError("WebP file is not valid or corrupted"); }

struct AnimationFree {
  void operator()(WebPAnimDecoder* p) const { WebPAnimDecoderDelete(p); }
};
struct BufferFree {
  void operator()(std::uint8_t* p) const { WebPFree(p); }
};

}  // namespace

void TWebPGraphic::LoadFromMemory(const std::uint8_t* data, std::size_t size,
                                  const THeaderHandler& onHeader) {
  Clear();
  WebPBitstreamFeatures features;
  if (WebPGetFeatures(data, size, &features) != VP8_STATUS_OK) Corrupt();
  const int width = features.width, height = features.height;
  const bool animated = features.has_animation != 0;
  const bool alpha = features.has_alpha != 0 || animated;
  // An image without alpha is decoded straight into the image; otherwise through a canvas of
  // four bytes a pixel, which an animation's decoder keeps twice (the frame before). libwebp
  // itself holds a lossless image (or a frame that may be one) whole, four bytes a pixel, and
  // a lossy image's alpha plane, a byte a pixel.
  const std::uint64_t pixels = std::uint64_t(width > 0 ? width : 0) * (height > 0 ? height : 0);
  const std::uint64_t canvas = alpha ? pixels * 4 : 0;
  const std::uint64_t decoder = features.format == 1 ? (alpha ? pixels : 0) : pixels * 4;
  AcceptImageHeader({width, height, 24, size + canvas * (animated ? 2 : 1) + decoder}, onHeader);

  if (animated) {
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) Corrupt();
    options.color_mode = MODE_RGBA;
    options.use_threads = 0;
    const WebPData whole{data, size};
    std::unique_ptr<WebPAnimDecoder, AnimationFree> decoder(WebPAnimDecoderNew(&whole, &options));
    WebPAnimInfo info;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info) ||
        static_cast<int>(info.canvas_width) != width ||
        static_cast<int>(info.canvas_height) != height) {
      Corrupt();
    }
    std::uint8_t* frame = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder.get(), &frame, &timestamp) || frame == nullptr) Corrupt();
    NewImage(width, height, ifColor16M, nullptr, 0, 0);
    for (int y = 0; y < height; ++y) {
      StoreRow(*this, y, frame + static_cast<std::size_t>(y) * width * 4, {4, false},
               BackgroundColor);
    }
    return;
  }
  if (alpha) {
    int w = 0, h = 0;
    std::unique_ptr<std::uint8_t, BufferFree> pixels(WebPDecodeRGBA(data, size, &w, &h));
    if (!pixels || w != width || h != height) Corrupt();
    NewImage(width, height, ifColor16M, nullptr, 0, 0);
    for (int y = 0; y < height; ++y) {
      StoreRow(*this, y, pixels.get() + static_cast<std::size_t>(y) * width * 4, {4, false},
               BackgroundColor);
    }
    return;
  }
  NewImage(width, height, ifColor16M, nullptr, 0, 0);
  WebPDecoderConfig config;
  if (!WebPInitDecoderConfig(&config)) Corrupt();
  config.output.colorspace = MODE_BGR;
  config.output.is_external_memory = 1;
  // The image's rows run bottom-up: the decoder writes from the top row down, a negative step.
  config.output.u.RGBA.rgba = Row(0);
  config.output.u.RGBA.stride = -RowBytes();
  config.output.u.RGBA.size = ImageSize();
  const VP8StatusCode status = WebPDecode(data, size, &config);
  WebPFreeDecBuffer(&config.output);
  if (status == VP8_STATUS_OUT_OF_MEMORY) throw std::bad_alloc();
  if (status != VP8_STATUS_OK) Corrupt();
}

}  // namespace fotoloom
