#include "files/url_utils.h"

#include <gtest/gtest.h>

#include "files/file_utils.h"

namespace fotoloom {
namespace {

TEST(UrlEscape, SafeSetAndPercentForms) {
  EXPECT_EQ(UrlEscape("a-b_c.d*e/f"), "a-b_c.d*e/f");
  EXPECT_EQ(UrlEscape("Sommer 2004 (1).jpg"), "Sommer%202004%20%281%29.jpg");
  EXPECT_EQ(UrlEscape("a%20b"), "a%2520b");
  EXPECT_EQ(UrlEscape(":~&+'\"<>#?\\"), "%3A%7E%26%2B%27%22%3C%3E%23%3F%5C");
  EXPECT_EQ(UrlEscape(std::string("\n\0\xFF", 3)), "%0A%00%FF");
  EXPECT_EQ(UrlEscape(""), "");
  // Each byte of a UTF-8 character on its own: the form browsers decode back to the name.
  EXPECT_EQ(UrlEscape("\xC3\xA4pfel.jpg"), "%C3%A4pfel.jpg");

  int safe = 0;
  for (int c = 0; c < 256; ++c) safe += IsUrlSafeChar(static_cast<unsigned char>(c)) ? 1 : 0;
  EXPECT_EQ(safe, 62);
  EXPECT_FALSE(IsUrlSafeChar('/'));
}

TEST(PathToUrl, KeepsSeparatorsAndEscapesTheRest) {
  EXPECT_EQ(PathToUrl("fldata/my photo.jpg"), "fldata/my%20photo.jpg");
  EXPECT_EQ(PathToUrl("dir/sub/file.html"), "dir/sub/file.html");
  EXPECT_EQ(PathToUrl("../x/it's.jpg"), "../x/it%27s.jpg");
}

}  // namespace
}  // namespace fotoloom
