#include "generation/page_frame.h"

#include "files/file_utils.h"
#include "generation/album_settings.h"
#include "platform/version.h"

namespace fotoloom {

void WritePageTop(PageLines& lines, const PageHead& head) {
  const AlbumSettings& album = Album();
  lines.push_back("<html>");
  lines.push_back("<head>");
  lines.push_back("<meta name=\"DESCRIPTION\" content=\"" + head.description + "\">");
  lines.push_back("<meta name=\"GENERATOR\" content=\"" + ProductNameAndVersion() + "\">");
  lines.push_back("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">");
  for (const std::string& line : head.meta) lines.push_back(line);
  if (!head.title.empty()) {
    lines.push_back("<title>");
    lines.push_back(head.title);
    lines.push_back("</title>");
  }
  lines.push_back("</head>");

  const std::string background =
      head.background ? " background=\"" + *head.background + "\"" : std::string();
  lines.push_back("<body" + background + " bgcolor=\"" + album.BgColor + "\" text=\"" +
                  album.TextColor + "\" link=\"" + album.LinkColor + "\" vlink=\"" +
                  album.VLinkColor + "\">");
  if (head.sound) lines.push_back("<bgsound src=\"" + *head.sound + "\">");
  if (!album.Font.empty()) lines.push_back("<font face=\"" + album.Font + "\">");
}

std::optional<std::string> BackgroundUrl(const std::string& setting, const std::string& files_url) {
  if (setting.empty()) return std::nullopt;
  return PathToUrl(files_url + ExtractFileName(setting));
}

std::string SiblingPageUrl(const std::string& page_path) {
  return page_path.empty() ? std::string() : PathToUrl(ExtractFileName(page_path));
}

std::string NavLinkTo(const std::string& page_path, const std::string& text) {
  return page_path.empty() ? text : NavLink(SiblingPageUrl(page_path), text);
}

void WriteNavigation(PageLines& lines, const std::vector<std::string>& links, bool spaced) {
  std::string line;
  for (std::size_t k = 0; k < links.size(); ++k) line += (k > 0 ? " | " : "") + links[k];
  lines.push_back("<p>");
  lines.push_back("<center>");
  lines.push_back("<font size=\"" + std::to_string(DecimalValue(Album().FontSize) + 1) + "\">");
  lines.push_back(line);
  lines.push_back("</font>");
  lines.push_back("</center>");
  if (spaced) lines.push_back("&nbsp;");
  lines.push_back("</p>");
}

void WritePageFoot(PageLines& lines) {
  const AlbumSettings& album = Album();
  if (!album.AlbumFooter.empty()) {
    lines.push_back("<p>");
    lines.push_back("<font size=\"" + album.FontSize + "\">");
    lines.push_back("<center>");
    lines.push_back("<br>");
    lines.push_back(album.AlbumFooter);
    lines.push_back("</center>");
    lines.push_back("</font>");
    lines.push_back("</p>");
  }
  if (!album.Font.empty()) lines.push_back("</font>");
  lines.push_back("</body>");
  lines.push_back("</html>");
}

}  // namespace fotoloom
