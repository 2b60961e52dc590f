// SPDX-License-Identifier: GPL-3.0-or-later
// Real .xls and .ppt files stamped by the office, their marks spliced into the source, then
// opened by a fresh office: every other stream and record of the source stays, every page
// shows one mark, and a restamp replaces it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "jobs/file_utils.h"
#include "mark_render.h"
#include "office/legacy/compound_file.h"
#include "office/legacy/ppt_mark_splice.h"
#include "office/legacy/ppt_records.h"
#include "office/legacy/xls_mark_splice.h"
#include "office/libreoffice/libreoffice_servers.h"
#include "office/office_shapes.h"
#include "office_documents.h"
#include "pdf/pdf_stack.h"
#include "platform/registry.h"
#include "stamp_engines.h"
#include "support/temp_dir.h"
#include "watermark_checks.h"

namespace stampwell {
namespace {

namespace fs = std::filesystem;
using legacy::RSpliced;
using test::ReadFile;
using test::TempDir;

struct Fixture {
  TempDir dir;
  test::TStampEngines engines;
  std::unique_ptr<TPDFStack> pdf;
};
Fixture* fx = nullptr;

class SpliceEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    RegisterLibreOfficeServers();
    fx = new Fixture();
    SetDesktopFolderForTests(fx->dir / "home/Desktop");
    TRegistry::SetMachine(TRegistry::BuiltIn());
    fx->pdf = std::make_unique<TPDFStack>();
    ASSERT_TRUE(fx->pdf->PDFUsable);
    fx->engines.SetPdfStack(fx->pdf.get());
  }
  void TearDown() override {
    if (!fx) return;
    fx->engines.Quit();
    TRegistry::SetMachine(nullptr);
    SetDesktopFolderForTests("");
    delete fx;
  }
};
const auto* env = ::testing::AddGlobalTestEnvironment(new SpliceEnvironment());

constexpr TColor kMagenta = 0xFF00FF;

RDocSettings Settings() {
  RDocSettings s = test::JobSettings();
  s.DocWatermarkColor = kMagenta;
  s.HX = true;
  s.Transparent = true;
  return s;
}

std::string MainStream(const std::string& kind) {
  return kind == "xls" ? "Workbook" : "PowerPoint Document";
}

// The office's stamped copy of source, spliced into source, written to target.
RSpliced StampAndSplice(const std::string& kind, const std::string& source,
                        const std::string& target) {
  const std::string copy = target + ".office." + kind;
  EXPECT_TRUE(fx->engines.Stamp(kind, source, Settings(), copy)) << source;
  const std::string text = Settings().DocWaterMarkStr;
  RSpliced spliced = kind == "xls" ? legacy::SpliceXlsMarks(ReadFile(source), ReadFile(copy), text)
                                   : legacy::SplicePptMarks(ReadFile(source), ReadFile(copy), text);
  if (spliced.Done) test::WriteFile(target, spliced.Bytes);
  return spliced;
}

struct BiffRecord {
  std::uint16_t id;
  std::string data;
  bool operator==(const BiffRecord&) const = default;
};

std::vector<BiffRecord> Records(const std::string& stream) {
  std::vector<BiffRecord> out;
  for (std::size_t pos = 0; stream.size() - pos >= 4;) {
    const std::uint16_t id = legacy::ReadU16(stream, pos), n = legacy::ReadU16(stream, pos + 2);
    if (id == 0 && n == 0) break;
    out.push_back({id, stream.substr(pos + 4, n)});
    pos += 4 + n;
  }
  return out;
}

bool IsPrintRange(const BiffRecord& r) {
  return r.id == 0x0018 && r.data.size() > 16 && (legacy::ReadU16(r.data, 0) & 0x0020) &&
         r.data[15] == 6;
}

// Every record of the source's workbook stream is in the stamped one, in order, except the
// drawing bytes (written anew), the records that hold stream offsets (their offsets moved) and
// the print ranges (grown where a mark lies outside; as many as before); what the stamped
// stream has besides are the marks' object records.
void ExpectWorkbookRecordsKept(const std::string& source, const std::string& stamped) {
  auto keep = [](const std::vector<BiffRecord>& all) {
    std::vector<BiffRecord> kept;
    for (const BiffRecord& r : all)
      if (r.id != 0x00EC && r.id != 0x00EB && r.id != 0x003C && r.id != 0x0085 && r.id != 0x020B &&
          r.id != 0x00FF && !IsPrintRange(r))
        kept.push_back(r);
    return kept;
  };
  const auto all = Records(source), allStamped = Records(stamped);
  EXPECT_EQ(std::count_if(all.begin(), all.end(), IsPrintRange),
            std::count_if(allStamped.begin(), allStamped.end(), IsPrintRange));
  const auto a = keep(all), b = keep(allStamped);
  std::size_t j = 0;
  for (const BiffRecord& r : a) {
    while (j < b.size() && !(b[j] == r)) {
      EXPECT_EQ(b[j].id, 0x005D) << "a record the source does not have, other than a mark's";
      ++j;
    }
    ASSERT_LT(j, b.size()) << "a record of the source is missing: " << std::hex << r.id;
    ++j;
  }
}

