#include "generation/photo_details.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "generation/album_items.h"
#include "generation/page_text.h"
#include "imaging/thumbnails.h"
#include "platform/error.h"

namespace fotoloom {

namespace {

// value with at most one decimal, none when it is whole: 2.8, 50, 4.
std::string Decimal(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  std::string result = text;
  if (result.size() > 2 && result.compare(result.size() - 2, 2, ".0") == 0)
    result.resize(result.size() - 2);
  return result;
}

std::optional<double> ValueOf(const std::optional<Rational>& r) {
  if (!r || r->denominator == 0 || r->numerator == 0) return std::nullopt;
  return double(r->numerator) / r->denominator;
}

std::string Exposure(double seconds) {
  if (seconds < 1) return "1/" + Decimal(std::round(1 / seconds)) + " s";
  return Decimal(seconds) + " s";
}

std::string TimeOfDay(PackedTime packed) {
  const std::uint32_t bits = static_cast<std::uint32_t>(packed);
  char text[8];
  std::snprintf(text, sizeof text, "%02u:%02u", (bits >> 11) & 0x1F, (bits >> 5) & 0x3F);
  return text;
}

}  // namespace

std::string PhotoDetailsLine(const std::optional<ExifFields>& exif, int width, int height) {
  std::vector<std::string> parts;
  if (exif) {
    if (const std::optional<PackedTime> taken = DateTaken(*exif)) {
      parts.push_back(FormatShortDate(*taken) + " " + TimeOfDay(*taken));
    }
    // Most cameras repeat their make at the start of the model.
    std::string camera = exif->model;
    if (!exif->make.empty() && camera.rfind(exif->make, 0) != 0) {
      camera = camera.empty() ? exif->make : exif->make + " " + camera;
    }
    if (!camera.empty()) parts.push_back(camera);
    if (!exif->lens.empty()) parts.push_back(exif->lens);
    if (const auto t = ValueOf(exif->exposure_time)) parts.push_back(Exposure(*t));
    if (const auto f = ValueOf(exif->f_number)) parts.push_back("f/" + Decimal(*f));
    if (exif->iso && *exif->iso > 0) parts.push_back("ISO " + std::to_string(*exif->iso));
    if (const auto mm = ValueOf(exif->focal_length)) parts.push_back(Decimal(*mm) + " mm");
  }
  if (width > 0 && height > 0) {
    parts.push_back(std::to_string(width) + " \xC3\x97 " + std::to_string(height) + " pixels");
  }
  std::string line;
  for (const std::string& part : parts) line += (line.empty() ? "" : ", ") + part;
  return HtmlEscape(line);
}

std::string ItemPhotoDetails(int i) {
  const std::string path = ItemSourcePath(i);
  std::optional<ExifFields> exif;
  int width = 0, height = 0;
  try {
    exif = ReadPhotoExif(path);
    if (const std::optional<TImageHeader> header = ReadPictureHeader(path)) {
      const bool turned = header->orientation >= 5 && header->orientation <= 8;
      width = turned ? header->height : header->width;
      height = turned ? header->width : header->height;
    }
  } catch (const Error&) {
  }
  return PhotoDetailsLine(exif, width, height);
}

}  // namespace fotoloom
