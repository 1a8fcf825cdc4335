// Taking an image's rows as its reader decodes them, top row first, instead of the whole image:
// a caller that uses each row once (the resampler) then never holds the decoded image.
#pragma once

#include <cstdint>

#include "imaging/dib_graphic.h"

namespace fotoloom {

// The image the rows make up.
struct TRowShape {
  int width = 0;
  int height = 0;
  TImageFormat format = ifColor16M;   // ifGray256, ifColor256 or ifColor16M
  const TPalette* palette = nullptr;  // the palette formats' colours; lives until the read ends
  int xdpi = 0;                       // 0: none stated
  int ydpi = 0;
  int orientation = 1;  // as TDibGraphic::Orientation
};

class TRowSink {
 public:
  virtual ~TRowSink() = default;

  // Called once the header is accepted (after the header handler), before any row. True takes
  // the rows through NextRow and RowDone, and the reader's image stays empty; false has the
  // image read whole as without a sink. May raise, which ends the read.
  virtual bool Start(const TRowShape& shape) = 0;
  // Where the next row goes: width pixels in the shape's format, one byte a pixel or three
  // (blue, green, red). Then RowDone once it is there. Both may raise.
  virtual std::uint8_t* NextRow() = 0;
  virtual void RowDone() = 0;
};

}  // namespace fotoloom
