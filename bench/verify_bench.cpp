// SPDX-License-Identifier: GPL-3.0-or-later
// The page verifier over the PDFs of a folder: pages rendered and checked per second, and the
// share of pages it finds marked. Usage: verify_bench DIR [colour as R,G,B, default 255,0,255]
// [dpi, default 60]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "verify/page_verifier.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: verify_bench DIR [R,G,B] [dpi]\n");
    return 2;
  }
  int r = 255, g = 0, b = 255;
  if (argc > 2) std::sscanf(argv[2], "%d,%d,%d", &r, &g, &b);
  const double dpi = argc > 3 ? std::atof(argv[3]) : 60.0;
  std::vector<std::string> pdfs;
  for (const auto& e : std::filesystem::directory_iterator(argv[1]))
    if (e.path().extension() == ".pdf") pdfs.push_back(e.path().string());
  const stampwell::TPageVerifier verifier(stampwell::TColor(r | (g << 8) | (b << 16)), dpi);
  int pages = 0, unmarked = 0, files = 0, failedFiles = 0;
  const auto start = std::chrono::steady_clock::now();
  for (const auto& pdf : pdfs) {
    const auto check = verifier.Check(pdf);
    if (!check.Opened) continue;
    ++files;
    pages += check.Pages;
    unmarked += int(check.Unmarked.size());
    if (!check.Unmarked.empty()) {
      failedFiles += 1;
      std::printf("%s: %s\n", pdf.c_str(), stampwell::UnmarkedPagesText(check.Unmarked).c_str());
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf(
      "%d files, %d pages in %.2f s: %.1f pages/s, %.1f ms per file; %d pages (%d files) "
      "without the mark\n",
      files, pages, seconds, pages / seconds, 1000 * seconds / std::max(files, 1), unmarked,
      failedFiles);
  return 0;
}
