#include "scene_images.h"

#include <cstdio>  // jpeglib.h needs FILE and size_t first

#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

namespace bench {
namespace {

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

File OpenForWriting(const std::string& path) {
  File f(std::fopen(path.c_str(), "wb"));
  if (!f) throw std::runtime_error("cannot create " + path);
  return f;
}

// Fills one RGB row of the scene.
class Scene {
 public:
  Scene(int width, int height, unsigned seed)
      : width_(width), height_(height), state_(seed * 2654435761u + 12345u),
        phase_(static_cast<float>(seed % 17) * 0.37f) {}

  void Row(int y, std::uint8_t* rgb) {
    const float fy = static_cast<float>(y) / static_cast<float>(height_);
    for (int x = 0; x < width_; ++x) {
      const float fx = static_cast<float>(x) / static_cast<float>(width_);
      const float horizon = 0.55f + 0.08f * std::sin(fx * 7.0f + phase_) + 0.04f * std::sin(fx * 23.0f);
      float r, g, b;
      if (fy < horizon) {
        r = 90 + 80 * fy;
        g = 140 + 70 * fy;
        b = 230 - 40 * fy;
        const float dx = fx - 0.7f, dy = fy - 0.2f;
        const float sun = std::exp(-(dx * dx + dy * dy) * 120.0f);
        r += 160 * sun;
        g += 120 * sun;
        b += 40 * sun;
      } else {
        const float t = (fy - horizon) / (1.0f - horizon);
        const float texture = std::sin(fx * 300.0f + fy * 40.0f) * std::sin(fy * 260.0f);
        r = 60 + 50 * t + 25 * texture;
        g = 110 + 40 * t + 30 * texture;
        b = 40 + 20 * t + 10 * texture;
      }
      rgb[3 * x] = Channel(r);
      rgb[3 * x + 1] = Channel(g);
      rgb[3 * x + 2] = Channel(b);
    }
  }

 private:
  std::uint8_t Channel(float v) {
    state_ = state_ * 1664525u + 1013904223u;
    const float noise = static_cast<float>(static_cast<int>(state_ >> 27) - 16) * 0.75f;
    return static_cast<std::uint8_t>(std::clamp(v + noise, 0.0f, 255.0f));
  }

  int width_, height_;
  std::uint32_t state_;
  float phase_;
};

struct JpegErrorJump {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
};

}  // namespace

void WriteSceneJpeg(const std::string& path, int width, int height, int quality, unsigned seed,
                    int orientation) {
  File f = OpenForWriting(path);
  Scene scene(width, height, seed);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
  jpeg_compress_struct cinfo;
  JpegErrorJump err;
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<JpegErrorJump*>(c->err)->jump, 1); };
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    throw std::runtime_error("cannot encode " + path);
  }
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, f.get());
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  if (orientation != 1) {
    // A little-endian TIFF header and one IFD holding only the orientation tag (0x0112).
    const JOCTET exif[] = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 0x2a, 0, 8, 0, 0, 0,
                           1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0,
                           static_cast<JOCTET>(orientation), 0, 0, 0, 0, 0, 0, 0};
    jpeg_write_marker(&cinfo, JPEG_APP0 + 1, exif, sizeof exif);
  }
  for (int y = 0; y < height; ++y) {
    scene.Row(y, row.data());
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  if (std::fflush(f.get()) != 0) throw std::runtime_error("cannot write " + path);
}

void WriteScenePng(const std::string& path, int width, int height, unsigned seed) {
  File f = OpenForWriting(path);
  Scene scene(width, height, seed);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    throw std::runtime_error("png_create_write_struct failed");
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("cannot encode " + path);
  }
  png_init_io(png, f.get());
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 3);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    scene.Row(y, row.data());
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fflush(f.get()) != 0) throw std::runtime_error("cannot write " + path);
}

}  // namespace bench
