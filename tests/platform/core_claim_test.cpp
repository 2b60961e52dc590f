// SPDX-License-Identifier: GPL-3.0-or-later
// Cores held by worker threads: what a claim confines, what it hands on to the processes the
// thread starts, and how claims of one process and of another keep out of each other's way.
#include <gtest/gtest.h>

#include <sched.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <latch>
#include <thread>

#include "platform/core_claim.h"
#include "support/temp_dir.h"

using namespace stampwell;

namespace {

std::set<int> ThreadCores() {
  cpu_set_t set;
  CPU_ZERO(&set);
  EXPECT_EQ(::sched_getaffinity(0, sizeof set, &set), 0);
  std::set<int> cores;
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
    if (CPU_ISSET(cpu, &set)) cores.insert(cpu);
  return cores;
}

// The cores a process started now from this thread may run on, as the kernel lists them.
std::string ChildCores() {
  FILE* p = ::popen("sed -n 's/^Cpus_allowed_list:[[:space:]]*//p' /proc/self/status", "r");
  if (!p) return "";
  char buf[256] = {};
  const std::string out = std::fgets(buf, sizeof buf, p) ? buf : "";
  ::pclose(p);
  return out.substr(0, out.find('\n'));
}

class CoreClaim : public ::testing::Test {
 protected:
  void SetUp() override {
    cores = TCoreClaim::Candidates();
    if (cores.size() < 2) GTEST_SKIP() << "needs two cores to run on";
  }
  test::TempDir tmp;
  std::string folder = tmp / "cores";
  std::vector<int> cores;
};

TEST(CoreClaimRule, OnlySeveralWorkersWithACoreEachThatNobodyElseMayHoldClaimCores) {
  using F = TCoreClaim::RFacts;
  EXPECT_FALSE(TCoreClaim::Wanted(1, F{8})) << "one worker is left to the scheduler";
  EXPECT_TRUE(TCoreClaim::Wanted(2, F{2}));
  EXPECT_TRUE(TCoreClaim::Wanted(4, F{8}));
  EXPECT_FALSE(TCoreClaim::Wanted(3, F{2})) << "more workers than cores";
  EXPECT_FALSE(TCoreClaim::Wanted(2, F{8, true})) << "a container's CPU limit";
  EXPECT_FALSE(TCoreClaim::Wanted(2, F{8, false, true})) << "a pod on all of its node's cores";
  EXPECT_FALSE(TCoreClaim::Wanted(2, F{2, false, false, "0"})) << "turned off";
  EXPECT_TRUE(TCoreClaim::Wanted(2, F{8, true, true, "1"})) << "asked for";
  EXPECT_FALSE(TCoreClaim::Wanted(3, F{2, false, false, "1"})) << "asked for, but cores too few";
  EXPECT_TRUE(TCoreClaim::Wanted(2, F{2, false, false, ""}));
}

// Every core the thread may run on is a candidate once, hyperthreads included (they come
// last), and the rule counts them all.
TEST(CoreClaimRule, CandidatesAreEveryCoreTheThreadMayRunOnOnce) {
  cpu_set_t set;
  CPU_ZERO(&set);
  ASSERT_EQ(::sched_getaffinity(0, sizeof set, &set), 0);
  const std::vector<int> candidates = TCoreClaim::Candidates();
  std::set<int> mask;
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
    if (CPU_ISSET(cpu, &set)) mask.insert(cpu);
  EXPECT_EQ(std::set<int>(candidates.begin(), candidates.end()), mask);
  EXPECT_EQ(candidates.size(), mask.size());
  EXPECT_EQ(TCoreClaim::Facts().cores, static_cast<int>(mask.size()));
}

TEST_F(CoreClaim, ConfinesTheThreadAndWhatItStartsUntilReleased) {
  const std::set<int> before = ThreadCores();
  std::latch claimed(1);
  std::set<int> elsewhere;
  std::thread earlier([&] {  // a thread of the process that was there before the claim
    claimed.wait();
    elsewhere = ThreadCores();
  });
  {
    auto claim = TCoreClaim::Take(folder);
    ASSERT_NE(claim, nullptr);
    claimed.count_down();
    earlier.join();
    EXPECT_EQ(ThreadCores(), std::set<int>{claim->Core()});
    EXPECT_EQ(elsewhere, before) << "only the claiming thread is confined";
    EXPECT_EQ(ChildCores(), std::to_string(claim->Core())) << "a process started meanwhile";
    std::set<int> started;
    std::thread([&] { started = ThreadCores(); }).join();
    EXPECT_EQ(started, std::set<int>{claim->Core()}) << "a thread started meanwhile";
  }
  EXPECT_EQ(ThreadCores(), before);
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  struct stat st {};
  ASSERT_EQ(::stat(folder.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 077, 0u) << "the lock folder is the user's alone";
}

TEST_F(CoreClaim, ThreadsOfOneProcessTakeDifferentCoresUntilNoneIsLeft) {
  std::vector<std::unique_ptr<TCoreClaim>> claims;
  std::set<int> taken;
  // Claims change only the claiming thread, so one thread can hold them all here; each is
  // given back on a thread of its own below, which is where a worker gives its back.
  for (std::size_t i = 0; i < cores.size(); ++i) {
    std::unique_ptr<TCoreClaim> claim;
    std::thread([&] { claim = TCoreClaim::Take(folder); }).join();
    ASSERT_NE(claim, nullptr) << "core " << i << " of " << cores.size();
    taken.insert(claim->Core());
    claims.push_back(std::move(claim));
  }
  EXPECT_EQ(taken, std::set<int>(cores.begin(), cores.end()));
  const std::set<int> before = ThreadCores();
  EXPECT_EQ(TCoreClaim::Take(folder), nullptr) << "every core is held";
  EXPECT_EQ(ThreadCores(), before) << "a thread that finds no core is left as it was";

  const int freed = claims.front()->Core();
  std::thread([&] { claims.front().reset(); }).join();
  std::unique_ptr<TCoreClaim> again;
  std::thread([&] { again = TCoreClaim::Take(folder); }).join();
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->Core(), freed);
  std::thread([&] { again.reset(); }).join();
  for (auto& c : claims) std::thread([&] { c.reset(); }).join();
}

TEST_F(CoreClaim, AnotherProcessesCoreIsLeftToItWhileItLives) {
  int ready[2], go[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(go), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    auto claim = TCoreClaim::Take(folder);
    const int core = claim ? claim->Core() : -1;
    (void)!::write(ready[1], &core, sizeof core);
    char c;
    (void)!::read(go[0], &c, 1);
    ::_exit(0);
  }
  int childCore = -2;
  ASSERT_EQ(::read(ready[0], &childCore, sizeof childCore), static_cast<ssize_t>(sizeof childCore));
  ASSERT_GE(childCore, 0);
  {
    auto mine = TCoreClaim::Take(folder);
    ASSERT_NE(mine, nullptr);
    EXPECT_NE(mine->Core(), childCore);
  }
  // The child ends without giving its claim back: the lock goes with the process.
  ASSERT_EQ(::write(go[1], "x", 1), 1);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  std::vector<std::unique_ptr<TCoreClaim>> all;
  std::set<int> taken;
  for (std::size_t i = 0; i < cores.size(); ++i)
    std::thread([&] {
      if (auto c = TCoreClaim::Take(folder)) taken.insert(c->Core()), all.push_back(std::move(c));
    }).join();
  EXPECT_TRUE(taken.count(childCore)) << "the ended process's core is free again";
  for (auto& c : all) std::thread([&] { c.reset(); }).join();
  for (int fd : {ready[0], ready[1], go[0], go[1]}) ::close(fd);
}

TEST_F(CoreClaim, ALockFolderOthersCouldUseIsRefused) {
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
  const std::set<int> before = ThreadCores();
  EXPECT_EQ(TCoreClaim::Take(folder), nullptr) << "open to others";
  EXPECT_EQ(ThreadCores(), before);

  const std::string link = tmp / "link";
  ASSERT_EQ(::chmod(folder.c_str(), 0700), 0);
  std::filesystem::create_directory_symlink(folder, link);
  EXPECT_EQ(TCoreClaim::Take(link), nullptr) << "a link to a folder";
  EXPECT_EQ(ThreadCores(), before);
}

}  // namespace
