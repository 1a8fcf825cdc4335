#include "generation/album_settings.h"

namespace fotoloom {

namespace {
AlbumSettings& Instance() {
  // Function-local so that any static initialiser elsewhere may already read the defaults.
  static AlbumSettings settings;
  return settings;
}
}  // namespace

AlbumSettings& Album() { return Instance(); }

void ResetAlbumSettings() { Instance() = AlbumSettings{}; }

}  // namespace fotoloom
