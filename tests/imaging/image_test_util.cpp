#include "image_test_util.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fotoloom::testing {

namespace fs = std::filesystem;

std::string TestData(const std::string& relative) {
  return std::string(FOTOLOOM_TESTDATA_DIR) + "/" + relative;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> ReadList(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (!line.empty() && line[0] != '#') lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> FilesUnder(const std::string& dir,
                                    const std::vector<std::string>& suffixes) {
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (!entry.is_regular_file()) continue;
    const std::string rel = fs::relative(entry.path(), dir).string();
    for (const auto& s : suffixes) {
      if (rel.size() >= s.size() && rel.compare(rel.size() - s.size(), s.size(), s) == 0) {
        files.push_back(rel);
        break;
      }
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::string MakeTempDir() {
  std::string pattern = (fs::temp_directory_path() / "fotoloom-img-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

RefImage DecodeWithSimplifiedApi(const std::vector<std::uint8_t>& png, int channels) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) {
    throw std::runtime_error(std::string("simplified read failed: ") + image.message);
  }
  image.format = channels == 4 ? PNG_FORMAT_RGBA : channels == 3 ? PNG_FORMAT_RGB : PNG_FORMAT_GRAY;
  RefImage ref;
  ref.width = static_cast<int>(image.width);
  ref.height = static_cast<int>(image.height);
  ref.channels = channels;
  ref.pixels.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, ref.pixels.data(), 0, nullptr)) {
    std::string message = image.message;
    png_image_free(&image);
    throw std::runtime_error("simplified read failed: " + message);
  }
  return ref;
}

namespace {

struct Chunk {
  std::string type;
  std::vector<std::uint8_t> data;
};

std::uint32_t Be32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         p[3];
}

void PutBe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v >> 24));
  out.push_back(static_cast<std::uint8_t>(v >> 16));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
  out.push_back(static_cast<std::uint8_t>(v));
}

std::vector<Chunk> Split(const std::vector<std::uint8_t>& png) {
  std::vector<Chunk> chunks;
  std::size_t pos = 8;
  while (pos + 12 <= png.size()) {
    const std::uint32_t length = Be32(&png[pos]);
    if (pos + 12 + length > png.size()) throw std::runtime_error("bad chunk");
    Chunk c;
    c.type.assign(reinterpret_cast<const char*>(&png[pos + 4]), 4);
    c.data.assign(png.begin() + static_cast<std::ptrdiff_t>(pos + 8),
                  png.begin() + static_cast<std::ptrdiff_t>(pos + 8 + length));
    chunks.push_back(std::move(c));
    pos += 12 + length;
  }
  return chunks;
}

std::vector<std::uint8_t> Join(const std::vector<Chunk>& chunks) {
  static const std::uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
  std::vector<std::uint8_t> out(kSignature, kSignature + 8);
  for (const Chunk& c : chunks) {
    PutBe32(out, static_cast<std::uint32_t>(c.data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), c.type.begin(), c.type.end());
    out.insert(out.end(), c.data.begin(), c.data.end());
    const uLong crc = crc32(0, &out[start], static_cast<uInt>(out.size() - start));
    PutBe32(out, static_cast<std::uint32_t>(crc));
  }
  return out;
}

std::vector<Chunk> WithoutColourSpace(const std::vector<std::uint8_t>& png) {
  std::vector<Chunk> chunks = Split(png);
  std::erase_if(chunks, [](const Chunk& c) {
    return c.type == "gAMA" || c.type == "cHRM" || c.type == "iCCP" || c.type == "sRGB";
  });
  return chunks;
}

}  // namespace

std::vector<std::uint8_t> WithSrgbOnly(const std::vector<std::uint8_t>& png) {
  std::vector<Chunk> chunks = WithoutColourSpace(png);
  chunks.insert(chunks.begin() + 1, Chunk{"sRGB", {0}});
  return Join(chunks);
}

std::vector<std::uint8_t> WithGamma(const std::vector<std::uint8_t>& png,
                                    std::uint32_t gamma100000) {
  std::vector<Chunk> chunks = WithoutColourSpace(png);
  if (gamma100000 > 0) {
    std::vector<std::uint8_t> value;
    PutBe32(value, gamma100000);
    chunks.insert(chunks.begin() + 1, Chunk{"gAMA", value});
  }
  return Join(chunks);
}

int MaxDifference(const TDibGraphic& image, const RefImage& ref) {
  int worst = 0;
  for (int y = 0; y < ref.height; ++y) {
    for (int x = 0; x < ref.width; ++x) {
      int rgb[3];
      PixelRgb(image, x, y, rgb);
      const std::uint8_t* p = ref.At(x, y);
      for (int c = 0; c < 3; ++c) {
        const int expected = ref.channels >= 3 ? p[c] : p[0];
        worst = std::max(worst, std::abs(rgb[c] - expected));
      }
    }
  }
  return worst;
}

PngWarningRecorder::PngWarningRecorder()
    : previous_(SetReaderWarningHandler([this](const std::string& m) { warnings_.push_back(m); })) {}

PngWarningRecorder::~PngWarningRecorder() { SetReaderWarningHandler(std::move(previous_)); }

}  // namespace fotoloom::testing
