// A fresh temporary directory per test, removed with everything in it afterwards, plus
// small helpers to lay out files in it.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fotoloom::testing {

class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "fotoloom-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
    path_ += '/';
  }
  ~ScratchDir() {
    std::error_code ignored;
    // Read-only entries would survive a plain removal for a non-root user.
    for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored)) {
      std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  // Absolute path with a trailing "/".
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + name; }

  std::string Write(const std::string& name, const std::string& content = "") const {
    const std::string full = path_ + name;
    std::ofstream(full, std::ios::binary) << content;
    return full;
  }
  std::string MakeDir(const std::string& name) const {
    const std::string full = path_ + name;
    std::filesystem::create_directories(full);
    return full;
  }

 private:
  std::string path_;
};

inline bool RunningAsRoot() { return geteuid() == 0; }

}  // namespace fotoloom::testing
