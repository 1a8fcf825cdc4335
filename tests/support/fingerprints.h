// What a folder tree holds, for a test that proves a run changed nothing outside its outputs.
//
// Header-only so that any test binary can use it without linking anything.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "link_check.h"

namespace fotoloom::testing {

// Every entry below root, links not followed: a file by its content's hash, a link by where
// it points, a directory or any other kind of entry as such.
inline std::map<std::string, std::string> Fingerprints(const std::filesystem::path& root) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> prints;
  for (auto it =
           fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied);
       it != fs::recursive_directory_iterator(); ++it) {
    const fs::path& path = it->path();
    const std::string key = fs::relative(path, root).string();
    if (it->is_symlink()) {
      prints[key] = "link " + fs::read_symlink(path).string();
    } else if (it->is_directory()) {
      prints[key] = "directory";
    } else if (!it->is_regular_file()) {
      prints[key] = "special";  // a FIFO is never opened: that would wait for a writer
    } else {
      prints[key] = "file " + std::to_string(std::hash<std::string>{}(ReadWholeFile(path)));
    }
  }
  return prints;
}

}  // namespace fotoloom::testing
