// The contrast of the modern pages' colour pairs, and which pairs a run warns about.
#include "generation/contrast.h"

#include <gtest/gtest.h>

#include <functional>

namespace fotoloom {
namespace {

TEST(ContrastRatio, OfHtmlColoursOnly) {
  struct Case {
    const char *a, *b;
    std::optional<double> ratio;
  };
  const Case cases[] = {
      {"#000000", "#FFFFFF", 21.0}, {"#fff", "#000", 21.0}, {"#abcdef", "#ABCDEF", 1.0},
      {"#777777", "#FFFFFF", 4.478}, {"#FF0000", "#000000", 5.252},
      {"white", "#000000", std::nullopt}, {"#12345", "#000000", std::nullopt},
      {"#GG0000", "#000000", std::nullopt}, {"", "#000000", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " on " + c.b);
    const std::optional<double> ratio = ContrastRatio(c.a, c.b);
    ASSERT_EQ(ratio.has_value(), c.ratio.has_value());
    if (ratio) {
      EXPECT_NEAR(*ratio, *c.ratio, 0.001);
    }
  }
}

TEST(ContrastWarnings, NameEveryPairTheModernPagesShowBelowTheRatio) {
  const auto base = [] {
    AlbumSettings a;
    a.TextColor = "#FFFFFF";
    a.BgColor = "#000000";
    a.LinkColor = "#FFFF00";
    a.VLinkColor = "#FF8000";
    a.HeaderColor = "#FFFFFF";
    a.TableBgColor = "#C0C0C0";
    return a;
  };
  struct Case {
    const char* what;
    std::function<void(AlbumSettings&)> change;
    std::vector<std::string> pairs;  // "<what> colour <colour> on the <background>"
  };
  const Case cases[] = {
      {"readable", [](AlbumSettings&) {}, {}},
      {"dark header", [](AlbumSettings& a) { a.HeaderColor = "#202020"; },
       {"header colour #202020 on the background colour #000000"}},
      {"dark header, no header", [](AlbumSettings& a) {
         a.HeaderColor = "#202020";
         a.AlbumHeader.clear();
       }, {}},
      {"light table", [](AlbumSettings& a) { a.UseTableBgColor = true; },
       {"text colour #FFFFFF on the table background colour #C0C0C0",
        "link colour #FFFF00 on the table background colour #C0C0C0"}},
      {"grey page", [](AlbumSettings& a) { a.BgColor = "#777777"; },
       {"text colour #FFFFFF on the background colour #777777",
        "link colour #FFFF00 on the background colour #777777",
        "visited link colour #FF8000 on the background colour #777777",
        "header colour #FFFFFF on the background colour #777777"}},
      {"colour names", [](AlbumSettings& a) { a.TextColor = a.BgColor = "black"; }, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    AlbumSettings album = base();
    c.change(album);
    const std::vector<std::string> warnings = ContrastWarnings(album);
    ASSERT_EQ(warnings.size(), c.pairs.size()) << ::testing::PrintToString(warnings);
    for (std::size_t k = 0; k < warnings.size(); ++k)
      EXPECT_EQ(warnings[k].rfind("Low contrast: the " + c.pairs[k] + " is ", 0), 0u) << warnings[k];
  }
  // The ratio is cut, not rounded: 4.478 is not shown as the 4.5 it falls short of.
  AlbumSettings album = base();
  album.TextColor = "#777777";
  album.BgColor = "#FFFFFF";
  EXPECT_EQ(ContrastWarnings(album).front(),
            "Low contrast: the text colour #777777 on the background colour #FFFFFF is 4.4:1, less "
            "than 4.5:1; some visitors will not be able to read it.");
}

}  // namespace
}  // namespace fotoloom
