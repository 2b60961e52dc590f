// SPDX-License-Identifier: GPL-3.0-or-later
// Unit and format conversions at the edge between the Office object model and LibreOffice,
// and the choice of file formats. No office process is started.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "office/libreoffice/office_document.h"
#include "office/libreoffice/ooxml_package.h"
#include "office/libreoffice/shape_name_record.h"
#include "office/libreoffice/shape_objects.h"
#include "office/libreoffice/shape_parts.h"
#include "office/libreoffice/uno_bootstrap.h"
#include "office/libreoffice/uno_convert.h"

namespace stampwell {
namespace {

// A transparency mask the way the office hands it out: a BMP file of 8-bit values with a
// 256-entry grey palette (entry i grey i unless inverted), rows padded to 4 bytes with pad.
css::uno::Sequence<sal_Int8> Mask(int width, int height, const std::vector<unsigned char>& pixels,
                                  unsigned char pad = 0, bool invertedPalette = false) {
  const int stride = (width + 3) / 4 * 4;
  const int offset = 14 + 40 + 256 * 4;
  std::vector<unsigned char> b(offset + stride * height, 0);
  auto put32 = [&b](int at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 0xFF;
  };
  b[0] = 'B', b[1] = 'M';
  put32(2, b.size());
  put32(10, offset);
  put32(14, 40);
  put32(18, width);
  put32(22, height);
  b[26] = 1, b[28] = 8;
  for (int i = 0; i < 256; ++i)
    for (int c = 0; c < 3; ++c) b[54 + 4 * i + c] = invertedPalette ? 255 - i : i;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < stride; ++x)
      b[offset + y * stride + x] = x < width ? pixels[y * width + x] : pad;
  return css::uno::Sequence<sal_Int8>(reinterpret_cast<const sal_Int8*>(b.data()), b.size());
}

// Which pictures count as hiding what lies behind them: those whose mask is opaque over at
// least 95 % of the picture, read through the palette and without the rows' padding.
TEST(PictureMask, OpaqueOnlyWhereAlmostEveryPixelIs) {
  const int w = 10, h = 10;
  std::vector<unsigned char> opaque(w * h, 0);
  EXPECT_TRUE(MaskMostlyOpaque(Mask(w, h, opaque)));
  auto edges = opaque;  // a screenshot's rounded corners and soft edge: 4 % see-through
  for (int i : {0, 9, 90, 99}) edges[i] = 255;
  EXPECT_TRUE(MaskMostlyOpaque(Mask(w, h, edges)));
  auto diagram = opaque;  // a drawing on a see-through ground: 30 % of it
  for (int i = 0; i < 30; ++i) diagram[i * 3] = 255;
  EXPECT_FALSE(MaskMostlyOpaque(Mask(w, h, diagram)));
  auto faint = opaque;  // half see-through everywhere is not opaque either
  std::fill(faint.begin(), faint.end(), 128);
  EXPECT_FALSE(MaskMostlyOpaque(Mask(w, h, faint)));
  // The grey a pixel stands for comes from the palette, not from its index.
  EXPECT_FALSE(MaskMostlyOpaque(Mask(w, h, opaque, 0, true)));
  // Row padding is no part of the picture: 3 pixels a row, padded to 4.
  EXPECT_TRUE(MaskMostlyOpaque(Mask(3, 40, std::vector<unsigned char>(120, 0), 255)));
  EXPECT_FALSE(MaskMostlyOpaque(Mask(3, 40, std::vector<unsigned char>(120, 255), 0)));
}

TEST(PictureMask, AnyOtherLayoutCountsAsNotOpaque) {
  const std::vector<unsigned char> opaque(16, 0);
  EXPECT_FALSE(MaskMostlyOpaque(css::uno::Sequence<sal_Int8>()));
  auto notBmp = Mask(4, 4, opaque);
  notBmp.getArray()[0] = 'X';
  EXPECT_FALSE(MaskMostlyOpaque(notBmp));
  auto wide = Mask(4, 4, opaque);  // 24 bits a pixel
  wide.getArray()[28] = 24;
  EXPECT_FALSE(MaskMostlyOpaque(wide));
  auto cut = Mask(4, 4, opaque);  // the pixels cut short
  cut.realloc(cut.getLength() - 5);
  EXPECT_FALSE(MaskMostlyOpaque(cut));
  auto tall = Mask(4, 4, opaque);  // a height the data does not hold
  tall.getArray()[22] = 100;
  EXPECT_FALSE(MaskMostlyOpaque(tall));
  auto flipped = Mask(4, 4, opaque);  // rows stored top down (negative height) are read too
  flipped.getArray()[22] = static_cast<sal_Int8>(0xFC);
  for (int i = 23; i < 26; ++i) flipped.getArray()[i] = static_cast<sal_Int8>(0xFF);
  EXPECT_TRUE(MaskMostlyOpaque(flipped));
}

TEST(UnoConvert, OfficeColoursSwapRedAndBlue) {
  EXPECT_EQ(uno::OfficeRgbToUno(0x0000FF), 0xFF0000);  // red
  EXPECT_EQ(uno::OfficeRgbToUno(0xFF0000), 0x0000FF);  // blue
  EXPECT_EQ(uno::OfficeRgbToUno(0x00FF00), 0x00FF00);  // green stays
  EXPECT_EQ(uno::OfficeRgbToUno(0x123456), 0x563412);
  for (std::uint32_t c : {0x000000u, 0x123456u, 0xFFFFFFu, 0x0080FFu})
    EXPECT_EQ(uno::UnoToOfficeRgb(uno::OfficeRgbToUno(c)), c);
  // Only the colour bytes are kept.
  EXPECT_EQ(uno::OfficeRgbToUno(0xFF0000FF), 0xFF0000);
}

TEST(UnoConvert, ClockwiseDegreesBecomeCounterClockwiseHundredths) {
  EXPECT_EQ(uno::ClockwiseDegreesToRotateAngle(315), 4500);
  EXPECT_EQ(uno::ClockwiseDegreesToRotateAngle(45), 31500);
  EXPECT_EQ(uno::ClockwiseDegreesToRotateAngle(0), 0);
  EXPECT_EQ(uno::ClockwiseDegreesToRotateAngle(360), 0);
  EXPECT_EQ(uno::ClockwiseDegreesToRotateAngle(-45), 4500);
  EXPECT_DOUBLE_EQ(uno::RotateAngleToClockwiseDegrees(4500), 315);
  EXPECT_DOUBLE_EQ(uno::RotateAngleToClockwiseDegrees(0), 0);
  EXPECT_DOUBLE_EQ(uno::RotateAngleToClockwiseDegrees(9000), 270);
}

TEST(UnoConvert, PointsAndHundredthsOfMillimetres) {
  EXPECT_EQ(uno::PointsToHmm(72), 2540);
  EXPECT_EQ(uno::PointsToHmm(400), 14111);
  EXPECT_NEAR(uno::HmmToPoints(28000), 793.70, 0.01);
  EXPECT_NEAR(uno::HmmToPoints(uno::PointsToHmm(80)), 80, 0.02);
}

TEST(UnoConvert, TransparencyIsPercentClampedToItsRange) {
  EXPECT_EQ(uno::TransparencyToPercent(0.5), 50);
  EXPECT_EQ(uno::TransparencyToPercent(0.7), 70);
  EXPECT_EQ(uno::TransparencyToPercent(0), 0);
  EXPECT_EQ(uno::TransparencyToPercent(1.5), 100);
  EXPECT_EQ(uno::TransparencyToPercent(-0.2), 0);
  EXPECT_DOUBLE_EQ(uno::PercentToTransparency(70), 0.7);
}

TEST(UnoConvert, TextRoundTripsAsUtf8) {
  const std::string text = "Vertraulich \xC3\xA4\xC3\xB6\xC3\xBC \xE6\xA9\x9F\xE5\xAF\x86";
  EXPECT_EQ(uno::ToStd(uno::ToOU(text)), text);
  EXPECT_EQ(uno::ToOU(text).getLength(), 18);  // characters, not bytes
}

TEST(UnoConvert, FileUrlsArePercentEncoded) {
  EXPECT_EQ(uno::ToStd(uno::FileUrl("/tmp/a b/c.doc")), "file:///tmp/a%20b/c.doc");
  EXPECT_EQ(uno::ToStd(uno::FileUrl("/tmp/\xC3\xA4.doc")), "file:///tmp/%C3%A4.doc");
}

TEST(DocumentFormats, LoadedFormatIsKeptAndForeignFormatsAreRefused) {
  EXPECT_EQ(ExportFilterFor(OfficeKind::Writer, "MS Word 97"), "MS Word 97");
  EXPECT_EQ(ExportFilterFor(OfficeKind::Writer, "MS Word 95"), "MS Word 97");  // no 95 export
  EXPECT_EQ(ExportFilterFor(OfficeKind::Calc, "MS Excel 97"), "MS Excel 97");
  EXPECT_EQ(ExportFilterFor(OfficeKind::Impress, "MS PowerPoint 97"), "MS PowerPoint 97");
  // The current formats, the macro-enabled ones with their macros' container, and ODF.
  for (const char* f : {"MS Word 2007 XML", "MS Word 2007 XML VBA", "Office Open XML Text",
                        "writer8"})
    EXPECT_EQ(ExportFilterFor(OfficeKind::Writer, f), f);
  for (const char* f : {"Calc MS Excel 2007 XML", "Calc MS Excel 2007 VBA XML",
                        "Calc Office Open XML", "calc8"})
    EXPECT_EQ(ExportFilterFor(OfficeKind::Calc, f), f);
  for (const char* f : {"Impress MS PowerPoint 2007 XML", "Impress MS PowerPoint 2007 XML VBA",
                        "Impress Office Open XML", "impress8"})
    EXPECT_EQ(ExportFilterFor(OfficeKind::Impress, f), f);
  EXPECT_EQ(ExportFilterFor(OfficeKind::Calc, "writer8"), "");
  // A text file named .doc, or a workbook handed to Word, is not opened as a document.
  EXPECT_EQ(ExportFilterFor(OfficeKind::Writer, "Text"), "");
  EXPECT_EQ(ExportFilterFor(OfficeKind::Writer, "Text (encoded)"), "");
  EXPECT_EQ(ExportFilterFor(OfficeKind::Writer, "MS Excel 97"), "");
  EXPECT_EQ(ExportFilterFor(OfficeKind::Calc, "Text - txt - csv (StarCalc)"), "");
  EXPECT_EQ(ExportFilterFor(OfficeKind::Impress, "MS Word 97"), "");
}

TEST(DocumentFormats, NewDocumentsTakeTheFormatTheirExtensionNames) {
  EXPECT_EQ(FilterForExtension(OfficeKind::Writer, "/x/Sample.doc"), "MS Word 97");
  EXPECT_EQ(FilterForExtension(OfficeKind::Writer, "/x/Sample.DOCX"), "MS Word 2007 XML");
  EXPECT_EQ(FilterForExtension(OfficeKind::Calc, "/x/a.xls"), "MS Excel 97");
  EXPECT_EQ(FilterForExtension(OfficeKind::Impress, "/x/a.odp"), "impress8");
  EXPECT_EQ(FilterForExtension(OfficeKind::Writer, "/x/a.docm"), "MS Word 2007 XML VBA");
  EXPECT_EQ(FilterForExtension(OfficeKind::Calc, "/x/a.XLSM"), "Calc MS Excel 2007 VBA XML");
  EXPECT_EQ(FilterForExtension(OfficeKind::Impress, "/x/a.pptm"),
            "Impress MS PowerPoint 2007 XML VBA");
}

TEST(UnoBootstrap, IniListsTheOfficeTypesAndServices) {
  const std::string ini = UnoBootstrapIni("/opt/lo/program");
  EXPECT_NE(ini.find("UNO_TYPES=file:///opt/lo/program/types.rdb "
                     "file:///opt/lo/program/types/offapi.rdb"),
            std::string::npos);
  EXPECT_NE(ini.find("UNO_SERVICES=file:///opt/lo/program/services.rdb"), std::string::npos);
  EXPECT_EQ(ini.rfind("[Bootstrap]", 0), 0u);
}

TEST(UnoBootstrap, LocalContextComesUpWithTheOfficeTypes) {
  auto context = LocalUnoContext();
  ASSERT_TRUE(context.is());
  EXPECT_TRUE(context->getServiceManager().is());
  EXPECT_EQ(LocalUnoContext(), context);  // bootstrapped once
}

TEST(ShapeNameRecord, RoundTripsAnyTextAndPassesOverDamagedRecords) {
  const std::vector<RShapeNameEntry> entries = {
      {"0", 2, "QuillmarkWaterMarkObject1", "Draft; 100% | final\nline"},
      {"1/HeaderTextFirst", 0, "A%;|", ""}};
  const std::string text = EncodeShapeNames(entries);
  EXPECT_EQ(std::count(text.begin(), text.end(), '|'), 2) << text;
  EXPECT_EQ(text.find('\n'), std::string::npos) << "one printable line";
  EXPECT_EQ(DecodeShapeNames(text), entries);
  // The form .ppt files already carry: master index, position, name, text.
  EXPECT_EQ(DecodeShapeNames("0;3;QuillmarkWaterMarkObject1;CONFIDENTIAL|"),
            (std::vector<RShapeNameEntry>{{"0", 3, "QuillmarkWaterMarkObject1", "CONFIDENTIAL"}}));
  // Damaged records are passed over, the good ones kept; nothing throws.
  EXPECT_EQ(DecodeShapeNames("0;x;Name;T|0;1;%4;T|0;1;%ZZ;T|0;99999999999;N;T|;;|0;1;;T|"
                             "0;1;Kept;T%7C|"),
            (std::vector<RShapeNameEntry>{{"0", 1, "Kept", "T|"}}));
}

TEST(WordPackageShapeTypes, OnlyTheWordOpenXmlFiltersAreCompleted) {
  for (const char* f : {"MS Word 2007 XML", "MS Word 2007 XML VBA", "Office Open XML Text"})
    EXPECT_TRUE(IsWordOpenXmlFilter(f)) << f;
  for (const char* f : {"MS Word 97", "writer8", "Calc MS Excel 2007 XML", ""})
    EXPECT_FALSE(IsWordOpenXmlFilter(f)) << f;
}

css::drawing::HomogenMatrix3 Matrix(double a, double b, double c, double d, double tx, double ty) {
  css::drawing::HomogenMatrix3 m;
  m.Line1.Column1 = a;
  m.Line1.Column2 = c;
  m.Line1.Column3 = tx;
  m.Line2.Column1 = b;
  m.Line2.Column2 = d;
  m.Line2.Column3 = ty;
  m.Line3.Column1 = 0;
  m.Line3.Column2 = 0;
  m.Line3.Column3 = 1;
  return m;
}

// A shape's transformation read as a frame and written back: nothing is lost, shear and
// mirroring included, and a new angle turns the frame about its centre.
TEST(ShapePlacement, TransformationRoundTripsAndTurnsAboutTheCentre) {
  const double r = std::sqrt(0.5);
  const std::vector<css::drawing::HomogenMatrix3> frames = {
      Matrix(4000, 0, 0, 1000, 500, 700),                          // plain
      Matrix(4000 * r, -4000 * r, 1000 * r, 1000 * r, 100, 3000),  // turned 45 degrees
      Matrix(4000, 0, 300, 1000, 0, 0),                            // sheared
      Matrix(-4000, 0, 0, 1000, 5000, 0),                          // mirrored
      Matrix(4000 * r, 4000 * r, 1000 * r, -1000 * r, 0, 0)};      // mirrored and turned
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const auto& m = frames[i];
    const auto back = shape::MatrixOf(shape::PlacementOf(m));
    EXPECT_NEAR(back.Line1.Column1, m.Line1.Column1, 1e-6) << i;
    EXPECT_NEAR(back.Line1.Column2, m.Line1.Column2, 1e-6) << i;
    EXPECT_NEAR(back.Line1.Column3, m.Line1.Column3, 1e-6) << i;
    EXPECT_NEAR(back.Line2.Column1, m.Line2.Column1, 1e-6) << i;
    EXPECT_NEAR(back.Line2.Column2, m.Line2.Column2, 1e-6) << i;
    EXPECT_NEAR(back.Line2.Column3, m.Line2.Column3, 1e-6) << i;
  }

