#include "files/descriptions.h"

#include <string>
#include <unordered_map>

#include "platform/paths.h"
#include "platform/text.h"

namespace fotoloom {

void ApplyDescriptions(std::string_view text, const std::vector<CFile*>& entries) {
  const std::size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  if (entries.empty()) return;

  // One lookup per line instead of a scan of the entries: a directory of 100 000 photos
  // with a line for each would otherwise take 10^10 name comparisons.
  std::unordered_map<std::string, CFile*> first_of_name;
  first_of_name.reserve(entries.size());
  for (CFile* file : entries) first_of_name.emplace(UpperCase(ExtractFileName(file->Path)), file);

  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(pos, end - pos);
    pos = end;
    if (pos < text.size())
      pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;

    const std::size_t bar = line.find('|');
    if (bar == std::string_view::npos) continue;
    std::string_view name = line.substr(0, bar);
    const std::size_t slash = name.rfind(kPathSeparator);
    if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
    const auto hit = first_of_name.find(UpperCase(name));
    if (hit != first_of_name.end()) hit->second->Description.assign(line.substr(bar + 1));
  }
}

}  // namespace fotoloom
