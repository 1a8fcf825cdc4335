// The image formats the program reads: one row each. The catalog's listing, the picture loader,
// the file pickers, the thumbnail tool's usage text and the benchmarks all take their lists
// from here, so a new format is one row and its reader.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "imaging/dib_graphic.h"
#include "imaging/row_sink.h"

namespace fotoloom {

struct ImageFormat {
  // The reader's description ("JPEG").
  const char* name;
  // The listing's masks, "|"-separated, each "*." and an extension. The rows' order, and the
  // masks' order in a row, is the listing's: all files of the first mask come first, and so
  // get the plain output names when two images share a stem.
  const char* masks;
  // Reads the file at path into a new image, calling onHeader (when given) between the file's
  // headers and its pixel data (dib_graphic.h). Raises the file-open error when the file cannot
  // be opened, FileReadError when reading it failed part-way, and the reader's own errors for
  // bad data.
  // A reader that can hand its rows to rows (not nullptr) does so when the sink takes them
  // (row_sink.h), and the image it returns is empty; the others ignore it.
  std::unique_ptr<TDibGraphic> (*read)(const std::string& path, const THeaderHandler& onHeader,
                                       TRowSink* rows);
  // The file can state how its pixels must be turned to stand upright, which its reader then
  // reports as the image's Orientation(); an image of any other format reports 1.
  bool carries_orientation;
  // A web browser shows the file itself (an image page, a page background).
  bool browser_shows;
  // What the file pickers call it ("WebP images"); nullptr for the formats the pickers' own
  // texts already name or leave out.
  const char* picker_name;
  // Listed only when the album asks for the newer formats (ExtendedFormats); the picture
  // loader reads every row.
  bool extended = false;
};

// Every row, in the listing's order.
std::span<const ImageFormat> ImageFormats();

// The row with a mask for extension (without the dot, letter case ignored); nullptr for none.
const ImageFormat* FormatOfExtension(const std::string& extension);

// A row's masks, one string each, in the row's order.
std::vector<std::string> MasksOf(const ImageFormat& format);

// Every row's masks joined by "|": what the catalog lists; the extended rows only with
// extended, after all the others.
std::string ListingMasks(bool extended = false);

// Whether a browser shows the file at path itself (its row's browser_shows); false for an
// extension no row has.
bool BrowserShowsFile(const std::string& path);

// Every row's extensions (the extended rows' too) with their dot (".bmp", ".jpg", ...), in
// the listing's order.
std::vector<std::string> ImageExtensions();

}  // namespace fotoloom
