// fotoloom: the wizard window. `fotoloom [DIRECTORY]`; `fotoloom --screenshots DIR`.
#include "imaging/buffer_reuse.h"
#include "wizard/window/application.h"

int main(int argc, char** argv) {
  // A run decodes one photo after another; keep their memory warm between thumbnails.
  fotoloom::RetainFreedImageMemory();
  return fotoloom::RunFotoloom(argc, argv);
}
