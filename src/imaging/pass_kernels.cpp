#include "imaging/pass_kernels.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

#if defined(__x86_64__) && defined(__GNUC__)
// GCC 12's 512-bit conversion intrinsics start from an undefined register it then reports as
// maybe used uninitialized.
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#define FOTOLOOM_X86_VECTOR_LOOPS 1
#endif

namespace fotoloom {

std::unique_ptr<std::uint8_t[], TFreeAligned> AlignedBytes(std::size_t size) {
  const std::size_t bytes = (size + 63) / 64 * 64;
  auto* p = static_cast<std::uint8_t*>(std::aligned_alloc(64, bytes == 0 ? 64 : bytes));
  if (p == nullptr) throw std::bad_alloc();
  return std::unique_ptr<std::uint8_t[], TFreeAligned>(p);
}

namespace {

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

void PortableVertical(const std::uint8_t* const* rows, const float* weights, int count,
                      std::size_t n, float* sums, std::uint8_t* out) {
  std::fill(sums, sums + n, 0.0f);
  for (int k = 0; k < count; ++k) {
    const std::uint8_t* row = rows[k];
    const float w = weights[k];
    for (std::size_t x = 0; x < n; ++x) sums[x] = AccumulateTap(sums[x], row[x], w);
  }
  for (std::size_t x = 0; x < n; ++x) out[x] = ClampToByte(sums[x]);
}

#ifdef FOTOLOOM_X86_VECTOR_LOOPS

#define FOTOLOOM_AVX2 __attribute__((target("avx2,fma")))
#define FOTOLOOM_AVX512 __attribute__((target("avx512f,avx512bw,avx512vl,avx2,fma")))

// Transposes a 16 x 16 byte matrix held as 16 rows: afterwards v[j] byte r is the former
// v[r] byte j. Four rounds of the same interleave do it.
inline void Transpose16x16(__m128i v[16]) {
  for (int round = 0; round < 4; ++round) {
    __m128i n[16];
    for (int i = 0; i < 8; ++i) {
      n[2 * i] = _mm_unpacklo_epi8(v[i], v[i + 8]);
      n[2 * i + 1] = _mm_unpackhi_epi8(v[i], v[i + 8]);
    }
    for (int i = 0; i < 16; ++i) v[i] = n[i];
  }
}

int Avx512Untranspose(const std::uint8_t* block, int bytes, std::uint8_t* const rows[kBandRows]);

// The inverse of TransposeRows: rows[r][b] = block[b x 16 + r].
void UntransposeRows(const std::uint8_t* block, int bytes, std::uint8_t* const rows[kBandRows]) {
  int b = 0;
  if (LoopsAvailable(TLoopKind::kAvx512)) b = Avx512Untranspose(block, bytes, rows);
  for (; b + 16 <= bytes; b += 16) {
    __m128i v[16];
    for (int j = 0; j < 16; ++j)
      v[j] = _mm_load_si128(
          reinterpret_cast<const __m128i*>(block + static_cast<std::size_t>(b + j) * kBandRows));
    Transpose16x16(v);
    for (int r = 0; r < kBandRows; ++r)
      _mm_storeu_si128(reinterpret_cast<__m128i*>(rows[r] + b), v[r]);
  }
  for (; b < bytes; ++b) {
    for (int r = 0; r < kBandRows; ++r)
      rows[r][b] = block[static_cast<std::size_t>(b) * kBandRows + r];
  }
}

// Transpose16x16 in each 128-bit lane of the sixteen registers at once.
FOTOLOOM_AVX512 inline void Transpose16x16Lanes(__m512i v[16]) {
  for (int round = 0; round < 4; ++round) {
    __m512i n[16];
    for (int i = 0; i < 8; ++i) {
      n[2 * i] = _mm512_unpacklo_epi8(v[i], v[i + 8]);
      n[2 * i + 1] = _mm512_unpackhi_epi8(v[i], v[i + 8]);
    }
    for (int i = 0; i < 16; ++i) v[i] = n[i];
  }
}

// Four 16 x 16 transposes side by side, one in each 128-bit lane: the same interleaves on
// 512-bit registers. Returns the bytes done (a multiple of 64).
FOTOLOOM_AVX512 int Avx512Transpose(const std::uint8_t* const rows[kBandRows], int bytes,
                                    std::uint8_t* block) {
  int b = 0;
  for (; b + 64 <= bytes; b += 64) {
    __m512i v[16];
    for (int r = 0; r < kBandRows; ++r) v[r] = _mm512_loadu_si512(rows[r] + b);
    Transpose16x16Lanes(v);
    // Lane k of v[j] is byte b + 16 k + j of the sixteen rows.
    for (int j = 0; j < 16; ++j) {
      std::uint8_t* o = block + static_cast<std::size_t>(b + j) * kBandRows;
      _mm_store_si128(reinterpret_cast<__m128i*>(o), _mm512_castsi512_si128(v[j]));
      _mm_store_si128(reinterpret_cast<__m128i*>(o + 16 * kBandRows),
                      _mm512_extracti32x4_epi32(v[j], 1));
      _mm_store_si128(reinterpret_cast<__m128i*>(o + 32 * kBandRows),
                      _mm512_extracti32x4_epi32(v[j], 2));
      _mm_store_si128(reinterpret_cast<__m128i*>(o + 48 * kBandRows),
                      _mm512_extracti32x4_epi32(v[j], 3));
    }
  }
  return b;
}

// UntransposeRows four 16 x 16 blocks at a time, one in each 128-bit lane. Returns the bytes
// done (a multiple of 64).
FOTOLOOM_AVX512 int Avx512Untranspose(const std::uint8_t* block, int bytes,
                                      std::uint8_t* const rows[kBandRows]) {
  int b = 0;
  for (; b + 64 <= bytes; b += 64) {
    // Lane k of v[j] is byte b + 16 k + j of the sixteen rows.
    __m512i v[16];
    for (int j = 0; j < 16; ++j) {
      const std::uint8_t* in = block + static_cast<std::size_t>(b + j) * kBandRows;
      __m512i lanes = _mm512_castsi128_si512(_mm_load_si128(reinterpret_cast<const __m128i*>(in)));
      lanes = _mm512_inserti32x4(
          lanes, _mm_load_si128(reinterpret_cast<const __m128i*>(in + 16 * kBandRows)), 1);
      lanes = _mm512_inserti32x4(
          lanes, _mm_load_si128(reinterpret_cast<const __m128i*>(in + 32 * kBandRows)), 2);
      lanes = _mm512_inserti32x4(
          lanes, _mm_load_si128(reinterpret_cast<const __m128i*>(in + 48 * kBandRows)), 3);
      v[j] = lanes;
    }
    Transpose16x16Lanes(v);
    for (int r = 0; r < kBandRows; ++r) _mm512_storeu_si512(rows[r] + b, v[r]);
  }
  return b;
}

FOTOLOOM_AVX2 inline float FusedTap(float sum, std::uint8_t byte, float weight) {
  return __builtin_fmaf(static_cast<float>(byte), weight, sum);
}

// The portable row with the processor's fused step instead of the library's.
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

// Clamped to 0..255 first, the conversion (rounding halves to even) gives ClampToByte's values.
FOTOLOOM_AVX2 inline __m256i RoundedInts(__m256 sum) {
  return _mm256_cvtps_epi32(
      _mm256_min_ps(_mm256_max_ps(sum, _mm256_setzero_ps()), _mm256_set1_ps(255.0f)));
}

// Sixteen clamped sums as sixteen bytes in order.
FOTOLOOM_AVX2 inline __m128i PackBytes(__m256 low, __m256 high) {
  const __m256i a = RoundedInts(low), b = RoundedInts(high);
  const __m128i a16 = _mm_packus_epi32(_mm256_castsi256_si128(a), _mm256_extracti128_si256(a, 1));
  const __m128i b16 = _mm_packus_epi32(_mm256_castsi256_si128(b), _mm256_extracti128_si256(b, 1));
  return _mm_packus_epi16(a16, b16);
}

FOTOLOOM_AVX2 inline __m256 EightBytes(const std::uint8_t* p) {
  return _mm256_cvtepi32_ps(
      _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
}

// A pixel's sum over its taps is a serial chain, so a single row cannot be vectorised; sixteen
// rows can, each lane keeping its own pixel's order of additions. Each tap is six vector steps
// (three channels, two halves of eight rows) from the block's floats; six independent sums
// hide the latency of the fused steps.
FOTOLOOM_AVX2 void Avx2Block(const std::uint8_t* block, const TTapTable& taps, std::uint8_t* out) {
  const int positions = taps.Positions();
  for (int i = 0; i < positions; ++i) {
    __m256 s[6];
    for (__m256& v : s) v = _mm256_setzero_ps();
    for (std::int32_t t = taps.start[i]; t < taps.start[i + 1]; ++t) {
      const std::uint8_t* p = block + static_cast<std::size_t>(taps.index[t]) * 3 * kBandRows;
      const __m256 w = _mm256_set1_ps(taps.weight[t]);
      for (int v = 0; v < 6; ++v) s[v] = _mm256_fmadd_ps(EightBytes(p + 8 * v), w, s[v]);
    }
    for (int c = 0; c < 3; ++c) {
      _mm_store_si128(
          reinterpret_cast<__m128i*>(out + (3 * static_cast<std::size_t>(i) + c) * kBandRows),
          PackBytes(s[2 * c], s[2 * c + 1]));
    }
  }
}

FOTOLOOM_AVX512 inline __m512 SixteenBytes(const std::uint8_t* p) {
  return _mm512_cvtepi32_ps(
      _mm512_cvtepu8_epi32(_mm_load_si128(reinterpret_cast<const __m128i*>(p))));
}

FOTOLOOM_AVX512 void Avx512Block(const std::uint8_t* block, const TTapTable& taps,
                                 std::uint8_t* out) {
  const int positions = taps.Positions();
  const __m512 zero = _mm512_setzero_ps(), top = _mm512_set1_ps(255.0f);
  int i = 0;
  // Two positions at once: six independent chains hide the latency of the fused steps.
  for (; i + 2 <= positions; i += 2) {
    __m512 a0 = zero, a1 = zero, a2 = zero, b0 = zero, b1 = zero, b2 = zero;
    std::int32_t t = taps.start[i], u = taps.start[i + 1];
    const std::int32_t t_end = taps.start[i + 1], u_end = taps.start[i + 2];
    for (; t < t_end && u < u_end; ++t, ++u) {
      const std::uint8_t* p = block + static_cast<std::size_t>(taps.index[t]) * 3 * kBandRows;
      const std::uint8_t* q = block + static_cast<std::size_t>(taps.index[u]) * 3 * kBandRows;
      const __m512 w = _mm512_set1_ps(taps.weight[t]), v = _mm512_set1_ps(taps.weight[u]);
      a0 = _mm512_fmadd_ps(SixteenBytes(p), w, a0);
      b0 = _mm512_fmadd_ps(SixteenBytes(q), v, b0);
      a1 = _mm512_fmadd_ps(SixteenBytes(p + 16), w, a1);
      b1 = _mm512_fmadd_ps(SixteenBytes(q + 16), v, b1);
      a2 = _mm512_fmadd_ps(SixteenBytes(p + 32), w, a2);
      b2 = _mm512_fmadd_ps(SixteenBytes(q + 32), v, b2);
    }
    for (; t < t_end; ++t) {
      const std::uint8_t* p = block + static_cast<std::size_t>(taps.index[t]) * 3 * kBandRows;
      const __m512 w = _mm512_set1_ps(taps.weight[t]);
      a0 = _mm512_fmadd_ps(SixteenBytes(p), w, a0);
      a1 = _mm512_fmadd_ps(SixteenBytes(p + 16), w, a1);
      a2 = _mm512_fmadd_ps(SixteenBytes(p + 32), w, a2);
    }
    for (; u < u_end; ++u) {
      const std::uint8_t* q = block + static_cast<std::size_t>(taps.index[u]) * 3 * kBandRows;
      const __m512 v = _mm512_set1_ps(taps.weight[u]);
      b0 = _mm512_fmadd_ps(SixteenBytes(q), v, b0);
      b1 = _mm512_fmadd_ps(SixteenBytes(q + 16), v, b1);
      b2 = _mm512_fmadd_ps(SixteenBytes(q + 32), v, b2);
    }
    const __m512 sums[6] = {a0, a1, a2, b0, b1, b2};
    std::uint8_t* o = out + 3 * static_cast<std::size_t>(i) * kBandRows;
    for (int c = 0; c < 6; ++c) {
      const __m512i n = _mm512_cvtps_epi32(_mm512_min_ps(_mm512_max_ps(sums[c], zero), top));
      _mm_store_si128(reinterpret_cast<__m128i*>(o + c * kBandRows), _mm512_cvtepi32_epi8(n));
    }
  }
  for (; i < positions; ++i) {
    __m512 s0 = zero, s1 = zero, s2 = zero;
    for (std::int32_t t = taps.start[i]; t < taps.start[i + 1]; ++t) {
      const std::uint8_t* p = block + static_cast<std::size_t>(taps.index[t]) * 3 * kBandRows;
      const __m512 w = _mm512_set1_ps(taps.weight[t]);
      s0 = _mm512_fmadd_ps(SixteenBytes(p), w, s0);
      s1 = _mm512_fmadd_ps(SixteenBytes(p + 16), w, s1);
      s2 = _mm512_fmadd_ps(SixteenBytes(p + 32), w, s2);
    }
    std::uint8_t* o = out + 3 * static_cast<std::size_t>(i) * kBandRows;
    const __m512 sums[3] = {s0, s1, s2};
    for (int c = 0; c < 3; ++c) {
      const __m512i n = _mm512_cvtps_epi32(_mm512_min_ps(_mm512_max_ps(sums[c], zero), top));
      _mm_store_si128(reinterpret_cast<__m128i*>(o + c * kBandRows), _mm512_cvtepi32_epi8(n));
    }
  }
}

// The vertical row from byte x on, its sums in registers: 32 bytes of the row at a time, every
// tap.
FOTOLOOM_AVX2 void Avx2Vertical(const std::uint8_t* const* rows, const float* weights, int count,
                                std::size_t x, std::size_t n, std::uint8_t* out) {
  for (; x + 32 <= n; x += 32) {
    __m256 s[4];
    for (__m256& v : s) v = _mm256_setzero_ps();
    for (int k = 0; k < count; ++k) {
      const __m256 w = _mm256_set1_ps(weights[k]);
      const std::uint8_t* p = rows[k] + x;
      for (int v = 0; v < 4; ++v) s[v] = _mm256_fmadd_ps(EightBytes(p + 8 * v), w, s[v]);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), PackBytes(s[0], s[1]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x + 16), PackBytes(s[2], s[3]));
  }
  for (; x < n; ++x) {
    float s = 0.0f;
    for (int k = 0; k < count; ++k) s = FusedTap(s, rows[k][x], weights[k]);
    out[x] = ClampToByte(s);
  }
}

FOTOLOOM_AVX512 void Avx512Vertical(const std::uint8_t* const* rows, const float* weights,
                                    int count, std::size_t n, std::uint8_t* out) {
  const __m512 zero = _mm512_setzero_ps(), top = _mm512_set1_ps(255.0f);
  std::size_t x = 0;
  for (; x + 64 <= n; x += 64) {
    __m512 s[4];
    for (__m512& v : s) v = zero;
    for (int k = 0; k < count; ++k) {
      const __m512 w = _mm512_set1_ps(weights[k]);
      const std::uint8_t* p = rows[k] + x;
      for (int v = 0; v < 4; ++v) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * v));
        s[v] = _mm512_fmadd_ps(_mm512_cvtepi32_ps(_mm512_cvtepu8_epi32(bytes)), w, s[v]);
      }
    }
    for (int v = 0; v < 4; ++v) {
      const __m512i ints = _mm512_cvtps_epi32(_mm512_min_ps(_mm512_max_ps(s[v], zero), top));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x + 16 * v), _mm512_cvtepi32_epi8(ints));
    }
  }
  Avx2Vertical(rows, weights, count, x, n, out);
}

