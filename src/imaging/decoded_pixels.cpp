#include "imaging/decoded_pixels.h"

#include "imaging/byte_stream.h"

namespace fotoloom {

std::vector<std::uint8_t> ReadImageFileBytes(const std::string& fileName) {
  TInputFile file(fileName);
  if (file.Size() > kMaxImageBytes) throw EPixwellError("CreateDibSection failed");
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file.Size()));
  bytes.resize(file.ReadAt(0, bytes.data(), bytes.size()));
  return bytes;
}

namespace {

inline std::uint8_t Over(int sample, int alpha, int background, bool premultiplied) {
  const int behind = background * (255 - alpha);
  const int value =
      premultiplied ? sample + (behind + 127) / 255 : (sample * alpha + behind + 127) / 255;
  return static_cast<std::uint8_t>(value > 255 ? 255 : value);
}

}  // namespace

void StoreRow(TDibGraphic& image, int y, const std::uint8_t* source, RowLayout layout,
              TColor background) {
  std::uint8_t* out = image.Row(y);
  const int width = image.Width();
  const int step = layout.channels;
  const int r0 = ColorRed(background), g0 = ColorGreen(background), b0 = ColorBlue(background);
  if (image.Format() == ifGray256) {
    const int gray0 = (r0 * 299 + g0 * 587 + b0 * 114 + 500) / 1000;
    for (int x = 0; x < width; ++x, source += step) {
      out[x] = step == 4 ? Over(source[0], source[3], gray0, layout.premultiplied) : source[0];
    }
    return;
  }
  if (step == 3) {
    for (int x = 0; x < width; ++x, source += 3, out += 3) {
      out[0] = source[2];
      out[1] = source[1];
      out[2] = source[0];
    }
    return;
  }
  for (int x = 0; x < width; ++x, source += 4, out += 3) {
    const int a = source[3];
    out[0] = Over(source[2], a, b0, layout.premultiplied);
    out[1] = Over(source[1], a, g0, layout.premultiplied);
    out[2] = Over(source[0], a, r0, layout.premultiplied);
  }
}

void TLibraryGraphic::LoadFromFile(const std::string& fileName, const THeaderHandler& onHeader) {
  const std::vector<std::uint8_t> bytes = ReadImageFileBytes(fileName);
  LoadFromMemory(bytes.data(), bytes.size(), onHeader);
}

}  // namespace fotoloom
