// Loading a picture file by the reader its extension names.
#pragma once

#include <memory>
#include <string>

#include "imaging/dib_graphic.h"

namespace fotoloom {

// Reader description for an extension (without dot, case ignored): "Bitmaps", "JPEG",
// "Portable Network Graphic"; empty when none is registered.
std::string PictureFileDescription(const std::string& extension);

// Reads the file with the reader its extension selects (bmp, jpg, jpeg, png; case ignored).
// .jpg/.jpeg give a TJpegGraphic (see ExifOrientation), .png a TPngGraphic, .bmp a plain
// TDibGraphic. Raises EInvalidGraphic "Unknown picture file extension (.ext)" for others,
// the file-open error for files that cannot be opened, FileReadError when reading failed
// part-way (an I/O error, not the end of the file), and the reader's errors for bad data.
// onHeader, when given, is called between the file's headers and its pixel data
// (dib_graphic.h).
std::unique_ptr<TDibGraphic> LoadPicture(const std::string& fileName,
                                         const THeaderHandler& onHeader = {});

}  // namespace fotoloom
