#include "generation/modern_catalog.h"

#include <algorithm>
#include <cstdlib>

#include "files/file_utils.h"
#include "generation/album_items.h"
#include "generation/album_settings.h"
#include "generation/client_ui.h"
#include "generation/folder_links.h"
#include "generation/index_page.h"
#include "generation/item_thumbnails.h"
#include "generation/modern_page.h"
#include "generation/page_frame.h"
#include "generation/page_text.h"
#include "platform/file_io.h"

namespace fotoloom {

namespace {

// How many thumbnails the first screen of a small phone (360 x 640 CSS pixels, of which the
// header and buttons take about 100) shows, laid out as the stylesheet lays them out: two
// columns at least (unless ThumbsPerRow is 1), a card of 16 pixels' padding and gap around the
// framed thumbnail and a line of 22 pixels per file detail. Those load at once, the others only
// as they come near the window.
int FirstScreenThumbnails() {
  const AlbumSettings& album = Album();
  const int frame = 2 * (std::max(0, DecimalValue(album.ThumbnailBorder)) +
                         std::max(0, DecimalValue(album.TableBorder))) + 16;
  const int details = (album.ShowFileName ? 1 : 0) + (album.ShowFileTime ? 1 : 0) +
                      (album.ShowFileSize ? 1 : 0);
  const int columns =
      std::min(album.ThumbsPerRow, std::max(2, 360 / (album.ThumbGeometryW + frame + 16)));
  // A column narrower than the thumbnail shrinks it, height with width.
  const int width = std::min(album.ThumbGeometryW, 360 / columns - frame - 16);
  const int height = album.ThumbGeometryH * std::max(1, width) / std::max(1, album.ThumbGeometryW);
  return columns * std::max(1, 540 / (height + frame + 16 + 22 * details));
}

std::string SizeAttributes(FrameSize size) {
  const AlbumSettings& album = Album();
  // Without the thumbnail's own size the box keeps the place.
  if (size.width <= 0 || size.height <= 0) size = {album.ThumbGeometryW, album.ThumbGeometryH};
  return " width=\"" + std::to_string(size.width) + "\" height=\"" + std::to_string(size.height) +
         "\"";
}

std::string Figure(int i, const ItemPictures& pictures, bool lazy) {
  const AlbumSettings& album = Album();
  const std::string source = ItemSourcePath(i);
  const std::string target =
      album.GenerateHTMLImages ? ItemImagePage(i) : ShownTarget(i, pictures.preview);
  const std::string thumb = UrlFromAlbum(ItemThumbPath(i));
  // The anchor is the link itself: a visitor back from the photo's page goes on from there.
  std::string figure = "<figure><a id=\"" + PhotoAnchor(i) + "\" href=\"" + UrlFromAlbum(target) +
                       "\"><img src=\"" + thumb + "\"";
  if (!pictures.thumb_2x.empty())
    figure += " srcset=\"" + thumb + " 1x, " + UrlFromAlbum(pictures.thumb_2x) + " 2x\"";
  figure += SizeAttributes(pictures.thumb_size);
  if (lazy) figure += " loading=\"lazy\"";
  figure += " alt=\"" + HtmlEscape(ExtractFileName(source)) + "\"></a>";

  std::string caption;
  if (album.ShowFileName) caption += "<span>" + HtmlEscape(ShownFileName(source)) + "</span>";
  if (album.ShowFileTime) caption += "<span>" + ItemDate(i) + "</span>";
  if (album.ShowFileSize) caption += "<span>" + ItemSizeKB(i) + " kB</span>";
  const std::string description = ItemDescription(i);
  if (!description.empty()) caption += "<div class=\"description\">" + description + "</div>";
  if (!caption.empty()) figure += "<figcaption>" + caption + "</figcaption>";
  return figure + "</figure>";
}

// A sub-album's card in the grid: its cover linked to its first index page, its name and its
// number of photos.
std::string SubAlbumFigure(const SubAlbumCell& cell) {
  const std::string href = UrlFromAlbum(cell.first_page);
  const std::string name = HtmlEscape(cell.name);
  std::string figure = "<figure class=\"album\"><a href=\"" + href + "\">";
  figure += cell.cover.empty()
                ? name
                : "<img src=\"" + UrlFromAlbum(cell.cover) + "\" alt=\"" + name + "\">";
  return figure + "</a><figcaption><span>" + name + "</span><span>" + PhotoCountText(cell.photos) +
         "</span></figcaption></figure>";
}

}  // namespace

ModernCatalog::ModernCatalog() {
  for (int i = 0; i < ItemCount(); ++i) {
    if (index_pages_.empty() || ItemIndexPage(i) != index_pages_.back()) {
      index_pages_.push_back(ItemIndexPage(i));
      page_firsts_.push_back(i);
    }
  }
}

void ModernCatalog::AppendNavigation(std::vector<std::string>& lines, int page) const {
  const AlbumSettings& album = Album();
  const int count = static_cast<int>(index_pages_.size());
  const auto url = [&](int k) {
    return k < 0 || k >= count ? std::string() : SiblingPageUrl(index_pages_[k]);
  };
  lines.push_back("<nav class=\"pages\" aria-label=\"Index pages\">");
  lines.push_back(ModernButton(url(page - 1), album.Previous, " id=\"prev\" rel=\"prev\"", "Previous"));
  // The first and the last page, and two on either side of this one; "..." for the rest.
  int shown = -1;
  for (int k = 0; k < count; ++k) {
    if (k != 0 && k != count - 1 && std::abs(k - page) > 2) continue;
    if (k > shown + 1) lines.push_back("<span class=\"gap\">&hellip;</span>");
    const std::string number = std::to_string(k + 1);
    lines.push_back(k == page ? "<span class=\"button\" aria-current=\"page\">" + number + "</span>"
                              : "<a class=\"button\" href=\"" + url(k) + "\" aria-label=\"Page " +
                                    number + "\">" + number + "</a>");
    shown = k;
  }
  lines.push_back(ModernButton(url(page + 1), album.Next, " id=\"next\" rel=\"next\"", "Next"));
  lines.push_back("</nav>");
}

void ModernCatalog::WriteIndexPage(const std::string& file_name, int first, int last) {
  const AlbumSettings& album = Album();
  const std::string data_url = RelativeDataDir(album.AlbumDirectory);
  const int page = static_cast<int>(
      std::upper_bound(page_firsts_.begin(), page_firsts_.end(), first) - page_firsts_.begin() - 1);

  PageLines lines;
  ModernHead head;
  head.title = album.AlbumName;
  head.description = PlainText(album.AlbumHeader);
  head.data_url = data_url;
  AppendModernHead(lines, head);
  lines.push_back("<body class=\"index\">");
  if (!album.AlbumHeader.empty()) {
    lines.push_back("<header><" + album.HeaderSize + " class=\"head\">" + album.AlbumHeader + "</" +
                    album.HeaderSize + "></header>");
  }
  const FolderLinks& links = CurrentFolderLinks();
  if (!links.up.empty()) {
    lines.push_back(
        "<nav class=\"pages\" aria-label=\"Albums\">" +
        ModernButton(UrlFromAlbum(links.up), album.NavigationUpText, " id=\"up\"", "Up") +
        "</nav>");
  }
  if (index_pages_.size() > 1) AppendNavigation(lines, page);
  // A folder of a tree with sub-albums only has no photo to show.
  if (MakesShowPages(album) && first <= last) {
    lines.push_back("<p class=\"tools\"><a class=\"button\" id=\"show\" href=\"" +
                    UrlFromAlbum(ItemShowPage(first)) + "\" data-play=\"" +
                    UrlFromAlbum(ItemImagePage(first)) + "\">Slide show</a></p>");
  }
  lines.push_back("<main>");
  lines.push_back("<div class=\"grid\">");
  if (first == 0) {
    for (const SubAlbumCell& cell : links.sub_albums) lines.push_back(SubAlbumFigure(cell));
  }
  const int eager = FirstScreenThumbnails();
  for (int i = first; i <= last; ++i) {
    StepProgress();
    if (CancelRequested()) break;
    const ItemPictures pictures = WriteItemThumbnail(i);
    lines.push_back(Figure(i, pictures, i - first >= eager));
    if (album.GenerateHTMLImages) AddPhoto(i, PictureOf(i, pictures.preview, pictures.preview_size));
  }
  lines.push_back("</div>");
  lines.push_back("</main>");
  AppendModernFoot(lines, data_url);
  lines.push_back("</body>");
  lines.push_back("</html>");
  SavePageLines(lines, file_name);
}

void ModernCatalog::AddPhoto(int i, const ModernPicture& picture) {
  WriteWaitingPages(picture.url);
  records_.push_back(ModernItemRecord(i, picture));
  waiting_ = i;
  waiting_picture_ = picture;
}

void ModernCatalog::WriteWaitingPages(const std::string& next_picture) {
  if (waiting_ < 0) return;
  const int item = waiting_;
  waiting_ = -1;
  WriteModernImagePages(item, waiting_picture_, next_picture);
}

void ModernCatalog::Finish() {
  WriteWaitingPages("");
  if (records_.empty()) return;
  std::string list = "fotoloomItems([\r\n";
  for (std::size_t k = 0; k < records_.size(); ++k)
    list += records_[k] + (k + 1 < records_.size() ? ",\r\n" : "\r\n");
  WriteWholeFile(Album().ThumbDirectory + ModernItemsFileName(), list + "]);\r\n");
}

}  // namespace fotoloom
