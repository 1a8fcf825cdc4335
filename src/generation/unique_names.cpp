#include "generation/unique_names.h"

#include <utility>

#include "platform/paths.h"
#include "platform/text.h"

namespace fotoloom {

namespace {

std::string Suffix(long long n) { return n == 0 ? std::string() : " (" + std::to_string(n) + ")"; }

}  // namespace

UniqueNamer::UniqueNamer(std::string directory, std::string extension, std::size_t max_name_bytes)
    : directory_(std::move(directory)),
      extension_(std::move(extension)),
      max_name_bytes_(max_name_bytes) {}

void UniqueNamer::Take(const std::string& path) { taken_.insert(UpperCase(ExtractFileName(path))); }

std::string UniqueNamer::Fitted(const std::string& stem, const std::string& suffix) const {
  const std::size_t fixed = suffix.size() + extension_.size();
  if (stem.size() + fixed <= max_name_bytes_) return stem + suffix + extension_;
  return LeftBytes(stem, max_name_bytes_ > fixed ? max_name_bytes_ - fixed : 0) + suffix +
         extension_;
}

std::string UniqueNamer::Claim(const std::string& stem) {
  // Names are compared upper-cased.
  std::string name = Fitted(stem, "");
  // Most names are free: one hash operation, and no number search state for them.
  if (taken_.insert(UpperCase(name)).second) return directory_ + name;
  long long& n = next_free_[UpperCase(stem)];
  if (n == 0) n = 1;
  for (;; ++n) {
    name = Fitted(stem, Suffix(n));
    if (taken_.insert(UpperCase(name)).second) break;
  }
  ++n;
  return directory_ + name;
}

}  // namespace fotoloom
