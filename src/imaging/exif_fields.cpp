#include "imaging/exif_fields.h"

#include <libheif/heif.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/byte_stream.h"

namespace fotoloom {

namespace {

constexpr std::size_t kMaxEntries = 1024;
constexpr std::size_t kMaxText = 256;

enum Tag : std::uint16_t {
  kMake = 0x010F,
  kModel = 0x0110,
  kDateTime = 0x0132,
  kExifDirectory = 0x8769,
  kExposureTime = 0x829A,
  kFNumber = 0x829D,
  kIso = 0x8827,
  kDateTimeOriginal = 0x9003,
  kDateTimeDigitized = 0x9004,
  kFocalLength = 0x920A,
  kLensModel = 0xA434,
};
enum Type : std::uint16_t { kAscii = 2, kShort = 3, kLong = 4, kRational = 5 };

class Block {
 public:
  Block(const ExifBytes& read, std::uint64_t size) : read_(read), size_(size) {}

  // Reads n bytes at offset, all inside the block; false otherwise.
  bool Get(std::uint64_t offset, void* buffer, std::size_t n) const {
    if (offset > size_ || n > size_ - offset) return false;
    return read_(offset, buffer, n) == n;
  }
  std::uint64_t size() const { return size_; }

 private:
  const ExifBytes& read_;
  std::uint64_t size_;
};

struct Reader {
  const Block& block;
  bool big_endian = false;

