// SPDX-License-Identifier: GPL-3.0-or-later
#include "office_documents.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "support/temp_dir.h"

namespace stampwell::test {

namespace {

const char* kTextHead = R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.text">
<office:automatic-styles>
 <style:style style:name="Backdrop" style:family="graphic"><style:graphic-properties style:run-through="background" style:wrap="run-through" style:vertical-pos="from-top" style:vertical-rel="paragraph" style:horizontal-pos="from-left" style:horizontal-rel="paragraph" draw:fill="solid" draw:fill-color="#DEEBF7" fo:background-color="#DEEBF7" fo:border="none"/></style:style>
 <style:style style:name="PB" style:family="paragraph"><style:paragraph-properties fo:break-before="page"/></style:style>
 <style:style style:name="M2" style:family="paragraph" style:master-page-name="Second"/>
 <style:style style:name="M3" style:family="paragraph" style:master-page-name="Third"/>
 <style:page-layout style:name="pm1"><style:page-layout-properties fo:page-width="21cm" fo:page-height="29.7cm" fo:margin-top="2cm" fo:margin-bottom="2cm" fo:margin-left="2cm" fo:margin-right="2cm"/><style:header-style><style:header-footer-properties fo:min-height="0.5cm" fo:margin-bottom="0.3cm"/></style:header-style></style:page-layout>
</office:automatic-styles>
<office:master-styles>
)";

std::string Master(const std::string& name, bool first, bool left) {
  std::string m = "<style:master-page style:name=\"" + name +
                  "\" style:page-layout-name=\"pm1\"><style:header><text:p>Header " + name +
                  "</text:p></style:header>";
  if (left) m += "<style:header-left><text:p>Even header</text:p></style:header-left>";
  if (first) m += "<style:header-first><text:p>First header</text:p></style:header-first>";
  return m + "</style:master-page>\n";
}

std::string TextDoc(const std::string& masters, const std::string& body) {
  return std::string(kTextHead) + masters +
         "</office:master-styles>\n<office:body><office:text>\n" + body +
         "</office:text></office:body></office:document>\n";
}

std::string Pages(int pages) {
  std::string body = "<text:p>Page 1 body text.</text:p>\n";
  for (int i = 2; i <= pages; ++i)
    body += "<text:p text:style-name=\"PB\">Page " + std::to_string(i) + " body text.</text:p>\n";
  return body;
}

}  // namespace

std::string OneSectionText() { return TextDoc(Master("Standard", false, false), Pages(1)); }

std::string ThreeSectionText() {
  return TextDoc(
      Master("Standard", false, false) + Master("Second", false, false) +
          Master("Third", false, false),
      "<text:p>Section one.</text:p>\n<text:p text:style-name=\"M2\">Section two.</text:p>\n"
      "<text:p text:style-name=\"M3\">Section three.</text:p>\n");
}

std::string PlainText(int pages) { return TextDoc(Master("Standard", false, false), Pages(pages)); }

std::string MixedSectionsText() {
  auto page = [](const char* style, const std::string& text) {
    return std::string("<text:p text:style-name=\"") + style + "\">" + text + "</text:p>\n";
  };
  return TextDoc(Master("Standard", true, false) + Master("Second", false, true) +
                     Master("Third", true, true),
                 "<text:p>Section one, page 1.</text:p>\n" + page("PB", "Section one, page 2.") +
                     page("M2", "Section two, page 3.") + page("PB", "Section two, page 4.") +
                     page("PB", "Section two, page 5.") + page("M3", "Section three, page 6.") +
                     page("PB", "Section three, page 7.") + page("PB", "Section three, page 8."));
}

std::string FirstPageText(int pages) {
  return TextDoc(Master("Standard", true, false), Pages(pages));
}

std::string BackdropText() {
  // Page 1 (a cover page with its own header) and page 3 each lie behind a filled frame of
  // nearly the page's size, behind the text; page 2 has none.
  auto backdrop = [](const char* name) {
    return std::string("<draw:frame draw:style-name=\"Backdrop\" draw:name=\"") + name +
           "\" text:anchor-type=\"paragraph\" svg:x=\"-1cm\" svg:y=\"-1cm\" svg:width=\"19cm\" "
           "svg:height=\"26cm\" draw:z-index=\"0\"><draw:text-box><text:p/></draw:text-box>"
           "</draw:frame>";
  };
  return TextDoc(Master("Standard", true, false),
                 "<text:p>" + backdrop("Cover") +
                     "Title page.</text:p>\n"
                     "<text:p text:style-name=\"PB\">Page 2 body text.</text:p>\n"
                     "<text:p text:style-name=\"PB\">" +
                     backdrop("Inside") + "Page 3 body text.</text:p>\n");
}

