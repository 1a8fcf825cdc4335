// Reader of Windows bitmap files (.bmp).
//
// Accepts the 12-byte (OS/2 1.x), 40-, 108- and 124-byte headers; 1, 4, 8, 16, 24 and 32 bits
// per pixel; bottom-up and top-down rows; BI_BITFIELDS masks for 16 and 32 bits; RLE8 and
// RLE4. 1-, 4- and 8-bit files keep their colour table (a used-colour count of 0 means
// 2^bits); 16-, 32-bit and run-length files are delivered as 24-bit true colour. Anything
// else is refused with an error, never read past the data. A file is read in parts: the headers
// first, then only the bytes its pixel data needs, so its size beyond them costs nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "imaging/dib_graphic.h"

namespace fotoloom {

// Raises EInvalidGraphic "Bitmap image is not valid" for malformed or truncated data,
// EPixwellError "Unsupported compression" / "Unsupported bit count" for unsupported kinds
// and "CreateDibSection failed" for images past the bound of dib_graphic.h, checked before
// any pixel data is read (for an uncompressed file, the pixel offset plus the stored rows
// count against the bound as well).
TBitmap ReadBitmap(const std::uint8_t* data, std::size_t size, const THeaderHandler& onHeader = {});
// Reads a .bmp file straight into an image. Raises the file-open error when the file cannot
// be opened, FileReadError (the same message) when reading it fails, and the errors above.
// onHeader, when given, is called once every header check has passed (dib_graphic.h).
void LoadBitmapFile(const std::string& fileName, TDibGraphic& image,
                    const THeaderHandler& onHeader = {});

}  // namespace fotoloom
