#include "imaging/byte_stream.h"

#include <sys/stat.h>

#include <istream>

#include "platform/file_errors.h"

namespace fotoloom {

void OpenForReading(std::ifstream& file, const std::string& fileName) {
  // Only regular files: a directory opens but reads nothing, a FIFO would block the run.
  struct stat st {};
  if (::stat(fileName.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) RaiseFileOpenError(fileName);
  file.open(fileName, std::ios::in | std::ios::binary);
  if (!file.is_open()) RaiseFileOpenError(fileName);
}

std::size_t ReadSome(std::istream& stream, void* buffer, std::size_t size) noexcept {
  try {
    if (!stream.good()) return 0;
    stream.read(static_cast<char*>(buffer), static_cast<std::streamsize>(size));
    return static_cast<std::size_t>(stream.gcount());
  } catch (...) {
    return 0;
  }
}

}  // namespace fotoloom
