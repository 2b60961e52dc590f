// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/shard.h"

#include <charconv>

namespace stampwell {
namespace {

// A whole decimal number without sign or blanks; nullopt otherwise.
std::optional<long long> Number(std::string_view text) {
  if (text.empty()) return std::nullopt;
  long long value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text[0] == '-' || text[0] == '+')
    return std::nullopt;
  return value;
}

}  // namespace

std::uint64_t StableHash(std::string_view bytes) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : bytes) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

int ShardOf(std::string_view relativePath, int count) {
  if (count <= 1) return 0;
  return static_cast<int>(StableHash(relativePath) % static_cast<std::uint64_t>(count));
}

std::optional<RShard> ParseShard(const std::string& text, const EnvLookup& env,
                                 std::string* error) {
  auto fail = [&](const std::string& message) -> std::optional<RShard> {
    if (error) *error = message;
    return std::nullopt;
  };
  const std::size_t slash = text.find('/');
  if (slash == std::string::npos) return fail("--shard wants K/N or auto/N, not \"" + text + "\"");
  const std::string index = text.substr(0, slash);
  const auto count = Number(std::string_view(text).substr(slash + 1));
  if (!count || *count < 1 || *count > 1000000)
    return fail("--shard: N must be a whole number from 1, not \"" + text.substr(slash + 1) + "\"");
  long long k = 0;
  if (index == "auto") {
    const char* value = env ? env("JOB_COMPLETION_INDEX") : nullptr;
    std::string from = "JOB_COMPLETION_INDEX";
    long long base = 0;
    if (!value || !*value) {
      value = env ? env("SLURM_ARRAY_TASK_ID") : nullptr;
      from = "SLURM_ARRAY_TASK_ID";
      if (const char* min = env ? env("SLURM_ARRAY_TASK_MIN") : nullptr; min && *min) {
        const auto m = Number(min);
        if (!m) return fail("--shard auto: SLURM_ARRAY_TASK_MIN is not a number: " + std::string(min));
        base = *m;
      }
    }
    if (!value || !*value)
      return fail("--shard auto/N: neither JOB_COMPLETION_INDEX nor SLURM_ARRAY_TASK_ID is set");
    const auto v = Number(value);
    if (!v) return fail("--shard auto: " + from + " is not a number: " + value);
    k = *v - base;
    if (k < 0 || k >= *count)
      return fail("--shard auto: " + from + "=" + value + " gives shard " + std::to_string(k) +
                  ", outside 0.." + std::to_string(*count - 1));
  } else {
    const auto v = Number(index);
    if (!v) return fail("--shard: K must be a whole number or auto, not \"" + index + "\"");
    if (*v >= *count)
      return fail("--shard: K must be below N (shards are numbered from 0): " + text);
    k = *v;
  }
  return RShard{static_cast<int>(k), static_cast<int>(*count)};
}

}  // namespace stampwell
