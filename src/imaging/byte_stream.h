// Small stream helpers shared by the image readers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <istream>
#include <streambuf>
#include <string>

namespace fotoloom {

// Read-only stream buffer over memory the caller keeps alive; no copy is made. Seeks within
// the memory, as a file's stream does.
class MemoryStreamBuf : public std::streambuf {
 public:
  MemoryStreamBuf(const std::uint8_t* data, std::size_t size) {
    char* p = const_cast<char*>(reinterpret_cast<const char*>(data));
    setg(p, p, p + size);
  }

 protected:
  pos_type seekoff(off_type offset, std::ios_base::seekdir from,
                   std::ios_base::openmode which) override {
    const off_type base = from == std::ios_base::beg   ? 0
                          : from == std::ios_base::cur ? gptr() - eback()
                                                       : egptr() - eback();
    if (!(which & std::ios_base::in) || offset < -base || offset > (egptr() - eback()) - base)
      return pos_type(off_type(-1));
    setg(eback(), eback() + base + offset, egptr());
    return pos_type(base + offset);
  }
  pos_type seekpos(pos_type position, std::ios_base::openmode which) override {
    return seekoff(off_type(position), std::ios_base::beg, which);
  }
};

// Opens a regular file for binary reading and hands it to read. Raises FileOpenError "Cannot
// open file <name>" for anything else (missing, unreadable, a directory, a FIFO), and
// FileReadError (the same message) in place of whatever read raised once a read from the file
// failed (an I/O error, not its end): the disk failed, not the picture, and callers must be
// able to tell the two apart.
void ReadFromFile(const std::string& fileName, const std::function<void(std::istream&)>& read);

// Reads up to size bytes; returns how many arrived (0 at the end or on a stream error; tell
// the two apart with ReadFailed). Never throws, even when the stream has exceptions switched on.
std::size_t ReadSome(std::istream& stream, void* buffer, std::size_t size) noexcept;
// True once a read from the stream failed for another reason than its end (an I/O error).
bool ReadFailed(const std::istream& stream) noexcept;

// A regular file read at any offset, for readers that take only the parts of a file they
// need, whatever its size.
class TInputFile {
 public:
  // Raises FileOpenError "Cannot open file <name>" like ReadFromFile.
  explicit TInputFile(const std::string& fileName);
  ~TInputFile();
  TInputFile(const TInputFile&) = delete;
  TInputFile& operator=(const TInputFile&) = delete;

  // Size when opened.
  std::uint64_t Size() const { return size_; }
  // Reads up to size bytes at offset; fewer only at the end of the file. Raises
  // FileReadError "Cannot open file <name>" when the system reports a read error: the disk
  // failed, not the picture.
  std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size);

 private:
  std::string fileName_;
  int fd_ = -1;
  std::uint64_t size_ = 0;
};

}  // namespace fotoloom
