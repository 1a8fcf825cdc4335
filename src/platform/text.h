// Character-level text handling for UTF-8 byte strings in the user's locale.
// Bytes that are not valid UTF-8 are kept and counted one character each.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace fotoloom {

// Switches character classification and dates to the user's locale (LC_CTYPE and LC_TIME
// from the environment), once per process. UpperCase and FormatShortDate call it
// themselves; calling it again does nothing.
void UseUserLocale();

// The language tag of a locale name for an HTML lang attribute: "fi_FI.UTF-8" gives "fi-FI",
// "de" gives "de"; the codeset and any "@modifier" are dropped. "C", "POSIX", an empty name and
// anything that is not letters (language) and optionally "_" + letters or digits (region) give
// "en", the language of the program's own texts.
std::string LanguageTag(std::string_view locale_name);

// LanguageTag of the user's locale for dates (LC_TIME, after UseUserLocale): the language of
// the dates the pages show.
std::string UserLanguageTag();

// One decoded character. For a byte that does not start a valid UTF-8 sequence (bad lead
// byte, truncated or overlong sequence, surrogate, beyond U+10FFFF) valid is false,
// length is 1 and code is that byte's value.
struct Utf8Char {
  char32_t code = 0;
  std::size_t length = 0;
  bool valid = false;
};

// The character starting at byte offset pos; REQUIRES: pos < text.size().
Utf8Char DecodeUtf8At(std::string_view text, std::size_t pos);

// Appends the UTF-8 form of code (REQUIRES: a valid scalar value).
void AppendUtf8(std::string* out, char32_t code);

// Each valid character upper-cased with towupper in the user's locale; invalid bytes kept.
std::string UpperCase(std::string_view text);

// Number of characters.
std::size_t CharCount(std::string_view text);

// The first count characters of text (all of it when it holds fewer); never cuts a
// character in half.
std::string LeftChars(std::string_view text, std::size_t count);

// The longest start of text of at most max_bytes bytes that does not cut a character in half.
std::string LeftBytes(std::string_view text, std::size_t max_bytes);

// True when text holds a control character (below U+0020, or U+007F): a line break or a tab.
bool HasControlCharacter(std::string_view text);

}  // namespace fotoloom
