// Pieces shared by the modern index and image pages: the page head with its stylesheet, script
// and the catalog's colours, the button markup, and the escaping of text for the places these
// pages paste it into (a CSS value, a JSON string, a plain-text attribute).
//
// The modern pages read the same Album() settings and item list as the classic ones; they are
// HTML5 documents (doctype, lang, charset, viewport) whose look lives in the stylesheet.
#pragma once

#include <string>
#include <string_view>

#include "generation/page_text.h"

namespace fotoloom {

// The files every modern catalog keeps in its data directory: the same bytes in every run.
inline constexpr char kModernStylesheet[] = "fotoloom.css";
inline constexpr char kModernScript[] = "fotoloom.js";

// The stylesheet's and the script's text.
std::string_view ModernStylesheetText();
std::string_view ModernScriptText();

// Writes the stylesheet and the script into data_dir (which ends with "/") through the one file
// writer. Raises FileCreateError / FileWriteError naming the file that cannot be written.
void WriteModernAssets(const std::string& data_dir);

// The name, in the data directory, of the list of a catalog's photos that its image pages load
// for full screen: the catalog file's stem + "-items.js" ("index-items.js").
std::string ModernItemsFileName();

struct ModernHead {
  std::string title;        // HTML text; no title element when empty
  std::string description;  // plain text for the description meta element; none when empty
  std::string data_url;     // the data directory as the page sees it: "fldata/" or ""
  std::string refresh;      // the show page's refresh target; empty: none
};

// Appends the lines from the doctype up to and including "</head>": charset, viewport,
// generator, description, title, the stylesheet, the colours, font and sizes of the settings as
// CSS custom properties, the refresh (inside noscript, so that only a browser without scripts
// follows it) and the deferred script.
void AppendModernHead(PageLines& lines, const ModernHead& head);

// The footer, when there is one, and the background sound as a player the visitor starts (a
// page that plays sound of its own accord is refused by browsers and by screen reader users).
void AppendModernFoot(PageLines& lines, const std::string& data_url);

// A button: a link to href labelled text (HTML), or, when href is empty, the same box marked
// disabled without a link. attributes (" id=\"next\" rel=\"next\"") follow the class. An empty
// text is replaced by fallback, so that no button is left without a name.
std::string ModernButton(const std::string& href, const std::string& text,
                         const std::string& attributes, const char* fallback);

// text made safe as a CSS declaration's value: characters that would end the value, the rule
// or the style element (; { } < > " \ and line breaks) are dropped.
std::string CssValue(std::string_view text);

// text as a JSON string literal, quotes included, that is also safe inside a script element:
// quotes, backslashes and control characters escaped, "<" as \u003C, U+2028 and U+2029 as
// escapes.
std::string JsonString(std::string_view text);

// HTML made plain text for an attribute: tags removed, then HtmlEscape.
std::string PlainText(std::string_view html);

}  // namespace fotoloom
