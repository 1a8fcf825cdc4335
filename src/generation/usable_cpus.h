// How many processors this process may keep busy: the default number of thumbnail workers.
//
// The CPUs of the process's affinity mask (so `taskset` and a container's cpuset count), and
// no more than a CPU quota of its control group allows (cgroup v2 "cpu.max", v1
// "cpu.cfs_quota_us" / "cpu.cfs_period_us", at its own level or any level above). The texts
// are parsed by the pure functions below; UsableCpuCount reads them from /proc and /sys.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace fotoloom {

// At least 1: the affinity mask's CPUs, capped by every CPU quota that applies (see above).
// A quota that cannot be read counts as none.
int UsableCpuCount();

// The CPUs a cgroup v2 "cpu.max" text ("QUOTA PERIOD", microseconds) allows: QUOTA / PERIOD
// rounded up, at least 1. 0 when it sets no limit ("max ...") or is not such a text.
int CpusFromCpuMax(std::string_view text);

// The same for cgroup v1's two files: "-1" (or anything not a positive number) is no limit.
int CpusFromCfsQuota(std::string_view quota, std::string_view period);

// A control group folder whose CPU quota applies to this process.
struct CpuQuotaFolder {
  std::string path;
  bool v2 = false;  // "cpu.max" there; otherwise the two cgroup v1 files
};

// The folders whose quota applies, from the process's own group up to its hierarchy's mount
// point, for the cgroup v2 hierarchy and the v1 "cpu" controller, from the texts of
// /proc/self/mountinfo and /proc/self/cgroup. A group outside a mount's root (another
// namespace's) gives no folder.
std::vector<CpuQuotaFolder> CpuQuotaFolders(std::string_view mountinfo, std::string_view cgroup);

}  // namespace fotoloom
