#include "generation/image_page.h"

#include <string>

#include "files/file_utils.h"
#include "generation/album_items.h"
#include "generation/album_settings.h"
#include "generation/page_frame.h"
#include "generation/page_text.h"
#include "generation/photo_details.h"
#include "imaging/image_formats.h"

namespace fotoloom {

void WriteImagePage(int i, int row, const std::string& preview) {
  const AlbumSettings& album = Album();
  const std::string next = SiblingPageUrl(NextImagePage(i));
  const std::string index = PathToUrl(ExtractFileName(ItemIndexPage(i)));
  const std::string name = ExtractFileName(ItemSourcePath(i));
  std::string caption = name;
  if (album.ShowFileTime) caption += ", " + ItemDate(i);
  if (album.ShowFileSize) caption += ", " + ItemSizeKB(i) + " kB";
  const std::string description = ItemDescription(i);
  const std::string shown_name = HtmlEscape(name);

  PageHead head{shown_name, {}, shown_name, std::nullopt, BackgroundUrl(album.BgSound, "")};
  if (album.SlideShow) {
    // The last page refreshes to the first, so the slide show loops.
    const std::string target = next.empty() ? SiblingPageUrl(ItemImagePage(0)) : next;
    head.meta.push_back("<meta http-equiv=\"REFRESH\" content=" +
                        std::to_string(album.SlideShowDelay) + ";url=\"" + target + "\">");
  }
  // The page lies beside the copied background, which has to have a name to be shown.
  if (!ExtractFileName(album.BgImage).empty()) head.background = BackgroundUrl(album.BgImage, "");
  PageLines lines;
  WritePageTop(lines, head);

  // Back to the row of the index page that shows this image.
  const std::string back = "../" + index + "#row" + std::to_string(row);
  WriteNavigation(lines,
                  {NavLinkTo(PrevImagePage(i), album.Previous), NavLink(back, album.Index),
                   NavLinkTo(NextImagePage(i), album.Next)},
                  false);

  lines.push_back("<p>");
  lines.push_back("<center>");
  const bool shown = BrowserShowsFile(name);
  if (!shown) {
    // The file itself is offered only as a download: the browser cannot show it.
    const std::string picture = preview.empty() ? ItemThumbPath(i) : preview;
    lines.push_back("<img src=\"" + SiblingPageUrl(picture) + "\" alt=\"" + HtmlEscape(caption) +
                    "\" style=\"max-width: 100%; max-height: 85vh\"><br>");
    lines.push_back("<a href=\"../" + PathToUrl(name) + "\" download>Original file</a>");
  } else if (preview.empty()) {
    lines.push_back("<img src=\"../" + PathToUrl(name) + "\" alt=\"" + HtmlEscape(caption) + "\">");
  } else {
    // The browser scales the preview down further to fit the window, keeping its proportions;
    // a click on it opens the photo itself.
    lines.push_back("<a href=\"../" + PathToUrl(name) + "\"><img src=\"" + SiblingPageUrl(preview) +
                    "\" alt=\"" + HtmlEscape(caption) +
                    "\" style=\"max-width: 100%; max-height: 85vh\"></a>");
  }
  lines.push_back("</center>");
  lines.push_back("</p>");
  if (album.ShowPhotoDetails) {
    const std::string details = ItemPhotoDetails(i);
    if (!details.empty()) {
      lines.push_back("<p>");
      lines.push_back("<center>");
      lines.push_back("<font size=\"" + album.FontSize + "\">" + details + "</font>");
      lines.push_back("</center>");
      lines.push_back("</p>");
    }
  }

  if (!description.empty()) {
    for (const char* line : {"<p>", "<center>", "<table>", "<tr>", "<td>"}) lines.push_back(line);
    lines.push_back("<font size=\"" + album.FontSize + "\">");
    lines.push_back(description);
    for (const char* line : {"</font>", "</td>", "</tr>", "</table>", "</center>", "</p>"})
      lines.push_back(line);
  }
  WritePageFoot(lines);

  SavePageLines(lines, ItemImagePage(i));
}

}  // namespace fotoloom
