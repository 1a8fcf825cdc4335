// The resampling kernels. Each is a function of a single-precision argument with a
// single-precision result and a support radius R outside which it is 0.
#pragma once

#include <cstdint>

namespace fotoloom {

// Stored as one byte; the order is fixed.
enum TResizeFilter : std::uint8_t {
  rfTriangle = 0,
  rfHermite = 1,
  rfBell = 2,
  rfBSpline = 3,
  rfLanczos3 = 4,
  rfMitchell = 5,
};

struct TFilterKernel {
  float (*function)(float x);
  float radius;
};

// The kernel of a filter; a value outside the enumeration falls back to rfTriangle.
TFilterKernel FilterKernel(TResizeFilter filter);

// sin(p) / p with p = pi * x rounded to single precision; 1 for x = 0.
float Sinc(float x);

}  // namespace fotoloom
