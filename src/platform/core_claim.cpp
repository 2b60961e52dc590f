// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/core_claim.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <mutex>
#include <sstream>

namespace stampwell {
namespace {

namespace fs = std::filesystem;

constexpr double kNoQuota = std::numeric_limits<double>::infinity();

std::mutex g_folderMutex;
std::string g_folder;  // SetCoreClaimFolder's; empty: the default

std::string FirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

// The processor quota, in cores, of a cgroup v2 folder and its parents up to the root of the
// hierarchy this process sees.
double QuotaV2(fs::path dir) {
  double cores = kNoQuota;
  const fs::path root = "/sys/fs/cgroup";
  for (;;) {
    std::istringstream max(FirstLine((dir / "cpu.max").string()));
    std::string quota;
    double period = 0;
    if (max >> quota >> period && quota != "max" && period > 0)
      cores = std::min(cores, std::atof(quota.c_str()) / period);
    if (dir == root || !dir.has_parent_path() || dir.parent_path() == dir) break;
    dir = dir.parent_path();
  }
  return cores;
}

// The same for a cgroup v1 "cpu" controller folder.
double QuotaV1(fs::path dir, const fs::path& root) {
  double cores = kNoQuota;
  for (;;) {
    const double quota = std::atof(FirstLine((dir / "cpu.cfs_quota_us").string()).c_str());
    const double period = std::atof(FirstLine((dir / "cpu.cfs_period_us").string()).c_str());
    if (quota > 0 && period > 0) cores = std::min(cores, quota / period);
    if (dir == root || !dir.has_parent_path() || dir.parent_path() == dir) break;
    dir = dir.parent_path();
  }
  return cores;
}

// The smallest processor quota over this process's cgroups, in cores; infinity without one.
double QuotaCores() {
  double cores = kNoQuota;
  std::ifstream groups("/proc/self/cgroup");
  std::string line;
  while (std::getline(groups, line)) {
    // "<id>:<controllers>:<path>"; cgroup v2 has no controllers.
    const auto first = line.find(':'), second = line.find(':', first + 1);
    if (first == std::string::npos || second == std::string::npos) continue;
    const std::string controllers = line.substr(first + 1, second - first - 1);
    const std::string path = line.substr(second + 1);
    if (controllers.empty()) {
      cores = std::min(cores, QuotaV2(fs::path("/sys/fs/cgroup") / fs::path(path).relative_path()));
      continue;
    }
    std::istringstream names(controllers);
    std::string name;
    while (std::getline(names, name, ','))
      if (name == "cpu")
        for (const char* mount : {"/sys/fs/cgroup/cpu", "/sys/fs/cgroup/cpu,cpuacct"})
          if (fs::is_directory(mount))
            cores = std::min(cores, QuotaV1(fs::path(mount) / fs::path(path).relative_path(), mount));
  }
  return cores;
}

// A Kubernetes pod: the variable every pod is given, or a cgroup of the kubelet's.
bool InKubernetesPod() {
  if (std::getenv("KUBERNETES_SERVICE_HOST")) return true;
  std::ifstream groups("/proc/self/cgroup");
  std::string line;
  while (std::getline(groups, line))
    if (line.find("kubepods") != std::string::npos) return true;
  return false;
}

// The first number of a kernel CPU list ("0-3", "1,5"); -1 when there is none.
int FirstCpu(const std::string& list) {
  if (list.empty() || !std::isdigit(static_cast<unsigned char>(list[0]))) return -1;
  return std::atoi(list.c_str());
}

// A folder only this user may use: created 0700 when missing; refused when it is a link,
// someone else's, or open to others.
bool PrivateFolder(const std::string& folder) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0) return false;
  return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

}  // namespace

std::vector<int> TCoreClaim::Candidates() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) != 0) return {};
  std::vector<int> first, siblings;
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
    if (!CPU_ISSET(cpu, &set)) continue;
    const int lead = FirstCpu(FirstLine("/sys/devices/system/cpu/cpu" + std::to_string(cpu) +
                                        "/topology/thread_siblings_list"));
    (lead < 0 || lead == cpu ? first : siblings).push_back(cpu);
  }
  first.insert(first.end(), siblings.begin(), siblings.end());
  return first;
}

void TCoreClaim::SetCoreClaimFolder(const std::string& folder) {
  std::lock_guard lock(g_folderMutex);
  g_folder = folder;
}

std::string TCoreClaim::CoreClaimFolder() {
  {
    std::lock_guard lock(g_folderMutex);
    if (!g_folder.empty()) return g_folder;
  }
  return "/tmp/stampwell-cores-" + std::to_string(::geteuid());
}

std::unique_ptr<TCoreClaim> TCoreClaim::Take(const std::string& folder) {
  if (!PrivateFolder(folder)) return nullptr;
  cpu_set_t before;
  CPU_ZERO(&before);
  if (::sched_getaffinity(0, sizeof before, &before) != 0) return nullptr;
  for (const int core : Candidates()) {
    const std::string lock = folder + "/core" + std::to_string(core) + ".lock";
    // Close-on-exec: an office process started while the claim is held must not keep it.
    const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd);
      continue;
    }
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(core, &one);
    if (::sched_setaffinity(0, sizeof one, &one) != 0) {
      ::close(fd);
      continue;
    }
    return std::unique_ptr<TCoreClaim>(new TCoreClaim(core, fd, before));
  }
  return nullptr;
}

TCoreClaim::~TCoreClaim() {
  ::sched_setaffinity(0, sizeof before_, &before_);
  ::close(fd_);  // releases the lock
}

bool TCoreClaim::Wanted(int workers, const RFacts& facts) {
  if (workers < 2 || workers > facts.cores) return false;
  if (facts.setting && std::strcmp(facts.setting, "0") == 0) return false;
  if (facts.setting && std::strcmp(facts.setting, "1") == 0) return true;
  return !facts.quotaBelowCores && !facts.sharedUnseen;
}

TCoreClaim::RFacts TCoreClaim::Facts() {
  RFacts facts;
  facts.cores = static_cast<int>(Candidates().size());
  facts.quotaBelowCores = QuotaCores() < facts.cores;
  facts.sharedUnseen = InKubernetesPod() && facts.cores >= ::sysconf(_SC_NPROCESSORS_ONLN);
  facts.setting = std::getenv("STAMPWELL_PIN_WORKERS");
  return facts;
}

bool TCoreClaim::Wanted(int workers) { return Wanted(workers, Facts()); }

}  // namespace stampwell