#endif  // FOTOLOOM_X86_VECTOR_LOOPS

}  // namespace

TKernelSet KernelsFor(TLoopKind loops) {
  switch (loops) {
    case TLoopKind::kPortable:
      return TKernelSet::kPortable;
    case TLoopKind::kAvx2:
      return TKernelSet::kAvx2;
    case TLoopKind::kAvx512:
      return TKernelSet::kAvx512;
    case TLoopKind::kFastest:
      break;
  }
  if (LoopsAvailable(TLoopKind::kAvx512)) return TKernelSet::kAvx512;
  if (LoopsAvailable(TLoopKind::kAvx2)) return TKernelSet::kAvx2;
  return TKernelSet::kPortable;
}

bool LoopsAvailable(TLoopKind loops) {
#ifdef FOTOLOOM_X86_VECTOR_LOOPS
  static const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  static const bool avx512 = avx2 && __builtin_cpu_supports("avx512f") &&
                             __builtin_cpu_supports("avx512bw") &&
                             __builtin_cpu_supports("avx512vl");
  switch (loops) {
    case TLoopKind::kAvx2:
      return avx2;
    case TLoopKind::kAvx512:
      return avx512;
    default:
      return true;
  }
#else
  return loops == TLoopKind::kPortable || loops == TLoopKind::kFastest;
#endif
}

