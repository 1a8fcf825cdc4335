#include "imaging/contributors.h"

#include <cmath>
#include <cstdint>

namespace fotoloom {
namespace {

using Ext = long double;

// Indices beyond the first and last pixel are reflected back inside; the two edges differ
// (-1 maps to 1, but n maps to n - 1).
std::int64_t Mirror(std::int64_t j, std::int64_t n) {
  if (j < 0) return -j;
  if (j >= n) return 2 * n - 1 - j;
  return j;
}

}  // namespace

float ResampleScale(int dest_size, int source_size) {
  if (source_size == 1) return static_cast<float>(static_cast<Ext>(dest_size) / source_size);
  return static_cast<float>(static_cast<Ext>(dest_size - 1) / (source_size - 1));
}

std::vector<TContributorList> BuildContributors(int dest_size, int source_size, float scale,
                                                const TFilterKernel& kernel) {
  std::vector<TContributorList> lists(static_cast<std::size_t>(dest_size));
  const bool shrinking = scale < 1.0f;
  // Shrinking widens the window by 1 / scale and flattens the kernel by the same factor.
  const float width = shrinking ? static_cast<float>(kernel.radius / static_cast<Ext>(scale))
                                : kernel.radius;
  const float fscale = shrinking ? static_cast<float>(1 / static_cast<Ext>(scale)) : 1.0f;
  for (int i = 0; i < dest_size; ++i) {
    const float centre = static_cast<float>(static_cast<Ext>(i) / scale);
    const auto first = static_cast<std::int64_t>(std::floor(static_cast<Ext>(centre) - width));
    const auto last = static_cast<std::int64_t>(std::ceil(static_cast<Ext>(centre) + width));
    TContributorList& list = lists[static_cast<std::size_t>(i)];
    list.reserve(static_cast<std::size_t>(last - first + 1));
    for (std::int64_t j = first; j <= last; ++j) {
      float weight;
      if (shrinking) {
        const float x = static_cast<float>((static_cast<Ext>(centre) - j) / fscale);
        weight = static_cast<float>(kernel.function(x) / static_cast<Ext>(fscale));
      } else {
        weight = kernel.function(static_cast<float>(static_cast<Ext>(centre) - j));
      }
      if (weight == 0.0f) continue;
      const std::int64_t k = Mirror(j, source_size);
      if (k < 0 || k >= source_size) weight = 0.0f;
      list.push_back({static_cast<std::int32_t>(k), weight});
    }
  }
  return lists;
}

}  // namespace fotoloom
