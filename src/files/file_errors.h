// The file and list errors: "List index out of bounds (%d)", "Cannot open file %s",
// "Cannot create file %s" and "Unable to write to %s". They are defined with the platform
// code (imaging needs them too, and sits beside this library, not above it).
#pragma once

#include "platform/file_errors.h"
