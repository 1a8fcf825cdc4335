#include "imaging/resize_filters.h"

#include <cmath>

namespace fotoloom {
namespace {

// Each kernel evaluates its polynomial in extended precision and rounds once, to single, at
// the end: the rounding points are part of the result.
using Ext = long double;
constexpr Ext kPi = 3.141592653589793238462643383279502884L;

float Triangle(float x) {
  const Ext a = std::fabs(x);
  return a < 1 ? static_cast<float>(1 - a) : 0.0f;
}

float Hermite(float x) {
  const Ext a = std::fabs(x);
  return a < 1 ? static_cast<float>((2 * a - 3) * a * a + 1) : 0.0f;
}

float Bell(float x) {
  const Ext a = std::fabs(x);
  if (a < 0.5L) return static_cast<float>(0.75L - a * a);
  if (a < 1.5L) return static_cast<float>(0.5L * (a - 1.5L) * (a - 1.5L));
  return 0.0f;
}

float BSpline(float x) {
  const Ext a = std::fabs(x);
  if (a < 1) return static_cast<float>(0.5L * a * a * a - a * a + 2.0L / 3.0L);
  if (a < 2) return static_cast<float>((2 - a) * (2 - a) * (2 - a) / 6);
  return 0.0f;
}

float Lanczos3(float x) {
  const float a = std::fabs(x);
  if (!(a < 3.0f)) return 0.0f;
  const float third = static_cast<float>(static_cast<Ext>(a) / 3);
  return Sinc(a) * Sinc(third);  // a single-precision product
}

// Mitchell-Netravali with B = C = 1/3.
float Mitchell(float x) {
  const Ext a = std::fabs(x);
  if (a < 1) return static_cast<float>((7 * a * a * a - 12 * a * a + 16.0L / 3.0L) / 6);
  if (a < 2) {
    return static_cast<float>(
        (-(7.0L / 3.0L) * a * a * a + 12 * a * a - 20 * a + 32.0L / 3.0L) / 6);
  }
  return 0.0f;
}

}  // namespace

float Sinc(float x) {
  if (x == 0.0f) return 1.0f;
  const float p = static_cast<float>(kPi * x);
  // The sine in double precision: its error lies far below the rounding of the result to
  // single, and the extended-precision sine costs as much as the rest of a resize.
  return static_cast<float>(static_cast<Ext>(std::sin(static_cast<double>(p))) / p);
}

TFilterKernel FilterKernel(TResizeFilter filter) {
  switch (filter) {
    case rfHermite: return {Hermite, 1.0f};
    case rfBell: return {Bell, 1.5f};
    case rfBSpline: return {BSpline, 2.0f};
    case rfLanczos3: return {Lanczos3, 3.0f};
    case rfMitchell: return {Mitchell, 2.0f};
    case rfTriangle:
    default: return {Triangle, 1.0f};
  }
}

}  // namespace fotoloom
