#include "platform/version.h"

namespace fotoloom {

const char* ProductVersion() { return FOTOLOOM_VERSION; }

std::string ProductNameAndVersion() { return std::string(kProductName) + " " + ProductVersion(); }

}  // namespace fotoloom
