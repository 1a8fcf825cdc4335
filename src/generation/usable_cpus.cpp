#include "generation/usable_cpus.h"

#include <sched.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <memory>

#include "platform/file_io.h"

namespace fotoloom {

namespace {

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

bool Contains(const std::vector<std::string_view>& list, std::string_view item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

// A positive decimal number making up the whole text (a final line break allowed); 0 otherwise.
std::int64_t PositiveNumber(std::string_view text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.remove_suffix(1);
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && value > 0 ? value : 0;
}

int CpusFromQuota(std::int64_t quota, std::int64_t period) {
  if (quota <= 0 || period <= 0) return 0;
  return static_cast<int>(std::min<std::int64_t>((quota + period - 1) / period, 1 << 20));
}

// The process's own group in one hierarchy, and every group above it up to the mount point.
void AddFolders(std::string_view mount_point, std::string_view mount_root, std::string_view group,
                bool v2, std::vector<CpuQuotaFolder>* folders) {
  if (mount_root != "/") {
    if (group.substr(0, mount_root.size()) != mount_root) return;
    group.remove_prefix(mount_root.size());
    if (!group.empty() && group.front() != '/') return;
  }
  while (!group.empty() && group.back() == '/') group.remove_suffix(1);
  for (;;) {
    folders->push_back({std::string(mount_point) + std::string(group), v2});
    if (group.empty()) return;
    group = group.substr(0, group.rfind('/'));
  }
}

int AffinityCpus() {
  // A mask sized for the machine's processors: CPU_SETSIZE (1024) is too small for some.
  for (int size = 1024; size <= (1 << 20); size *= 4) {
    const auto free_set = [](cpu_set_t* set) { CPU_FREE(set); };
    const std::unique_ptr<cpu_set_t, decltype(free_set)> set(CPU_ALLOC(size), free_set);
    if (!set) return 1;
    const std::size_t bytes = CPU_ALLOC_SIZE(size);
    CPU_ZERO_S(bytes, set.get());
    if (sched_getaffinity(0, bytes, set.get()) == 0)
      return std::max(1, CPU_COUNT_S(bytes, set.get()));
    if (errno != EINVAL) return 1;
  }
  return 1;
}

std::string ReadText(const std::string& path) {
  std::string text;
  return ReadWholeFile(path, &text) ? text : std::string();
}

}  // namespace

int CpusFromCpuMax(std::string_view text) {
  const std::vector<std::string_view> fields = Split(text.substr(0, text.find('\n')), ' ');
  if (fields.size() != 2) return 0;
  return CpusFromQuota(PositiveNumber(fields[0]), PositiveNumber(fields[1]));
}

int CpusFromCfsQuota(std::string_view quota, std::string_view period) {
  return CpusFromQuota(PositiveNumber(quota), PositiveNumber(period));
}

std::vector<CpuQuotaFolder> CpuQuotaFolders(std::string_view mountinfo, std::string_view cgroup) {
  std::string_view v2_group, v1_group;
  bool has_v2 = false, has_v1 = false;
  for (const std::string_view line : Split(cgroup, '\n')) {
    const std::size_t first = line.find(':');
    const std::size_t second = line.find(':', first + 1);
    if (first == std::string_view::npos || second == std::string_view::npos) continue;
    const std::string_view id = line.substr(0, first);
    const std::string_view controllers = line.substr(first + 1, second - first - 1);
    const std::string_view group = line.substr(second + 1);
    if (id == "0" && controllers.empty()) {
      v2_group = group, has_v2 = true;
    } else if (Contains(Split(controllers, ','), "cpu")) {
      v1_group = group, has_v1 = true;
    }
  }

  std::vector<CpuQuotaFolder> folders;
  bool v2_done = false, v1_done = false;
  for (const std::string_view line : Split(mountinfo, '\n')) {
    // "ID PARENT MAJOR:MINOR ROOT MOUNT-POINT OPTIONS [OPTIONAL...] - TYPE SOURCE SUPER-OPTIONS"
    const std::vector<std::string_view> fields = Split(line, ' ');
    const auto dash = std::find(fields.begin(), fields.end(), "-");
    if (fields.size() < 5 || dash == fields.end() || fields.end() - dash < 4) continue;
    const std::string_view root = fields[3], mount_point = fields[4], type = dash[1];
    if (type == "cgroup2" && has_v2 && !v2_done) {
      AddFolders(mount_point, root, v2_group, true, &folders);
      v2_done = true;
    } else if (type == "cgroup" && has_v1 && !v1_done && Contains(Split(dash[3], ','), "cpu")) {
      AddFolders(mount_point, root, v1_group, false, &folders);
      v1_done = true;
    }
  }
  return folders;
}

int UsableCpuCount() {
  int cpus = AffinityCpus();
  for (const CpuQuotaFolder& folder :
       CpuQuotaFolders(ReadText("/proc/self/mountinfo"), ReadText("/proc/self/cgroup"))) {
    const int limit = folder.v2 ? CpusFromCpuMax(ReadText(folder.path + "/cpu.max"))
                                : CpusFromCfsQuota(ReadText(folder.path + "/cpu.cfs_quota_us"),
                                                   ReadText(folder.path + "/cpu.cfs_period_us"));
    if (limit > 0) cpus = std::min(cpus, limit);
  }
  return cpus;
}

}  // namespace fotoloom
