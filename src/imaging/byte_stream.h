// Small stream helpers shared by the image readers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <streambuf>
#include <string>

namespace fotoloom {

// Read-only stream buffer over memory the caller keeps alive; no copy is made.
class MemoryStreamBuf : public std::streambuf {
 public:
  MemoryStreamBuf(const std::uint8_t* data, std::size_t size) {
    char* p = const_cast<char*>(reinterpret_cast<const char*>(data));
    setg(p, p, p + size);
  }
};

// Opens a regular file for binary reading; raises FileOpenError "Cannot open file <name>"
// for anything else (missing, unreadable, a directory, a FIFO).
void OpenForReading(std::ifstream& file, const std::string& fileName);

// Reads up to size bytes; returns how many arrived (0 at the end or on a stream error).
// Never throws, even when the stream has exceptions switched on.
std::size_t ReadSome(std::istream& stream, void* buffer, std::size_t size) noexcept;

}  // namespace fotoloom
