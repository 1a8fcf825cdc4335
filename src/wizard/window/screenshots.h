// Pictures of the wizard for the documentation: every page with its stored defaults and the
// advanced settings dialog, written as PNG files.
#pragma once

#include <string>

namespace fotoloom {

// Writes page1.png ... page7.png, page7-finished.png (after a run on three pictures),
// advanced-settings.png, page1-dark.png (a dark palette) and, through executable started again
// at 144 dpi, page3-144dpi.png into directory (created when missing). With dpi > 0 (the
// process started at that resolution) only page3-<dpi>dpi.png is written. The wizard runs on a
// scratch settings file and a scratch image folder, so the user's own settings are neither
// shown nor touched. executable is argv[0]. True when every picture was written.
bool WriteScreenshots(const std::string& directory, const std::string& executable, int dpi = 0);

}  // namespace fotoloom
