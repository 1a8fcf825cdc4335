#include "imaging/jpeg_scans.h"

#include <cstring>
#include <vector>

namespace fotoloom {
namespace {

constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint8_t kEndOfImage = 0xD9;

// The data read front to back through a buffer of its own.
class Bytes {
 public:
  explicit Bytes(const TByteReader& read) : read_(read), buffer_(64 * 1024) {}

  // The next byte; -1 at the end.
  int Next() {
    if (at_ == size_ && !Fill()) return -1;
    return buffer_[at_++];
  }
  // Passes over bytes up to the next 0xFF and that byte itself; false at the end.
  bool PassMarkerPrefix() {
    for (;;) {
      const void* hit = std::memchr(buffer_.data() + at_, 0xFF, size_ - at_);
      if (hit != nullptr) {
        at_ = static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - buffer_.data()) + 1;
        return true;
      }
      if (!Fill()) return false;
    }
  }
  // Passes over the next count bytes; false when the data ends first.
  bool Skip(std::size_t count) {
    while (count > size_ - at_) {
      count -= size_ - at_;
      if (!Fill()) return false;
    }
    at_ += count;
    return true;
  }

 private:
  bool Fill() {
    at_ = 0;
    size_ = read_(buffer_.data(), buffer_.size());
    return size_ > 0;
  }

  const TByteReader& read_;
  std::vector<std::uint8_t> buffer_;
  std::size_t at_ = 0;
  std::size_t size_ = 0;
};

}  // namespace

TLaterScans CountLaterScans(const TByteReader& read,
                            const std::array<std::uint64_t, 256>& blocks_of, int max_scans) {
  TLaterScans found;
  Bytes in(read);
  // Coded data, segments and stray bytes alike are passed over up to the next marker, as
  // libjpeg does; a 0xFF followed by 0 (a stuffed byte) or a restart marker is data.
  while (found.count <= max_scans && in.PassMarkerPrefix()) {
    int marker = in.Next();
    while (marker == 0xFF) marker = in.Next();  // fill bytes
    if (marker < 0 || marker == kEndOfImage) break;
    if (marker == 0x00 || marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7))
      continue;  // no length follows these
    const int high = in.Next(), low = in.Next();
    if (low < 0) break;
    const int size = (high << 8 | low) - 2;  // the segment after its length
    if (marker != kStartOfScan) {
      if (size > 0 && !in.Skip(static_cast<std::size_t>(size))) break;
      continue;
    }
    ++found.count;
    const int components = size > 0 ? in.Next() : 0;
    int left = size - 1;
    for (int k = 0; k < components && left >= 2; ++k, left -= 2) {
      const int id = in.Next();
      if (id < 0 || in.Next() < 0) break;
      found.blocks += blocks_of[static_cast<std::size_t>(id)];
    }
    if (left > 0 && !in.Skip(static_cast<std::size_t>(left))) break;
  }
  return found;
}

}  // namespace fotoloom
