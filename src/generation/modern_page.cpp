#include "generation/modern_page.h"

#include <algorithm>
#include <cstdio>

#include "files/file_utils.h"
#include "generation/album_settings.h"
#include "generation/page_frame.h"
#include "platform/file_io.h"
#include "platform/text.h"
#include "platform/version.h"

namespace fotoloom {

namespace {

// CSS pixels of the HTML font sizes 1 to 7, the scale FontSize is given in.
int FontSizePixels(int html_size) {
  static constexpr int kPixels[] = {10, 13, 16, 18, 24, 32, 48};
  return kPixels[std::clamp(html_size, 1, 7) - 1];
}

std::string Px(int value) { return std::to_string(value) + "px"; }

// The settings as CSS custom properties, for the stylesheet to use; a colour or font left
// empty is not declared, and the stylesheet's fallback applies.
std::string StyleBlock(const std::string& data_url) {
  const AlbumSettings& album = Album();
  std::string style = ":root{";
  const auto declare = [&](const char* name, const std::string& value) {
    if (!value.empty()) style += std::string("--") + name + ":" + value + ";";
  };
  declare("fg", CssValue(album.TextColor));
  declare("bg", CssValue(album.BgColor));
  declare("link", CssValue(album.LinkColor));
  declare("vlink", CssValue(album.VLinkColor));
  declare("head", CssValue(album.HeaderColor));
  if (album.UseTableBgColor) declare("card", CssValue(album.TableBgColor));
  // The copied background has to have a name to be shown.
  if (!ExtractFileName(album.BgImage).empty())
    declare("image", "url(\"" + *BackgroundUrl(album.BgImage, data_url) + "\")");
  declare("font", CssValue(album.Font));
  const int size = DecimalValue(album.FontSize);
  declare("size", Px(FontSizePixels(size)));
  declare("nav-size", Px(FontSizePixels(size + 1)));
  declare("tw", Px(album.ThumbGeometryW));
  declare("frame", Px(std::max(0, DecimalValue(album.ThumbnailBorder))));
  declare("edge", Px(std::max(0, DecimalValue(album.TableBorder))));
  declare("cols", std::to_string(album.ThumbsPerRow));
  style.back() = '}';
  return style;
}

}  // namespace

void WriteModernAssets(const std::string& data_dir) {
  WriteWholeFile(data_dir + kModernStylesheet, ModernStylesheetText());
  WriteWholeFile(data_dir + kModernScript, ModernScriptText());
}

std::string ModernItemsFileName() { return StripFileExt(Album().AlbumFileName) + "-items.js"; }

void AppendModernHead(PageLines& lines, const ModernHead& head) {
  lines.push_back("<!DOCTYPE html>");
  lines.push_back("<html lang=\"" + UserLanguageTag() + "\">");
  lines.push_back("<head>");
  lines.push_back("<meta charset=\"utf-8\">");
  lines.push_back("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">");
  lines.push_back("<meta name=\"generator\" content=\"" + ProductNameAndVersion() + "\">");
  if (!head.description.empty())
    lines.push_back("<meta name=\"description\" content=\"" + head.description + "\">");
  if (!head.title.empty()) lines.push_back("<title>" + head.title + "</title>");
  lines.push_back("<link rel=\"stylesheet\" href=\"" + head.data_url + kModernStylesheet + "\">");
  lines.push_back("<style>" + StyleBlock(head.data_url) + "</style>");
  if (!head.refresh.empty()) {
    lines.push_back("<noscript><meta http-equiv=\"refresh\" content=\"" +
                    std::to_string(Album().SlideShowDelay) + ";url=" + head.refresh +
                    "\"></noscript>");
  }
  lines.push_back("<script src=\"" + head.data_url + kModernScript + "\" defer></script>");
  lines.push_back("</head>");
}

void AppendModernFoot(PageLines& lines, const std::string& data_url) {
  const AlbumSettings& album = Album();
  if (!album.AlbumFooter.empty()) lines.push_back("<footer>" + album.AlbumFooter + "</footer>");
  if (const auto sound = BackgroundUrl(album.BgSound, data_url))
    lines.push_back("<audio src=\"" + *sound + "\" controls loop preload=\"none\"></audio>");
}

std::string ModernButton(const std::string& href, const std::string& text,
                         const std::string& attributes, const char* fallback) {
  const std::string label = text.empty() ? std::string(fallback) : text;
  if (href.empty()) return "<a class=\"button\"" + attributes + " aria-disabled=\"true\">" + label + "</a>";
  return "<a class=\"button\" href=\"" + href + "\"" + attributes + ">" + label + "</a>";
}

std::string CssValue(std::string_view text) {
  std::string value;
  for (char c : text) {
    if (c == ';' || c == '{' || c == '}' || c == '<' || c == '>' || c == '"' || c == '\\' ||
        c == '\r' || c == '\n')
      continue;
    value += c;
  }
  return value;
}

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (std::size_t k = 0; k < text.size(); ++k) {
    const auto c = static_cast<unsigned char>(text[k]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == '<') {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04X", c);
      out += escape;
    } else if (c == 0xE2 && k + 2 < text.size() && text[k + 1] == '\x80' &&
               (text[k + 2] == '\xA8' || text[k + 2] == '\xA9')) {
      // Line and paragraph separators end a line in older script parsers.
      out += text[k + 2] == '\xA8' ? "\\u2028" : "\\u2029";
      k += 2;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string PlainText(std::string_view html) {
  std::string text;
  bool in_tag = false;
  for (char c : html) {
    if (c == '<') in_tag = true;
    if (!in_tag) text += c;
    if (c == '>') in_tag = false;
  }
  return HtmlEscape(text);
}

}  // namespace fotoloom
