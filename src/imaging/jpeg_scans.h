// The scans of a JPEG file that follow the one being read, counted from their headers alone.
//
// libjpeg decodes every block of a scan's components, whatever the scan holds, and reads a
// progressive file's scans all before its first output row: a small file of many empty scans
// can keep it busy for minutes. Counting the scans first, from their headers, lets the reader
// refuse such a file before any of that work.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace fotoloom {

// Reads up to size bytes into buffer; fewer only at the end of the data.
using TByteReader = std::function<std::size_t(std::uint8_t* buffer, std::size_t size)>;

struct TLaterScans {
  int count = 0;
  std::uint64_t blocks = 0;  // the blocks every one of them visits, summed
};

// Reads on through read from inside a scan's coded data to the image's end marker or the end of
// the data, and counts every scan header met: one scan each, and blocks_of[id] blocks for each
// component id it names. Stops as soon as the count passes max_scans, so a file of endless
// scans is not read to its end. Never throws (read may).
TLaterScans CountLaterScans(const TByteReader& read,
                            const std::array<std::uint64_t, 256>& blocks_of, int max_scans);

}  // namespace fotoloom
