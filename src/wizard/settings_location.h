// Where the settings file lies.
#pragma once

#include <string>

namespace fotoloom {

inline constexpr char kSettingsFileName[] = "Settings.ini";

// executable_directory + "Settings.ini" when a file of that name is there or that directory is
// writable (a build folder, a portable copy); otherwise $XDG_CONFIG_HOME/fotoloom/Settings.ini,
// with ~/.config as the default of $XDG_CONFIG_HOME. The folder is created by the first save.
std::string SettingsFilePath(const std::string& executable_directory);

}  // namespace fotoloom
