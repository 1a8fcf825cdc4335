#include "imaging/resample_passes.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define FOTOLOOM_X86_VECTOR_LOOPS 1
#endif

namespace fotoloom {
namespace {

// Writes one finished destination row given as blue, green, red bytes.
void StoreRow(TDibGraphic& dest, int y, const std::uint8_t* bgr) {
  const int width = dest.Width();
  if (dest.Format() == ifColor16M) {
    std::copy(bgr, bgr + static_cast<std::size_t>(width) * 3, dest.Row(y));
    return;
  }
  for (int x = 0; x < width; ++x, bgr += 3) dest.SetColor(x, y, MakeColor(bgr[2], bgr[1], bgr[0]));
}

void PortableRow(const std::uint8_t* src, const TTapTable& taps, std::uint8_t* out) {
  const int positions = taps.Positions();
  for (int i = 0; i < positions; ++i) {
    float s0 = 0.0f, s1 = 0.0f, s2 = 0.0f;
    for (std::int32_t t = taps.start[i]; t < taps.start[i + 1]; ++t) {
      const std::uint8_t* p = src + static_cast<std::size_t>(taps.index[t]) * 3;
      const float w = taps.weight[t];
      s0 = AccumulateTap(s0, p[0], w);
      s1 = AccumulateTap(s1, p[1], w);
      s2 = AccumulateTap(s2, p[2], w);
    }
    out[3 * i] = ClampToByte(s0);
    out[3 * i + 1] = ClampToByte(s1);
    out[3 * i + 2] = ClampToByte(s2);
  }
}

void PortableRows(const TOrientedSource& source, const std::vector<TRowPass>& passes) {
  std::vector<std::uint8_t> scratch;
  for (int y = 0; y < source.Height(); ++y) {
    const std::uint8_t* row = source.Row(y, scratch);
    for (const TRowPass& pass : passes) PortableRow(row, *pass.taps, pass.work->Row(y));
  }
}

void PortableColumns(const TDibGraphic& work, const TTapTable& taps, TDibGraphic& dest) {
  const std::size_t n = static_cast<std::size_t>(work.Width()) * 3;
  std::vector<float> sums(n);
  std::vector<std::uint8_t> out(n);
  for (int i = 0; i < taps.Positions(); ++i) {
    std::fill(sums.begin(), sums.end(), 0.0f);
    for (std::int32_t t = taps.start[i]; t < taps.start[i + 1]; ++t) {
      const std::uint8_t* row = work.Row(taps.index[t]);
      const float w = taps.weight[t];
      for (std::size_t x = 0; x < n; ++x) sums[x] = AccumulateTap(sums[x], row[x], w);
    }
    for (std::size_t x = 0; x < n; ++x) out[x] = ClampToByte(sums[x]);
    StoreRow(dest, i, out.data());
  }
}

#ifdef FOTOLOOM_X86_VECTOR_LOOPS

#define FOTOLOOM_AVX2 __attribute__((target("avx2,fma")))

struct FreeFloats {
  void operator()(float* p) const { std::free(p); }
};
using AlignedFloats = std::unique_ptr<float[], FreeFloats>;

AlignedFloats AllocateFloats(std::size_t count) {
  const std::size_t bytes = (count * sizeof(float) + 63) / 64 * 64;
  auto* p = static_cast<float*>(std::aligned_alloc(64, bytes == 0 ? 64 : bytes));
  if (p == nullptr) throw std::bad_alloc();
  return AlignedFloats(p);
}

FOTOLOOM_AVX2 inline float FusedTap(float sum, std::uint8_t byte, float weight) {
  return __builtin_fmaf(static_cast<float>(byte), weight, sum);
}

FOTOLOOM_AVX2 void FusedRow(const std::uint8_t* src, const TTapTable& taps, std::uint8_t* out) {
  const int positions = taps.Positions();
  for (int i = 0; i < positions; ++i) {
    float s0 = 0.0f, s1 = 0.0f, s2 = 0.0f;
    for (std::int32_t t = taps.start[i]; t < taps.start[i + 1]; ++t) {
      const std::uint8_t* p = src + static_cast<std::size_t>(taps.index[t]) * 3;
      const float w = taps.weight[t];
      s0 = FusedTap(s0, p[0], w);
      s1 = FusedTap(s1, p[1], w);
      s2 = FusedTap(s2, p[2], w);
    }
    out[3 * i] = ClampToByte(s0);
    out[3 * i + 1] = ClampToByte(s1);
    out[3 * i + 2] = ClampToByte(s2);
  }
}

// A pixel's sum over its taps is a serial chain, so a single row cannot be vectorised.
// Sixteen source rows at a time can: the block's bytes are transposed so that each source
// byte (column k, channel c) holds its sixteen rows side by side, and every tap becomes six
// vector steps (three channels, two halves of eight rows), each lane keeping its own pixel's
// order of additions. Six independent sums also hide the latency of the fused steps.
constexpr int kBlockRows = TOrientedSource::kBlockRows;
static_assert(kBlockRows == 16, "two halves of eight lanes per channel");

FOTOLOOM_AVX2 inline __m256 LoadEightBytes(const std::uint8_t* p) {
  return _mm256_cvtepi32_ps(
      _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
}

// Clamped to 0..255 first, the conversion (rounding halves to even) gives ClampToByte's bytes.
FOTOLOOM_AVX2 inline void StoreBytes(__m256 sum, std::int32_t lanes[8]) {
  const __m256 clamped =
      _mm256_min_ps(_mm256_max_ps(sum, _mm256_setzero_ps()), _mm256_set1_ps(255.0f));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(lanes), _mm256_cvtps_epi32(clamped));
}

// The taps of one pass over a transposed block, into rows y0 .. y0 + 15 of its work image.
FOTOLOOM_AVX2 void BlockRows(const std::uint8_t* block, int y0, const TTapTable& taps,
                             TDibGraphic& work) {
  std::uint8_t* out[kBlockRows];
  for (int r = 0; r < kBlockRows; ++r) out[r] = work.Row(y0 + r);
  alignas(32) std::int32_t lanes[6][8];
  const int positions = taps.Positions();
  for (int i = 0; i < positions; ++i) {
    __m256 s[6];
    for (__m256& v : s) v = _mm256_setzero_ps();
    for (std::int32_t t = taps.start[i]; t < taps.start[i + 1]; ++t) {
      const std::uint8_t* p = block + static_cast<std::size_t>(taps.index[t]) * 3 * kBlockRows;
      const __m256 w = _mm256_set1_ps(taps.weight[t]);
      s[0] = _mm256_fmadd_ps(LoadEightBytes(p), w, s[0]);
      s[1] = _mm256_fmadd_ps(LoadEightBytes(p + 8), w, s[1]);
      s[2] = _mm256_fmadd_ps(LoadEightBytes(p + 16), w, s[2]);
      s[3] = _mm256_fmadd_ps(LoadEightBytes(p + 24), w, s[3]);
      s[4] = _mm256_fmadd_ps(LoadEightBytes(p + 32), w, s[4]);
      s[5] = _mm256_fmadd_ps(LoadEightBytes(p + 40), w, s[5]);
    }
    for (int v = 0; v < 6; ++v) StoreBytes(s[v], lanes[v]);
    // lanes[2c + h][l] is channel c of row 8h + l.
    for (int r = 0; r < kBlockRows; ++r) {
      std::uint8_t* o = out[r] + 3 * static_cast<std::size_t>(i);
      const int h = r / 8, l = r % 8;
      o[0] = static_cast<std::uint8_t>(lanes[h][l]);
      o[1] = static_cast<std::uint8_t>(lanes[2 + h][l]);
      o[2] = static_cast<std::uint8_t>(lanes[4 + h][l]);
    }
  }
}

FOTOLOOM_AVX2 void VectorRows(const TOrientedSource& source, const std::vector<TRowPass>& passes) {
  const int height = source.Height();
  const int blocks = height / kBlockRows;
  if (blocks > 0) {
    const std::size_t block_bytes = static_cast<std::size_t>(source.Width()) * 3 * kBlockRows;
    struct FreeBytes {
      void operator()(std::uint8_t* p) const { std::free(p); }
    };
    std::unique_ptr<std::uint8_t, FreeBytes> storage(
        static_cast<std::uint8_t*>(std::aligned_alloc(64, (block_bytes + 63) / 64 * 64)));
    if (!storage) throw std::bad_alloc();
    std::uint8_t* block = storage.get();
    std::vector<std::uint8_t> scratch[kBlockRows];
    for (int b = 0; b < blocks; ++b) {
      source.LoadBlock(b * kBlockRows, block, scratch);
      for (const TRowPass& pass : passes) BlockRows(block, b * kBlockRows, *pass.taps, *pass.work);
    }
  }
  std::vector<std::uint8_t> scratch;
  for (int y = blocks * kBlockRows; y < height; ++y) {
    const std::uint8_t* row = source.Row(y, scratch);
    for (const TRowPass& pass : passes) FusedRow(row, *pass.taps, pass.work->Row(y));
  }
}

FOTOLOOM_AVX2 void VectorColumns(const TDibGraphic& work, const TTapTable& taps,
                                 TDibGraphic& dest) {
  const std::size_t n = static_cast<std::size_t>(work.Width()) * 3;
  AlignedFloats sums = AllocateFloats(n);
  std::vector<std::uint8_t> out(n);
  const __m256 zero = _mm256_setzero_ps();
  const __m256 top = _mm256_set1_ps(255.0f);
  float* s = sums.get();
  for (int i = 0; i < taps.Positions(); ++i) {
    std::fill(s, s + n, 0.0f);
    for (std::int32_t t = taps.start[i]; t < taps.start[i + 1]; ++t) {
      const std::uint8_t* row = work.Row(taps.index[t]);
      const float weight = taps.weight[t];
      const __m256 w = _mm256_set1_ps(weight);
      std::size_t x = 0;
      for (; x + 8 <= n; x += 8) {
        const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + x));
        const __m256 v = _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(bytes));
        _mm256_store_ps(s + x, _mm256_fmadd_ps(v, w, _mm256_load_ps(s + x)));
      }
      for (; x < n; ++x) s[x] = FusedTap(s[x], row[x], weight);
    }
    std::size_t x = 0;
    for (; x + 8 <= n; x += 8) {
      const __m256i v =
          _mm256_cvtps_epi32(_mm256_min_ps(_mm256_max_ps(_mm256_load_ps(s + x), zero), top));
      alignas(32) std::int32_t lanes[8];
      _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), v);
      for (int l = 0; l < 8; ++l) out[x + l] = static_cast<std::uint8_t>(lanes[l]);
    }
    for (; x < n; ++x) out[x] = ClampToByte(s[x]);
    StoreRow(dest, i, out.data());
  }
}

