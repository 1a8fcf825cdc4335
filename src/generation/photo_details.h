// The line of an image page that tells what the camera recorded: the date taken, camera, lens,
// exposure time, aperture, ISO, focal length, and the picture's size. Never the position.
#pragma once

#include <optional>
#include <string>

#include "imaging/exif_fields.h"

namespace fotoloom {

// The line for a photo of exif (nullopt: none) and width x height pixels (0: unknown), fields
// that are absent left out, joined by ", ", HTML-escaped; empty when there is nothing to tell.
// The date is shown as the index pages show dates (FormatShortDate) with the time of day.
std::string PhotoDetailsLine(const std::optional<ExifFields>& exif, int width, int height);

// The line of item i's photo, read from its file (its EXIF, the upright size its headers
// state); a file that cannot be read gives what could be.
std::string ItemPhotoDetails(int i);

}  // namespace fotoloom
