// Small image files for tests and benchmarks: a colour gradient written as JPEG (libjpeg),
// PNG (libpng) or 24-bit BMP (by hand). Header-only; a binary that includes it links libjpeg
// and libpng. Failures throw std::runtime_error: a fixture that cannot be made is a broken test.
#pragma once

#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

namespace fotoloom::testing {

// Row-major, top-down RGB bytes of a gradient that differs along both axes.
inline std::vector<std::uint8_t> GradientRgb(int width, int height) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
  std::size_t k = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      rgb[k++] = static_cast<std::uint8_t>(x * 255 / (width > 1 ? width - 1 : 1));
      rgb[k++] = static_cast<std::uint8_t>(y * 255 / (height > 1 ? height - 1 : 1));
      rgb[k++] = static_cast<std::uint8_t>((x + y) & 0xFF);
    }
  return rgb;
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

namespace detail {
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
inline std::FILE* OpenForWrite(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) throw std::runtime_error("cannot create " + path);
  return f;
}
struct JpegErrorJump {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};
}  // namespace detail

inline void WriteJpeg(const std::string& path, int width, int height, int quality = 90) {
  const std::vector<std::uint8_t> rgb = GradientRgb(width, height);
  std::FILE* file = detail::OpenForWrite(path);
  jpeg_compress_struct cinfo{};
  detail::JpegErrorJump err{};
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = [](j_common_ptr c) {
    std::longjmp(reinterpret_cast<detail::JpegErrorJump*>(c->err)->jump, 1);
  };
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    std::fclose(file);
    throw std::runtime_error("cannot encode " + path);
  }
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, file);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&rgb[static_cast<std::size_t>(cinfo.next_scanline) *
                                             width * 3]);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  if (std::fclose(file) != 0) throw std::runtime_error("cannot write " + path);
}

inline void WritePng(const std::string& path, int width, int height) {
  const std::vector<std::uint8_t> rgb = GradientRgb(width, height);
  std::FILE* file = detail::OpenForWrite(path);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    throw std::runtime_error("cannot encode " + path);
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y)
    png_write_row(png, &rgb[static_cast<std::size_t>(y) * width * 3]);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fclose(file) != 0) throw std::runtime_error("cannot write " + path);
}

inline void WriteBmp(const std::string& path, int width, int height) {
  const std::vector<std::uint8_t> rgb = GradientRgb(width, height);
  const std::uint32_t stride = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
  const std::uint32_t pixels = stride * static_cast<std::uint32_t>(height);
  std::string out;
  auto u16 = [&](std::uint32_t v) { out += char(v & 0xFF); out += char((v >> 8) & 0xFF); };
  auto u32 = [&](std::uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
  out += "BM";
  u32(54 + pixels); u32(0); u32(54);
  u32(40); u32(static_cast<std::uint32_t>(width)); u32(static_cast<std::uint32_t>(height));
  u16(1); u16(24); u32(0); u32(pixels); u32(2835); u32(2835); u32(0); u32(0);
  for (int y = height - 1; y >= 0; --y) {
    std::string row;
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
      row += char(p[2]); row += char(p[1]); row += char(p[0]);
    }
    row.resize(stride, '\0');
    out += row;
  }
  WriteBytes(path, out);
}

// Width and height from a JPEG file's header; {0, 0} when it is no readable JPEG.
inline std::pair<int, int> ReadJpegSize(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return {0, 0};
  jpeg_decompress_struct cinfo{};
  detail::JpegErrorJump err{};
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = [](j_common_ptr c) {
    std::longjmp(reinterpret_cast<detail::JpegErrorJump*>(c->err)->jump, 1);
  };
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    std::fclose(file);
    return {0, 0};
  }
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, file);
  jpeg_read_header(&cinfo, TRUE);
  const std::pair<int, int> size{static_cast<int>(cinfo.image_width),
                                 static_cast<int>(cinfo.image_height)};
  jpeg_destroy_decompress(&cinfo);
  std::fclose(file);
  return size;
}

}  // namespace fotoloom::testing
