// Pieces shared by the index page and image page writers of both styles: the line list a page
// is built from, the navigation link element, the escaping of file-name text pasted into a
// page, links from the album directory, the shown file name, and the one checked write that
// stores a page.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace fotoloom {

// A page under construction: one string per line, without line ends.
using PageLines = std::vector<std::string>;

// The text of a file name (or a path) made safe to stand in HTML text or inside a
// double-quoted attribute: "&" "<" ">" and the quotation mark become &amp; &lt; &gt; &quot;,
// CR and LF become &#13; and &#10; so that every page line stays one line.
// Texts the user typed (title, header, footer, navigation texts, descriptions) are HTML by
// intent and never pass through here.
std::string HtmlEscape(std::string_view text);

// The navigation link element: an anchor to href labelled text, whose mouse-over shows
// text in the status bar. text is pasted unchanged into both places.
std::string NavLink(const std::string& href, const std::string& text);

// The URL of path (a full path, or a name beside the index pages) as an index page in the
// album directory links to it: RelativePath from AlbumDirectory, escaped.
std::string UrlFromAlbum(const std::string& path);

// The file name of source as the file details show it: without its extension unless
// ShowFileExtension, cut to NameMaxLen characters (the last three "..." when NameMaxLen > 3).
// Not yet HTML-escaped.
std::string ShownFileName(const std::string& source);

// Writes every line followed by CR LF to file_name (created, or truncated and overwritten) in
// one write. Raises FileCreateError when the file cannot be created and FileWriteError when
// not every byte was stored; nothing else of the caller's state is touched.
void SavePageLines(const PageLines& lines, const std::string& file_name);

// Integer value of a decimal setting such as FontSize or ThumbnailBorder; leading blanks and
// a sign are accepted, anything else ends the number, and no digits at all give 0.
int DecimalValue(const std::string& text);

}  // namespace fotoloom
