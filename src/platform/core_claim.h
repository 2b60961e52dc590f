// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sched.h>

#include <memory>
#include <string>
#include <vector>

namespace stampwell {

// One processor core held by the calling thread: the thread, and every thread and process it
// starts while it holds the claim, run on that core alone.
//
// Why: a worker drives its office process call by call, each call a round trip between the
// two. Left to the scheduler, the two ends of a round trip are often woken on different
// cores, so with as many workers as cores the cores wait on each other's wake-ups (a quarter
// of a 2-core machine stood idle with two workers). Kept on one core, a worker and its office
// hand over to each other without leaving it.
//
// A core is held through a lock file per core in a folder of the user's (CoreClaimFolder), so
// that workers of other Stampwell processes of the same user on the machine take other cores;
// the lock goes with the claim, or with the process however it ends. Cores come in the order
// that spreads claims over physical cores before it doubles up on a core's hyperthreads.
class TCoreClaim {
 public:
  // Claims a free core of those the calling thread may run on and confines the thread to it.
  // Returns null when every such core is taken or the lock folder cannot be used safely; the
  // thread is then left as it was.
  static std::unique_ptr<TCoreClaim> Take(const std::string& folder = CoreClaimFolder());
  // Gives the thread back the cores it had and frees the core. Call it on the claiming thread.
  ~TCoreClaim();
  TCoreClaim(const TCoreClaim&) = delete;
  TCoreClaim& operator=(const TCoreClaim&) = delete;

  int Core() const { return core_; }

  // Whether a run with `workers` workers gives each a core of its own. Only with two or more
  // workers and no more of them than the cores this process may use: a single worker gains
  // less, and is left free to go where the machine is least busy; with more workers than
  // cores some would share a core the scheduler may not relieve. Not when the process's
  // processor quota (a container's CPU limit) is below its cores, since the other cores it
  // sees are then someone else's; and not in a Kubernetes pod that may run on every core of
  // its node, where the claims of other pods on the node cannot be seen. The environment
  // decides instead when it says STAMPWELL_PIN_WORKERS=0 (never) or 1 (whenever there are
  // cores enough).
  static bool Wanted(int workers);

  // What the rule looks at.
  struct RFacts {
    int cores = 0;                  // cores this process may run on
    bool quotaBelowCores = false;   // a processor quota cuts them
    bool sharedUnseen = false;      // in a Kubernetes pod, on every core of the node
    const char* setting = nullptr;  // STAMPWELL_PIN_WORKERS, null when unset
  };
  static bool Wanted(int workers, const RFacts& facts);
  static RFacts Facts();

  // The cores the calling thread may run on, physical cores' first hyperthreads first.
  static std::vector<int> Candidates();
  // /tmp/stampwell-cores-<uid>: one folder for every process of the user on the machine,
  // whatever its session or TMPDIR; or the folder SetCoreClaimFolder gave (tests: claims of
  // their own, apart from other programs').
  static std::string CoreClaimFolder();
  // An empty folder restores the default.
  static void SetCoreClaimFolder(const std::string& folder);

 private:
  TCoreClaim(int core, int lockFd, const cpu_set_t& before) : core_(core), fd_(lockFd), before_(before) {}

  int core_;
  int fd_;
  cpu_set_t before_;
};

}  // namespace stampwell
