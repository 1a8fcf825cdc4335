// A fresh temporary directory per test, removed with everything in it afterwards.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fotoloom::testing {

class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "fotoloom-test-XXXXXX").string();
    path_ = std::string(mkdtemp(pattern.data())) + "/";
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  // Absolute, with a trailing "/".
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + name; }

  std::string Write(const std::string& name, const std::string& content = "") const {
    std::ofstream(path_ + name, std::ios::binary) << content;
    return path_ + name;
  }
  std::string MakeDir(const std::string& name) const {
    std::filesystem::create_directories(path_ + name);
    return path_ + name;
  }

 private:
  std::string path_;
};

// Runs action and expects it to raise an E whose message is exactly message.
template <typename E, typename F>
void ExpectError(F action, const std::string& message) {
  try {
    action();
    ADD_FAILURE() << "no error, expected: " << message;
  } catch (const E& e) {
    EXPECT_EQ(std::string(e.what()), message);
  }
}

}  // namespace fotoloom::testing
