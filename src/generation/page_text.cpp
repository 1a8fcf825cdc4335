#include "generation/page_text.h"

#include <climits>
#include <cstdlib>

#include "files/file_utils.h"
#include "generation/album_items.h"
#include "generation/album_settings.h"
#include "platform/file_io.h"
#include "platform/text.h"

namespace fotoloom {

std::string HtmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      // A line break in a file name would otherwise split a page line.
      case '\r': out += "&#13;"; break;
      case '\n': out += "&#10;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string NavLink(const std::string& href, const std::string& text) {
  return "<a href=\"" + href + "\" OnMouseOver=\"this.className='over'; window.status='" + text +
         "'; return true;\" OnMouseOut=\"this.className='off'; window.status=''; return true;\">" +
         text + "</a>";
}

void SavePageLines(const PageLines& lines, const std::string& file_name) {
  std::size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  WriteWholeFile(file_name, text);
}

int DecimalValue(const std::string& text) {
  long value = std::strtol(text.c_str(), nullptr, 10);
  if (value > INT_MAX / 4) return INT_MAX / 4;
  if (value < INT_MIN / 4) return INT_MIN / 4;
  return static_cast<int>(value);
}

std::string UrlFromAlbum(const std::string& path) {
  return PathToUrl(RelativePath(Album().AlbumDirectory, path));
}

std::string ShownFileName(const std::string& source) {
  const AlbumSettings& album = Album();
  const std::string file_name = ExtractFileName(source);
  std::string shown = album.ShowFileExtension ? file_name : StripFileExt(file_name);
  const std::size_t max_len = album.NameMaxLen > 0 ? static_cast<std::size_t>(album.NameMaxLen) : 0;
  if (CharCount(shown) > max_len)
    shown = max_len > 3 ? LeftChars(shown, max_len - 3) + "..." : LeftChars(shown, max_len);
  return shown;
}

}  // namespace fotoloom
