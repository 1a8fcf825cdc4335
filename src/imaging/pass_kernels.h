// The inner loops of the resampler's two passes: a portable form and vector forms for AVX2 and
// AVX-512, chosen at run time. Every form computes each output byte by the same chain of fused
// multiply-adds in tap order (resample_passes.h), so every form gives the same bytes; the
// portable form is the reference the tests hold the others to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "imaging/resample_passes.h"

namespace fotoloom {

enum class TKernelSet { kPortable, kAvx2, kAvx512 };

// The set a loop kind asks for on this processor: kFastest gives the widest the processor has.
// REQUIRES: LoopsAvailable(loops).
TKernelSet KernelsFor(TLoopKind loops);

// Releases memory of std::aligned_alloc.
struct TFreeAligned {
  void operator()(void* p) const { std::free(p); }
};

// size bytes aligned to 64, owned; raises std::bad_alloc.
std::unique_ptr<std::uint8_t[], TFreeAligned> AlignedBytes(std::size_t size);

// Rows the block forms take at once.
constexpr int kBandRows = 16;

// block[b x 16 + r] = rows[r][b] for every byte b < bytes: sixteen rows transposed so that each
// byte position holds its sixteen rows side by side. block is 16-byte aligned.
void TransposeRows(const std::uint8_t* const rows[kBandRows], int bytes, std::uint8_t* block);

// The horizontal pass over sixteen upright rows at a time, from a transposed block
// (TransposeRows's layout); keeps its scratch between calls.
class THorizontalBlock {
 public:
  explicit THorizontalBlock(TKernelSet set);
  ~THorizontalBlock();
  THorizontalBlock(const THorizontalBlock&) = delete;
  THorizontalBlock& operator=(const THorizontalBlock&) = delete;

  // out[r] receives 3 x taps.Positions() bytes of row r. REQUIRES: every tap index lies inside
  // the block's width; block is 16-byte aligned. Raises std::bad_alloc.
  void Run(const std::uint8_t* block, const TTapTable& taps, std::uint8_t* const out[kBandRows]);

 private:
  TKernelSet set_;
  std::unique_ptr<std::uint8_t[], TFreeAligned> out_;
  std::size_t out_count_ = 0;
};

// out[i] = (a[i] + b[i] + 1) / 2 for i < bytes.
void AverageRows(const std::uint8_t* a, const std::uint8_t* b, std::size_t bytes,
                 std::uint8_t* out);

// The horizontal pass of one upright row (3 x source width bytes) into out.
void HorizontalRow(TKernelSet set, const std::uint8_t* bgr, const TTapTable& taps,
                   std::uint8_t* out);

// One row of the vertical pass: out[x] from rows[k][x] weighted by weights[k], k < count, for
// x < bytes. sums holds bytes floats for the portable set (the vector sets keep their sums in
// registers).
void VerticalRow(TKernelSet set, const std::uint8_t* const* rows, const float* weights, int count,
                 std::size_t bytes, float* sums, std::uint8_t* out);

}  // namespace fotoloom
