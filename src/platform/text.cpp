#include "platform/text.h"

#include <cctype>
#include <clocale>
#include <cwctype>
#include <mutex>

namespace fotoloom {

void UseUserLocale() {
  // Only the categories the program needs: LC_NUMERIC stays "C" so that numbers written
  // into pages and settings never pick up a decimal comma.
  static std::once_flag once;
  std::call_once(once, [] {
    std::setlocale(LC_CTYPE, "");
    std::setlocale(LC_TIME, "");
  });
}

std::string LanguageTag(std::string_view locale_name) {
  const std::string_view name = locale_name.substr(0, locale_name.find_first_of(".@"));
  const std::size_t sep = name.find('_');
  const std::string_view language = name.substr(0, sep);
  const std::string_view region = sep == std::string_view::npos ? "" : name.substr(sep + 1);
  const auto all = [](std::string_view part, auto test) {
    for (char c : part)
      if (!test(static_cast<unsigned char>(c))) return false;
    return true;
  };
  const bool well_formed = language.size() >= 2 && language.size() <= 8 &&
                           all(language, ::isalpha) && region.size() <= 8 && all(region, ::isalnum) &&
                           (sep == std::string_view::npos || !region.empty());
  if (!well_formed || language == "C" || language == "POSIX") return "en";
  return region.empty() ? std::string(language) : std::string(language) + "-" + std::string(region);
}

std::string UserLanguageTag() {
  UseUserLocale();
  const char* name = std::setlocale(LC_TIME, nullptr);
  return LanguageTag(name != nullptr ? name : "");
}

Utf8Char DecodeUtf8At(std::string_view text, std::size_t pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  Utf8Char invalid{lead, 1, false};
  if (lead < 0x80) return {lead, 1, true};

  std::size_t length;
  char32_t code;
  char32_t minimum;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07, minimum = 0x10000;
  } else {
    return invalid;
  }
  if (text.size() - pos < length) return invalid;
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char c = byte(pos + i);
    if ((c & 0xC0) != 0x80) return invalid;
    code = (code << 6) | (c & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return invalid;
  return {code, length, true};
}

void AppendUtf8(std::string* out, char32_t code) {
  if (code < 0x80) {
    out->push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (code >> 6)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (code >> 12)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (code >> 18)));
    out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

std::string UpperCase(std::string_view text) {
  UseUserLocale();
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[pos]);
    if (c < 0x80) {  // the common case, without a library call per byte
      out.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : static_cast<char>(c));
      ++pos;
      continue;
    }
    const Utf8Char ch = DecodeUtf8At(text, pos);
    if (!ch.valid) {
      out.push_back(static_cast<char>(c));
    } else {
      const wint_t upper = std::towupper(static_cast<wint_t>(ch.code));
      const char32_t code = static_cast<char32_t>(upper);
      if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        out.append(text.substr(pos, ch.length));
      } else {
        AppendUtf8(&out, code);
      }
    }
    pos += ch.length;
  }
  return out;
}

std::size_t CharCount(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < text.size(); pos += DecodeUtf8At(text, pos).length) ++count;
  return count;
}

std::string LeftChars(std::string_view text, std::size_t count) {
  std::size_t pos = 0;
  for (std::size_t n = 0; n < count && pos < text.size(); ++n)
    pos += DecodeUtf8At(text, pos).length;
  return std::string(text.substr(0, pos));
}

std::string LeftBytes(std::string_view text, std::size_t max_bytes) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t length = DecodeUtf8At(text, pos).length;
    if (pos + length > max_bytes) break;
    pos += length;
  }
  return std::string(text.substr(0, pos));
}

bool HasControlCharacter(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  }
  return false;
}

}  // namespace fotoloom