std::size_t OurNames(const std::string& file) {
  std::size_t n = 0;
  const std::string prefix = kWaterMarkPrefix;
  for (const auto& sheet : legacy::XlsShapeNames(ReadFile(file)))
    n += std::count_if(sheet.begin(), sheet.end(),
                       [&prefix](const std::string& s) { return s.rfind(prefix, 0) == 0; });
  return n;
}

class Splice : public ::testing::TestWithParam<const char*> {};

TEST_P(Splice, TheSourceKeepsEverythingAndEveryPageShowsOneMark) {
  const std::string name = GetParam();
  const std::string kind = fs::path(name).extension().string().substr(1);
  const std::string source = std::string(STAMPWELL_CORPUS_DIR) + "/" + name;
  TempDir out;
  const std::string once = out / ("once." + kind), twice = out / ("twice." + kind);
  const RSpliced first = StampAndSplice(kind, source, once);
  ASSERT_TRUE(first.Done) << first.Reason;
  const RSpliced second = StampAndSplice(kind, once, twice);
  ASSERT_TRUE(second.Done) << second.Reason;

  const auto src = legacy::TCompoundFile::Read(ReadFile(source));
  const auto stamped = legacy::TCompoundFile::Read(first.Bytes);
  for (const auto& e : src.Entries) {
    if (e.IsStorage || e.Path.size() != 1 || e.Path[0] == MainStream(kind) ||
        e.Path[0] == "Current User")
      continue;
    const std::string* kept = stamped.Stream(e.Path[0]);
    ASSERT_NE(kept, nullptr) << e.Path[0];
    EXPECT_TRUE(*kept == e.Data) << e.Path[0] << " changed";
  }
  if (kind == "xls") {
    ExpectWorkbookRecordsKept(*src.Stream("Workbook"), *stamped.Stream("Workbook"));
    EXPECT_GT(OurNames(once), 0u);
    EXPECT_EQ(OurNames(twice), OurNames(once)) << "a restamp must replace the marks";
  }
  // A restamp with the same mark writes the same stream again.
  EXPECT_EQ(legacy::TCompoundFile::Read(second.Bytes).Stream(MainStream(kind))->size(),
            stamped.Stream(MainStream(kind))->size());

  const auto pdfs =
      test::RenderToPdf({source + "", once + ".office." + kind, once, twice}, out / "render");
  ASSERT_EQ(pdfs.size(), 4u);
  // Against the source's pages: the marks over coloured slides count too.
  const auto office = test::MeasurePdfPages(pdfs[1], {}, 0, pdfs[0]);
  ASSERT_FALSE(office.empty());
  for (std::size_t i = 2; i < 4; ++i) {
    const auto spliced = test::MeasurePdfPages(pdfs[i], {}, 0, pdfs[0]);
    ASSERT_EQ(spliced.size(), office.size()) << "the office's copy prints as many pages";
    for (std::size_t p = 0; p < spliced.size(); ++p) {
      ASSERT_TRUE(spliced[p].has_value())
          << (i == 2 ? "once" : "twice") << ": no mark on page " << p + 1;
      if (!office[p]) continue;
      EXPECT_NEAR(spliced[p]->opacity, office[p]->opacity, 0.06) << "page " << p + 1;
      EXPECT_NEAR(test::AxisAngleDifference(spliced[p]->angle, office[p]->angle), 0, 2.0)
          << "page " << p + 1;
      EXPECT_NEAR(spliced[p]->cx, office[p]->cx, 0.03) << "page " << p + 1;
    }
  }
}

// Workbooks: without a drawing (a new drawing group), with charts, with text boxes whose
// drawing goes on in CONTINUE records and macros, with a drawing group split over records,
// with a print range of one row that must grow to print the mark. Presentations: date fields in masters, title masters.
INSTANTIATE_TEST_SUITE_P(
    Files, Splice,
    ::testing::Values("xls/poi__AmpersandHeader.xls", "xls/poi__WithThreeCharts.xls",
                      "xls/poi__45538_form_Footer.xls", "xls/tika__testEXCEL_embeddedPDF_mac.xls",
                      "../legacy/poi__customIndexedColors.xls",
                      "ppt/poi__headers_footers.ppt", "ppt/poi__slide_master.ppt"));

}  // namespace
}  // namespace stampwell
