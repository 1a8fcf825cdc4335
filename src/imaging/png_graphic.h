// PNG files through libpng, read into the image model.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <istream>
#include <string>
#include <vector>

#include "imaging/dib_graphic.h"

namespace fotoloom {

// Receives libpng's warnings; reading goes on after it returns. The window shows a box, a
// terminal run prints, tests record. Without a handler, warnings go to standard error.
using PngWarningHandler = std::function<void(const std::string& message)>;
// Installs handler (an empty one restores the default) and returns the previous one.
PngWarningHandler SetPngWarningHandler(PngWarningHandler handler);

// Passes message to the installed handler (standard error without one), as a warning raised
// while reading does; whatever the handler raises comes back to the caller.
void ReportPngWarning(const std::string& message);

// While one lives, the warnings of PNG reads on the thread that made it are kept here instead
// of reaching the handler, so a thread other than the front end's can read a PNG and the
// warnings be shown later, on the front end's thread (ReportPngWarning). Captures on one thread
// nest; the innermost one receives. Create and destroy on the same thread.
class PngWarningCapture {
 public:
  PngWarningCapture();
  ~PngWarningCapture();
  PngWarningCapture(const PngWarningCapture&) = delete;
  PngWarningCapture& operator=(const PngWarningCapture&) = delete;

  // The warnings so far, in the order raised; the capture is empty afterwards.
  std::vector<std::string> Take();

 private:
  friend void CapturePngWarning(const std::string& message);
  std::vector<std::string> warnings_;
  PngWarningCapture* outer_;
};

class TPngGraphic : public TDibGraphic {
 public:
  // Reads one image, replacing the content. Alpha and transparency are composited onto the
  // file's bKGD colour or BackgroundColor; 16-bit samples are reduced to 8; gamma is
  // corrected to a 2.2 display unless the file is sRGB. Raises EPNGError with libpng's
  // message or "PNG file is not valid or corrupted" etc. Content undefined after a failure.
  // onHeader, when given, is called once the headers pass the image bound (dib_graphic.h).
  void LoadFromStream(std::istream& stream, const THeaderHandler& onHeader = {});
  void LoadFromMemory(const std::uint8_t* data, std::size_t size,
                      const THeaderHandler& onHeader = {});
  // As TJpegGraphic::LoadFromFile.
  void LoadFromFile(const std::string& fileName, const THeaderHandler& onHeader = {});

  double FileGamma = 0.5;      // set by reading: the file's gAMA, else 0.5
  TColor BackgroundColor = 0;  // behind transparent pixels when the file has no bKGD
  bool IgnoreFileBackground = false;
};

}  // namespace fotoloom