std::string OddEvenText(int pages) {
  return TextDoc(Master("Standard", false, true), Pages(pages));
}

std::string PrintedSheetsWorkbook() {
  std::string longRows, wideRow;
  for (int r = 1; r <= 150; ++r)
    longRows += "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>row " +
                std::to_string(r) + "</text:p></table:table-cell></table:table-row>";
  for (int c = 1; c <= 40; ++c)
    wideRow += "<table:table-cell office:value-type=\"string\"><text:p>column " +
               std::to_string(c) + " text</text:p></table:table-cell>";
  // A page of cells and, below them on a page of its own, a drawing with no cell under it.
  std::string drawnRows;
  for (int r = 1; r <= 30; ++r)
    drawnRows += "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>item " +
                 std::to_string(r) + "</text:p></table:table-cell></table:table-row>";
  return R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:automatic-styles><style:style style:name="ta1" style:family="table"><style:table-properties table:display="false"/></style:style></office:automatic-styles>
<office:body><office:spreadsheet>
 <table:table table:name="Short"><table:table-row><table:table-cell office:value-type="string"><text:p>short</text:p></table:table-cell></table:table-row></table:table>
 <table:table table:name="Empty"><table:table-row><table:table-cell/></table:table-row></table:table>
 <table:table table:name="Long">)" +
         longRows + R"(</table:table>
 <table:table table:name="Hidden" table:style-name="ta1"><table:table-row><table:table-cell office:value-type="string"><text:p>hidden</text:p></table:table-cell></table:table-row></table:table>
 <table:table table:name="Wide"><table:table-row>)" +
         wideRow + R"(</table:table-row></table:table>
 <table:table table:name="Drawn"><table:shapes><draw:rect draw:name="Box" svg:x="1cm" svg:y="32cm" svg:width="12cm" svg:height="8cm"/></table:shapes>)" +
         drawnRows + R"(</table:table>
</office:spreadsheet></office:body></office:document>
)";
}

std::string BroadColumnsWorkbook() {
  // Three columns of 4 cm fill two thirds of the paper's width; the empty one after them,
  // of 14 cm, does not fit beside them: a mark reaching into it would print it on a page of
  // its own.
  return R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:automatic-styles>
 <style:style style:name="co5" style:family="table-column"><style:table-column-properties style:column-width="4cm"/></style:style>
 <style:style style:name="co14" style:family="table-column"><style:table-column-properties style:column-width="14cm"/></style:style>
</office:automatic-styles>
<office:body><office:spreadsheet>
 <table:table table:name="Broad"><table:table-column table:style-name="co5" table:number-columns-repeated="3"/><table:table-column table:style-name="co14"/>
  <table:table-row><table:table-cell office:value-type="string"><text:p>three</text:p></table:table-cell><table:table-cell office:value-type="string"><text:p>broad</text:p></table:table-cell><table:table-cell office:value-type="string"><text:p>columns</text:p></table:table-cell></table:table-row></table:table>
</office:spreadsheet></office:body></office:document>
)";
}

std::string PrintScaleWorkbook(const std::string& layout, const std::string& printRange,
                               int rowCount) {
  std::string rows;
  for (int r = 1; r <= rowCount; ++r) {
    rows += "<table:table-row table:style-name=\"ro1\">";
    for (int c = 1; c <= 6; ++c)
      rows += "<table:table-cell office:value-type=\"float\" office:value=\"" +
              std::to_string(r * c) + "\"><text:p>" + std::to_string(r * c) +
              "</text:p></table:table-cell>";
    rows += "</table:table-row>";
  }
  const std::string range =
      printRange.empty() ? "" : " table:print-ranges=\"Sheet1." + printRange + "\"";
  return R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:automatic-styles>
 <style:style style:name="co1" style:family="table-column"><style:table-column-properties style:column-width="2in"/></style:style>
 <style:style style:name="ro1" style:family="table-row"><style:table-row-properties style:row-height="0.25in" style:use-optimal-row-height="false"/></style:style>
 <style:style style:name="ta1" style:family="table" style:master-page-name="Scaled"><style:table-properties table:display="true"/></style:style>
 <style:page-layout style:name="pm1"><style:page-layout-properties fo:page-width="8.5in" fo:page-height="11in" style:print-orientation="portrait" fo:margin-top="0.3in" fo:margin-bottom="0.3in" fo:margin-left="0.2in" fo:margin-right="0.2in" )" +
         layout + R"(/><style:header-style><style:header-footer-properties fo:min-height="0.2in"/></style:header-style><style:footer-style><style:header-footer-properties fo:min-height="0.2in"/></style:footer-style></style:page-layout>
