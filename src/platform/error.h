// Base of every error the program raises. Each error carries its final, user-facing message;
// the general error report shows what() as it stands.
#pragma once

#include <stdexcept>
#include <string>

namespace fotoloom {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace fotoloom