  // 4000 x 1000 with its corner at (500, 700), centred at (2500, 1200).
  auto p = shape::PlacementOf(frames[0]);
  EXPECT_NEAR(p.width, 4000, 1e-9);
  EXPECT_NEAR(p.height, 1000, 1e-9);
  EXPECT_NEAR(p.cx, 2500, 1e-9);
  EXPECT_NEAR(p.cy, 1200, 1e-9);
  EXPECT_NEAR(shape::PlacementOf(frames[1]).angle, -M_PI / 4, 1e-9);  // rising to the right
  // Turned a quarter clockwise about that centre, it stands 1000 wide and 4000 high.
  p.angle = M_PI / 2;
  const auto t = shape::MatrixOf(p);
  std::vector<double> xs, ys;
  for (auto [u, v] : {std::pair{0.0, 0.0}, {1.0, 0.0}, {0.0, 1.0}, {1.0, 1.0}}) {
    xs.push_back(t.Line1.Column1 * u + t.Line1.Column2 * v + t.Line1.Column3);
    ys.push_back(t.Line2.Column1 * u + t.Line2.Column2 * v + t.Line2.Column3);
  }
  EXPECT_NEAR(*std::min_element(xs.begin(), xs.end()), 2000, 1e-6);
  EXPECT_NEAR(*std::max_element(xs.begin(), xs.end()), 3000, 1e-6);
  EXPECT_NEAR(*std::min_element(ys.begin(), ys.end()), -800, 1e-6);
  EXPECT_NEAR(*std::max_element(ys.begin(), ys.end()), 3200, 1e-6);
  // The frame's first corner went to the top right: turned clockwise on the page.
  EXPECT_NEAR(t.Line1.Column3, 3000, 1e-6);
  EXPECT_NEAR(t.Line2.Column3, -800, 1e-6);
}

}  // namespace
}  // namespace stampwell