void TransposeRows(const std::uint8_t* const rows[kBandRows], int bytes, std::uint8_t* block) {
  int b = 0;
#ifdef FOTOLOOM_X86_VECTOR_LOOPS
  if (LoopsAvailable(TLoopKind::kAvx512)) b = Avx512Transpose(rows, bytes, block);
  for (; b + 16 <= bytes; b += 16) {
    __m128i v[16];
    for (int r = 0; r < kBandRows; ++r)
      v[r] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[r] + b));
    Transpose16x16(v);
    for (int j = 0; j < 16; ++j)
      _mm_store_si128(
          reinterpret_cast<__m128i*>(block + static_cast<std::size_t>(b + j) * kBandRows), v[j]);
  }
#endif
  for (; b < bytes; ++b) {
    for (int r = 0; r < kBandRows; ++r)
      block[static_cast<std::size_t>(b) * kBandRows + r] = rows[r][b];
  }
}

THorizontalBlock::THorizontalBlock(TKernelSet set) : set_(set) {}
THorizontalBlock::~THorizontalBlock() = default;

void THorizontalBlock::Run(const std::uint8_t* block, const TTapTable& taps,
                           std::uint8_t* const out[kBandRows]) {
  const std::size_t bytes = 3 * static_cast<std::size_t>(taps.Positions());
  if (out_count_ < bytes * kBandRows) {
    out_ = AlignedBytes(bytes * kBandRows);
    out_count_ = bytes * kBandRows;
  }
#ifdef FOTOLOOM_X86_VECTOR_LOOPS
  if (set_ == TKernelSet::kAvx512 || set_ == TKernelSet::kAvx2) {
    if (set_ == TKernelSet::kAvx512) {
      Avx512Block(block, taps, out_.get());
    } else {
      Avx2Block(block, taps, out_.get());
    }
    UntransposeRows(out_.get(), static_cast<int>(bytes), out);
    return;
  }
#endif
  // The same chains one lane at a time.
  for (int i = 0; i < taps.Positions(); ++i) {
    for (int r = 0; r < kBandRows; ++r) {
      for (int c = 0; c < 3; ++c) {
        float s = 0.0f;
        for (std::int32_t t = taps.start[i]; t < taps.start[i + 1]; ++t) {
          const std::uint8_t* p = block + static_cast<std::size_t>(taps.index[t]) * 3 * kBandRows;
          s = AccumulateTap(s, p[c * kBandRows + r], taps.weight[t]);
        }
        out[r][3 * i + c] = ClampToByte(s);
      }
    }
  }
}

