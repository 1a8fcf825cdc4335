#include "generation/contrast.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace fotoloom {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// An sRGB channel (0..255) made linear.
double Linear(int channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

}  // namespace

std::optional<double> RelativeLuminance(const std::string& color) {
  if ((color.size() != 7 && color.size() != 4) || color[0] != '#') return std::nullopt;
  const bool short_form = color.size() == 4;
  int rgb[3];
  for (int k = 0; k < 3; ++k) {
    const int hi = HexDigit(color[short_form ? 1 + k : 1 + 2 * k]);
    const int lo = HexDigit(color[short_form ? 1 + k : 2 + 2 * k]);
    if (hi < 0 || lo < 0) return std::nullopt;
    rgb[k] = hi * 16 + lo;
  }
  return 0.2126 * Linear(rgb[0]) + 0.7152 * Linear(rgb[1]) + 0.0722 * Linear(rgb[2]);
}

std::optional<double> ContrastRatio(const std::string& a, const std::string& b) {
  const std::optional<double> la = RelativeLuminance(a);
  const std::optional<double> lb = RelativeLuminance(b);
  if (!la || !lb) return std::nullopt;
  const double lighter = std::max(*la, *lb), darker = std::min(*la, *lb);
  return (lighter + 0.05) / (darker + 0.05);
}

std::vector<std::string> ContrastWarnings(const AlbumSettings& album) {
  struct Pair {
    const char* what;
    const std::string& color;
    const char* on;
    const std::string& background;
    bool used;
  };
  const Pair pairs[] = {
      {"text", album.TextColor, "background", album.BgColor, true},
      {"link", album.LinkColor, "background", album.BgColor, true},
      {"visited link", album.VLinkColor, "background", album.BgColor, true},
      {"header", album.HeaderColor, "background", album.BgColor, !album.AlbumHeader.empty()},
      {"text", album.TextColor, "table background", album.TableBgColor, album.UseTableBgColor},
      {"link", album.LinkColor, "table background", album.TableBgColor, album.UseTableBgColor},
  };
  std::vector<std::string> warnings;
  for (const Pair& pair : pairs) {
    if (!pair.used) continue;
    const std::optional<double> ratio = ContrastRatio(pair.color, pair.background);
    if (!ratio || *ratio >= kLeastContrast) continue;
    char shown[16];
    std::snprintf(shown, sizeof shown, "%.1f", std::floor(*ratio * 10) / 10);
    warnings.push_back(std::string("Low contrast: the ") + pair.what + " colour " + pair.color +
                       " on the " + pair.on + " colour " + pair.background + " is " + shown +
                       ":1, less than 4.5:1; some visitors will not be able to read it.");
  }
  return warnings;
}

}  // namespace fotoloom
