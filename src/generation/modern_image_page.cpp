#include "generation/modern_image_page.h"

#include "files/file_utils.h"
#include "generation/album_items.h"
#include "generation/album_settings.h"
#include "generation/modern_page.h"
#include "generation/page_frame.h"
#include "generation/page_text.h"
#include "generation/photo_details.h"
#include "imaging/image_formats.h"

namespace fotoloom {

namespace {

std::string Caption(int i) {
  const AlbumSettings& album = Album();
  std::string caption = ExtractFileName(ItemSourcePath(i));
  if (album.ShowFileTime) caption += ", " + ItemDate(i);
  if (album.ShowFileSize) caption += ", " + ItemSizeKB(i) + " kB";
  return caption;
}

// Where a click on the picture leads: the file itself, or for a file the browser cannot show,
// the picture that stands in for it.
std::string OriginalUrl(int i, const ModernPicture& picture) {
  const std::string name = ExtractFileName(ItemSourcePath(i));
  return BrowserShowsFile(name) ? "../" + PathToUrl(name) : picture.url;
}

std::string SizeAttributes(FrameSize size) {
  if (size.width <= 0 || size.height <= 0) return {};
  return " width=\"" + std::to_string(size.width) + "\" height=\"" + std::to_string(size.height) +
         "\"";
}

// One of the two pages of item i: its own page, or (show) its show page.
void WritePage(int i, const ModernPicture& picture, const std::string& next_picture, bool show) {
  const AlbumSettings& album = Album();
  const int last = ItemCount() - 1;
  const std::string name = ExtractFileName(ItemSourcePath(i));
  const std::string caption = HtmlEscape(Caption(i));
  // Show pages lead from show page to show page.
  const auto neighbour = [&](int j) {
    if (j < 0 || j > last) return std::string();
    return SiblingPageUrl(show ? ItemShowPage(j) : ItemImagePage(j));
  };
  const std::string next = neighbour(i + 1);

  PageLines lines;
  ModernHead head;
  head.title = HtmlEscape(name);
  if (show) head.refresh = next;
  AppendModernHead(lines, head);

  std::string body = "<body class=\"photo\" data-item=\"" + std::to_string(i) + "\" data-items=\"" +
                     PathToUrl(ModernItemsFileName()) + "\" data-first=\"" +
                     SiblingPageUrl(ItemImagePage(0)) + "\" data-last=\"" + SiblingPageUrl(ItemImagePage(last)) +
                     "\"";
  if (album.SlideShow) body += " data-delay=\"" + std::to_string(album.SlideShowDelay) + "\"";
  if (!next_picture.empty()) body += " data-next-picture=\"" + next_picture + "\"";
  if (show) body += " data-show=\"1\"";
  lines.push_back(body + ">");

  lines.push_back("<nav class=\"bar\" aria-label=\"Photos\">");
  lines.push_back(ModernButton(neighbour(i - 1), album.Previous, " id=\"prev\" rel=\"prev\"",
                               "Previous"));
  lines.push_back(ModernButton(IndexLinkOf(i), album.Index, " id=\"index\"", "Index"));
  lines.push_back(ModernButton(next, album.Next, " id=\"next\" rel=\"next\"", "Next"));
  if (show) {
    lines.push_back(ModernButton(SiblingPageUrl(ItemImagePage(i)), "Pause", " id=\"show\"", ""));
  } else if (MakesShowPages(album)) {
    lines.push_back(ModernButton(SiblingPageUrl(ItemShowPage(i)), "Slide show", " id=\"show\"", ""));
  }
  lines.push_back("<button type=\"button\" class=\"button\" id=\"full\" hidden>Full screen</button>");
  lines.push_back("</nav>");

  lines.push_back("<main class=\"stage\"><a class=\"picture\" id=\"original\" href=\"" +
                  OriginalUrl(i, picture) + "\"><img id=\"picture\" src=\"" + picture.url + "\"" +
                  SizeAttributes(picture.size) + " alt=\"" + caption + "\"></a></main>");
  lines.push_back("<div class=\"text\">");
  lines.push_back("<p id=\"details\">" + caption + "</p>");
  if (!BrowserShowsFile(name)) {
    lines.push_back("<p class=\"original\"><a href=\"../" + PathToUrl(name) +
                    "\" download>Original file</a></p>");
  }
  // The camera's details: under the caption, above the description.
  if (album.ShowPhotoDetails) {
    lines.push_back("<p class=\"camera\" id=\"camera\">" + ItemPhotoDetails(i) + "</p>");
  }
  lines.push_back("<div class=\"description\" id=\"description\">" + ItemDescription(i) + "</div>");
  AppendModernFoot(lines, "");
  lines.push_back("</div>");
  lines.push_back("</body>");
  lines.push_back("</html>");
  SavePageLines(lines, show ? ItemShowPage(i) : ItemImagePage(i));
}

}  // namespace

ModernPicture PictureOf(int i, const std::string& preview, FrameSize preview_size) {
  if (!preview.empty()) return {SiblingPageUrl(preview), preview_size};
  if (!BrowserShowsFile(ItemSourcePath(i))) return {SiblingPageUrl(ItemThumbPath(i)), {}};
  return {"../" + PathToUrl(ExtractFileName(ItemSourcePath(i))), {}};
}

void WriteModernImagePages(int i, const ModernPicture& picture, const std::string& next_picture) {
  WritePage(i, picture, next_picture, false);
  if (MakesShowPages(Album())) WritePage(i, picture, next_picture, true);
}

std::string ModernItemRecord(int i, const ModernPicture& picture) {
  const std::string name = ExtractFileName(ItemSourcePath(i));
  std::string record(1, '[');
  for (const std::string& field :
       {JsonString(SiblingPageUrl(ItemImagePage(i))), JsonString(picture.url),
        std::to_string(picture.size.width), std::to_string(picture.size.height),
        JsonString(OriginalUrl(i, picture)), JsonString(name), JsonString(Caption(i)),
        JsonString(ItemDescription(i)), JsonString(IndexLinkOf(i))}) {
    if (record.size() > 1) record += ',';
    record += field;
  }
  // The camera's line only where the pages show one, so other lists stay as they were.
  if (Album().ShowPhotoDetails) record += "," + JsonString(ItemPhotoDetails(i));
  return record + "]";
}

std::string PhotoAnchor(int i) { return "photo" + std::to_string(i + 1); }

std::string IndexLinkOf(int i) {
  return "../" + PathToUrl(ExtractFileName(ItemIndexPage(i))) + "#" + PhotoAnchor(i);
}

}  // namespace fotoloom