</office:automatic-styles>
<office:master-styles><style:master-page style:name="Scaled" style:page-layout-name="pm1"><style:header><text:p>Header</text:p></style:header><style:footer><text:p>Footer</text:p></style:footer></style:master-page></office:master-styles>
<office:body><office:spreadsheet>
 <table:table table:name="Sheet1" table:style-name="ta1")" +
         range + R"(><table:table-column table:style-name="co1" table:number-columns-repeated="6"/>)" +
         rows + R"(</table:table>
</office:spreadsheet></office:body></office:document>
)";
}

std::string ThreeSheetWorkbook() {
  return R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:config="urn:oasis:names:tc:opendocument:xmlns:config:1.0"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:settings><config:config-item-set config:name="ooo:view-settings">
 <config:config-item-map-indexed config:name="Views"><config:config-item-map-entry>
  <config:config-item config:name="ViewId" config:type="string">view1</config:config-item>
  <config:config-item config:name="ActiveTable" config:type="string">Second</config:config-item>
 </config:config-item-map-entry></config:config-item-map-indexed>
</config:config-item-set></office:settings>
<office:body><office:spreadsheet>
 <table:table table:name="First"><table:table-row><table:table-cell office:value-type="string"><text:p>one</text:p></table:table-cell></table:table-row></table:table>
 <table:table table:name="Second"><table:table-row><table:table-cell office:value-type="string"><text:p>two</text:p></table:table-cell></table:table-row></table:table>
 <table:table table:name="Third"><table:table-row><table:table-cell office:value-type="string"><text:p>three</text:p></table:table-cell></table:table-row></table:table>
</office:spreadsheet></office:body></office:document>
)";
}

std::string TwoSlidePresentation() {
  return R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:presentation="urn:oasis:names:tc:opendocument:xmlns:presentation:1.0"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.presentation">
<office:automatic-styles>
 <style:page-layout style:name="PM1"><style:page-layout-properties fo:page-width="25.4cm" fo:page-height="19.05cm" style:print-orientation="landscape"/></style:page-layout>
</office:automatic-styles>
<office:master-styles>
 <style:master-page style:name="Default" style:page-layout-name="PM1">
  <draw:frame draw:name="MasterBox" svg:x="1cm" svg:y="17cm" svg:width="8cm" svg:height="1.5cm"><draw:text-box><text:p>Master footer text</text:p></draw:text-box></draw:frame>
 </style:master-page>
</office:master-styles>
<office:body><office:presentation>
 <draw:page draw:name="Slide1" draw:master-page-name="Default">
  <draw:frame draw:name="SlideBox1" svg:x="2cm" svg:y="2cm" svg:width="12cm" svg:height="3cm"><draw:text-box><text:p>First slide</text:p></draw:text-box></draw:frame>
 </draw:page>
 <draw:page draw:name="Slide2" draw:master-page-name="Default">
  <draw:frame draw:name="SlideBox2" svg:x="2cm" svg:y="2cm" svg:width="12cm" svg:height="3cm"><draw:text-box><text:p>Second slide</text:p></draw:text-box></draw:frame>
 </draw:page>
</office:presentation></office:body></office:document>
)";
}

std::string RunCapture(const std::string& command) {
  std::string out;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    ::pclose(p);
  }
  return out;
}

