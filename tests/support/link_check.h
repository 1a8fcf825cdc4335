// Checks the references of generated HTML pages: every href, src and background attribute and
// the target of a refresh meta element, URL-decoded and resolved against the page's folder,
// must name an existing regular file, and a "#name" fragment must name an anchor
// (<a name="..."> or an element's id) of the page it points into. References must be relative.
//
// Header-only so that any test binary can use it without linking anything.
#pragma once

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fotoloom::testing {

inline std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Decodes %XX escapes. Returns false for a malformed escape.
inline bool UrlDecode(const std::string& url, std::string& decoded) {
  decoded.clear();
  auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  for (std::size_t i = 0; i < url.size(); ++i) {
    if (url[i] != '%') {
      decoded += url[i];
      continue;
    }
    if (i + 2 >= url.size()) return false;
    int hi = hex(url[i + 1]), lo = hex(url[i + 2]);
    if (hi < 0 || lo < 0) return false;
    decoded += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return true;
}

// Every reference the page makes, as written (still escaped): the values of href, src and
// background attributes and the addresses of srcset candidates in document order, then the
// targets of refresh meta elements.
inline std::vector<std::string> PageReferences(const std::string& html) {
  std::vector<std::string> refs;
  auto is_word = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-'; };
  for (std::size_t at = 0; at < html.size(); ++at) {
    for (const char* name : {"href", "src", "background", "srcset"}) {
      const std::size_t len = std::strlen(name);
      if (html.compare(at, len, name) != 0 || (at > 0 && is_word(html[at - 1]))) continue;
      std::size_t k = at + len;
      while (k < html.size() && html[k] == ' ') ++k;
      if (k >= html.size() || html[k] != '=') continue;
      ++k;
      while (k < html.size() && html[k] == ' ') ++k;
      if (k >= html.size() || html[k] != '"') continue;
      const std::size_t close = html.find('"', k + 1);
      if (close == std::string::npos) continue;
      const std::string value = html.substr(k + 1, close - k - 1);
      if (std::strcmp(name, "srcset") != 0) {
        refs.push_back(value);
        continue;
      }
      // "url 1x, url 2x": addresses are escaped, so neither holds a blank or a comma.
      std::size_t from = 0;
      while (from < value.size()) {
        const std::size_t end = std::min(value.find(',', from), value.size());
        const std::string candidate = value.substr(from, end - from);
        const std::size_t start = candidate.find_first_not_of(' ');
        if (start != std::string::npos)
          refs.push_back(candidate.substr(start, candidate.find(' ', start) - start));
        from = end + 1;
      }
    }
  }
  // content=5;url="next.html" or content="5;url=next.html", the keyword in either case.
  for (const char* refresh : {"http-equiv=\"REFRESH\"", "http-equiv=\"refresh\""}) {
    for (std::size_t at = html.find(refresh); at != std::string::npos;
         at = html.find(refresh, at + 1)) {
      const std::size_t end = html.find('>', at);
      std::size_t url = html.find(";url=", at);
      if (url == std::string::npos || url > end) continue;
      url += 5;
      if (html[url] == '"') ++url;
      const std::size_t close = html.find('"', url);
      if (close != std::string::npos) refs.push_back(html.substr(url, close - url));
    }
  }
  return refs;
}

// An anchor: <a name="name">, or any element with id="name".
inline bool HasAnchor(const std::string& html, const std::string& name) {
  return html.find("<a name=\"" + name + "\">") != std::string::npos ||
         html.find(" id=\"" + name + "\"") != std::string::npos;
}

// One text per broken reference: "<page>: <reference>: <what is wrong>". Empty when all hold.
inline std::vector<std::string> BrokenLinks(const std::filesystem::path& page) {
  std::vector<std::string> broken;
  const std::string html = ReadWholeFile(page);
  if (html.empty()) {
    broken.push_back(page.string() + ": page is missing or empty");
    return broken;
  }
  for (const std::string& ref : PageReferences(html)) {
    auto report = [&](const std::string& what) {
      broken.push_back(page.string() + ": " + ref + ": " + what);
    };
    if (ref.empty()) {
      report("empty reference");
      continue;
    }
    if (ref[0] == '/' || ref.find(':') != std::string::npos) {
      report("not a relative reference");
      continue;
    }
    std::string path_part = ref, fragment;
    if (std::size_t hash = ref.find('#'); hash != std::string::npos) {
      path_part = ref.substr(0, hash);
      fragment = ref.substr(hash + 1);
    }
    std::string decoded;
    if (!UrlDecode(path_part, decoded)) {
      report("malformed escape");
      continue;
    }
    const std::filesystem::path target = page.parent_path() / decoded;
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
      report("no file " + target.string());
      continue;
    }
    if (!fragment.empty() && !HasAnchor(ReadWholeFile(target), fragment))
      report("no anchor \"" + fragment + "\" in " + target.string());
  }
  return broken;
}

inline std::vector<std::string> BrokenLinks(const std::vector<std::filesystem::path>& pages) {
  std::vector<std::string> broken;
  for (const auto& page : pages) {
    std::vector<std::string> more = BrokenLinks(page);
    broken.insert(broken.end(), more.begin(), more.end());
  }
  return broken;
}

// The .html files directly inside a folder, sorted by name.
inline std::vector<std::filesystem::path> HtmlFilesIn(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> pages;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
    if (entry.is_regular_file() && entry.path().extension() == ".html")
      pages.push_back(entry.path());
  std::sort(pages.begin(), pages.end());
  return pages;
}

}  // namespace fotoloom::testing
