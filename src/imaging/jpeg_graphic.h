// JPEG files through libjpeg: reading into the image model and writing JFIF files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <ostream>
#include <string>

#include "imaging/dib_graphic.h"
#include "imaging/row_sink.h"

namespace fotoloom {

class TJpegGraphic : public TDibGraphic {
 public:
  // Reads one image, replacing the content. Gray files give ifGray256, all others
  // ifColor16M. Raises EJpegError with libjpeg's own message on a fatal error (CMYK files
  // fail this way); recoverable data errors are counted in WarningCount() and decoding goes
  // on. The content is undefined after a failure. onHeader, when given, is called once the
  // headers pass the image bound (dib_graphic.h). A file of more than 500 scans, or whose
  // scans would pass over its blocks more than 32 times, is refused from the scans' headers
  // before any is decoded (on a stream that cannot seek back, only once the 501st is reached).
  // With rows, a sink whose Start takes the rows gets them instead, top first, and the image
  // stays empty (row_sink.h); the header handler is told so (rowsInOrder).
  void LoadFromStream(std::istream& stream, const THeaderHandler& onHeader = {},
                      TRowSink* rows = nullptr);
  void LoadFromMemory(const std::uint8_t* data, std::size_t size,
                      const THeaderHandler& onHeader = {}, TRowSink* rows = nullptr);
  // Raises the file-open error when the file cannot be opened, FileReadError when reading it
  // failed part-way (ReadFromFile).
  void LoadFromFile(const std::string& fileName, const THeaderHandler& onHeader = {},
                    TRowSink* rows = nullptr);

  // Writes a JFIF file with the image's resolution in dots per inch. Raises EJpegError
  // "JPEG image must be gray scale or true color" for any other format, before writing.
  void SaveToStream(std::ostream& stream) const;
  // Creates (or replaces) the file first; a failed encode leaves it behind, closed.
  void SaveToFile(const std::string& fileName) const;

  int Quality() const { return quality_; }
  void SetQuality(int quality);  // clamped to 1..100
  bool Progressive() const { return progressive_; }
  void SetProgressive(bool on) { progressive_ = on; }
  bool OptimizeHuffman() const { return optimizeHuffman_; }
  void SetOptimizeHuffman(bool on) { optimizeHuffman_ = on; }

  // From the last read: the number of libjpeg warnings. The read also sets Orientation() to the
  // file's EXIF orientation (1 when it has none or it is unusable); apply it with
  // ApplyExifOrientation.
  int WarningCount() const { return warningCount_; }

 private:
  int quality_ = 80;
  bool progressive_ = false;
  bool optimizeHuffman_ = false;
  int warningCount_ = 0;
};

}  // namespace fotoloom
