// The errors raised for files and list indexes, each with its exact user-facing message.
// Every raise goes through one of the Raise functions, which are the one place where the
// operating system's failures become these errors.
#pragma once

#include <string>

#include "platform/error.h"

namespace fotoloom {

// "List index out of bounds (%d)"
class ListIndexError : public Error {
 public:
  explicit ListIndexError(long long index);
};

// "Cannot open file %s", or "Cannot open file %s (reason)" when the file opened but is refused
// (too large to read).
class FileOpenError : public Error {
 public:
  explicit FileOpenError(const std::string& path);
  FileOpenError(const std::string& path, const std::string& reason);
};

// "Cannot open file %s" as well, for a file that opened but could not be read to its end (an
// I/O error): kept apart from a file that cannot be opened, which callers may pass over.
class FileReadError : public FileOpenError {
 public:
  explicit FileReadError(const std::string& path);
};

// "Cannot create file %s"
class FileCreateError : public Error {
 public:
  explicit FileCreateError(const std::string& path);
};

// "Unable to write to %s": a write that did not store every byte (disk full, I/O error).
class FileWriteError : public Error {
 public:
  explicit FileWriteError(const std::string& path);
};

[[noreturn]] void RaiseListIndexError(long long index);
[[noreturn]] void RaiseFileOpenError(const std::string& path);
[[noreturn]] void RaiseFileOpenError(const std::string& path, const std::string& reason);
[[noreturn]] void RaiseFileReadError(const std::string& path);
[[noreturn]] void RaiseFileCreateError(const std::string& path);
[[noreturn]] void RaiseFileWriteError(const std::string& path);

}  // namespace fotoloom
