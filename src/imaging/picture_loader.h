// Loading a picture file by the reader its extension names.
#pragma once

#include <memory>
#include <string>

#include "imaging/dib_graphic.h"
#include "imaging/row_sink.h"

namespace fotoloom {

// Reader description for an extension (without dot, case ignored), the name of its row in
// the format table (image_formats.h): "Bitmaps", "JPEG", ...; empty when no row has it.
std::string PictureFileDescription(const std::string& extension);

// Reads the file with the reader its extension selects in the format table (case ignored):
// .jpg/.jpeg give a TJpegGraphic, .png a TPngGraphic, .bmp a plain TDibGraphic; each reports
// the orientation its file states (Orientation()). Raises EInvalidGraphic "Unknown picture file
// extension (.ext)" for others, the file-open error for files that cannot be opened,
// FileReadError when reading failed part-way (an I/O error, not the end of the file), and the
// reader's errors for bad data. onHeader, when given, is called between the file's headers and
// its pixel data (dib_graphic.h).
// With rows, a reader that can hand its rows over does so when the sink takes them, and the
// image returned is empty (row_sink.h).
std::unique_ptr<TDibGraphic> LoadPicture(const std::string& fileName,
                                         const THeaderHandler& onHeader = {},
                                         TRowSink* rows = nullptr);

}  // namespace fotoloom
