#include "files/dir.h"

#include <string_view>
#include <utility>

#include "files/descriptions.h"
#include "files/file_errors.h"
#include "files/file_utils.h"
#include "platform/listing.h"
#include "platform/text.h"

namespace fotoloom {
namespace {

std::string TrimControls(const std::string& text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
  return text.substr(begin, end - begin);
}

// Signed three-way comparison of two keys.
template <typename T>
int Compare(const T& a, const T& b) {
  return a < b ? -1 : (a > b ? 1 : 0);
}

// The listing's quicksort over positions 0..count-1. The pivot is held as an item, not as
// a position, and equal keys are swapped, so the order of equal keys is part of the result.
// The recursion into the left part is an explicit stack: the parts are disjoint, so the
// order in which they are finished does not change the result, and deep inputs cannot
// exhaust the call stack.
template <typename Item, typename Cmp>
void QuickSort(std::vector<Item>& items, Cmp compare) {
  if (items.size() < 2) return;
  std::vector<std::pair<std::ptrdiff_t, std::ptrdiff_t>> pending;
  pending.emplace_back(0, static_cast<std::ptrdiff_t>(items.size()) - 1);
  while (!pending.empty()) {
    auto [left, right] = pending.back();
    pending.pop_back();
    std::ptrdiff_t i;
    do {
      i = left;
      std::ptrdiff_t j = right;
      const Item pivot = items[static_cast<std::size_t>((left + right) / 2)];
      do {
        while (compare(items[static_cast<std::size_t>(i)], pivot) < 0) ++i;
        while (compare(items[static_cast<std::size_t>(j)], pivot) > 0) --j;
        if (i <= j) {
          std::swap(items[static_cast<std::size_t>(i)], items[static_cast<std::size_t>(j)]);
          ++i;
          --j;
        }
      } while (i <= j);
      if (left < j) pending.emplace_back(left, j);
      left = i;
    } while (i < right);
  }
}

}  // namespace

CDir::CDir(std::string directory, std::string masks, std::string description_file)
    : directory_(std::move(directory)),
      masks_(std::move(masks)),
      description_file_(std::move(description_file)) {
  Load();
}

CDir::~CDir() = default;

CFile& CDir::Items(int i) {
  if (i < 0 || i >= Count()) RaiseListIndexError(i);
  return *entries_[static_cast<std::size_t>(i)];
}

const CFile& CDir::Items(int i) const {
  if (i < 0 || i >= Count()) RaiseListIndexError(i);
  return *entries_[static_cast<std::size_t>(i)];
}

void CDir::Load() {
  entries_.clear();
  if (directory_.empty() || !DirectoryExists(directory_)) return;
  const std::string base = WithTrailingSeparator(ExpandFileName(directory_));
  const DirectorySnapshot snapshot(base);
  if (!snapshot.ok()) return;

  for (std::string rest = masks_; !rest.empty();) {
    const std::string mask = TrimControls(ListHead(rest, '|'));
    rest = ListTail(rest, '|');
    for (FoundFile& found : snapshot.Find(mask)) {
      auto file = std::make_unique<CFile>();
      file->Path = base + found.name;
      file->Size = found.size;
      file->Time = PackFileTime(found.mtime);
      entries_.push_back(std::move(file));
    }
  }

  if (description_file_.empty()) return;
  const std::string description_path =
      description_file_.front() == kPathSeparator ? description_file_ : base + description_file_;
  if (FileExists(description_path)) ReadDescriptions(description_path);
}

void CDir::ReadDescriptions(const std::string& path) {
  std::vector<CFile*> entries;
  entries.reserve(entries_.size());
  for (const auto& file : entries_) entries.push_back(file.get());
  ReadDescriptionFile(path, entries);
}

int CDir::IndexOfName(const std::string& name) const {
  const std::string wanted = UpperCase(ExtractFileName(name));
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (UpperCase(ExtractFileName(entries_[i]->Path)) == wanted) return static_cast<int>(i);
  }
  return -1;
}

void CDir::Sort(int code) {
  if (code < kSortNameAscending || code > kSortTimeDescending || entries_.size() < 2) return;

  // Keys are computed once per entry; sorting positions keeps the entries themselves in
  // place until the final order is known.
  std::vector<std::string> names;
  if (code == kSortNameAscending || code == kSortNameDescending) {
    names.reserve(entries_.size());
    for (const auto& file : entries_) names.push_back(UpperCase(file->Path));
  }
  const auto compare = [&](std::size_t a, std::size_t b) -> int {
    const CFile& x = *entries_[a];
    const CFile& y = *entries_[b];
    switch (code) {
      case kSortNameAscending:
        return Compare(names[a], names[b]);
      case kSortNameDescending:
        return Compare(names[b], names[a]);
      case kSortSizeAscending:
        return Compare(x.Size, y.Size);
      case kSortSizeDescending:
        return Compare(y.Size, x.Size);
      case kSortTimeAscending:
        return Compare(x.Time, y.Time);
      default:
        return Compare(y.Time, x.Time);
    }
  };

  std::vector<std::size_t> order(entries_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  QuickSort(order, compare);

  std::vector<std::unique_ptr<CFile>> sorted;
  sorted.reserve(entries_.size());
  for (const std::size_t i : order) sorted.push_back(std::move(entries_[i]));
  entries_ = std::move(sorted);
}

}  // namespace fotoloom
