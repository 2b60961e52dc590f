// SPDX-License-Identifier: GPL-3.0-or-later
// The splice of the office's marks into .xls and .ppt sources, on one core: every file of
// SOURCES/xls and SOURCES/ppt with its office copy of the same name under COPIES (stamped by
// the LibreOffice path with TEXT, before any splice), spliced `rounds` times in memory. Prints
// files per second and megabytes per second per kind, and the files the splice leaves to the
// office, with the reason. A plain timing program: it never fails on a slow machine.
// Usage: splice_bench SOURCES COPIES TEXT [rounds]
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "office/legacy/ppt_mark_splice.h"
#include "office/legacy/xls_mark_splice.h"

namespace {

std::string Read(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv) {
  using namespace stampwell::legacy;
  namespace fs = std::filesystem;
  if (argc < 4) {
    std::fprintf(stderr, "usage: splice_bench SOURCES COPIES TEXT [rounds]\n");
    return 2;
  }
  const fs::path sources = argv[1], copies = argv[2];
  const std::string text = argv[3];
  const int rounds = argc > 4 ? std::max(1, std::atoi(argv[4])) : 5;
  for (const char* kind : {"xls", "ppt"}) {
    struct Pair {
      std::string name, source, copy;
    };
    std::vector<Pair> pairs;
    if (!fs::is_directory(sources / kind)) continue;
    for (const auto& e : fs::directory_iterator(sources / kind)) {
      const fs::path copy = copies / kind / e.path().filename();
      if (fs::exists(copy))
        pairs.push_back({e.path().filename().string(), Read(e.path()), Read(copy)});
    }
    std::size_t done = 0, bytes = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int r = 0; r < rounds; ++r) {
      for (const Pair& p : pairs) {
        const RSpliced s = std::string(kind) == "xls" ? SpliceXlsMarks(p.source, p.copy, text)
                                                      : SplicePptMarks(p.source, p.copy, text);
        if (r == 0 && !s.Done)
          std::printf("  %s: left to the office: %s\n", p.name.c_str(), s.Reason.c_str());
        if (s.Done) {
          ++done;
          bytes += p.source.size();
        }
      }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: %zu file pairs, %d rounds, %zu splices in %.2f s: %.1f files/s, %.1f MB/s\n",
                kind, pairs.size(), rounds, done, seconds, done / seconds, bytes / seconds / 1e6);
  }
  return 0;
}
