#include "wizard/settings_location.h"

#include <unistd.h>

#include <cstdlib>

#include "platform/paths.h"

namespace fotoloom {

std::string SettingsFilePath(const std::string& executable_directory) {
  const std::string dir = WithTrailingSeparator(executable_directory);
  const std::string beside = dir + kSettingsFileName;
  if (!dir.empty() &&
      (::access(beside.c_str(), F_OK) == 0 || ::access(dir.c_str(), W_OK) == 0)) {
    return beside;
  }
  // An installed program's folder is not the user's: the settings go to the user's
  // configuration folder. XDG asks to ignore a relative $XDG_CONFIG_HOME.
  std::string config;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') {
    config = xdg;
  } else {
    const char* home = std::getenv("HOME");
    config = WithTrailingSeparator(home != nullptr && home[0] != '\0' ? home : "/") + ".config";
  }
  return WithTrailingSeparator(config) + "fotoloom/" + kSettingsFileName;
}

}  // namespace fotoloom