#endif  // FOTOLOOM_X86_VECTOR_LOOPS

}  // namespace

TTapTable MakeTapTable(const std::vector<TContributorList>& lists) {
  TTapTable table;
  table.start.reserve(lists.size() + 1);
  table.start.push_back(0);
  for (const TContributorList& list : lists) {
    for (const TContributor& c : list) {
      // A zero weight adds nothing to a sum, and its index may lie outside the source.
      if (c.weight == 0.0f) continue;
      table.index.push_back(c.index);
      table.weight.push_back(c.weight);
    }
    table.start.push_back(static_cast<std::int32_t>(table.index.size()));
  }
  return table;
}

bool VectorLoopsAvailable() {
#ifdef FOTOLOOM_X86_VECTOR_LOOPS
  static const bool available = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  return available;
#else
  return false;
#endif
}

void ResampleRows(const TOrientedSource& source, const TTapTable& taps, TDibGraphic& work,
                  TLoopKind loops) {
  ResampleRowsOfEach(source, {{&taps, &work}}, loops);
}

void ResampleRowsOfEach(const TOrientedSource& source, const std::vector<TRowPass>& passes,
                        TLoopKind loops) {
#ifdef FOTOLOOM_X86_VECTOR_LOOPS
  if (loops == TLoopKind::kFastest && VectorLoopsAvailable()) {
    VectorRows(source, passes);
    return;
  }
#endif
  PortableRows(source, passes);
}

void ResampleColumns(const TDibGraphic& work, const TTapTable& taps, TDibGraphic& dest,
                     TLoopKind loops) {
#ifdef FOTOLOOM_X86_VECTOR_LOOPS
  if (loops == TLoopKind::kFastest && VectorLoopsAvailable()) {
    VectorColumns(work, taps, dest);
    return;
  }
#endif
  PortableColumns(work, taps, dest);
}

}  // namespace fotoloom
