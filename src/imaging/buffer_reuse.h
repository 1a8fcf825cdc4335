// Keeping the memory of large images for the next one.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fotoloom {

// glibc hands every large block (a decoded photo) straight back to the kernel when it is
// freed, so the next image of the same size is mapped afresh and every page of it faults in
// again, which costs more than decoding the photo. This keeps freed memory in the process
// for reuse instead:
// - Image pixels of kLargeImageBlock bytes or more have mappings of their own
//   (AllocateImageBlock), and a freed one is kept for the next image that fits it. They never
//   share the heap with small blocks, so with several threads a small block cannot settle in
//   the hole a photo left and make the heap grow by a photo for the next one.
// - Other large blocks come from the heap rather than from private mappings, and the heap is
//   trimmed only when more than 512 MiB lie free at its top.
// - Every thread allocates from that one heap: glibc would give each further thread a heap of
//   its own, at most 64 MiB, and a block freed by one thread would not serve the next.
// What each call allocates and frees is unchanged; only where the memory goes between calls
// differs. Call once at start-up, before any image is read and before any thread is started,
// in programs that make many thumbnails.
// Returns false when the allocator refused a setting (other C libraries: the heap settings do
// nothing).
bool RetainFreedImageMemory();

// Pixel blocks from this size up are mappings of their own.
inline constexpr std::size_t kLargeImageBlock = std::size_t{8} << 20;

// size bytes of zeroed memory, from any thread; nullptr when they cannot be had. Below
// kLargeImageBlock (and under AddressSanitizer) it is calloc's block; from there up a mapping, a
// kept one when one fits (kept only after RetainFreedImageMemory; before it, a freed mapping is
// unmapped).
std::uint8_t* AllocateImageBlock(std::size_t size);

// Gives back a block of AllocateImageBlock(size); p may be nullptr.
void ReleaseImageBlock(std::uint8_t* p, std::size_t size);

// The process's resident memory now, in bytes (0 where the system does not tell).
std::uint64_t ResidentBytes();

// Bytes of the pixel mappings kept for the next image.
std::uint64_t KeptImageBytes();

// Gives the kept pixel mappings and the heap's free pages back to the system, from any thread.
void DropRetainedImageMemory();

}  // namespace fotoloom
