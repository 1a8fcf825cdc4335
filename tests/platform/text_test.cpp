#include "platform/text.h"

#include <gtest/gtest.h>

namespace fotoloom {
namespace {

TEST(UpperCase, AsciiAndLocaleLettersPerCharacter) {
  EXPECT_EQ(UpperCase("photo_01.jpg"), "PHOTO_01.JPG");
  EXPECT_EQ(UpperCase("\xC3\xA4pfel \xC3\xB6l \xC3\xA5"), "\xC3\x84PFEL \xC3\x96L \xC3\x85");
  EXPECT_EQ(UpperCase("\xCF\x83"), "\xCE\xA3");          // Greek sigma, two-byte to two-byte
  EXPECT_EQ(UpperCase("\xC4\xB1"), "I");                 // dotless i shrinks to one byte
  EXPECT_EQ(UpperCase("\xC3\x9F"), "\xC3\x9F");          // sharp s has no single upper form
  EXPECT_EQ(UpperCase(""), "");
}

TEST(UpperCase, InvalidBytesAreKept) {
  // A Latin-1 "ä" (0xE4) alone, a stray continuation byte, a truncated sequence at the end.
  EXPECT_EQ(UpperCase("a\xE4" "b"), "A\xE4" "B");
  EXPECT_EQ(UpperCase("x\x80y"), "X\x80Y");
  EXPECT_EQ(UpperCase("z\xC3"), "Z\xC3");
  EXPECT_EQ(UpperCase(std::string("a\0b", 3)), std::string("A\0B", 3));
}

TEST(Utf8, DecodeRefusesMalformedSequences) {
  EXPECT_TRUE(DecodeUtf8At("\xE2\x82\xAC", 0).valid);
  EXPECT_EQ(DecodeUtf8At("\xE2\x82\xAC", 0).code, U'\u20AC');
  EXPECT_EQ(DecodeUtf8At("\xF0\x9F\x93\xB7", 0).length, 4u);
  for (const char* bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82", "\xFF"}) {
    const Utf8Char ch = DecodeUtf8At(bad, 0);
    EXPECT_FALSE(ch.valid) << bad;
    EXPECT_EQ(ch.length, 1u);
  }
}

TEST(CharCount, CountsCharactersAndNeverSplitsOne) {
  const std::string text = "\xC3\xA4" "b\xE2\x82\xAC" "d\xFF";  // ä b € d and one invalid byte
  EXPECT_EQ(CharCount(text), 5u);
  EXPECT_EQ(LeftChars(text, 1), "\xC3\xA4");
  EXPECT_EQ(LeftChars(text, 3), "\xC3\xA4" "b\xE2\x82\xAC");
  EXPECT_EQ(LeftChars(text, 5), text);
  EXPECT_EQ(LeftChars(text, 50), text);
  EXPECT_EQ(LeftChars(text, 0), "");
  // A truncated sequence at the end counts one character per byte.
  EXPECT_EQ(CharCount("a\xE2\x82"), 3u);
}

}  // namespace
}  // namespace fotoloom
