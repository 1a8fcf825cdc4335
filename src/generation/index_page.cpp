#include "generation/index_page.h"

#include <algorithm>
#include <string>
#include <vector>

#include "files/file_utils.h"
#include "generation/album_items.h"
#include "generation/album_settings.h"
#include "generation/client_ui.h"
#include "generation/folder_links.h"
#include "generation/image_page.h"
#include "generation/item_thumbnails.h"
#include "generation/page_frame.h"
#include "imaging/image_formats.h"
#include "platform/text.h"

namespace fotoloom {

namespace {

// The table both kinds of cells sit in, with the album's border and background colour.
void OpenCellTable(PageLines& lines) {
  const AlbumSettings& album = Album();
  lines.push_back("<p>");
  lines.push_back("<center>");
  std::string table = "<table border=\"" + album.TableBorder + "\"";
  if (album.UseTableBgColor) table += " bgcolor=\"" + album.TableBgColor + "\"";
  lines.push_back(table + ">");
}

void CloseCellTable(PageLines& lines) {
  lines.push_back("</table>");
  lines.push_back("</center>");
  lines.push_back("</p>");
}

// The name under a cell, linked to target, with status as the status-bar text.
std::string NameLink(const std::string& target, const std::string& status,
                     const std::string& shown) {
  return "<a href =\"" + UrlFromAlbum(target) +
         "\" OnMouseOver=\"this.className='over'; window.status='" +
         HtmlEscape(ScriptSafe(status)) +
         "'; return true;\" OnMouseOut=\"this.className='off'; window.status=''; return "
         "true;\">" +
         HtmlEscape(shown) + "</a><br>";
}

// The rows of sub-album cells: ThumbsPerRow cells of covers, each row followed by the names
// and photo counts, in the table markup of the photos' cells.
void WriteSubAlbumTable(PageLines& lines, const std::vector<SubAlbumCell>& cells) {
  const AlbumSettings& album = Album();
  const std::size_t per_row = static_cast<std::size_t>(album.ThumbsPerRow);
  OpenCellTable(lines);
  for (std::size_t row = 0; row < cells.size(); row += per_row) {
    const std::size_t end = std::min(cells.size(), row + per_row);
    lines.push_back("<tr>");
    for (std::size_t k = row; k < end; ++k) {
      const SubAlbumCell& cell = cells[k];
      // A sub-album none of whose thumbnails could be made keeps its place without a picture.
      lines.push_back(cell.cover.empty() ? "<td><br></td>"
                                         : ThumbCell(cell.cover, cell.name, cell.first_page));
    }
    lines.push_back("</tr>");
    lines.push_back("<tr>");
    for (std::size_t k = row; k < end; ++k) {
      const SubAlbumCell& cell = cells[k];
      lines.push_back("<td align=\"center\" valign=\"top\"><font size=\"" + album.FontSize +
                      "\">" + NameLink(cell.first_page, cell.name, cell.name) +
                      PhotoCountText(cell.photos) + "<br></font><p><br></p></td>");
    }
    lines.push_back("</tr>");
  }
  CloseCellTable(lines);
}

}  // namespace

std::string ShownTarget(int i, const std::string& preview) {
  const std::string source = ItemSourcePath(i);
  if (BrowserShowsFile(source)) return ExtractFileName(source);
  return preview.empty() ? ItemThumbPath(i) : preview;
}

void WriteIndexPage(const std::string& file_name, int first, int last) {
  PageLines lines;
  WritePageHead(lines, first);
  const FolderLinks& links = CurrentFolderLinks();
  if (first == 0 && !links.sub_albums.empty()) WriteSubAlbumTable(lines, links.sub_albums);
  if (first <= last) WriteThumbTable(lines, first, last);
  WritePageFoot(lines);
  SavePageLines(lines, file_name);
}

void WritePageHead(PageLines& lines, int first) {
  const AlbumSettings& album = Album();
  // The background files lie in the data directory, where the run copied them.
  const std::string data_dir = RelativeDataDir(album.AlbumDirectory);
  WritePageTop(lines, {album.AlbumHeader,
                       {},
                       album.AlbumName,
                       BackgroundUrl(album.BgImage, data_dir),
                       BackgroundUrl(album.BgSound, data_dir)});

  // A folder of a tree with sub-albums only has no items, and one page.
  const bool items = first < ItemCount();
  const std::string prev = items ? PrevIndexPage(first) : std::string();
  const std::string next = items ? NextIndexPage(first) : std::string();
  const std::string& up = CurrentFolderLinks().up;
  std::vector<std::string> links;
  if (!prev.empty() || !next.empty()) links.push_back(NavLinkTo(prev, album.Previous));
  if (!up.empty()) links.push_back(NavLink(UrlFromAlbum(up), album.NavigationUpText));
  if (!prev.empty() || !next.empty()) links.push_back(NavLinkTo(next, album.Next));
  if (!links.empty()) WriteNavigation(lines, links, true);

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
  OpenCellTable(lines);
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

  CloseCellTable(lines);
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
      lines.push_back(ThumbCell(ItemThumbPath(i), source, ShownTarget(i, pictures.preview),
                                pictures.thumb_2x));
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
  const std::string shown = ShownFileName(source);

  std::string text = "<td align=\"center\" valign=\"top\"><font size=\"" + album.FontSize + "\">";
  if (album.ShowFileName) {
    text += NameLink(target, file_name, shown);
  }
  if (album.ShowFileTime) text += date + "<br>";
  if (album.ShowFileSize) text += size + " kB<br>";
  text += "</font><p><br></p></td>";
  return text;
}

}  // namespace fotoloom
