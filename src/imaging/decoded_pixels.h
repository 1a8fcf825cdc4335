// What the readers that decode through a library to a buffer of their own share: the file
// read whole into memory, the library's 8-bit rows stored into the image model, and the
// reader's interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/dib_graphic.h"

namespace fotoloom {

// The bytes of a regular file. Raises FileOpenError "Cannot open file <name>" like
// ReadFromFile (byte_stream.h), FileReadError when the system reports a read error, and
// EPixwellError "CreateDibSection failed" for a file larger than kMaxImageBytes: no picture
// the image bound admits is stored in more bytes than its pixels take.
std::vector<std::uint8_t> ReadImageFileBytes(const std::string& fileName);

// How the samples of one pixel lie in a library's row: red, green, blue, then alpha when
// channels is 4, straight or premultiplied.
struct RowLayout {
  int channels = 3;  // 3 or 4
  bool premultiplied = false;
};

// Stores row y of image (ifColor16M or ifGray256, width pixels) from source, alpha composited
// onto background. A gray image takes the red sample, so a library's gray-as-RGB rows fit.
void StoreRow(TDibGraphic& image, int y, const std::uint8_t* source, RowLayout layout,
              TColor background);

// A reader that decodes a file held whole in memory through a library (HEIF, WebP, TIFF).
class TLibraryGraphic : public TDibGraphic {
 public:
  // Reads the image in data, replacing the content; onHeader as for the other readers
  // (dib_graphic.h). Each reader says what it reads and what it raises.
  virtual void LoadFromMemory(const std::uint8_t* data, std::size_t size,
                              const THeaderHandler& onHeader = {}) = 0;
  // The file read whole (ReadImageFileBytes), then LoadFromMemory; raises what they raise.
  void LoadFromFile(const std::string& fileName, const THeaderHandler& onHeader = {});

  TColor BackgroundColor = 0;  // behind transparent pixels
};

}  // namespace fotoloom
