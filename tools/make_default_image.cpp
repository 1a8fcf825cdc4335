// Writes the "no preview" picture that stands in for an image whose thumbnail cannot be made:
// a grey picture-frame symbol struck through, on a light grey ground. The result is committed
// as assets/default.jpg; run again after a change here:
//   make-default-image assets/default.jpg
#include <cstdio>
#include <exception>

#include "painter.h"

namespace fotoloom::tools {
namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;

Color NoPreview(double x, double y) {
  const Color ground{226, 226, 226};
  const Color frame{150, 150, 150};
  const Color motif{186, 186, 186};
  const Color strike{128, 128, 128};

  // Picture frame: a rectangle outline with rounded corners.
  const double left = 40, top = 28, right = 120, bottom = 92, radius = 6, line = 3;
  auto insideRounded = [&](double l, double t, double r, double b, double rad) {
    double cx = std::clamp(x, l + rad, r - rad);
    double cy = std::clamp(y, t + rad, b - rad);
    return InRect(x, y, l, t, r, b) && InCircle(x, y, cx, cy, rad);
  };
  bool outer = insideRounded(left, top, right, bottom, radius);
  bool inner = insideRounded(left + line, top + line, right - line, bottom - line, radius - line);

  if (NearSegment(x, y, 34, 98, 126, 22, 2.2)) return strike;
  if (outer && !inner) return frame;
  if (inner) {
    if (InCircle(x, y, 98, 48, 7)) return motif;
    if (InTriangle(x, y, 46, 86, 68, 54, 90, 86)) return motif;
    if (InTriangle(x, y, 72, 86, 92, 64, 114, 86)) return motif;
  }
  return ground;
}

}  // namespace
}  // namespace fotoloom::tools

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.jpg\n", argv[0]);
    return 2;
  }
  try {
    using namespace fotoloom::tools;
    WriteJpeg(argv[1], Paint(kWidth, kHeight, NoPreview), 90);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
