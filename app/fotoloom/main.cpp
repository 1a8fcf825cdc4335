// Stands in for the wizard window until it is built: says so and names the tools that are.
#include <cstdio>
#include <string>

#include "platform/paths.h"

int main() {
  const std::string dir = fotoloom::ExecutableDirectory();
  std::string tools;
  for (const char* tool : {"fotoloom-cli", "fotoloom-thumb"}) {
    if (!dir.empty() && fotoloom::FileExists(dir + tool)) tools += (tools.empty() ? "" : ", ") + std::string(tool);
  }
  std::printf("fotoloom: the wizard window is not built yet; tools available: %s\n",
              tools.empty() ? "none" : tools.c_str());
  return 0;
}
