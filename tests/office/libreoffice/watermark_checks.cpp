// SPDX-License-Identifier: GPL-3.0-or-later
#include "watermark_checks.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "office/automation/automation.h"
#include "office_documents.h"
#include "support/temp_dir.h"

namespace stampwell::test {

RDocSettings JobSettings() {
  RDocSettings s;
  s.DocWaterMarkStr = "Stampwell Test Mark";
  s.DocFontName = "DejaVu Sans";
  s.DocWatermarkSize = "48";
  s.DocWatermarkColor = 0x0000FF;  // red, Office byte order
  s.Transparent = true;
  s.HX = true;
  return s;
}

ShapeInfo Describe(const OleVariant& shape) {
  ShapeInfo s;
  s.Name = shape.Get("Name").AsString();
  s.Text = shape.Get("TextEffect").Get("Text").AsString();
  s.Font = shape.Get("TextEffect").Get("FontName").AsString();
  s.Rotation = shape.Get("Rotation").AsDouble();
  s.Transparency = shape.Get("Fill").Get("Transparency").AsDouble();
  s.Rgb = shape.Get("Fill").Get("ForeColor").Get("RGB").AsInt();
  s.LineVisible = shape.Get("Line").Get("Visible").AsBool();
  s.Left = shape.Get("Left").AsDouble();
  s.Top = shape.Get("Top").AsDouble();
  s.Width = shape.Get("Width").AsDouble();
  s.Height = shape.Get("Height").AsDouble();
  try {
    s.WrapType = shape.Get("WrapFormat").Get("Type").AsInt();
  } catch (const EOleError&) {
    s.WrapType = -1;  // not a Word shape
  }
  return s;
}

std::vector<ShapeInfo> DescribeAll(const OleVariant& shapes) {
  std::vector<ShapeInfo> all;
  const int n = shapes.Get("Count").AsInt();
  for (int i = 1; i <= n; ++i) all.push_back(Describe(shapes.Call("Item", {i})));
  return all;
}

void ExpectJobLook(const ShapeInfo& s, bool reloaded) {
  const auto job = JobSettings();
  EXPECT_EQ(s.Text, job.DocWaterMarkStr) << s.Name;
  EXPECT_EQ(s.Font, job.DocFontName) << s.Name;
  EXPECT_NEAR(s.Rotation, 315, 0.01) << s.Name;
  EXPECT_NEAR(s.Transparency, 0.5, 0.01) << s.Name;
  EXPECT_EQ(s.Rgb, int(job.DocWatermarkColor)) << s.Name;
  EXPECT_FALSE(s.LineVisible) << s.Name;
  EXPECT_EQ(s.Left, -999995) << s.Name;
  EXPECT_EQ(s.Top, -999995) << s.Name;
  if (reloaded)
    EXPECT_TRUE(s.WrapType == 3 || s.WrapType == 5) << s.Name << " wrap " << s.WrapType;
  else
    EXPECT_EQ(s.WrapType, 3) << s.Name;
  // The text effect is sized from the font size: 48 pt text is taller than 40 pt.
  EXPECT_GT(s.Height, 40) << s.Name;
}

WordInspector::WordInspector() : app_(CreateOleObject("Word.Application")) {}

WordInspector::~WordInspector() {
  try {
    app_.Call("Quit");
  } catch (const EOleError&) {
  }
}

std::map<std::string, std::vector<ShapeInfo>> WordInspector::HeaderShapes(const std::string& path) {
  std::map<std::string, std::vector<ShapeInfo>> result;
  OleVariant doc = app_.Get("Documents").Call("Open", {path});
  OleVariant view = app_.Get("ActiveWindow").Get("ActivePane").Get("View");
  const bool first = doc.Get("PageSetup").Get("DifferentFirstPageHeaderFooter").AsBool();
  const bool even = doc.Get("PageSetup").Get("OddAndEvenPagesHeaderFooter").AsBool();
  const int sections = doc.Get("Sections").Get("Count").AsInt();
  for (int i = 1; i <= sections; ++i) {
    doc.Get("Sections").Call("Item", {i}).Get("Range").Call("Select");
    const std::string s = "s" + std::to_string(i) + "/";
    view.Put("SeekView", 1);
    result[s + "primary"] = DescribeAll(app_.Get("Selection").Get("HeaderFooter").Get("Shapes"));
    if (i == 1 && first) {
      view.Put("SeekView", 2);
      result[s + "first"] = DescribeAll(app_.Get("Selection").Get("HeaderFooter").Get("Shapes"));
    }
    if (i == 1 && even) {
      view.Put("SeekView", 3);
      result[s + "even"] = DescribeAll(app_.Get("Selection").Get("HeaderFooter").Get("Shapes"));
    }
    view.Put("SeekView", 0);
  }
  doc.Call("Close", {0});
  return result;
}

std::string PdfText(const std::string& pdf) {
  return RunCapture("pdftotext '" + pdf + "' - 2>/dev/null");
}

std::string Compact(const std::string& text) {
  std::string out;
  for (char c : text)
    if (!std::isspace(static_cast<unsigned char>(c))) out += c;
  return out;
}

std::string PdfGlyphs(const std::string& pdf) {
  return Compact(RunCapture("pdftotext -raw '" + pdf + "' - 2>/dev/null"));
}

PageColours CountPageColours(const std::string& pdf, int page) {
  TempDir dir;
  const std::string n = std::to_string(page);
  RunCapture("pdftoppm -r 40 -f " + n + " -l " + n + " -singlefile '" + pdf + "' '" +
             (dir / "page") + "' 2>/dev/null");
  std::ifstream in(dir / "page.ppm", std::ios::binary);
  PageColours result;
  std::string magic;
  int w = 0, h = 0, max = 0;
  in >> magic >> w >> h >> max;
  in.get();
  if (magic != "P6" || w <= 0 || h <= 0) return result;
  std::vector<unsigned char> px(size_t(w) * h * 3);
  in.read(reinterpret_cast<char*>(px.data()), std::streamsize(px.size()));
  for (size_t i = 0; i + 2 < px.size(); i += 3) {
    const int r = px[i], g = px[i + 1], b = px[i + 2];
    // Red, or red blended over white; text and rules are black or grey.
    if (r > 180 && r - g > 60 && r - b > 60 && std::abs(g - b) < 40) ++result.watermark;
    if (r < 80 && g < 80 && b < 80) ++result.dark;
  }
  return result;
}

std::vector<std::string> OfficeProfileDirs(const std::string& tag) {
  std::vector<std::string> dirs;
  std::istringstream lines(RunCapture("ps -eo args= 2>/dev/null"));
  std::string line;
  const std::string key = "-env:UserInstallation=file://";
  while (std::getline(lines, line)) {
    if (line.find("soffice.bin") == std::string::npos || line.find(tag) == std::string::npos)
      continue;
    const auto at = line.find(key);
    if (at == std::string::npos) continue;
    const auto end = line.find(' ', at);
    dirs.push_back(
        line.substr(at + key.size(), end == std::string::npos ? end : end - at - key.size()));
  }
  return dirs;
}

}  // namespace stampwell::test
