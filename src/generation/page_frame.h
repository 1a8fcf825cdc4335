// The frame both page writers put around their content: the head and the body's opening, the
// navigation block, and the foot. Everything reads the process-wide Album() settings.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "generation/page_text.h"

namespace fotoloom {

// What differs between the pages' heads.
struct PageHead {
  std::string description;        // the DESCRIPTION meta element's content
  std::vector<std::string> meta;  // further head lines, after the generator and character set
  std::string title;              // empty: no title element
  // The background image's and sound's URLs as the page sees them; nullopt: none.
  std::optional<std::string> background;
  std::optional<std::string> sound;
};

// From "<html>" to the body's opening: the head, the body with the album's colours and the
// background image, the background sound, and the font (closed by WritePageFoot).
void WritePageTop(PageLines& lines, const PageHead& head);

// The URL of the file a background setting names, in the folder files_url ("" beside the page,
// otherwise ending in "/"); nullopt when the setting is empty.
std::optional<std::string> BackgroundUrl(const std::string& setting, const std::string& files_url);

// The URL of the page at page_path as a page beside it links to it: its bare file name,
// escaped; "" when page_path is empty.
std::string SiblingPageUrl(const std::string& page_path);

// The navigation link to the page at page_path, which lies beside the page being written,
// labelled text; text alone when page_path is empty.
std::string NavLinkTo(const std::string& page_path, const std::string& text);

// A navigation block: the links joined by " | ", centred, one size larger than FontSize;
// spaced puts "&nbsp;" under them.
void WriteNavigation(PageLines& lines, const std::vector<std::string>& links, bool spaced);

// The footer block and the closing lines.
void WritePageFoot(PageLines& lines);

}  // namespace fotoloom
