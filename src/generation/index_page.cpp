#include "generation/index_page.h"

#include <string>

#include "files/file_utils.h"
#include "generation/album_items.h"
#include "generation/album_settings.h"
#include "generation/client_ui.h"
#include "generation/image_page.h"
#include "generation/item_thumbnails.h"
#include "platform/text.h"

namespace fotoloom {

namespace {

std::string UrlFromAlbum(const std::string& path) {
  return PathToUrl(RelativePath(Album().AlbumDirectory, path));
}

}  // namespace

void WriteIndexPage(const std::string& file_name, int first, int last) {
  PageLines lines;
  WritePageHead(lines, first);
  WriteThumbTable(lines, first, last);
  WritePageFoot(lines);
  SavePageLines(lines, file_name);
}

void WritePageHead(PageLines& lines, int first) {
  const AlbumSettings& album = Album();
  lines.push_back("<html>");
  lines.push_back("<head>");
  lines.push_back("<meta name=\"DESCRIPTION\" content=\"" + album.AlbumHeader + "\">");
  lines.push_back("<meta name=\"GENERATOR\" content=\"Fotoloom 2.0\">");
  lines.push_back("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">");
  if (!album.AlbumName.empty()) {
    lines.push_back("<title>");
    lines.push_back(album.AlbumName);
    lines.push_back("</title>");
  }
  lines.push_back("</head>");

  const std::string data_dir = RelativeDataDir(album.AlbumDirectory);
  std::string background;
  if (!album.BgImage.empty())
    background = " background=\"" + PathToUrl(data_dir + ExtractFileName(album.BgImage)) + "\"";
  lines.push_back("<body" + background + " bgcolor=\"" + album.BgColor + "\" text=\"" +
                  album.TextColor + "\" link=\"" + album.LinkColor + "\" vlink=\"" +
                  album.VLinkColor + "\">");
  if (!album.BgSound.empty())
    lines.push_back("<bgsound src=\"" + PathToUrl(data_dir + ExtractFileName(album.BgSound)) +
                    "\">");
  if (!album.Font.empty()) lines.push_back("<font face=\"" + album.Font + "\">");

  const std::string prev = PrevIndexPage(first);
  const std::string next = NextIndexPage(first);
  if (!prev.empty() || !next.empty()) {
    lines.push_back("<p>");
    lines.push_back("<center>");
    lines.push_back("<font size=\"" + std::to_string(DecimalValue(album.FontSize) + 1) + "\">");
    const std::string p =
        prev.empty() ? album.Previous : NavLink(PathToUrl(ExtractFileName(prev)), album.Previous);
    const std::string n =
        next.empty() ? album.Next : NavLink(PathToUrl(ExtractFileName(next)), album.Next);
    lines.push_back(p + " | " + n);
    lines.push_back("</font>");
    lines.push_back("</center>");
    lines.push_back("&nbsp;");
    lines.push_back("</p>");
  }

  if (!album.AlbumHeader.empty()) {
    lines.push_back("<p>");
    lines.push_back("<center>");
    lines.push_back("<" + album.HeaderSize + "><font color=\"" + album.HeaderColor + "\">" +
                    album.AlbumHeader + "</font></" + album.HeaderSize + ">");
    lines.push_back("</center>");
    lines.push_back("&nbsp;");
    lines.push_back("</p>");
  }
}

void WriteThumbTable(PageLines& lines, int first, int last) {
  const AlbumSettings& album = Album();
  const int count = ItemCount();
  const int per_row = album.ThumbsPerRow;
  lines.push_back("<p>");
  lines.push_back("<center>");
  std::string table = "<table border=\"" + album.TableBorder + "\"";
  if (album.UseTableBgColor) table += " bgcolor=\"" + album.TableBgColor + "\"";
  lines.push_back(table + ">");
  lines.push_back("<tr>");
  const int spacers = count > per_row ? per_row : count;
  for (int k = 0; k < spacers; ++k) lines.push_back("<td><br></td>");
  lines.push_back("</tr>");

  int row_start = first;
  int row = 1;
  for (int i = first; i <= last; ++i) {
    if ((i + 1) % per_row == 0 || i == count - 1) {
      WriteThumbRow(lines, row_start, i, row);
      row_start = i + 1;
      ++row;
      if (CancelRequested()) break;
    }
  }

  lines.push_back("</table>");
  lines.push_back("</center>");
  lines.push_back("</p>");
}

void WriteThumbRow(PageLines& lines, int row_first, int row_last, int row) {
  const AlbumSettings& album = Album();
  lines.push_back("<tr>");
  lines.push_back("<a name=\"row" + std::to_string(row) + "\">");
  for (int i = row_first; i <= row_last; ++i) {
    StepProgress();
    if (CancelRequested()) break;
    const ItemPictures pictures = WriteItemThumbnail(i);
    const std::string source = ItemSourcePath(i);
    if (album.GenerateHTMLImages) {
      lines.push_back(ThumbCell(ItemThumbPath(i), ExtractFileName(source), ItemImagePage(i),
                                pictures.thumb_2x));
      WriteImagePage(i, row, pictures.preview);
    } else {
      lines.push_back(
          ThumbCell(ItemThumbPath(i), source, ExtractFileName(source), pictures.thumb_2x));
    }
  }
  lines.push_back("</a>");
  lines.push_back("</tr>");

  if (album.ShowFileName || album.ShowFileTime || album.ShowFileSize) {
    lines.push_back("<tr>");
    for (int i = row_first; i <= row_last; ++i) {
      const std::string target = album.GenerateHTMLImages ? ItemImagePage(i) : ItemThumbPath(i);
      lines.push_back(DetailsCell(ItemSourcePath(i), target, ItemDate(i), ItemSizeKB(i)));
    }
    lines.push_back("</tr>");
  }
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

std::string ThumbCell(const std::string& thumb, const std::string& name, const std::string& target,
                      const std::string& thumb_2x) {
  const AlbumSettings& album = Album();
  const int border = DecimalValue(album.ThumbnailBorder);
  // The browser picks the companion on a screen of two or more device pixels per pixel and
  // shows it at half its size, so the cell's layout is the same either way.
  const std::string srcset = thumb_2x.empty() ? std::string()
                                              : "\" srcset=\"" + UrlFromAlbum(thumb) + " 1x, " +
                                                    UrlFromAlbum(thumb_2x) + " 2x";
  return "<td align=\"center\" valign=\"center\" width=\"" +
         std::to_string(2 * border + album.ThumbGeometryW) + "\" height=\"" +
         std::to_string(2 * border + album.ThumbGeometryH) + "\"><a href=\"" +
         UrlFromAlbum(target) + "\" OnMouseOver=\"this.className='over'; window.status='" +
         HtmlEscape(ScriptSafe(name)) +
         "'; return true;\" OnMouseOut=\"this.className='off'; window.status=''; return "
         "true;\"><img src=\"" +
         UrlFromAlbum(thumb) + srcset + "\" border=\"" + album.ThumbnailBorder + "\" alt=\"" +
         HtmlEscape(name) + "\"></a></td>";
}

std::string DetailsCell(const std::string& source, const std::string& target,
                        const std::string& date, const std::string& size) {
  const AlbumSettings& album = Album();
  const std::string file_name = ExtractFileName(source);
  std::string shown = album.ShowFileExtension ? file_name : StripFileExt(file_name);
  const std::size_t max_len = album.NameMaxLen > 0 ? static_cast<std::size_t>(album.NameMaxLen) : 0;
  if (CharCount(shown) > max_len) {
    shown = max_len > 3 ? LeftChars(shown, max_len - 3) + "..." : LeftChars(shown, max_len);
  }

  std::string text = "<td align=\"center\" valign=\"top\"><font size=\"" + album.FontSize + "\">";
  if (album.ShowFileName) {
    text += "<a href =\"" + UrlFromAlbum(target) +
            "\" OnMouseOver=\"this.className='over'; window.status='" +
            HtmlEscape(ScriptSafe(file_name)) +
            "'; return true;\" OnMouseOut=\"this.className='off'; window.status=''; return "
            "true;\">" +
            HtmlEscape(shown) + "</a><br>";
  }
  if (album.ShowFileTime) text += date + "<br>";
  if (album.ShowFileSize) text += size + " kB<br>";
  text += "</font><p><br></p></td>";
  return text;
}

}  // namespace fotoloom