namespace {

// Converts with soffice on the profile folder given: 0 on success.
int RunConversion(const std::string& profile, const std::vector<std::string>& sources,
                  const std::string& format, const std::string& outDir,
                  const std::string& filter) {
  std::ostringstream cmd;
  cmd << "/usr/lib/libreoffice/program/soffice.bin --headless --norestore --nologo "
         "--nolockcheck -env:UserInstallation=file://"
      << profile << " --convert-to '" << format << (filter.empty() ? "" : ":" + filter)
      << "' --outdir '" << outDir << "'";
  for (const auto& s : sources) cmd << " '" << s << "'";
  cmd << " >/dev/null 2>&1";
  // An empty profile makes the first run end with 81, asking to be started again.
  int rc = 81;
  for (int attempt = 0; attempt < 3 && rc == 81; ++attempt) {
    const int status = std::system(cmd.str().c_str());
    rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  return rc;
}

// A profile the office has set up, once per test program: on an empty one, soffice first
// ends with 81 and then spends about a second filling it, each time. Conversions start from
// copies of it, each still in an office process and profile of its own. "" when it could not
// be made (each conversion then sets up its own).
const std::string& SetUpProfile() {
  static TempDir dir;
  static const std::string ready = [] {
    const std::string text = dir.Path() + "/setup.txt";
    std::ofstream(text) << "profile\n";
    const std::string profile = dir.Path() + "/profile";
    return RunConversion(profile, {text}, "pdf", dir.Path() + "/out", "") == 0 ? profile
                                                                             : std::string();
  }();
  return ready;
}

}  // namespace

bool ConvertFresh(const std::vector<std::string>& sources, const std::string& format,
                  const std::string& outDir, const std::string& filter) {
  TempDir profile;
  if (const std::string& ready = SetUpProfile(); !ready.empty()) {
    std::error_code ec;
    std::filesystem::copy(ready, profile.Path(),
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing,
                          ec);
  }
  return RunConversion(profile.Path(), sources, format, outDir, filter) == 0;
}

namespace {

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The name of a conversion in the shared folder: what went in (FNV-1a over the bytes, the
// format and the filter), so that a changed source is converted anew.
std::string ConversionName(const std::string& source, const std::string& format,
                           const std::string& filter) {
  std::uint64_t h = 1469598103934665603ull;
  for (const std::string& part : {Bytes(source), std::string(1, '\0') + format, "\0" + filter})
    for (const unsigned char c : part) h = (h ^ c) * 1099511628211ull;
  char name[40];
  std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(h));
  return std::string(name) + "." + format;
}

std::filesystem::path OutputOf(const std::string& source, const std::string& format,
                               const std::string& outDir) {
  return std::filesystem::path(outDir) /
         std::filesystem::path(source).filename().replace_extension("." + format);
}

}  // namespace

std::string SharedConversionFolder() {
  const char* dir = std::getenv("STAMPWELL_TEST_DOCS");
  return dir ? dir : "";
}

bool ConvertWithOffice(const std::vector<std::string>& sources, const std::string& format,
                       const std::string& outDir, const std::string& filter) {
  namespace fs = std::filesystem;
  const std::string shared = SharedConversionFolder();
  std::vector<std::string> missing;
  std::error_code ec;
  if (shared.empty()) {
    missing = sources;
  } else {
    fs::create_directories(outDir, ec);
    for (const auto& s : sources) {
      const fs::path kept = fs::path(shared) / ConversionName(s, format, filter);
      if (!fs::exists(kept) ||
          !fs::copy_file(kept, OutputOf(s, format, outDir), fs::copy_options::overwrite_existing, ec))
        missing.push_back(s);
    }
  }
  if (!missing.empty()) {
    const bool ok = ConvertFresh(missing, format, outDir, filter);
    // Kept for the other test programs of this run: written beside and renamed, so that one
    // running at the same time never copies half a file.
    if (ok && !shared.empty()) {
      fs::create_directories(shared, ec);
      for (const auto& s : missing) {
        const fs::path kept = fs::path(shared) / ConversionName(s, format, filter);
        const fs::path part = kept.string() + ".part" + std::to_string(::getpid());
        if (fs::copy_file(OutputOf(s, format, outDir), part, fs::copy_options::overwrite_existing, ec))
          fs::rename(part, kept, ec);
      }
    }
    if (!ok) return false;
  }
  for (const auto& s : sources)
    if (!fs::exists(OutputOf(s, format, outDir))) return false;
  return true;
}

std::vector<int> OfficePids(const std::string& needle) {
  std::vector<int> pids;
  std::istringstream lines(RunCapture("ps -eo pid=,args= 2>/dev/null"));
  std::string line;
  while (std::getline(lines, line))
    if (line.find("soffice.bin") != std::string::npos && line.find(needle) != std::string::npos)
      pids.push_back(std::atoi(line.c_str()));
  return pids;
}

int CountOfficeProcesses(const std::string& needle) {
  const std::string out = RunCapture("ps -eo args= 2>/dev/null");
  int count = 0;
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line))
    if (line.find("soffice.bin") != std::string::npos && line.find(needle) != std::string::npos)
      ++count;
  return count;
}

}  // namespace stampwell::test
