#include "wizard/settings_location.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/paths.h"

namespace fotoloom {

namespace {

// Both name one existing folder; equivalent() sees through links (a merged /usr, a prefix
// reached by a link), where comparing the texts would not.
bool SameFolder(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
}

std::string UserSettingsPath() {
  // XDG asks to ignore a relative $XDG_CONFIG_HOME.
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

}  // namespace

std::string InstalledProgramDirectory() { return FOTOLOOM_INSTALLED_DIR; }

bool IsInstalledProgram(const std::string& executable_directory,
                        const std::string& installed_directory) {
  return SameFolder(executable_directory, installed_directory);
}

std::string SettingsFilePath(const std::string& executable_directory,
                             const std::string& installed_directory) {
  if (IsInstalledProgram(executable_directory, installed_directory)) return UserSettingsPath();
  const std::string dir = WithTrailingSeparator(executable_directory);
  const std::string beside = dir + kSettingsFileName;
  if (!dir.empty() && (::access(beside.c_str(), F_OK) == 0 || ::access(dir.c_str(), W_OK) == 0)) {
    return beside;
  }
  // A folder the user cannot write is not the user's: the configuration folder is.
  return UserSettingsPath();
}

std::string FirstImageDirectory(const std::string& executable_directory,
                                const std::string& pictures, const std::string& home,
                                const std::string& installed_directory) {
  if (!IsInstalledProgram(executable_directory, installed_directory))
    return WithTrailingSeparator(executable_directory);
  return WithTrailingSeparator(!pictures.empty() && DirectoryExists(pictures) ? pictures : home);
}

std::string PickerDirectory(const std::string& field, const std::string& fallback) {
  const std::string folder = ExtractFilePath(field);
  return !folder.empty() && DirectoryExists(folder) ? folder : fallback;
}

}  // namespace fotoloom
