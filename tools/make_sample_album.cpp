// Writes the pictures of examples/sample-album: a dozen small painted scenes in all three
// listed formats (JPEG, PNG, BMP in 24 and 8 bits), landscape and portrait, with names that
// hold blanks, UTF-8 letters, an apostrophe, an ampersand and an upper-case extension.
// The descriptions (imgdesc.dat) are kept by hand beside the pictures. Run again after a
// change here:
//   make-sample-album examples/sample-album
#include <cmath>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "painter.h"

namespace fotoloom::tools {
namespace {

enum class Format { kJpeg, kPng, kBmp24, kBmp8 };

struct Picture {
  const char* name;
  int width;
  int height;
  Format format;
  std::function<Color(double, double)> scene;
};

Color Sky(double y, double height) {
  return Mix({70, 120, 200}, {190, 220, 245}, y / height);
}

Color Sunset(double x, double y) {
  const double horizon = 150;
  if (y < horizon) {
    if (InCircle(x, y, 200, horizon, 35)) return {255, 214, 110};
    return Mix({70, 40, 110}, {250, 150, 60}, y / horizon);
  }
  Color sea = Mix({40, 40, 90}, {10, 20, 50}, (y - horizon) / 90);
  double glitter = std::sin(y * 1.7) * std::sin(x * 0.09);
  if (std::abs(x - 200) < 40 - (y - horizon) * 0.2 && glitter > 0.3) {
    return Mix(sea, {250, 180, 90}, 0.7);
  }
  return sea;
}

Color Mountains(double x, double y) {
  struct Peak {
    double x, y, half;
  };
  const Peak peaks[] = {{90, 60, 110}, {230, 40, 120}, {320, 90, 90}};
  if (y > 190) return Mix({80, 140, 60}, {40, 90, 30}, (y - 190) / 50);
  for (const Peak& p : peaks) {
    if (InTriangle(x, y, p.x, p.y, p.x - p.half, p.y + p.half * 1.2, p.x + p.half,
                   p.y + p.half * 1.2)) {
      return y < p.y + 30 ? Color{245, 245, 250} : Color{105, 105, 125};
    }
  }
  return Sky(y, 240);
}

Color Tower(double x, double y) {
  if (y > 280) return {95, 130, 70};
  if (InTriangle(x, y, 90, 40, 55, 95, 125, 95)) return {120, 60, 50};
  if (InRect(x, y, 60, 95, 120, 280)) {
    for (int row = 0; row < 5; ++row) {
      if (InRect(x, y, 82, 115 + row * 32, 98, 135 + row * 32)) return {250, 230, 150};
    }
    return (static_cast<int>(y) / 6) % 2 ? Color{175, 95, 65} : Color{165, 85, 60};
  }
  return Sky(y, 320);
}

Color Cafe(double x, double y) {
  if (InCircle(x, y, 120, 120, 38)) {
    if (InCircle(x, y, 120, 120, 12)) return {225, 200, 160};
    return Mix({200, 160, 110}, {120, 70, 40}, std::hypot(x - 120, y - 120) / 38);
  }
  if (InCircle(x, y, 120, 120, 48)) return {250, 250, 248};
  if (NearSegment(x, y, 165, 120, 185, 120, 7)) return {250, 250, 248};
  if (InCircle(x, y, 120, 120, 80)) return {215, 215, 220};
  return (static_cast<int>(x + y / 3) / 14) % 2 ? Color{150, 100, 60} : Color{140, 92, 55};
}

Color Harbour(double x, double y) {
  const double water = 120;
  for (int i = 0; i < 3; ++i) {
    double bx = 60 + i * 100, by = water + 10;
    if (InTriangle(x, y, bx, by - 75, bx, by - 10, bx + 40, by - 10)) return {245, 240, 225};
    if (NearSegment(x, y, bx, by - 78, bx, by - 6, 1.2)) return {90, 60, 40};
    if (InRect(x, y, bx - 30, by - 8, bx + 45, by + 6) &&
        !InTriangle(x, y, bx - 30, by - 8, bx - 30, by + 7, bx - 18, by + 7) &&
        !InTriangle(x, y, bx + 45, by - 8, bx + 45, by + 7, bx + 33, by + 7)) {
      return i == 1 ? Color{200, 40, 40} : Color{30, 60, 140};
    }
  }
  if (y < water) return y < 40 ? Color{120, 170, 220} : Color{150, 195, 235};
  return std::sin(x * 0.15 + y * 0.8) > 0.6 ? Color{80, 140, 190} : Color{40, 95, 150};
}

Color Forest(double x, double y) {
  const double ground = 170 + 12 * std::sin(x * 0.03);
  for (int i = 0; i < 7; ++i) {
    double tx = 20 + i * 45 + (i % 2) * 8, base = ground + 4, h = 90 + (i % 3) * 20;
    if (InRect(x, y, tx - 4, base - 10, tx + 4, base + 8)) return {90, 60, 35};
    if (InTriangle(x, y, tx, base - h, tx - 22, base - 8, tx + 22, base - 8)) {
      return i % 2 ? Color{30, 95, 45} : Color{40, 115, 55};
    }
  }
  if (y > ground) return {70, 125, 55};
  return Sky(y, 225);
}

Color Lake(double x, double y) {
  const double shore = 170;
  auto land = [&](double px, double py) {
    return InTriangle(px, py, 60, 70, -40, shore, 160, shore) ||
           InTriangle(px, py, 150, 95, 80, shore, 240, shore);
  };
  if (y < shore) return land(x, y) ? Color{90, 110, 90} : Sky(y, shore);
  double mirrored = 2 * shore - y + 3 * std::sin(y * 0.6);
  Color c = land(x, mirrored) ? Color{60, 80, 75} : Mix({120, 160, 200}, {60, 100, 150}, (y - shore) / 130);
  return y > 275 ? Color{120, 100, 70} : c;
}

Color Flower(double x, double y) {
  const double cx = 60, cy = 45;
  if (InCircle(x, y, cx, cy, 10)) return {250, 200, 40};
  for (int i = 0; i < 8; ++i) {
    double a = i * 3.14159265358979 / 4;
    if (InCircle(x, y, cx + 20 * std::cos(a), cy + 20 * std::sin(a), 10)) return {230, 80, 150};
  }
  if (NearSegment(x, y, cx, cy + 28, cx - 4, 90, 2.5)) return {40, 110, 40};
  return {150, 200, 130};
}

// Painted without smoothing so that it keeps few enough colours for an 8-bit palette.
Color Checkerboard(double x, double y) {
  if (InCircle(x, y, 48, 64, 28)) return {210, 40, 40};
  bool dark = (static_cast<int>(x / 16) + static_cast<int>(y / 16)) % 2;
  return dark ? Color{40, 40, 40} : Color{235, 235, 235};
}

Color Seaside(double x, double y) {
  const double horizon = 110, beach = 170 + 10 * std::sin(x * 0.02);
  if (y > beach) return Mix({235, 215, 160}, {210, 185, 130}, (y - beach) / 70);
  if (y > horizon) {
    if (y > beach - 6 && std::sin(x * 0.2) > -0.2) return {245, 250, 250};
    return Mix({40, 130, 170}, {70, 170, 190}, (y - horizon) / 60);
  }
  if (InCircle(x, y, 70, 45, 20)) return {255, 240, 180};
  return Sky(y, horizon * 1.3);
}

Color Garden(double x, double y) {
  if (InRect(x, y, 0, 40, 240, 48) || InRect(x, y, 0, 70, 240, 78)) return {240, 235, 225};
  for (int i = 0; i < 12; ++i) {
    if (InRect(x, y, 8 + i * 20, 30, 16 + i * 20, 95)) return {245, 240, 230};
  }
  if (y < 95) return Sky(y, 120);
  for (int i = 0; i < 9; ++i) {
    double fx = 20 + i * 26, fy = 125 + (i % 3) * 16;
    if (InCircle(x, y, fx, fy, 6)) {
      static const Color colours[] = {{230, 60, 60}, {250, 200, 50}, {180, 90, 210}};
      return colours[i % 3];
    }
  }
  return Mix({100, 170, 70}, {60, 120, 45}, (y - 95) / 85);
}

Color Dunes(double x, double y) {
  double first = 110 + 20 * std::sin(x * 0.025);
  double second = 135 + 18 * std::sin(x * 0.04 + 2);
  if (y > second) return Mix({225, 170, 100}, {190, 130, 70}, (y - second) / 60);
  if (y > first) return Mix({240, 195, 125}, {215, 160, 95}, (y - first) / 50);
  return Mix({30, 90, 180}, {150, 200, 235}, y / 120);
}

std::vector<Picture> Pictures() {
  return {
      {"sunset.jpg", 320, 240, Format::kJpeg, Sunset},
      {"Mountains.JPG", 320, 240, Format::kJpeg, Mountains},
      {"tall tower.jpg", 180, 320, Format::kJpeg, Tower},
      {"Caf\xC3\xA9 au lait.jpg", 240, 240, Format::kJpeg, Cafe},
      {"\xE6\xB5\xB7\xE8\xBE\xBA.jpg", 320, 240, Format::kJpeg, Seaside},
      {"dunes & sky.jpg", 320, 180, Format::kJpeg, Dunes},
      {"\xC3\x85land harbour.png", 320, 200, Format::kPng, Harbour},
      {"forest.png", 300, 225, Format::kPng, Forest},
      {"lake_portrait.png", 200, 300, Format::kPng, Lake},
      {"Anna's garden.png", 240, 180, Format::kPng, Garden},
      {"flower.bmp", 120, 90, Format::kBmp24, Flower},
      {"checkerboard.bmp", 96, 128, Format::kBmp8, Checkerboard},
  };
}

}  // namespace
}  // namespace fotoloom::tools

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY\n", argv[0]);
    return 2;
  }
  try {
    using namespace fotoloom::tools;
    const std::string dir = std::string(argv[1]) + "/";
    for (const Picture& p : Pictures()) {
      const std::string path = dir + p.name;
      switch (p.format) {
        case Format::kJpeg:
          WriteJpeg(path, Paint(p.width, p.height, p.scene), 80);
          break;
        case Format::kPng:
          WritePng(path, Paint(p.width, p.height, p.scene));
          break;
        case Format::kBmp24:
          WriteBmp24(path, Paint(p.width, p.height, p.scene));
          break;
        case Format::kBmp8:
          WriteBmp8(path, Paint(p.width, p.height, p.scene, 1));
          break;
      }
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
