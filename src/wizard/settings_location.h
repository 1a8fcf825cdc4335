// Where the settings file lies, and where the user's own files are looked for first.
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

// True when executable_directory is installed_directory, links followed.
bool IsInstalledProgram(const std::string& executable_directory,
                        const std::string& installed_directory = InstalledProgramDirectory());

// The image folder page 1 offers while the settings file names none, ending with a separator.
// A portable copy offers its own folder; the installed program's folder holds nothing of the
// user's, so it offers pictures (the user's Pictures folder) when that folder exists, and home
// otherwise.
std::string FirstImageDirectory(
    const std::string& executable_directory, const std::string& pictures, const std::string& home,
    const std::string& installed_directory = InstalledProgramDirectory());

// Where a file picker for a field opens: the folder of the file the field names when that folder
// exists, fallback otherwise.
std::string PickerDirectory(const std::string& field, const std::string& fallback);

}  // namespace fotoloom
