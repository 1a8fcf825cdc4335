// PNG files through libpng, read into the image model.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>

#include "imaging/dib_graphic.h"
#include "imaging/row_sink.h"

namespace fotoloom {

class TPngGraphic : public TDibGraphic {
 public:
  // Reads one image, replacing the content. libpng's warnings go to ReaderWarns
  // (reader_warnings.h) and reading goes on. Alpha and transparency are composited onto the
  // file's bKGD colour or BackgroundColor; 16-bit samples are reduced to 8; gamma is
  // corrected to a 2.2 display unless the file is sRGB. Raises EPNGError with libpng's
  // message or "PNG file is not valid or corrupted" etc. Content undefined after a failure.
  // onHeader, when given, is called once the headers pass the image bound (dib_graphic.h).
  // With rows, as TJpegGraphic's: a file that is not interlaced, of 8-bit gray or palette
  // pixels or true colour, can give its rows to the sink.
  void LoadFromStream(std::istream& stream, const THeaderHandler& onHeader = {},
                      TRowSink* rows = nullptr);
  void LoadFromMemory(const std::uint8_t* data, std::size_t size,
                      const THeaderHandler& onHeader = {}, TRowSink* rows = nullptr);
  // As TJpegGraphic::LoadFromFile.
  void LoadFromFile(const std::string& fileName, const THeaderHandler& onHeader = {},
                    TRowSink* rows = nullptr);

  double FileGamma = 0.5;      // set by reading: the file's gAMA, else 0.5
  TColor BackgroundColor = 0;  // behind transparent pixels when the file has no bKGD
  bool IgnoreFileBackground = false;
};

}  // namespace fotoloom
