// Keeping the memory of large images for the next one.
#pragma once

namespace fotoloom {

// glibc hands every large block (a decoded photo) straight back to the kernel when it is
// freed, so the next image of the same size is mapped afresh and every page of it faults in
// again, which costs more than decoding the photo. This keeps freed memory in the process
// for reuse instead: large blocks come from the heap rather than from private mappings, and
// the heap is trimmed only when more than 512 MiB lie free at its top. What each call
// allocates and frees is unchanged; only where the memory goes between calls differs.
// Every thread allocates from that one heap: glibc would give each further thread a heap of
// its own, at most 64 MiB, and a photo larger than that (24 megapixels) would then be mapped
// afresh on every thumbnail worker, and a photo freed by one worker would not serve the next.
// Call once at start-up, before any image is read and before any thread is started, in
// programs that make many thumbnails.
// Returns false when the allocator refused a setting (other C libraries: does nothing).
bool RetainFreedImageMemory();

}  // namespace fotoloom
