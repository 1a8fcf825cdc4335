#include "image_writers.h"

#include <csetjmp>
#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>

#include <jpeglib.h>
#include <png.h>

namespace fotoloom::tools {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File Create(const std::string& path) {
  File f(std::fopen(path.c_str(), "wb"));
  if (!f) throw std::runtime_error("Cannot create file " + path);
  return f;
}

void Finish(File f, const std::string& path) {
  std::FILE* raw = f.release();
  bool ok = std::ferror(raw) == 0;
  ok = (std::fclose(raw) == 0) && ok;
  if (!ok) throw std::runtime_error("Unable to write to " + path);
}

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
  out.push_back(v & 0xFF);
  out.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// Error manager that leaves libjpeg by longjmp, so that no C++ exception crosses its frames.
struct JpegError {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<JpegError*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// Returns an empty string on success, the library's message otherwise.
std::string EncodeJpeg(std::FILE* out, const RgbImage& image, int quality, bool progressive) {
  jpeg_compress_struct cinfo{};
  JpegError err{};
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = JpegErrorExit;
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    return err.message;
  }
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, out);
  cinfo.image_width = static_cast<JDIMENSION>(image.width);
  cinfo.image_height = static_cast<JDIMENSION>(image.height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  cinfo.density_unit = 1;
  cinfo.X_density = 72;
  cinfo.Y_density = 72;
  jpeg_set_quality(&cinfo, quality, TRUE);
  cinfo.optimize_coding = TRUE;
  if (progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(image.Pixel(0, static_cast<int>(cinfo.next_scanline)));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return {};
}

std::string EncodePng(std::FILE* out, const RgbImage& image) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return "out of memory";
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return "libpng failed";
  }
  png_init_io(png, out);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
               static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 9);
  png_write_info(png, info);
  for (int y = 0; y < image.height; ++y) {
    png_write_row(png, const_cast<png_bytep>(image.Pixel(0, y)));
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return {};
}

std::vector<std::uint8_t> BmpHeaders(const RgbImage& image, int bits, int colors,
                                     size_t pixelBytes) {
  const std::uint32_t offset = 14 + 40 + 4 * colors;
  std::vector<std::uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, static_cast<std::uint32_t>(offset + pixelBytes));
  Put32(out, 0);
  Put32(out, offset);
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(image.width));
  Put32(out, static_cast<std::uint32_t>(image.height));
  Put16(out, 1);
  Put16(out, static_cast<unsigned>(bits));
  Put32(out, 0);  // BI_RGB
  Put32(out, static_cast<std::uint32_t>(pixelBytes));
  Put32(out, 2835);  // 72 dpi in pixels per metre
  Put32(out, 2835);
  Put32(out, static_cast<std::uint32_t>(colors));
  Put32(out, 0);
  return out;
}

void WriteAll(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  File f = Create(path);
  std::fwrite(bytes.data(), 1, bytes.size(), f.get());
  Finish(std::move(f), path);
}

}  // namespace

void WriteJpeg(const std::string& path, const RgbImage& image, int quality, bool progressive) {
  File f = Create(path);
  std::string failure = EncodeJpeg(f.get(), image, quality, progressive);
  if (!failure.empty()) throw std::runtime_error(path + ": " + failure);
  Finish(std::move(f), path);
}

void WritePng(const std::string& path, const RgbImage& image) {
  File f = Create(path);
  std::string failure = EncodePng(f.get(), image);
  if (!failure.empty()) throw std::runtime_error(path + ": " + failure);
  Finish(std::move(f), path);
}

void WriteBmp24(const std::string& path, const RgbImage& image) {
  const size_t stride = (static_cast<size_t>(image.width) * 3 + 3) & ~size_t{3};
  std::vector<std::uint8_t> out = BmpHeaders(image, 24, 0, stride * image.height);
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      const std::uint8_t* p = image.Pixel(x, y);
      out.push_back(p[2]);
      out.push_back(p[1]);
      out.push_back(p[0]);
    }
    for (size_t pad = static_cast<size_t>(image.width) * 3; pad < stride; ++pad) out.push_back(0);
  }
  WriteAll(path, out);
}

void WriteBmp8(const std::string& path, const RgbImage& image) {
  std::map<std::uint32_t, int> index;
  std::vector<std::uint32_t> palette;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const std::uint8_t* p = image.Pixel(x, y);
      std::uint32_t key = (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
      if (index.emplace(key, static_cast<int>(palette.size())).second) palette.push_back(key);
    }
  }
  if (palette.size() > 256) {
    throw std::runtime_error(path + ": more than 256 colours for an 8-bit bitmap");
  }
  const size_t stride = (static_cast<size_t>(image.width) + 3) & ~size_t{3};
  const int colors = static_cast<int>(palette.size());
  std::vector<std::uint8_t> out = BmpHeaders(image, 8, colors, stride * image.height);
  for (std::uint32_t c : palette) {
    out.push_back(c & 0xFF);
    out.push_back((c >> 8) & 0xFF);
    out.push_back((c >> 16) & 0xFF);
    out.push_back(0);
  }
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      const std::uint8_t* p = image.Pixel(x, y);
      std::uint32_t key = (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
      out.push_back(static_cast<std::uint8_t>(index[key]));
    }
    for (size_t pad = static_cast<size_t>(image.width); pad < stride; ++pad) out.push_back(0);
  }
  WriteAll(path, out);
}

}  // namespace fotoloom::tools
