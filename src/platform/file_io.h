// Whole-file reads and checked writes. Writes never fail silently: every failure raises an
// error naming the file (see file_errors.h).
#pragma once

#include <string>
#include <string_view>

namespace fotoloom {

// Reads the whole regular file at path into *data; false when it cannot be opened or read,
// or is not a regular file (a FIFO or device is never waited on).
bool ReadWholeFile(const std::string& path, std::string* data);

// A file being written. Create raises FileCreateError(path) when the file cannot be
// created or truncated; Write and Close raise FileWriteError(path) when not every byte
// reached the file (disk full, I/O error). The destructor closes without raising.
class OutputFile {
 public:
  explicit OutputFile(const std::string& path);  // creates or truncates, mode 0666 & ~umask
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void Write(std::string_view data);
  void Write(const void* data, std::size_t size);
  void Close();
  const std::string& path() const { return path_; }
  int fd() const { return fd_; }

 private:
  std::string path_;
  int fd_ = -1;
};

// Creates or truncates path and writes data into it, checked as OutputFile does.
void WriteWholeFile(const std::string& path, std::string_view data);

}  // namespace fotoloom