  std::uint16_t U16(const std::uint8_t* p) const {
    return big_endian ? static_cast<std::uint16_t>((p[0] << 8) | p[1])
                      : static_cast<std::uint16_t>(p[0] | (p[1] << 8));
  }
  std::uint32_t U32(const std::uint8_t* p) const {
    return big_endian ? (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
                            (std::uint32_t{p[2]} << 8) | p[3]
                      : (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) |
                            (std::uint32_t{p[1]} << 8) | p[0];
  }

  // An entry's text: inline up to four bytes, else at its offset; cut at the first NUL and
  // stripped of trailing spaces.
  std::string Text(const std::uint8_t* entry) const {
    const std::uint32_t count = U32(entry + 4);
    const std::size_t n = std::min<std::size_t>(count, kMaxText);
    std::string text(n, '\0');
    if (count <= 4) {
      std::memcpy(text.data(), entry + 8, n);
    } else if (!block.Get(U32(entry + 8), text.data(), n)) {
      return {};
    }
    text.resize(std::min(text.size(), text.find('\0')));
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.pop_back();
    return text;
  }

  std::optional<Rational> RationalOf(const std::uint8_t* entry) const {
    std::uint8_t bytes[8];
    if (U16(entry + 2) != kRational || !block.Get(U32(entry + 8), bytes, 8)) return std::nullopt;
    return Rational{U32(bytes), U32(bytes + 4)};
  }

  std::optional<std::uint32_t> NumberOf(const std::uint8_t* entry) const {
    const std::uint16_t type = U16(entry + 2);
    if (type == kShort) return U16(entry + 8);
    if (type == kLong) return U32(entry + 8);
    return std::nullopt;
  }

  // Reads the directory at offset into fields; returns the EXIF directory's offset it names
  // (0 for none).
  std::uint32_t Directory(std::uint64_t offset, ExifFields& fields) const {
    std::uint8_t head[2];
    if (!block.Get(offset, head, 2)) return 0;
    const std::size_t count = std::min<std::size_t>(U16(head), kMaxEntries);
    std::vector<std::uint8_t> entries(count * 12);
    if (!block.Get(offset + 2, entries.data(), entries.size())) return 0;
    std::uint32_t exif = 0;
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint8_t* entry = entries.data() + 12 * i;
      const std::uint16_t type = U16(entry + 2);
      switch (U16(entry)) {
        case kMake:
          if (type == kAscii) fields.make = Text(entry);
          break;
        case kModel:
          if (type == kAscii) fields.model = Text(entry);
          break;
        case kLensModel:
          if (type == kAscii) fields.lens = Text(entry);
          break;
        case kDateTime:
          if (type == kAscii) fields.date_time = Text(entry);
          break;
        case kDateTimeOriginal:
          if (type == kAscii) fields.date_original = Text(entry);
          break;
        case kDateTimeDigitized:
          if (type == kAscii) fields.date_digitized = Text(entry);
          break;
        case kExposureTime:
          fields.exposure_time = RationalOf(entry);
          break;
        case kFNumber:
          fields.f_number = RationalOf(entry);
          break;
        case kFocalLength:
          fields.focal_length = RationalOf(entry);
          break;
        case kIso:
          fields.iso = NumberOf(entry);
          break;
        case kExifDirectory:
          exif = NumberOf(entry).value_or(0);
          break;
        default:
          break;
      }
    }
    return exif;
  }
};

// Reads through a TInputFile from a base offset.
ExifBytes FileBytes(TInputFile& file, std::uint64_t base) {
  return [&file, base](std::uint64_t offset, void* buffer, std::size_t size) {
    return file.ReadAt(base + offset, buffer, size);
  };
}

std::optional<ExifFields> FromFileBlock(TInputFile& file, std::uint64_t base, std::uint64_t size) {
  if (base > file.Size()) return std::nullopt;
  return ReadExifFields(FileBytes(file, base), std::min(size, file.Size() - base));
}

// The TIFF block of a JPEG's first APP1 "Exif" segment, before the image's scan.
std::optional<ExifFields> FromJpeg(TInputFile& file) {
  std::uint64_t at = 2;
  for (int segments = 0; segments < 4096; ++segments) {
    std::uint8_t marker[4];
    if (file.ReadAt(at, marker, 4) != 4 || marker[0] != 0xFF) return std::nullopt;
    if (marker[1] == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker[1] == 0xDA || marker[1] == 0xD9) return std::nullopt;
    const std::size_t length = (std::size_t{marker[2]} << 8) | marker[3];
    if (length < 2) return std::nullopt;
    char signature[6];
    if (marker[1] == 0xE1 && length >= 8 && file.ReadAt(at + 4, signature, 6) == 6 &&
        std::memcmp(signature, "Exif\0\0", 6) == 0) {
      return FromFileBlock(file, at + 10, length - 8);
    }
    at += 2 + length;
  }
  return std::nullopt;
}

// A WebP file's EXIF chunk (some writers start it with "Exif\0\0").
std::optional<ExifFields> FromWebP(TInputFile& file) {
  char head[12];
  if (file.ReadAt(0, head, 12) != 12 || std::memcmp(head, "RIFF", 4) != 0 ||
      std::memcmp(head + 8, "WEBP", 4) != 0) {
    return std::nullopt;
  }
  std::uint64_t at = 12;
  for (int chunks = 0; chunks < 4096; ++chunks) {
    std::uint8_t chunk[8];
    if (file.ReadAt(at, chunk, 8) != 8) return std::nullopt;
    const std::uint64_t size = std::uint64_t{chunk[4]} | (std::uint64_t{chunk[5]} << 8) |
                               (std::uint64_t{chunk[6]} << 16) | (std::uint64_t{chunk[7]} << 24);
    if (std::memcmp(chunk, "EXIF", 4) == 0) {
      char signature[6];
      const bool prefixed = size >= 6 && file.ReadAt(at + 8, signature, 6) == 6 &&
                            std::memcmp(signature, "Exif\0\0", 6) == 0;
      return prefixed ? FromFileBlock(file, at + 14, size - 6) : FromFileBlock(file, at + 8, size);
    }
    at += 8 + size + (size & 1);
  }
  return std::nullopt;
}

struct ContextFree {
  void operator()(heif_context* p) const { heif_context_free(p); }
};
struct HandleFree {
  void operator()(heif_image_handle* p) const { heif_image_handle_release(p); }
};

// The primary image's Exif item: four bytes giving the TIFF header's offset, then the block.
std::optional<ExifFields> FromHeif(const std::string& path) {
  std::unique_ptr<heif_context, ContextFree> context(heif_context_alloc());
  if (!context ||
      heif_context_read_from_file(context.get(), path.c_str(), nullptr).code != heif_error_Ok) {
    return std::nullopt;
  }
  heif_image_handle* raw = nullptr;
  if (heif_context_get_primary_image_handle(context.get(), &raw).code != heif_error_Ok) {
    return std::nullopt;
  }
  std::unique_ptr<heif_image_handle, HandleFree> handle(raw);
  heif_item_id id = 0;
  if (heif_image_handle_get_list_of_metadata_block_IDs(handle.get(), "Exif", &id, 1) < 1) {
    return std::nullopt;
  }
  const std::size_t size = heif_image_handle_get_metadata_size(handle.get(), id);
  // No EXIF block needs more; a larger item is not read.
  if (size < 4 || size > (std::size_t{1} << 24)) return std::nullopt;
  std::vector<std::uint8_t> item(size);
  if (heif_image_handle_get_metadata(handle.get(), id, item.data()).code != heif_error_Ok) {
    return std::nullopt;
  }
  const std::uint64_t offset = (std::uint64_t{item[0]} << 24) | (std::uint64_t{item[1]} << 16) |
                               (std::uint64_t{item[2]} << 8) | item[3];
  if (offset > size - 4) return std::nullopt;
  return ReadExifFields(item.data() + 4 + offset, size - 4 - offset);
}

std::string LowerExtension(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string extension = path.substr(dot + 1);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension;
}

// Exactly "DDDD:DD:DD DD:DD:DD", with fields in their ranges.
std::optional<PackedTime> ParseDate(const std::string& text) {
  if (text.size() != 19) return std::nullopt;
  for (std::size_t i = 0; i < 19; ++i) {
    const char expected = i == 4 || i == 7 ? ':' : i == 10 ? ' ' : i == 13 || i == 16 ? ':' : '0';
    if (expected == '0' ? !std::isdigit(static_cast<unsigned char>(text[i])) : text[i] != expected)
      return std::nullopt;
  }
  const auto number = [&](std::size_t at, std::size_t n) { return std::stoi(text.substr(at, n)); };
  return PackLocalTime(number(0, 4), number(5, 2), number(8, 2), number(11, 2), number(14, 2),
                       number(17, 2));
}

}  // namespace

ExifFields ReadExifFields(const ExifBytes& read, std::uint64_t block_size) {
  ExifFields fields;
  const Block block(read, block_size);
  std::uint8_t header[8];
  if (!block.Get(0, header, 8)) return fields;
  Reader reader{block};
  if (header[0] == 'M' && header[1] == 'M') {
    reader.big_endian = true;
  } else if (header[0] != 'I' || header[1] != 'I') {
    return fields;
  }
  if (reader.U16(header + 2) != 42) return fields;
  const std::uint32_t exif = reader.Directory(reader.U32(header + 4), fields);
  if (exif != 0) {
    // The EXIF directory's own pointer entries, if any, are not followed.
    ExifFields inner;
    reader.Directory(exif, inner);
    if (!inner.date_original.empty()) fields.date_original = inner.date_original;
    if (!inner.date_digitized.empty()) fields.date_digitized = inner.date_digitized;
    if (!inner.lens.empty()) fields.lens = inner.lens;
    if (inner.exposure_time) fields.exposure_time = inner.exposure_time;
    if (inner.f_number) fields.f_number = inner.f_number;
    if (inner.focal_length) fields.focal_length = inner.focal_length;
    if (inner.iso) fields.iso = inner.iso;
  }
  return fields;
}

ExifFields ReadExifFields(const std::uint8_t* block, std::size_t size) {
  return ReadExifFields(
      [block, size](std::uint64_t offset, void* buffer, std::size_t n) -> std::size_t {
        if (offset >= size) return 0;
        n = std::min<std::size_t>(n, size - offset);
        std::memcpy(buffer, block + offset, n);
        return n;
      },
      size);
}

std::optional<ExifFields> ReadPhotoExif(const std::string& path) {
  const std::string extension = LowerExtension(path);
  if (extension == "heic" || extension == "heif" || extension == "avif") {
    TInputFile file(path);  // raises as the other formats do when the file cannot be opened
    return FromHeif(path);
  }
  if (extension != "jpg" && extension != "jpeg" && extension != "webp" && extension != "tif" &&
      extension != "tiff") {
    return std::nullopt;
  }
  TInputFile file(path);
  if (extension == "webp") return FromWebP(file);
  if (extension == "tif" || extension == "tiff") return FromFileBlock(file, 0, file.Size());
  std::uint8_t start[2];
  if (file.ReadAt(0, start, 2) != 2 || start[0] != 0xFF || start[1] != 0xD8) return std::nullopt;
  return FromJpeg(file);
}

std::optional<PackedTime> DateTaken(const ExifFields& fields) {
  for (const std::string* text :
       {&fields.date_original, &fields.date_digitized, &fields.date_time}) {
    if (const std::optional<PackedTime> date = ParseDate(*text)) return date;
  }
  return std::nullopt;
}

}  // namespace fotoloom
