// A small INI file with the private-profile rules: sections "[name]" of "Key=Value" lines,
// section and key names matched without regard to letter case, the first of several equal
// names wins. The whole file is read at construction, up to kMaxFileBytes; nothing of it is
// kept between two IniFile objects, so a change made by hand shows at the next read.
//
// Reading: the text after "=" without the blanks around it; a value wholly enclosed in a pair
// of matching double or single quotes loses them; at most kMaxValueBytes bytes. A key present
// with an empty value is the empty text. Both LF and CR LF line ends are read; a UTF-8
// byte-order mark at the start is passed over (and written back).
//
// Writing changes the copy in memory: an existing key's value is replaced in place, a new key
// is appended after the section's last entry, a missing section is created at the end. Every
// other line stays byte for byte. Save() puts the copy on disk in one piece.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace fotoloom {

class IniFile {
 public:
  static constexpr std::size_t kMaxValueBytes = 2047;
  // No settings file comes near this; of a larger one only the lines within it are read.
  static constexpr std::size_t kMaxFileBytes = std::size_t{1} << 20;

  // Reads path; a missing or unreadable file is an empty one.
  explicit IniFile(std::string path);

  const std::string& path() const { return path_; }
  // True when the file was read (it exists and is a readable regular file).
  bool loaded() const { return loaded_; }
  // True when the file is larger than kMaxFileBytes, so that only its first lines were read.
  bool cut() const { return cut_; }
  bool HasSection(const std::string& section) const;

  // The value, or nullopt when the section or key is absent.
  std::optional<std::string> Find(const std::string& section, const std::string& key) const;
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& default_value) const;
  // Decimal with optional sign, or hexadecimal after "$" (also "-$"), or after "0x"/"0X" when
  // the text is longer than two characters. Absent, empty, unreadable or out of the 32-bit
  // range gives default_value.
  int ReadInteger(const std::string& section, const std::string& key, int default_value) const;

  // A value with a line break cannot be stored in one line: CR and LF are written as blanks.
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int value);

  // Writes the file through the one file writer (platform/file_io.h): a temporary file beside
  // it, flushed to the disk and renamed over it, so a failed write never leaves a damaged or
  // truncated file. The file keeps its permission bits and, where the system allows, its owner.
  // A link is kept and the file it leads to is replaced. When no temporary file can be made
  // beside the file (its folder is not writable), or its owner could not be kept, the file is
  // rewritten in place. Creates missing parent directories. Throws FileWriteError ("Unable to
  // write to <path>") when the file is read-only (owner write bit clear), was cut (its rest
  // would be lost), or cannot be written; except for a failure part-way through an in-place
  // rewrite, the file is then unchanged.
  void Save() const;

  // The file's text as Save() would write it.
  std::string Text() const;

 private:
  struct Line {
    std::string text;  // without line end
    std::string end;   // "\n", "\r\n" or "" (last line without one)
  };
  // Index of the section's header line, or -1.
  int FindSection(const std::string& section) const;
  // Index of the key's line inside the section starting at header index, or -1.
  int FindKey(int header, const std::string& key) const;

  std::string path_;
  bool loaded_ = false;
  bool cut_ = false;
  bool byte_order_mark_ = false;
  std::vector<Line> lines_;
  std::string newline_ = "\n";
};

// Parses an integer the way settings values are read; nullopt when it cannot be read.
std::optional<int> ParseIniInteger(const std::string& text);

}  // namespace fotoloom
