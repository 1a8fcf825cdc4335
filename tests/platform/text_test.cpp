#include "platform/text.h"

#include <gtest/gtest.h>

namespace fotoloom {
namespace {

TEST(UpperCase, PerCharacterInTheLocaleKeepingInvalidBytes) {
  EXPECT_EQ(UpperCase("photo_01.jpg"), "PHOTO_01.JPG");
  EXPECT_EQ(UpperCase("\xC3\xA4pfel \xC3\xB6l \xC3\xA5"), "\xC3\x84PFEL \xC3\x96L \xC3\x85");
  EXPECT_EQ(UpperCase("\xC4\xB1"), "I");         // dotless i shrinks to one byte
  EXPECT_EQ(UpperCase("\xC3\x9F"), "\xC3\x9F");  // sharp s has no single upper-case form
  // A Latin-1 "ä" alone, a stray continuation byte, an overlong "/", a truncated sequence.
  EXPECT_EQ(UpperCase("a\xE4"
                      "b\x80"
                      "c\xC0\xAF"
                      "d\xC3"),
            "A\xE4"
            "B\x80"
            "C\xC0\xAF"
            "D\xC3");
  EXPECT_EQ(UpperCase(std::string("a\0b", 3)), std::string("A\0B", 3));
}

TEST(CharCount, CountsCharactersAndNeverSplitsOne) {
  const std::string text =
      "\xC3\xA4"
      "b\xE2\x82\xAC"
      "d\xFF";  // ä b € d and one invalid byte
  EXPECT_EQ(CharCount(text), 5u);
  EXPECT_EQ(LeftChars(text, 1), "\xC3\xA4");
  EXPECT_EQ(LeftChars(text, 3),
            "\xC3\xA4"
            "b\xE2\x82\xAC");
  EXPECT_EQ(LeftChars(text, 50), text);
  EXPECT_EQ(CharCount("a\xE2\x82"), 3u);     // a truncated sequence counts byte by byte
  EXPECT_EQ(CharCount("\xED\xA0\x80"), 3u);  // so does an encoded surrogate
}

TEST(LanguageTag, TakesLanguageAndRegionOfTheLocaleName) {
  const std::pair<const char*, const char*> cases[] = {
      {"fi_FI.UTF-8", "fi-FI"}, {"de", "de"},   {"pt_BR", "pt-BR"}, {"sr_RS.UTF-8@latin", "sr-RS"},
      {"C", "en"},              {"C.UTF-8", "en"}, {"POSIX", "en"}, {"", "en"},
      {"x_", "en"},             {"en_US_X", "en"}, {"\xC3\xA4\xC3\xA4", "en"},
  };
  for (const auto& [name, tag] : cases) EXPECT_EQ(LanguageTag(name), tag) << name;
}

}  // namespace
}  // namespace fotoloom
