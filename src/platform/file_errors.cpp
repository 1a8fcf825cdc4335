#include "platform/file_errors.h"

namespace fotoloom {

namespace {

std::string IndexMessage(long long index) {
  std::string message = "List index out of bounds (";
  message += std::to_string(index);
  message += ')';
  return message;
}

}  // namespace

ListIndexError::ListIndexError(long long index) : Error(IndexMessage(index)) {}

FileOpenError::FileOpenError(const std::string& path) : Error("Cannot open file " + path) {}

FileOpenError::FileOpenError(const std::string& path, const std::string& reason)
    : Error("Cannot open file " + path + " (" + reason + ")") {}

FileReadError::FileReadError(const std::string& path) : FileOpenError(path) {}

FileCreateError::FileCreateError(const std::string& path) : Error("Cannot create file " + path) {}

FileWriteError::FileWriteError(const std::string& path) : Error("Unable to write to " + path) {}

void RaiseListIndexError(long long index) { throw ListIndexError(index); }
void RaiseFileOpenError(const std::string& path) { throw FileOpenError(path); }
void RaiseFileOpenError(const std::string& path, const std::string& reason) {
  throw FileOpenError(path, reason);
}
void RaiseFileReadError(const std::string& path) { throw FileReadError(path); }
void RaiseFileCreateError(const std::string& path) { throw FileCreateError(path); }
void RaiseFileWriteError(const std::string& path) { throw FileWriteError(path); }

}  // namespace fotoloom
