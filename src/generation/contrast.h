// Contrast of the catalog's colours, as the modern pages use them: text, links, visited links
// and the header on the page background, and text and links on the table background when the
// pages use it. The colours are reported, never changed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "generation/album_settings.h"

namespace fotoloom {

// Below this ratio of (lighter + 0.05) / (darker + 0.05) relative luminance, normal-size text
// is hard to read.
inline constexpr double kLeastContrast = 4.5;

// The relative luminance (0 black .. 1 white) of an HTML colour "#RRGGBB" or "#RGB" (hex
// digits of either case); nullopt for anything else, a colour name included.
std::optional<double> RelativeLuminance(const std::string& color);

// The contrast ratio of two colours, 1 to 21; nullopt when either is no "#RRGGBB" / "#RGB".
std::optional<double> ContrastRatio(const std::string& a, const std::string& b);

// One warning per colour pair of the modern pages whose contrast is below kLeastContrast, in
// the order text, link, visited link, header (only with a header) on BgColor, then text and
// link on TableBgColor (only with UseTableBgColor): "Low contrast: the link colour #0000FF on
// the background colour #000000 is 2.4:1, less than 4.5:1; some visitors will not be able to
// read it.", the ratio cut (not rounded) to one decimal. Pairs with a colour that is no
// "#RRGGBB" / "#RGB" are passed over.
std::vector<std::string> ContrastWarnings(const AlbumSettings& album);

}  // namespace fotoloom
