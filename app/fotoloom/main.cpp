// fotoloom: the wizard window. `fotoloom [DIRECTORY]`; `fotoloom --screenshots DIR`.
#include "generation/album_settings.h"
#include "generation/thumbnail_cache.h"
#include "imaging/buffer_reuse.h"
#include "wizard/window/application.h"

int main(int argc, char** argv) {
  // A run decodes one photo after another; keep their memory warm between thumbnails.
  fotoloom::RetainFreedImageMemory();
  fotoloom::Album().ThumbnailCache = fotoloom::ThumbnailCacheFolder();
  return fotoloom::RunFotoloom(argc, argv);
}
