// A tiny scene painter for the generated pictures: a scene is a function from a point to a
// colour, sampled on a grid inside every pixel so that edges come out smooth. Shapes are
// plain inside-tests; Over() layers a colour onto what lies below.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>

#include "image_writers.h"

namespace fotoloom::tools {

struct Color {
  double r = 0, g = 0, b = 0;  // 0..255
};

inline Color Mix(Color a, Color b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

inline bool InCircle(double x, double y, double cx, double cy, double radius) {
  return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
}

inline bool InRect(double x, double y, double left, double top, double right, double bottom) {
  return x >= left && x < right && y >= top && y < bottom;
}

// Inside the band of the given half-width around the segment (x0,y0)-(x1,y1).
inline bool NearSegment(double x, double y, double x0, double y0, double x1, double y1,
                        double halfWidth) {
  double dx = x1 - x0, dy = y1 - y0;
  double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? std::clamp(((x - x0) * dx + (y - y0) * dy) / len2, 0.0, 1.0) : 0.0;
  double px = x0 + t * dx - x, py = y0 + t * dy - y;
  return px * px + py * py <= halfWidth * halfWidth;
}

// Inside the triangle with the three corners, in either winding.
inline bool InTriangle(double x, double y, double ax, double ay, double bx, double by, double cx,
                       double cy) {
  auto side = [&](double px, double py, double qx, double qy) {
    return (qx - px) * (y - py) - (qy - py) * (x - px);
  };
  double d1 = side(ax, ay, bx, by), d2 = side(bx, by, cx, cy), d3 = side(cx, cy, ax, ay);
  bool neg = d1 < 0 || d2 < 0 || d3 < 0;
  bool pos = d1 > 0 || d2 > 0 || d3 > 0;
  return !(neg && pos);
}

// Samples scene(x, y) (pixel coordinates, y downwards) samples x samples times per pixel.
inline RgbImage Paint(int width, int height, const std::function<Color(double, double)>& scene,
                      int samples = 4) {
  RgbImage image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      double r = 0, g = 0, b = 0;
      for (int sy = 0; sy < samples; ++sy) {
        for (int sx = 0; sx < samples; ++sx) {
          Color c = scene(x + (sx + 0.5) / samples, y + (sy + 0.5) / samples);
          r += c.r;
          g += c.g;
          b += c.b;
        }
      }
      const double n = samples * samples;
      std::uint8_t* p = image.Pixel(x, y);
      p[0] = static_cast<std::uint8_t>(std::clamp(std::lround(r / n), 0L, 255L));
      p[1] = static_cast<std::uint8_t>(std::clamp(std::lround(g / n), 0L, 255L));
      p[2] = static_cast<std::uint8_t>(std::clamp(std::lround(b / n), 0L, 255L));
    }
  }
  return image;
}

}  // namespace fotoloom::tools
