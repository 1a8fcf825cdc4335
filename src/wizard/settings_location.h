// Where the settings file lies.
#pragma once

#include <string>

namespace fotoloom {

inline constexpr char kSettingsFileName[] = "Settings.ini";

// The folder an installed copy runs from: the install prefix's lib/fotoloom, fixed when the
// program is built.
std::string InstalledProgramDirectory();

// Where Settings.ini lies for a program in executable_directory:
// - an installed program (executable_directory is installed_directory, links followed) never
//   writes beside itself, even when it could (run as root): $XDG_CONFIG_HOME/fotoloom/;
// - otherwise executable_directory + "Settings.ini" when a file of that name is there or that
//   directory is writable (a build folder, a portable copy);
// - otherwise $XDG_CONFIG_HOME/fotoloom/Settings.ini.
// ~/.config is the default of $XDG_CONFIG_HOME. The folder is created by the first save.
std::string SettingsFilePath(const std::string& executable_directory,
                             const std::string& installed_directory = InstalledProgramDirectory());

}  // namespace fotoloom
