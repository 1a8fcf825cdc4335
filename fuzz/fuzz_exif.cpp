// The EXIF readers (orientation, and the fields of the date taken and the camera), fed either
// an APP1 payload or a whole JPEG file whose APP1 segments are located first (so JPEG photos
// seed it).
#include <cstddef>
#include <cstdint>

#include "imaging/exif_fields.h"
#include "imaging/exif_orientation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A payload's TIFF block, after "Exif\0\0", as the fields reader takes it.
  const auto fields = [](const std::uint8_t* payload, std::size_t length) {
    if (length < 6) return;
    const fotoloom::ExifFields read = fotoloom::ReadExifFields(payload + 6, length - 6);
    if (read.make.size() > 256 || read.lens.size() > 256) __builtin_trap();
    volatile bool dated = fotoloom::DateTaken(read).has_value();
    (void)dated;
  };
  volatile int orientation = fotoloom::ExifOrientationFromApp1(data, size);
  fields(data, size);
  if (size >= 4 && data[0] == 0xFF && data[1] == 0xD8) {
    std::size_t pos = 2;
    while (pos + 4 <= size && data[pos] == 0xFF && data[pos + 1] != 0xDA) {
      const std::size_t length = (std::size_t{data[pos + 2]} << 8) | data[pos + 3];
      if (length < 2 || pos + 2 + length > size) break;
      if (data[pos + 1] == 0xE1) {
        orientation = fotoloom::ExifOrientationFromApp1(data + pos + 4, length - 2);
        fields(data + pos + 4, length - 2);
      }
      pos += 2 + length;
    }
  }
  if (orientation < 1 || orientation > 8) __builtin_trap();
  return 0;
}
