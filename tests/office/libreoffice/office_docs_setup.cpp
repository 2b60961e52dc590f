// SPDX-License-Identifier: GPL-3.0-or-later
// The office_docs fixture of the test run: empties the shared conversion folder
// (STAMPWELL_TEST_DOCS) and converts into it, one office run per format, the sample documents
// that several office test programs make, so that none of them starts an office for them.
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "jobs/file_utils.h"
#include "office_documents.h"
#include "support/temp_dir.h"

int main() {
  namespace fs = std::filesystem;
  using namespace stampwell::test;
  const std::string shared = SharedConversionFolder();
  if (shared.empty()) {
    std::fprintf(stderr, "STAMPWELL_TEST_DOCS names no folder\n");
    return 1;
  }
  std::error_code ec;
  fs::remove_all(shared, ec);
  fs::create_directories(shared);
  TempDir work;
  auto write = [&work](const std::string& name, const std::string& text) {
    const std::string path = work / ("src/" + name);
    WriteFile(path, text);
    return path;
  };
  const std::string text = write("text.fodt", OneSectionText());
  const std::string book = write("book.fods", ThreeSheetWorkbook());
  const std::string deck = write("deck.fodp", TwoSlidePresentation());
  const std::vector<std::string> docs = {
      text, write("three.fodt", ThreeSectionText()), write("first1.fodt", FirstPageText(1)),
      write("first2.fodt", FirstPageText(2)), write("oddeven3.fodt", OddEvenText(3)),
      write("oddeven4.fodt", OddEvenText(4))};
  // The legacy formats only: each of them is asked for by several programs; a conversion into
  // a current format is made by the one program that asks for it, beside the others.
  const std::map<std::string, std::vector<std::string>> formats = {
      {"doc", docs}, {"xls", {book}}, {"ppt", {deck}}};
  int failed = 0;
  for (const auto& [format, sources] : formats) {
    if (!ConvertWithOffice(sources, format, work / ("out-" + format))) {
      std::fprintf(stderr, "the office could not convert the samples into %s\n", format.c_str());
      ++failed;
    }
  }
  std::printf("sample documents in %s\n", shared.c_str());
  return failed == 0 ? 0 : 1;
}