void AverageRows(const std::uint8_t* a, const std::uint8_t* b, std::size_t bytes,
                 std::uint8_t* out) {
  std::size_t i = 0;
#ifdef FOTOLOOM_X86_VECTOR_LOOPS
  for (; i + 16 <= bytes; i += 16) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_avg_epu8(x, y));
  }
#endif
  for (; i < bytes; ++i) out[i] = static_cast<std::uint8_t>((a[i] + b[i] + 1) >> 1);
}

void HorizontalRow(TKernelSet set, const std::uint8_t* bgr, const TTapTable& taps,
                   std::uint8_t* out) {
#ifdef FOTOLOOM_X86_VECTOR_LOOPS
  if (set != TKernelSet::kPortable) {
    FusedRow(bgr, taps, out);
    return;
  }
#endif
  (void)set;
  PortableRow(bgr, taps, out);
}

void VerticalRow(TKernelSet set, const std::uint8_t* const* rows, const float* weights, int count,
                 std::size_t bytes, float* sums, std::uint8_t* out) {
#ifdef FOTOLOOM_X86_VECTOR_LOOPS
  if (set == TKernelSet::kAvx512) {
    Avx512Vertical(rows, weights, count, bytes, out);
    return;
  }
  if (set == TKernelSet::kAvx2) {
    Avx2Vertical(rows, weights, count, 0, bytes, out);
    return;
  }
#endif
  (void)set;
  PortableVertical(rows, weights, count, bytes, sums, out);
}

}  // namespace fotoloom
