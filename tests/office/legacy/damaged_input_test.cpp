// SPDX-License-Identifier: GPL-3.0-or-later
// The splices read files written by others, damaged ones among them: whatever their bytes,
// a splice gives a file or a reason, never a crash. Each case damages the document stream of
// a real file (bytes overwritten, the stream cut short) and splices it with a valid copy.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

#include "office/legacy/compound_file.h"
#include "office/legacy/ppt_mark_splice.h"
#include "office/legacy/xls_mark_splice.h"

namespace stampwell::legacy {
namespace {

std::string Bytes(const std::string& name) {
  std::ifstream in(std::string(STAMPWELL_DATA_DIR) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A copy of file whose stream `stream` is damaged the `round`-th way: a few bytes overwritten,
// or cut short, at places the generator picks.
std::string Damaged(const std::string& file, const std::string& stream, unsigned round) {
  TCompoundFile f = TCompoundFile::Read(file);
  std::string& s = *f.Stream(stream);
  std::mt19937 random(round);
  if (round % 5 == 4) {
    s.resize(random() % s.size());
  } else {
    for (int k = 0; k < 1 + int(round % 4); ++k) {
      const std::size_t at = random() % s.size();
      s[at] = static_cast<char>(random());
      if (at + 1 < s.size() && round % 2) s[at + 1] = static_cast<char>(random());
    }
  }
  return f.Write();
}

TEST(DamagedInput, AWorkbookOrCopyDamagedAnyWayGivesAFileOrAReason) {
  const std::string source = Bytes("corpus/xls/poi__WithThreeCharts.xls");
  const std::string copy = Bytes("legacy/poi__TwoSheetsOneHidden.office.xls");
  const std::string own = Bytes("corpus/xls/poi__TwoSheetsOneHidden.xls");
  ASSERT_FALSE(source.empty());
  int done = 0;
  for (unsigned round = 0; round < 300; ++round) {
    const RSpliced a = SpliceXlsMarks(Damaged(source, "Workbook", round), copy, "ZqxMarkText");
    EXPECT_TRUE(a.Done || !a.Reason.empty());
    const RSpliced b = SpliceXlsMarks(own, Damaged(copy, "Workbook", round), "ZqxMarkText");
    EXPECT_TRUE(b.Done || !b.Reason.empty());
    done += a.Done + b.Done;
  }
  // Bytes of cell values change nothing the splice reads: some damaged files still splice.
  EXPECT_GT(done, 0);
}

TEST(DamagedInput, APresentationOrCopyDamagedAnyWayGivesAFileOrAReason) {
  const std::string source = Bytes("corpus/ppt/poi__WithComments.ppt");
  const std::string copy = Bytes("legacy/poi__WithComments.office.ppt");
  ASSERT_TRUE(SplicePptMarks(source, copy, "ZqxMarkText").Done);
  int done = 0;
  for (unsigned round = 0; round < 300; ++round) {
    const RSpliced a =
        SplicePptMarks(Damaged(source, "PowerPoint Document", round), copy, "ZqxMarkText");
    EXPECT_TRUE(a.Done || !a.Reason.empty());
    const RSpliced b =
        SplicePptMarks(source, Damaged(copy, "PowerPoint Document", round), "ZqxMarkText");
    EXPECT_TRUE(b.Done || !b.Reason.empty());
    done += a.Done + b.Done;
  }
  EXPECT_GT(done, 0);
}

}  // namespace
}  // namespace stampwell::legacy
