#include "platform/file_io.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_errors.h"

namespace fotoloom {

bool ReadWholeFile(const std::string& path, std::string* data) {
  // Without O_NONBLOCK a FIFO would wait for a writer forever; only regular files are read.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return false;
  }
  data->clear();
  char buffer[65536];
  bool ok = true;
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
      data->append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0) {
      break;
    } else if (errno != EINTR) {
      ok = false;
      break;
    }
  }
  close(fd);
  return ok;
}

OutputFile::OutputFile(const std::string& path) : path_(path) {
  fd_ = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd_ < 0) RaiseFileCreateError(path_);
}

OutputFile::~OutputFile() {
  if (fd_ >= 0) close(fd_);
}

void OutputFile::Write(std::string_view data) { Write(data.data(), data.size()); }

void OutputFile::Write(const void* data, std::size_t size) {
  if (fd_ < 0) RaiseFileWriteError(path_);
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = write(fd_, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) RaiseFileWriteError(path_);
    p += n;
    size -= static_cast<std::size_t>(n);
  }
}

void OutputFile::Close() {
  if (fd_ < 0) return;
  const int fd = fd_;
  fd_ = -1;
  // A delayed write error (network or full file systems) shows up only here.
  if (close(fd) != 0 && errno != EINTR) RaiseFileWriteError(path_);
}

void WriteWholeFile(const std::string& path, std::string_view data) {
  OutputFile file(path);
  file.Write(data);
  file.Close();
}

}  // namespace fotoloom
