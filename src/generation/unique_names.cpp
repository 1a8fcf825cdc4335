#include "generation/unique_names.h"

#include <utility>

#include "platform/paths.h"
#include "platform/text.h"

namespace fotoloom {

namespace {

std::string Numbered(const std::string& stem, long long n, const std::string& extension) {
  if (n == 0) return stem + extension;
  return stem + " (" + std::to_string(n) + ")" + extension;
}

}  // namespace

UniqueNamer::UniqueNamer(std::string directory, std::string extension)
    : directory_(std::move(directory)),
      extension_(std::move(extension)),
      upper_extension_(UpperCase(extension_)) {}

void UniqueNamer::Take(const std::string& path) { taken_.insert(UpperCase(ExtractFileName(path))); }

std::string UniqueNamer::Claim(const std::string& stem) {
  // The pieces joined below meet at ASCII characters, so upper-casing them apart gives the
  // same bytes as upper-casing the whole name.
  const std::string upper_stem = UpperCase(stem);
  // Most names are free: one hash operation, and no number search state for them.
  if (taken_.insert(upper_stem + upper_extension_).second) {
    return directory_ + stem + extension_;
  }
  long long& n = next_free_[upper_stem];
  if (n == 0) n = 1;
  std::string key = Numbered(upper_stem, n, upper_extension_);
  while (taken_.count(key) != 0) key = Numbered(upper_stem, ++n, upper_extension_);
  taken_.insert(std::move(key));
  return directory_ + Numbered(stem, n++, extension_);
}

}  // namespace fotoloom
