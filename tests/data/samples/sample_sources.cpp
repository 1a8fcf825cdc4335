// Writes the source pictures the sample files of the newer formats are encoded from: one
// smooth picture as 8-bit RGB, gray, RGBA and 16-bit RGB PNG files, raw samples of the same
// for the TIFF tools, a second frame for an animation, a JPEG with EXIF (orientation 6, the
// camera, the date taken, a GPS position), and lossless HEIC and AVIF files whose own
// transforms (irot, imir) turn them as orientation 6 does.
#include <libheif/heif.h>
#include <png.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

// libjpeg's header takes size_t and FILE from the headers before it.
extern "C" {
#include <jpeglib.h>
}

namespace {

constexpr int kWidth = 96;
constexpr int kHeight = 64;

// Sample c (0 red, 1 green, 2 blue, 3 alpha) of pixel (x, y), 0..65535; frame 1 differs.
int Sample(int x, int y, int c, int frame) {
  switch (c) {
    case 0:
      return (frame ? kWidth - 1 - x : x) * 65535 / (kWidth - 1);
    case 1:
      return y * 65535 / (kHeight - 1);
    case 2:
      return (x + y) * 65535 / (kWidth + kHeight - 2);
    default:
      return 65535 - x * 50000 / (kWidth - 1);
  }
}

int Gray(int x, int y) { return (Sample(x, y, 0, 0) + 2 * Sample(x, y, 1, 0)) / 3; }

bool WritePng(const std::string& path, int colorType, int depth, int frame) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, kWidth, kHeight, depth, colorType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const int channels = colorType == PNG_COLOR_TYPE_GRAY  ? 1
                       : colorType == PNG_COLOR_TYPE_RGB ? 3
                                                         : 4;
  std::vector<png_byte> row(kWidth * channels * (depth / 8));
  for (int y = 0; y < kHeight; ++y) {
    std::size_t at = 0;
    for (int x = 0; x < kWidth; ++x) {
      for (int c = 0; c < channels; ++c) {
        const int v = channels == 1 ? Gray(x, y) : Sample(x, y, c, frame);
        if (depth == 16) row[at++] = static_cast<png_byte>(v >> 8);
        row[at++] = static_cast<png_byte>(depth == 16 ? v & 255 : v >> 8);
      }
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0;
}

bool WriteRaw(const std::string& path, int channels, bool wide) {
  std::vector<std::uint8_t> bytes;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      for (int c = 0; c < channels; ++c) {
        const int v = channels == 1 ? Gray(x, y) : Sample(x, y, c, 0);
        if (wide) {
          const std::uint16_t word = static_cast<std::uint16_t>(v);  // in the machine's order
          bytes.insert(bytes.end(), reinterpret_cast<const std::uint8_t*>(&word),
                       reinterpret_cast<const std::uint8_t*>(&word) + 2);
        } else {
          bytes.push_back(static_cast<std::uint8_t>(v >> 8));
        }
      }
    }
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

// A little-endian EXIF block ("Exif\0\0" and a TIFF structure): the first directory holds the
// camera, Orientation 6, a DateTime and the EXIF and GPS directories' offsets; the EXIF
// directory the date taken, lens and exposure; the GPS directory a position no page may show.
std::vector<JOCTET> ExifBlock() {
  struct Entry {
    std::uint16_t tag, type;
    std::uint32_t count;
    std::vector<std::uint8_t> data;  // the value's bytes; a placeholder for a directory offset
  };
  const auto text = [](const char* s) {
    std::vector<std::uint8_t> bytes(s, s + std::strlen(s) + 1);
    return Entry{0, 2, static_cast<std::uint32_t>(bytes.size()), bytes};
  };
  const auto tagged = [](std::uint16_t tag, Entry e) {
    e.tag = tag;
    return e;
  };
  const auto le = [](std::uint32_t v, int n) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < n; ++i) bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return bytes;
  };
  const auto rational = [&](std::uint16_t tag, std::uint32_t num, std::uint32_t den) {
    std::vector<std::uint8_t> bytes = le(num, 4), d = le(den, 4);
    bytes.insert(bytes.end(), d.begin(), d.end());
    return Entry{tag, 5, 1, bytes};
  };
  std::vector<Entry> ifd0 = {
      tagged(0x010F, text("Fotoloom")), tagged(0x0110, text("Test <Camera>")),
      Entry{0x0112, 3, 1, le(6, 2)},    tagged(0x0132, text("2020:01:02 03:04:05")),
      Entry{0x8769, 4, 1, {}},          Entry{0x8825, 4, 1, {}}};
  std::vector<Entry> exif = {
      rational(0x829A, 1, 250),        rational(0x829D, 28, 10),
      Entry{0x8827, 3, 1, le(200, 2)}, tagged(0x9003, text("2019:06:07 08:09:10")),
      rational(0x920A, 50, 1),         tagged(0xA434, text("Fifty & Co"))};
  std::vector<Entry> gps = {tagged(0x0001, text("N")), rational(0x0002, 48, 1)};
  // Layout: header, the three directories, then every value longer than four bytes.
  const auto size_of = [](const std::vector<Entry>& d) { return 2 + 12 * d.size() + 4; };
  const std::uint32_t ifd0_at = 8, exif_at = ifd0_at + size_of(ifd0),
                      gps_at = exif_at + size_of(exif);
  std::uint32_t data_at = gps_at + size_of(gps);
  ifd0[4].data = le(exif_at, 4);
  ifd0[5].data = le(gps_at, 4);
  std::vector<std::uint8_t> tiff = {'I', 'I', 42, 0, 8, 0, 0, 0}, values;
  for (const std::vector<Entry>* d : {&ifd0, &exif, &gps}) {
    const std::vector<std::uint8_t> count = le(static_cast<std::uint32_t>(d->size()), 2);
    tiff.insert(tiff.end(), count.begin(), count.end());
    for (const Entry& e : *d) {
      for (const auto& part : {le(e.tag, 2), le(e.type, 2), le(e.count, 4)})
        tiff.insert(tiff.end(), part.begin(), part.end());
      std::vector<std::uint8_t> field = e.data;
      if (field.size() > 4) {
        values.insert(values.end(), field.begin(), field.end());
        field = le(data_at, 4);
        data_at += static_cast<std::uint32_t>(e.data.size());
      }
      field.resize(4, 0);
      tiff.insert(tiff.end(), field.begin(), field.end());
    }
    for (int i = 0; i < 4; ++i) tiff.push_back(0);  // no next directory
  }
  tiff.insert(tiff.end(), values.begin(), values.end());
  std::vector<JOCTET> block = {'E', 'x', 'i', 'f', 0, 0};
  block.insert(block.end(), tiff.begin(), tiff.end());
  return block;
}

