// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace stampwell {

// One share of a job split over several runs (machines, scheduler tasks): shard Index of
// Count, Index from 0. Every file of the job belongs to exactly one shard, chosen by a
// stable hash of its path relative to its entry's source, so that the runs of all shards
// together handle each file once, wherever and in whatever order they run.
struct RShard {
  int Index = 0;
  int Count = 1;  // 1: the whole job

  bool Whole() const { return Count <= 1; }
  bool operator==(const RShard&) const = default;
};

// FNV-1a, 64 bits: the same number for the same bytes on every machine and build.
std::uint64_t StableHash(std::string_view bytes);

// The shard (0 .. count-1) of a file by its path relative to its entry's source, with "/"
// between folder names ("sub/b.doc"); a single-file entry's relative path is its file name.
int ShardOf(std::string_view relativePath, int count);

// Reads "K/N" (0 <= K < N) or "auto/N". With "auto" the index comes from the environment:
// JOB_COMPLETION_INDEX (Kubernetes Indexed Jobs), else SLURM_ARRAY_TASK_ID (Slurm job
// arrays) less SLURM_ARRAY_TASK_MIN when that is set, so that an array 1-N works as 0-N-1.
// env looks a variable up (nullptr when unset). On a bad text, fills error and returns
// nullopt.
using EnvLookup = std::function<const char*(const char*)>;
std::optional<RShard> ParseShard(const std::string& text, const EnvLookup& env,
                                 std::string* error);

}  // namespace stampwell
