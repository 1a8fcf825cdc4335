#include "imaging/byte_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <istream>

#include "platform/file_errors.h"

namespace fotoloom {

void ReadFromFile(const std::string& fileName, const std::function<void(std::istream&)>& read) {
  // Only regular files: a directory opens but reads nothing, a FIFO would block the run.
  struct stat st {};
  if (::stat(fileName.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) RaiseFileOpenError(fileName);
  std::ifstream file(fileName, std::ios::in | std::ios::binary);
  if (!file.is_open()) RaiseFileOpenError(fileName);
  // The decoders end a failed read with a decoding error of their own.
  try {
    read(file);
  } catch (...) {
    if (ReadFailed(file)) RaiseFileReadError(fileName);
    throw;
  }
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

bool ReadFailed(const std::istream& stream) noexcept { return stream.bad(); }

TInputFile::TInputFile(const std::string& fileName) : fileName_(fileName) {
  // Without O_NONBLOCK a FIFO would wait for a writer; only regular files are read.
  fd_ = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (fd_ >= 0) ::close(fd_);
    RaiseFileOpenError(fileName);
  }
  size_ = static_cast<std::uint64_t>(st.st_size);
}

TInputFile::~TInputFile() { ::close(fd_); }

std::size_t TInputFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pread(fd_, static_cast<char*>(buffer) + done, size - done,
                              static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) RaiseFileReadError(fileName_);
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

}  // namespace fotoloom