bool WriteRotatedJpeg(const std::string& path) {
  const std::vector<JOCTET> exif = ExifBlock();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, file);
  cinfo.image_width = kWidth;
  cinfo.image_height = kHeight;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 98, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  jpeg_write_marker(&cinfo, JPEG_APP0 + 1, exif.data(), static_cast<unsigned>(exif.size()));
  std::vector<JSAMPLE> row(kWidth * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = static_cast<int>(cinfo.next_scanline);
    for (int x = 0; x < kWidth; ++x) {
      for (int c = 0; c < 3; ++c) row[x * 3 + c] = static_cast<JSAMPLE>(Sample(x, y, c, 0) >> 8);
    }
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return std::fclose(file) == 0;
}

// The picture as stored, with the file's transforms saying "turn 90 degrees clockwise".
bool WriteRotatedHeif(const std::string& path, heif_compression_format format) {
  heif_context* context = heif_context_alloc();
  heif_encoder* encoder = nullptr;
  heif_image* image = nullptr;
  bool ok =
      heif_context_get_encoder_for_format(context, format, &encoder).code == heif_error_Ok &&
      heif_image_create(kWidth, kHeight, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image)
              .code == heif_error_Ok &&
      heif_image_add_plane(image, heif_channel_interleaved, kWidth, kHeight, 8).code ==
          heif_error_Ok;
  if (ok) {
    int stride = 0;
    std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        for (int c = 0; c < 3; ++c) plane[y * stride + x * 3 + c] = Sample(x, y, c, 0) >> 8;
      }
    }
    heif_encoder_set_lossless(encoder, 1);
    heif_encoder_set_parameter_string(encoder, "chroma", "444");
    heif_encoding_options* options = heif_encoding_options_alloc();
    options->image_orientation = heif_orientation_rotate_90_cw;
    ok = heif_context_encode_image(context, image, encoder, options, nullptr).code ==
             heif_error_Ok &&
         heif_context_write_to_file(context, path.c_str()).code == heif_error_Ok;
    heif_encoding_options_free(options);
  }
  if (image) heif_image_release(image);
  if (encoder) heif_encoder_release(encoder);
  heif_context_free(context);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::string dir = std::string(argv[1]) + "/";
  const bool ok =
      WritePng(dir + "src-rgb.png", PNG_COLOR_TYPE_RGB, 8, 0) &&
      WritePng(dir + "src-frame2.png", PNG_COLOR_TYPE_RGB, 8, 1) &&
      WritePng(dir + "src-gray.png", PNG_COLOR_TYPE_GRAY, 8, 0) &&
      WritePng(dir + "src-alpha.png", PNG_COLOR_TYPE_RGB_ALPHA, 8, 0) &&
      WritePng(dir + "src-rgb16.png", PNG_COLOR_TYPE_RGB, 16, 0) &&
      WriteRaw(dir + "src-rgb.raw", 3, false) && WriteRaw(dir + "src-gray.raw", 1, false) &&
      WriteRaw(dir + "src-rgb16.raw", 3, true) && WriteRotatedJpeg(dir + "src-rot6.jpg") &&
      WriteRotatedHeif(dir + "rotated.heic", heif_compression_HEVC) &&
      WriteRotatedHeif(dir + "rotated.avif", heif_compression_AV1);
  if (!ok) std::fprintf(stderr, "%s: cannot write the sources\n", argv[0]);
  return ok ? 0 : 1;
}
