// fotoloom: the wizard window. `fotoloom [DIRECTORY]`; `fotoloom --screenshots DIR`.
#include "wizard/window/application.h"

int main(int argc, char** argv) { return fotoloom::RunFotoloom(argc, argv); }
