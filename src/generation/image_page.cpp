#include "generation/image_page.h"

#include <string>

#include "files/file_utils.h"
#include "generation/album_items.h"
#include "generation/album_settings.h"
#include "generation/index_page.h"
#include "generation/page_text.h"

namespace fotoloom {

namespace {

// A neighbouring page lies beside this one in the data directory: its bare name is the link.
std::string PageUrl(const std::string& page_path) {
  return page_path.empty() ? std::string() : PathToUrl(ExtractFileName(page_path));
}

}  // namespace

void WriteImagePage(int i, int row, const std::string& preview) {
  const AlbumSettings& album = Album();
  const std::string prev = PageUrl(PrevImagePage(i));
  const std::string next = PageUrl(NextImagePage(i));
  const std::string index = PathToUrl(ExtractFileName(ItemIndexPage(i)));
  const std::string name = ExtractFileName(ItemSourcePath(i));
  std::string caption = name;
  if (album.ShowFileTime) caption += ", " + ItemDate(i);
  if (album.ShowFileSize) caption += ", " + ItemSizeKB(i) + " kB";
  const std::string description = ItemDescription(i);
  const std::string shown_name = HtmlEscape(name);

  PageLines lines;
  lines.push_back("<html>");
  lines.push_back("<head>");
  lines.push_back("<meta name=\"DESCRIPTION\" content=\"" + shown_name + "\">");
  lines.push_back("<meta name=\"GENERATOR\" content=\"Fotoloom 2.0\">");
  lines.push_back("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">");
  if (album.SlideShow) {
    // The last page refreshes to the first, so the slide show loops.
    const std::string target = next.empty() ? PageUrl(ItemImagePage(0)) : next;
    lines.push_back("<meta http-equiv=\"REFRESH\" content=" + std::to_string(album.SlideShowDelay) +
                    ";url=\"" + target + "\">");
  }
  lines.push_back("<title>");
  lines.push_back(shown_name);
  lines.push_back("</title>");
  lines.push_back("</head>");

  const std::string bg_name = ExtractFileName(album.BgImage);
  const std::string background =
      bg_name.empty() ? std::string() : " background=\"" + PathToUrl(bg_name) + "\"";
  lines.push_back("<body" + background + " bgcolor=\"" + album.BgColor + "\" text=\"" +
                  album.TextColor + "\" link=\"" + album.LinkColor + "\" vlink=\"" +
                  album.VLinkColor + "\">");
  if (!album.BgSound.empty())
    lines.push_back("<bgsound src=\"" + PathToUrl(ExtractFileName(album.BgSound)) + "\">");
  if (!album.Font.empty()) lines.push_back("<font face=\"" + album.Font + "\">");

  lines.push_back("<p>");
  lines.push_back("<center>");
  lines.push_back("<font size=\"" + std::to_string(DecimalValue(album.FontSize) + 1) + "\">");
  const std::string p = prev.empty() ? album.Previous : NavLink(prev, album.Previous);
  const std::string n = next.empty() ? album.Next : NavLink(next, album.Next);
  lines.push_back(p + " | <a href=\"../" + index + "#row" + std::to_string(row) +
                  "\" OnMouseOver=\"this.className='over'; window.status='" + album.Index +
                  "'; return true;\" OnMouseOut=\"this.className='off'; window.status=''; "
                  "return true;\">" +
                  album.Index + "</a> | " + n);
  lines.push_back("</font>");
  lines.push_back("</center>");
  lines.push_back("</p>");

  lines.push_back("<p>");
  lines.push_back("<center>");
  if (preview.empty()) {
    lines.push_back("<img src=\"../" + PathToUrl(name) + "\" alt=\"" + HtmlEscape(caption) + "\">");
  } else {
    // The browser scales the preview down further to fit the window, keeping its proportions;
    // a click on it opens the photo itself.
    lines.push_back("<a href=\"../" + PathToUrl(name) + "\"><img src=\"" + PageUrl(preview) +
                    "\" alt=\"" + HtmlEscape(caption) +
                    "\" style=\"max-width: 100%; max-height: 85vh\"></a>");
  }
  lines.push_back("</center>");
  lines.push_back("</p>");

  if (!description.empty()) {
    for (const char* line : {"<p>", "<center>", "<table>", "<tr>", "<td>"}) lines.push_back(line);
    lines.push_back("<font size=\"" + album.FontSize + "\">");
    lines.push_back(description);
    for (const char* line : {"</font>", "</td>", "</tr>", "</table>", "</center>", "</p>"})
      lines.push_back(line);
  }
  // The footer and closing lines are those of the index pages.
  WritePageFoot(lines);

  SavePageLines(lines, ItemImagePage(i));
}

}  // namespace fotoloom
