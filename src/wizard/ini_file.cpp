#include "wizard/ini_file.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <string_view>

#include "platform/file_errors.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "platform/permissions.h"

namespace fotoloom {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

// The name of a "[name]" line, or nullopt for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  line.remove_prefix(1);
  std::size_t close = line.find(']');
  if (close != std::string_view::npos) line = line.substr(0, close);
  return Trim(line);
}

// Cuts at most max bytes without splitting a UTF-8 character.
std::string CutBytes(std::string_view s, std::size_t max) {
  if (s.size() <= max) return std::string(s);
  std::size_t n = max;
  while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  return std::string(s.substr(0, n));
}

std::string SingleLine(std::string s) {
  for (char& c : s) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return s;
}

// Creates every missing directory of dir (a path ending with a separator or not).
void MakeDirectories(const std::string& dir) {
  if (dir.empty() || DirectoryExists(dir)) return;
  std::string trimmed = dir;
  while (trimmed.size() > 1 && trimmed.back() == kPathSeparator) trimmed.pop_back();
  std::size_t slash = trimmed.rfind(kPathSeparator);
  if (slash != std::string::npos && slash > 0) MakeDirectories(trimmed.substr(0, slash));
  ::mkdir(trimmed.c_str(), 0777);
}

// The file a rename must replace: a link's target, so the link itself survives.
std::string ResolveLink(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) return path;
  std::string resolved(real);
  std::free(real);
  return resolved;
}

}  // namespace

std::optional<int> ParseIniInteger(const std::string& text) {
  std::string_view s = Trim(text);
  bool negative = false;
  // "0x1F" counts as hexadecimal only when longer than two characters; "0x" alone is unreadable.
  bool hex = false;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    hex = true;
    s.remove_prefix(2);
  } else {
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
      negative = s.front() == '-';
      s.remove_prefix(1);
    }
    if (!s.empty() && s.front() == '$') {
      hex = true;
      s.remove_prefix(1);
    }
  }
  if (s.empty()) return std::nullopt;
  unsigned long long value = 0;
  for (char c : s) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (hex && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (hex && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    value = value * (hex ? 16 : 10) + static_cast<unsigned>(digit);
    if (value > 0xFFFFFFFFULL) return std::nullopt;
  }
  if (hex) {
    // Hexadecimal fills the 32 bits: $FFFFFFFF is -1.
    auto bits = static_cast<std::uint32_t>(value);
    if (negative) bits = 0u - bits;
    return static_cast<int>(bits);
  }
  if (negative) {
    if (value > static_cast<unsigned long long>(INT_MAX) + 1) return std::nullopt;
    return static_cast<int>(-static_cast<long long>(value));
  }
  if (value > static_cast<unsigned long long>(INT_MAX)) return std::nullopt;
  return static_cast<int>(value);
}

IniFile::IniFile(std::string path) : path_(std::move(path)) {
  std::string data;
  if (!ReadFileStart(path_, kMaxFileBytes, &data, &cut_)) return;
  loaded_ = true;
  // A line cut by the limit is not taken for a value.
  if (cut_) {
    const std::size_t last_end = data.rfind('\n');
    data.resize(last_end == std::string::npos ? 0 : last_end + 1);
  }
  // Editors that save "UTF-8 with BOM" put the mark before the first section's header, which
  // would then not read as one.
  byte_order_mark_ = std::string_view(data).substr(0, kByteOrderMark.size()) == kByteOrderMark;
  bool style_known = false;
  std::size_t pos = byte_order_mark_ ? kByteOrderMark.size() : 0;
  while (pos < data.size()) {
    std::size_t nl = data.find('\n', pos);
    Line line;
    if (nl == std::string::npos) {
      line.text = data.substr(pos);
      pos = data.size();
    } else {
      const bool cr = nl > pos && data[nl - 1] == '\r';
      line.text = data.substr(pos, nl - pos - (cr ? 1 : 0));
      // Taken from the text itself: GCC 12 warns falsely (-Wrestrict) about a literal here.
      line.end = data.substr(nl - (cr ? 1 : 0), cr ? 2 : 1);
      pos = nl + 1;
      if (!style_known) {
        newline_ = line.end;
        style_known = true;
      }
    }
    lines_.push_back(std::move(line));
  }
}

int IniFile::FindSection(const std::string& section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    auto name = SectionName(lines_[i].text);
    if (name && EqualsNoCase(*name, section)) return static_cast<int>(i);
  }
  return -1;
}

int IniFile::FindKey(int header, const std::string& key) const {
  for (std::size_t i = static_cast<std::size_t>(header) + 1; i < lines_.size(); ++i) {
    std::string_view text = lines_[i].text;
    if (SectionName(text)) break;
    std::size_t eq = text.find('=');
    if (eq == std::string_view::npos) continue;
    if (EqualsNoCase(Trim(text.substr(0, eq)), key)) return static_cast<int>(i);
  }
  return -1;
}

bool IniFile::HasSection(const std::string& section) const { return FindSection(section) >= 0; }

std::optional<std::string> IniFile::Find(const std::string& section, const std::string& key) const {
  int header = FindSection(section);
  if (header < 0) return std::nullopt;
  int at = FindKey(header, key);
  if (at < 0) return std::nullopt;
  std::string_view text = lines_[static_cast<std::size_t>(at)].text;
  std::string_view value = Trim(text.substr(text.find('=') + 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return CutBytes(value, kMaxValueBytes);
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& default_value) const {
  auto value = Find(section, key);
  return value ? *value : default_value;
}

int IniFile::ReadInteger(const std::string& section, const std::string& key,
                         int default_value) const {
  auto value = Find(section, key);
  if (!value) return default_value;
  auto number = ParseIniInteger(*value);
  return number ? *number : default_value;
}

void IniFile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value) {
  std::string entry = key + "=" + SingleLine(value);
  int header = FindSection(section);
  if (header < 0) {
    if (!lines_.empty() && lines_.back().end.empty()) lines_.back().end = newline_;
    lines_.push_back({"[" + section + "]", newline_});
    lines_.push_back({std::move(entry), newline_});
    return;
  }
  int at = FindKey(header, key);
  if (at >= 0) {
    lines_[static_cast<std::size_t>(at)].text = std::move(entry);
    return;
  }
  // After the section's last non-blank line, so blank lines before the next section stay
  // where they are.
  std::size_t insert = static_cast<std::size_t>(header) + 1;
  for (std::size_t i = insert; i < lines_.size(); ++i) {
    if (SectionName(lines_[i].text)) break;
    if (!Trim(lines_[i].text).empty()) insert = i + 1;
  }
  if (insert == lines_.size() && !lines_.empty() && lines_.back().end.empty()) {
    lines_.back().end = newline_;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insert), {std::move(entry), newline_});
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
  WriteString(section, key, std::to_string(value));
}

std::string IniFile::Text() const {
  std::string text(byte_order_mark_ ? kByteOrderMark : std::string_view());
  for (const Line& line : lines_) {
    text += line.text;
    text += line.end;
  }
  return text;
}

void IniFile::Save() const {
  if (IsReadOnly(path_) || cut_) RaiseFileWriteError(path_);
  const std::string target = ResolveLink(path_);
  MakeDirectories(ExtractFilePath(target));
  try {
    WriteWholeFile(target, Text(),
                   WriteOptions{.sync = true, .keep_owner = true, .in_place_fallback = true});
  } catch (const Error&) {
    RaiseFileWriteError(path_);
  }
}

}  // namespace fotoloom
