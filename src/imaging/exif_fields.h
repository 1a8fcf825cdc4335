// What a photo's EXIF records about its taking: the date, the camera and its settings. Read
// from the TIFF structure of the EXIF block (its first directory and the EXIF directory it
// points to, nothing further: the GPS directory is never read), whatever file holds it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/file_time.h"

namespace fotoloom {

struct Rational {
  std::uint32_t numerator = 0;
  std::uint32_t denominator = 0;
  friend bool operator==(const Rational&, const Rational&) = default;
};

struct ExifFields {
  // "YYYY:MM:DD HH:MM:SS" as stored (each without its trailing NUL and spaces); empty: absent.
  std::string date_original;   // DateTimeOriginal
  std::string date_digitized;  // DateTimeDigitized
  std::string date_time;       // DateTime
  std::string make, model, lens;
  std::optional<Rational> exposure_time;  // seconds
  std::optional<Rational> f_number;
  std::optional<Rational> focal_length;  // millimetres
  std::optional<std::uint32_t> iso;
};

// Reads up to size bytes at offset of the TIFF block into buffer; returns how many it read.
using ExifBytes = std::function<std::size_t(std::uint64_t offset, void* buffer, std::size_t size)>;

// The fields of a TIFF block of block_size bytes read through read. Absent fields stay empty;
// a block that is not TIFF gives no field. Reads at most two directories of at most 1024
// entries and a text of at most 256 bytes a field, never outside [0, block_size), whatever the
// block says. Raises only what read raises.
ExifFields ReadExifFields(const ExifBytes& read, std::uint64_t block_size);
// The same for a block in memory.
ExifFields ReadExifFields(const std::uint8_t* block, std::size_t size);

// The EXIF fields of the photo at path, found where its format keeps them: a JPEG's APP1
// "Exif" segment, a HEIF or AVIF file's Exif item, a WebP file's EXIF chunk, a TIFF file's
// own directories. nullopt for any other format or a file without EXIF. Raises FileOpenError
// when the file cannot be opened and FileReadError when reading it fails part-way.
std::optional<ExifFields> ReadPhotoExif(const std::string& path);

// The date the photo was taken, a local time: DateTimeOriginal, else DateTimeDigitized, else
// DateTime, the first that is a valid "YYYY:MM:DD HH:MM:SS", packed as file times are (clamped
// to 1980..2107, file_time.h); nullopt when none is.
std::optional<PackedTime> DateTaken(const ExifFields& fields);

}  // namespace fotoloom
