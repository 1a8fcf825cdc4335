// Contributor lists: for every destination column (or row) of a resampling pass, the source
// pixels that contribute to it and their weights.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/resize_filters.h"

namespace fotoloom {

struct TContributor {
  std::int32_t index;  // source column or row, mirrored at the edges
  float weight;        // not normalised; 0 for a mirrored index still outside the source
};
using TContributorList = std::vector<TContributor>;

// Scale of one axis, rounded to single precision: dest / source when source is 1, else
// (dest - 1) / (source - 1). REQUIRES: source >= 1.
float ResampleScale(int dest_size, int source_size);

// One list per destination position 0 .. dest_size - 1, entries in ascending order of the
// unmirrored source position. Weights of exactly 0 have no entry. A source index outside
// 0 .. source_size - 1 only ever appears with weight 0.
// REQUIRES: source_size >= 1, dest_size >= 1, scale > 0.
std::vector<TContributorList> BuildContributors(int dest_size, int source_size, float scale,
                                                const TFilterKernel& kernel);

}  // namespace fotoloom
