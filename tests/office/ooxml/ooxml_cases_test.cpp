// SPDX-License-Identifier: GPL-3.0-or-later
// Hand-made packages for what real files seldom show at once: different first and even
// pages, sections without their own header, several slide masters, signed, encrypted and
// macro-enabled packages, headers that already hold shapes, a mark left by the LibreOffice
// path, workbooks whose sheets print on several pages.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <filesystem>

#include <pugixml.hpp>

#include "office/ooxml/mark_style.h"
#include "office/ooxml/ooxml_water_mark.h"
#include "office/ooxml/vml_shape_types.h"
#include "package_check.h"
#include "support/temp_dir.h"

namespace stampwell {
namespace {

namespace fs = std::filesystem;
using Entries = std::vector<std::pair<std::string, std::string>>;

const std::string kDecl = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
const std::string kRelNs = "http://schemas.openxmlformats.org/package/2006/relationships";
const std::string kRelType = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
const std::string kWordNs =
    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
    "xmlns:v=\"urn:schemas-microsoft-com:vml\" xmlns:o=\"urn:schemas-microsoft-com:office:office\" "
    "xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\" "
    "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"";

RDocSettings CaseSettings(const std::string& text = "DRAFT") {
  RDocSettings s;
  s.DocWaterMarkStr = text;
  s.DocFontName = "Liberation Serif";
  s.DocWatermarkSize = "54";
  s.DocWatermarkColor = 0x00336699;  // red 0x99, green 0x66, blue 0x33
  s.Transparent = true;
  s.HX = true;
  return s;
}

std::string Rels(const std::vector<std::array<std::string, 3>>& rels) {
  std::string xml = kDecl + "<Relationships xmlns=\"" + kRelNs + "\">";
  for (const auto& [id, type, target] : rels)
    xml += "<Relationship Id=\"" + id + "\" Type=\"" + (type.find("://") == std::string::npos ? kRelType + type : type) +
           "\" Target=\"" + target + "\"/>";
  return xml + "</Relationships>";
}

std::string ContentTypes(const std::vector<std::pair<std::string, std::string>>& overrides) {
  std::string xml = kDecl +
                    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                    "<Default Extension=\"rels\" "
                    "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                    "<Default Extension=\"bin\" ContentType=\"application/vnd.ms-office.vbaProject\"/>";
  for (const auto& [part, type] : overrides)
    xml += "<Override PartName=\"" + part + "\" ContentType=\"" + type + "\"/>";
  return xml + "</Types>";
}

const std::string kHeaderType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.header+xml";

std::string Header(const std::string& inner) {
  return kDecl + "<w:hdr " + kWordNs + ">" + inner + "</w:hdr>";
}

// A Word package: body (the sections' markup), headers by part name, even-and-odd setting.
Entries WordPackage(const std::string& body, const std::map<std::string, std::string>& headers,
                    bool evenAndOdd, const std::string& mainType =
                        "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml") {
  std::vector<std::pair<std::string, std::string>> types = {{"/word/document.xml", mainType},
      {"/word/settings.xml",
       "application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml"}};
  std::vector<std::array<std::string, 3>> rels = {{"rId1", "settings", "settings.xml"}};
  for (const auto& [name, xml] : headers) {
    types.push_back({"/word/" + name, kHeaderType});
    rels.push_back({"rIdH" + name.substr(6, name.size() - 10), "header", name});
  }
  Entries e = {{"[Content_Types].xml", ContentTypes(types)},
               {"_rels/.rels", Rels({{"rId1", "officeDocument", "word/document.xml"}})},
               {"word/document.xml", kDecl + "<w:document " + kWordNs + "><w:body>" + body +
                                         "</w:body></w:document>"},
               {"word/_rels/document.xml.rels", Rels(rels)},
               {"word/settings.xml",
                kDecl + "<w:settings " + kWordNs + ">" +
                    (evenAndOdd ? "<w:evenAndOddHeaders/>" : "") + "</w:settings>"}};
  for (const auto& [name, xml] : headers) e.push_back({"word/" + name, xml});
  return e;
}

// headerN.xml is referenced as rIdHN.
std::string Ref(const std::string& kind, int n) {
  return "<w:headerReference w:type=\"" + kind + "\" r:id=\"rIdH" + std::to_string(n) + "\"/>";
}

struct RStamped {
  std::map<std::string, test::RStoredEntry> before, after;
  std::vector<std::string> written;
  std::vector<std::string> notes;
  int marks = 0;
};

RStamped Stamp(const std::string& source, const std::string& dest,
               const RDocSettings& settings = CaseSettings(), bool activeSheetOnly = false) {
  RStamped r;
  TOoxmlWaterMark engine;
  engine.ActiveSheetOnly = activeSheetOnly;
  EXPECT_TRUE(engine.Open(source)) << engine.OpenError();
  engine.AddWaterMark(settings);
  r.marks = engine.Marks();
  r.notes = engine.Notes();
  r.written = engine.Package().WrittenParts();
  engine.SaveAs(dest);
  engine.Close();
  r.before = test::ReadEntries(source);
  r.after = test::ReadEntries(dest);
  return r;
}

int MarksIn(const std::string& xml) { return int(test::MarkNamesIn(xml).size()); }

// The header parts each section refers to, by kind, in section order.
std::vector<std::map<std::string, std::string>> SectionHeaders(const RStamped& r) {
  pugi::xml_document rels, doc;
  rels.load_string(r.after.at("word/_rels/document.xml.rels").data.c_str());
  doc.load_string(r.after.at("word/document.xml").data.c_str());
  std::map<std::string, std::string> target;
  for (const auto& rel : rels.document_element().children())
    target[rel.attribute("Id").value()] = rel.attribute("Target").value();
  std::vector<std::map<std::string, std::string>> sections;
  for (const auto& found : doc.select_nodes("//w:sectPr")) {
    std::map<std::string, std::string> refs;
    for (const auto& ref : found.node().children("w:headerReference"))
      refs[ref.attribute("w:type").value()] = target[ref.attribute("r:id").value()];
    sections.push_back(refs);
  }
  return sections;
}

TEST(WordPackage, EveryHeaderAPageShowsCarriesOneMark) {
  test::TempDir dir;
  // Section 1: a different first page, a default header only. Section 2: its own default
  // header. Odd and even pages differ in the whole document.
  const std::string body =
      "<w:p><w:r><w:t>one</w:t></w:r></w:p><w:p><w:pPr><w:sectPr>" + Ref("default", 1) +
      "<w:titlePg/></w:sectPr></w:pPr></w:p><w:p><w:r><w:t>two</w:t></w:r></w:p><w:sectPr>" +
      Ref("default", 2) + "<w:pgSz w:w=\"11906\" w:h=\"16838\"/></w:sectPr>";
  test::WritePackage(dir / "in.docx",
                     WordPackage(body,
                                 {{"header1.xml", Header("<w:p><w:r><w:t>Head one</w:t></w:r></w:p>")},
                                  {"header2.xml", Header("<w:p><w:r><w:t>Head two</w:t></w:r></w:p>")}},
                                 true));
  const auto r = Stamp(dir / "in.docx", dir / "out.docx");
  const auto sections = SectionHeaders(r);
  ASSERT_EQ(sections.size(), 2u);
  // Section 1 gets new first and even headers; section 2 inherits them, as before.
  ASSERT_EQ(sections[0].size(), 3u);
  EXPECT_EQ(sections[0].at("default"), "header1.xml");
  EXPECT_EQ(sections[1], (std::map<std::string, std::string>{{"default", "header2.xml"}}));
  for (const auto& kind : {"first", "even"}) {
    const std::string part = "word/" + sections[0].at(kind);
    ASSERT_TRUE(r.after.count(part)) << kind;
    EXPECT_EQ(MarksIn(r.after.at(part).data), 1) << kind;
    EXPECT_NE(r.after.at("[Content_Types].xml").data.find("/" + part), std::string::npos);
  }
  EXPECT_EQ(MarksIn(r.after.at("word/header1.xml").data), 1);
  EXPECT_EQ(MarksIn(r.after.at("word/header2.xml").data), 1);
  EXPECT_EQ(r.marks, 4);
  EXPECT_TRUE(test::MissingItems(r.before.at("word/header1.xml").data,
                                 r.after.at("word/header1.xml").data).empty());

  // Restamped: the same headers, one mark each, no further header part.
  const auto again = Stamp(dir / "out.docx", dir / "again.docx", CaseSettings("FINAL"));
  EXPECT_EQ(SectionHeaders(again), sections);
  EXPECT_EQ(again.after.size(), r.after.size());
  for (const auto& [name, e] : again.after)
    if (name.find("header") != std::string::npos)
      EXPECT_EQ(MarksIn(e.data), 1) << name;
  EXPECT_EQ(again.after.at("word/header1.xml").data.find("DRAFT"), std::string::npos);
}

TEST(WordPackage, ASectionWithoutItsOwnHeaderInheritsTheMarkedOne) {
  test::TempDir dir;
  const std::string body = "<w:p><w:pPr><w:sectPr>" + Ref("default", 1) +
                           "</w:sectPr></w:pPr></w:p><w:p/><w:sectPr/>";
  test::WritePackage(dir / "in.docx",
                     WordPackage(body, {{"header1.xml", Header("<w:p/>")}}, false));
  const auto r = Stamp(dir / "in.docx", dir / "out.docx");
  EXPECT_EQ(r.marks, 1);
  EXPECT_EQ(r.written, (std::vector<std::string>{"word/header1.xml"}));
  EXPECT_EQ(SectionHeaders(r)[1].size(), 0u);
}

TEST(WordPackage, TheMarkIsWordsWatermarkShapeWithTheJobsLook) {
  test::TempDir dir;
  test::WritePackage(dir / "in.docx",
                     WordPackage("<w:sectPr>" + Ref("default", 1) + "</w:sectPr>",
                                 {{"header1.xml", Header("<w:p/>")}}, false));
  RDocSettings s = CaseSettings("A & B <C>");
  Stamp(dir / "in.docx", dir / "out.docx", s);
  pugi::xml_document header;
  ASSERT_TRUE(header.load_string(test::ReadEntries(dir / "out.docx")["word/header1.xml"].data.c_str()));
  const auto shape = header.select_node("//v:shape").node();
  ASSERT_TRUE(shape);
  EXPECT_STREQ(shape.attribute("type").value(), "#_x0000_t136");
  EXPECT_TRUE(header.select_node("//v:shapetype[@id='_x0000_t136']"));
  EXPECT_STREQ(shape.attribute("fillcolor").value(), "#996633");
  EXPECT_STREQ(shape.attribute("stroked").value(), "f");
  const std::string style = shape.attribute("style").value();
  EXPECT_NE(style.find("rotation:315"), std::string::npos);
  EXPECT_NE(style.find("mso-position-horizontal:center"), std::string::npos);
  EXPECT_NE(style.find("z-index:-"), std::string::npos) << "behind the text";
  EXPECT_STREQ(shape.child("v:fill").attribute("opacity").value(), ".5");
  const auto path = shape.child("v:textpath");
  EXPECT_STREQ(path.attribute("string").value(), "A & B <C>");
  EXPECT_NE(std::string(path.attribute("style").value()).find("Liberation Serif"), std::string::npos);
  EXPECT_NE(std::string(path.attribute("style").value()).find("font-size:54pt"), std::string::npos);

  s.HX = false;
  s.Transparent = false;
  Stamp(dir / "out.docx", dir / "flat.docx", s);
  header.load_string(test::ReadEntries(dir / "flat.docx")["word/header1.xml"].data.c_str());
  EXPECT_EQ(std::string(header.select_node("//v:shape").node().attribute("style").value()).find("rotation"),
            std::string::npos);
  EXPECT_FALSE(header.select_node("//v:shape/v:fill"));
  EXPECT_EQ(header.select_nodes("//v:shapetype").size(), 1u);
}

TEST(WordPackage, OtherShapesOfAHeaderStayAndShareTheirShapeType) {
  test::TempDir dir;
  const std::string shapeType =
      "<v:shapetype id=\"_x0000_t136\" coordsize=\"21600,21600\" o:spt=\"136\"/>";
  const std::string header = Header(
      "<w:p><w:r><w:pict>" + shapeType +
      "<v:shape id=\"Logo\" type=\"#_x0000_t136\"><v:textpath string=\"ACME\"/></v:shape>"
      "</w:pict></w:r><w:r><w:drawing><wp:anchor><wp:docPr id=\"3\" name=\"Picture 3\"/>"
      "</wp:anchor></w:drawing></w:r><w:r><w:t xml:space=\"preserve\"> </w:t></w:r></w:p>");
  test::WritePackage(dir / "in.docx",
                     WordPackage("<w:sectPr>" + Ref("default", 1) + "</w:sectPr>",
                                 {{"header1.xml", header}}, false));
  const auto r = Stamp(dir / "in.docx", dir / "out.docx");
  const std::string out = r.after.at("word/header1.xml").data;
  EXPECT_TRUE(test::MissingItems(header, out).empty());
  pugi::xml_document doc;
  doc.load_string(out.c_str());
  EXPECT_EQ(doc.select_nodes("//v:shapetype").size(), 1u) << "the part defines the type once";
  EXPECT_EQ(MarksIn(out), 1);
  const auto again = Stamp(dir / "out.docx", dir / "again.docx");
  const std::string twice = again.after.at("word/header1.xml").data;
  EXPECT_TRUE(test::MissingItems(header, twice).empty());
  EXPECT_EQ(MarksIn(twice), 1);
  doc.load_string(twice.c_str());
  EXPECT_EQ(doc.select_nodes("//v:shapetype").size(), 1u);
  EXPECT_EQ(doc.select_nodes("//w:r").size(), 4u) << "the mark's run replaced, no empty run left";
}

TEST(WordPackage, AHeaderInAContentControlTakesTheMarkInItsFirstParagraph) {
  test::TempDir dir;
  const std::string header = Header(
      "<w:sdt><w:sdtPr><w:docPartObj><w:docPartGallery w:val=\"Page Numbers (Top of Page)\"/>"
      "</w:docPartObj></w:sdtPr><w:sdtContent><w:p><w:r><w:t>Page</w:t></w:r></w:p>"
      "</w:sdtContent></w:sdt>");
  test::WritePackage(dir / "in.docx",
                     WordPackage("<w:sectPr>" + Ref("default", 1) + "</w:sectPr>",
                                 {{"header1.xml", header}}, false));
  const auto r = Stamp(dir / "in.docx", dir / "out.docx");
  pugi::xml_document doc;
  doc.load_string(r.after.at("word/header1.xml").data.c_str());
  EXPECT_EQ(doc.select_nodes("//w:p").size(), 1u) << "no paragraph added";
  EXPECT_TRUE(doc.select_node("//w:sdtContent/w:p/w:r/w:pict/v:shape"));
}

TEST(WordPackage, AMarkTheLibreOfficePathRecordedIsReplaced) {
  test::TempDir dir;
  // That path's Word files lose shape names; the names are kept in a custom property.
  const std::string header = Header(
      "<w:p><w:r><w:pict><v:shape id=\"_x0000_s1025\" type=\"#_x0000_t136\">"
      "<v:textpath string=\"OLD MARK\"/></v:shape></w:pict></w:r>"
      "<w:r><w:pict><v:shape id=\"_x0000_s1026\"><v:textpath string=\"KEEP\"/></v:shape></w:pict></w:r></w:p>");
  auto entries = WordPackage("<w:sectPr>" + Ref("default", 1) + "</w:sectPr>",
                             {{"header1.xml", header}}, false);
  entries[1].second = Rels({{"rId1", "officeDocument", "word/document.xml"},
                            {"rId2", "custom-properties", "docProps/custom.xml"}});
  entries.push_back(
      {"docProps/custom.xml",
       kDecl + "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/custom-properties\" "
               "xmlns:vt=\"http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes\">"
               "<property fmtid=\"{D5CDD505-2E9C-101B-9397-08002B2CF9AE}\" pid=\"2\" "
               "name=\"StampwellShapeNames\"><vt:lpwstr>0/HeaderText;0;QuillmarkWaterMarkObject1;OLD MARK|"
               "</vt:lpwstr></property></Properties>"});
  test::WritePackage(dir / "in.docx", entries);
  const auto r = Stamp(dir / "in.docx", dir / "out.docx");
  const std::string out = r.after.at("word/header1.xml").data;
  EXPECT_EQ(out.find("OLD MARK"), std::string::npos);
  EXPECT_NE(out.find("KEEP"), std::string::npos);
  EXPECT_EQ(MarksIn(out), 1);
}

TEST(WordPackage, MacrosStayAndOnlyTheMarkedPartsChange) {
  test::TempDir dir;
  auto entries = WordPackage("<w:sectPr>" + Ref("default", 1) + "</w:sectPr>",
                             {{"header1.xml", Header("<w:p/>")}}, false,
                             "application/vnd.ms-word.document.macroEnabled.main+xml");
  std::string macros(5000, '\0');
  for (std::size_t i = 0; i < macros.size(); ++i) macros[i] = char(i * 7 % 251);
  entries.push_back({"word/vbaProject.bin", macros});
  test::WritePackage(dir / "in.docm", entries);
  const auto r = Stamp(dir / "in.docm", dir / "out.docm");
  EXPECT_EQ(r.after.at("word/vbaProject.bin").data, macros);
  EXPECT_EQ(r.after.at("word/vbaProject.bin").compSize, r.before.at("word/vbaProject.bin").compSize);
  EXPECT_NE(r.after.at("[Content_Types].xml").data.find("macroEnabled"), std::string::npos);
  EXPECT_EQ(r.written, (std::vector<std::string>{"word/header1.xml"}));
}

TEST(OoxmlOpen, SignedEncryptedAndDamagedPackagesAreNotOpened) {
  test::TempDir dir;
  auto entries = WordPackage("<w:sectPr/>", {}, false);
  entries[1].second =
      Rels({{"rId1", "officeDocument", "word/document.xml"},
            {"rId9", "http://schemas.openxmlformats.org/package/2006/relationships/digital-signature/origin",
             "_xmlsignatures/origin.sigs"}});
  entries.push_back({"_xmlsignatures/origin.sigs", ""});
  entries.push_back({"_xmlsignatures/_rels/origin.sigs.rels",
                     Rels({{"rId1",
                            "http://schemas.openxmlformats.org/package/2006/relationships/digital-signature/signature",
                            "sig1.xml"}})});
  entries.push_back({"_xmlsignatures/sig1.xml", kDecl + "<Signature/>"});
  test::WritePackage(dir / "signed.docx", entries);
  TOoxmlWaterMark engine;
  EXPECT_FALSE(engine.Open(dir / "signed.docx"));
  EXPECT_EQ(engine.OpenError(), "signed document, not stamped");

  // An encrypted package: a compound file with the encryption stream's directory entry.
  std::string compound("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
  compound += std::string(504, '\0');
  for (char c : std::string("EncryptionInfo")) compound += std::string{c, '\0'};
  compound += std::string(1000, '\0');
  test::WriteFile(dir / "locked.xlsx", compound);
  EXPECT_FALSE(engine.Open(dir / "locked.xlsx"));
  EXPECT_EQ(engine.OpenError(), "needs a password");

  test::WriteFile(dir / "broken.pptx", "PK\x03\x04 not really a zip");
  EXPECT_FALSE(engine.Open(dir / "broken.pptx"));
  EXPECT_EQ(engine.OpenError(), "the file cannot be opened");
  EXPECT_THROW(engine.AddWaterMark(CaseSettings()), std::logic_error);

  // An unsigned package opens again with the same engine.
  test::WritePackage(dir / "plain.docx", WordPackage("<w:sectPr/>", {}, false));
  EXPECT_TRUE(engine.Open(dir / "plain.docx"));
  EXPECT_THROW(engine.PrintToPDFFile(dir / "plain.pdf"), std::logic_error);
}

TEST(OoxmlSave, InPlaceAndIntoAMissingFolder) {
  test::TempDir dir;
  test::WritePackage(dir / "doc.docx", WordPackage("<w:sectPr/>", {}, false));
  TOoxmlWaterMark engine;
  ASSERT_TRUE(engine.Open(dir / "doc.docx"));
  EXPECT_THROW(engine.AddWaterMark([] { auto s = CaseSettings(); s.DocWatermarkSize = "big"; return s; }()),
               std::invalid_argument);
  engine.AddWaterMark(CaseSettings());
  EXPECT_THROW(engine.SaveAs(dir / "missing/doc.docx"), ooxml::EPackageError);
  EXPECT_FALSE(fs::exists(dir / "missing"));
  engine.SaveAs(dir / "doc.docx");
  engine.Close();
  const auto entries = test::ReadEntries(dir / "doc.docx");
  int marks = 0;
  for (const auto& [name, e] : entries) marks += MarksIn(e.data);
  EXPECT_EQ(marks, 1) << "a new default header carries the mark";
  EXPECT_EQ(test::ListTree(dir.Path()), (std::vector<std::string>{"doc.docx"}))
      << "no temporary file stays behind";
}

// --- PowerPoint ---

const std::string kPresNs =
    "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
    "xmlns:p=\"http://schemas.openxmlformats.org/presentationml/2006/main\"";

std::string ShapeTree(const std::string& root, const std::string& shapes, const std::string& attrs = "") {
  return kDecl + "<p:" + root + " " + kPresNs + attrs + "><p:cSld><p:spTree><p:nvGrpSpPr><p:cNvPr id=\"1\" name=\"\"/>"
         "<p:cNvGrpSpPr/><p:nvPr/></p:nvGrpSpPr><p:grpSpPr/>" + shapes + "</p:spTree></p:cSld></p:" + root + ">";
}

std::string Placeholder(int id) {
  return "<p:sp><p:nvSpPr><p:cNvPr id=\"" + std::to_string(id) + "\" name=\"Title " +
         std::to_string(id) + "\"/><p:cNvSpPr/><p:nvPr><p:ph type=\"title\"/></p:nvPr></p:nvSpPr>"
         "<p:spPr/><p:txBody><a:bodyPr/><a:p><a:r><a:t>Title</a:t></a:r></a:p></p:txBody></p:sp>";
}

// The main presentation part: its masters (rId1, rId2, ...) and the slide size.
std::string PresentationPart(int masters, long long cx = 9144000, long long cy = 6858000) {
  std::string ids;
  for (int i = 0; i < masters; ++i)
    ids += "<p:sldMasterId id=\"" + std::to_string(2147483648LL + 2 * i) + "\" r:id=\"rId" +
           std::to_string(i + 1) + "\"/>";
  return kDecl + "<p:presentation " + kPresNs + "><p:sldMasterIdLst>" + ids +
         "</p:sldMasterIdLst><p:sldSz cx=\"" + std::to_string(cx) + "\" cy=\"" +
         std::to_string(cy) + "\"/></p:presentation>";
}

TEST(PresentationPackage, EveryMasterAndEveryLayoutHidingItGetsTheMarkBehindItsShapes) {
  test::TempDir dir;
  const std::string ml = "application/vnd.openxmlformats-officedocument.presentationml.";
  Entries e = {
      {"[Content_Types].xml",
       ContentTypes({{"/ppt/presentation.xml", ml + "presentation.main+xml"},
                     {"/ppt/slideMasters/slideMaster1.xml", ml + "slideMaster+xml"},
                     {"/ppt/slideMasters/slideMaster2.xml", ml + "slideMaster+xml"},
                     {"/ppt/slideLayouts/slideLayout1.xml", ml + "slideLayout+xml"},
                     {"/ppt/slideLayouts/slideLayout2.xml", ml + "slideLayout+xml"}})},
      {"_rels/.rels", Rels({{"rId1", "officeDocument", "ppt/presentation.xml"}})},
      {"ppt/presentation.xml",
       PresentationPart(2, 12192000)},
      {"ppt/_rels/presentation.xml.rels",
       Rels({{"rId1", "slideMaster", "slideMasters/slideMaster1.xml"},
             {"rId2", "slideMaster", "slideMasters/slideMaster2.xml"}})},
      {"ppt/slideMasters/slideMaster1.xml", ShapeTree("sldMaster", Placeholder(2))},
      {"ppt/slideMasters/_rels/slideMaster1.xml.rels",
       Rels({{"rId1", "slideLayout", "../slideLayouts/slideLayout1.xml"}})},
      {"ppt/slideMasters/slideMaster2.xml", ShapeTree("sldMaster", Placeholder(7))},
      {"ppt/slideMasters/_rels/slideMaster2.xml.rels",
       Rels({{"rId1", "slideLayout", "../slideLayouts/slideLayout2.xml"}})},
      {"ppt/slideLayouts/slideLayout1.xml", ShapeTree("sldLayout", Placeholder(2))},
      {"ppt/slideLayouts/slideLayout2.xml",
       ShapeTree("sldLayout", Placeholder(2), " showMasterSp=\"0\"")},
  };
  test::WritePackage(dir / "in.pptx", e);
  const auto r = Stamp(dir / "in.pptx", dir / "out.pptx");
  EXPECT_EQ(r.marks, 3);
  for (const char* part : {"ppt/slideMasters/slideMaster1.xml", "ppt/slideMasters/slideMaster2.xml",
                           "ppt/slideLayouts/slideLayout2.xml"}) {
    pugi::xml_document doc;
    doc.load_string(r.after.at(part).data.c_str());
    const auto tree = doc.select_node("//p:spTree").node();
    const auto first = tree.child("p:grpSpPr").next_sibling();
    EXPECT_STREQ(first.select_node("p:nvSpPr/p:cNvPr").node().attribute("name").value(),
                 "QuillmarkWaterMarkObject1") << part;
    EXPECT_STREQ(first.select_node(".//a:t").node().text().get(), "DRAFT");
    const auto colour = first.select_node(".//a:rPr/a:solidFill/a:srgbClr").node();
    EXPECT_STREQ(colour.attribute("val").value(), "996633");
    EXPECT_STREQ(colour.child("a:alpha").attribute("val").value(), "30000");
    EXPECT_STREQ(first.select_node(".//a:xfrm").node().attribute("rot").value(), "18900000");
    EXPECT_STREQ(first.select_node(".//a:latin").node().attribute("typeface").value(), "Liberation Serif");
    // Centred on the 16:9 slide.
    const auto off = first.select_node(".//a:off").node(), ext = first.select_node(".//a:ext").node();
    EXPECT_NEAR(off.attribute("x").as_double() + ext.attribute("cx").as_double() / 2, 6096000, 2);
    EXPECT_NEAR(off.attribute("y").as_double() + ext.attribute("cy").as_double() / 2, 3429000, 2);
    std::set<unsigned> ids;
    for (const auto& n : doc.select_nodes("//p:cNvPr")) EXPECT_TRUE(ids.insert(n.node().attribute("id").as_uint()).second);
    EXPECT_TRUE(test::MissingItems(r.before.at(part).data, r.after.at(part).data).empty());
  }
  EXPECT_EQ(r.after.at("ppt/slideLayouts/slideLayout1.xml").data,
            r.before.at("ppt/slideLayouts/slideLayout1.xml").data);
  const auto again = Stamp(dir / "out.pptx", dir / "again.pptx");
  int marks = 0;
  for (const auto& [name, entry] : again.after) marks += MarksIn(entry.data);
  EXPECT_EQ(marks, 3);
}

// The head of a PNG file (signature, IHDR) of a colour type: 2 RGB, 6 RGB with alpha.
std::string PngHead(int colourType) {
  std::string png = "\x89PNG\r\n\x1A\n";
  png += std::string("\0\0\0\x0DIHDR", 8);
  png += std::string("\0\0\0\x10\0\0\0\x10", 8);  // 16 x 16
  png += static_cast<char>(8);
  png += static_cast<char>(colourType);
  png += std::string(3, '\0') + "crc!" + std::string("\0\0\0\0IDAT", 8);
  return png;
}

std::string Picture(int id, long long cx, long long cy) {
  return "<p:pic><p:nvPicPr><p:cNvPr id=\"" + std::to_string(id) + "\" name=\"Picture " +
         std::to_string(id) + "\"/><p:cNvPicPr/><p:nvPr/></p:nvPicPr><p:blipFill><a:blip "
         "r:embed=\"rId2\"/><a:stretch><a:fillRect/></a:stretch></p:blipFill><p:spPr><a:xfrm>"
         "<a:off x=\"0\" y=\"0\"/><a:ext cx=\"" + std::to_string(cx) + "\" cy=\"" +
         std::to_string(cy) + "\"/></a:xfrm><a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom>"
         "</p:spPr></p:pic>";
}

// A slide whose own picture or embedded object covers most of it hides its master's mark:
// such a slide gets a mark of its own right in front of that backdrop, behind the rest of the
// slide. A picture that lets the page through, or covers less of the slide, leaves the slide
// as it was; a restamp replaces each mark.
TEST(PresentationPackage, ASlideWhoseOwnBackdropHidesTheMasterGetsItsOwnMarkInFrontOfIt) {
  test::TempDir dir;
  const std::string ml = "application/vnd.openxmlformats-officedocument.presentationml.";
  const long long w = 9144000, h = 6858000;
  const std::string ole =
      "<p:graphicFrame><p:nvGraphicFramePr><p:cNvPr id=\"20\" name=\"Object 20\"/>"
      "<p:cNvGraphicFramePr/><p:nvPr/></p:nvGraphicFramePr><p:xfrm><a:off x=\"0\" y=\"0\"/>"
      "<a:ext cx=\"9144000\" cy=\"6858000\"/></p:xfrm><a:graphic><a:graphicData "
      "uri=\"http://schemas.openxmlformats.org/presentationml/2006/ole\"><p:oleObj "
      "name=\"Slide\" r:id=\"rId2\" progId=\"PowerPoint.Slide.8\"><p:embed/></p:oleObj>"
      "</a:graphicData></a:graphic></p:graphicFrame>";
  // slide: its shapes and the file its rId2 names
  const std::vector<std::pair<std::string, std::string>> slides = {
      {Placeholder(2), ""},                                                   // 1: plain
      {Picture(10, w, h) + Placeholder(11), "../media/opaque.png"},           // 2: covered
      {Picture(10, w, h) + Placeholder(11), "../media/seethrough.png"},       // 3: alpha
      {Picture(10, w / 2, h) + Placeholder(11), "../media/opaque.png"},       // 4: half
      {ole + Placeholder(21), "../embeddings/oleObject1.bin"},                // 5: object
      {Placeholder(2), ""},                                                   // 6: no master
  };
  std::vector<std::pair<std::string, std::string>> types = {
      {"/ppt/presentation.xml", ml + "presentation.main+xml"},
      {"/ppt/slideMasters/slideMaster1.xml", ml + "slideMaster+xml"},
      {"/ppt/slideLayouts/slideLayout1.xml", ml + "slideLayout+xml"}};
  std::vector<std::array<std::string, 3>> presRels = {
      {"rId1", "slideMaster", "slideMasters/slideMaster1.xml"}};
  Entries e = {
      {"_rels/.rels", Rels({{"rId1", "officeDocument", "ppt/presentation.xml"}})},
      {"ppt/presentation.xml",
       PresentationPart(1)},
      {"ppt/slideMasters/slideMaster1.xml", ShapeTree("sldMaster", Placeholder(2))},
      {"ppt/slideMasters/_rels/slideMaster1.xml.rels",
       Rels({{"rId1", "slideLayout", "../slideLayouts/slideLayout1.xml"}})},
      {"ppt/slideLayouts/slideLayout1.xml", ShapeTree("sldLayout", Placeholder(2))},
      {"ppt/media/opaque.png", PngHead(2)},
      {"ppt/media/seethrough.png", PngHead(6)},
      {"ppt/embeddings/oleObject1.bin", "an embedded slide"},
  };
  for (std::size_t i = 0; i < slides.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    const std::string part = "ppt/slides/slide" + n + ".xml";
    types.push_back({"/" + part, ml + "slide+xml"});
    presRels.push_back({"rId" + std::to_string(i + 2), "slide", "slides/slide" + n + ".xml"});
    e.push_back({part, ShapeTree("sld", slides[i].first, i == 5 ? " showMasterSp=\"0\"" : "")});
    std::vector<std::array<std::string, 3>> rels = {
        {"rId1", "slideLayout", "../slideLayouts/slideLayout1.xml"}};
    if (!slides[i].second.empty())
      rels.push_back({"rId2", i == 4 ? "oleObject" : "image", slides[i].second});
    e.push_back({"ppt/slides/_rels/slide" + n + ".xml.rels", Rels(rels)});
  }
  e.push_back({"[Content_Types].xml", ContentTypes(types)});
  e.push_back({"ppt/_rels/presentation.xml.rels", Rels(presRels)});
  test::WritePackage(dir / "in.pptx", e);

  const auto r = Stamp(dir / "in.pptx", dir / "out.pptx");
  EXPECT_EQ(r.marks, 4) << "the master, slides 2 and 5, and slide 6, which hides the master";
  for (const int n : {1, 3, 4})
    EXPECT_EQ(r.after.at("ppt/slides/slide" + std::to_string(n) + ".xml").data,
              r.before.at("ppt/slides/slide" + std::to_string(n) + ".xml").data)
        << "slide " << n;
  for (const int n : {2, 5}) {
    const std::string part = "ppt/slides/slide" + std::to_string(n) + ".xml";
    pugi::xml_document doc;
    doc.load_string(r.after.at(part).data.c_str());
    const auto tree = doc.select_node("//p:spTree").node();
    std::vector<std::string> order;
    for (const auto& c : tree.children())
      if (const auto id = c.select_node(".//p:cNvPr").node()) order.push_back(id.attribute("name").value());
    ASSERT_EQ(order.size(), 4u) << part;
    EXPECT_EQ(order[2], "QuillmarkWaterMarkObject1") << part << ": in front of the backdrop";
    EXPECT_EQ(order[3].rfind("Title", 0), 0u) << part << ": behind the slide's title";
    EXPECT_TRUE(test::MissingItems(r.before.at(part).data, r.after.at(part).data).empty()) << part;
  }
  {  // A slide hiding its master has the mark behind all its shapes.
    pugi::xml_document doc;
    doc.load_string(r.after.at("ppt/slides/slide6.xml").data.c_str());
    const auto first = doc.select_node("//p:spTree").node().child("p:grpSpPr").next_sibling();
    EXPECT_STREQ(first.select_node("p:nvSpPr/p:cNvPr").node().attribute("name").value(),
                 "QuillmarkWaterMarkObject1");
  }
  const auto again = Stamp(dir / "out.pptx", dir / "again.pptx");
  EXPECT_EQ(again.marks, 4);
  for (const auto& [name, entry] : again.after)
    EXPECT_LE(MarksIn(entry.data), 1) << name;
  int marks = 0;
  for (const auto& [name, entry] : again.after) marks += MarksIn(entry.data);
  EXPECT_EQ(marks, 4);
}

// A design's backdrop lies on its master or its layouts (LibreOffice writes a design's picture
// into every layout): a mark behind it would show on no slide. A master with a gradient over
// the whole slide takes the mark right in front of it; a layout that shows its master but
// covers it with its own opaque picture takes a mark of its own in front of that picture; a
// layout with no backdrop of its own stays as it was, as does one whose picture lets the page
// through.
TEST(PresentationPackage, ABackdropOfAMasterOrLayoutHasTheMarkInFrontOfIt) {
  test::TempDir dir;
  const std::string ml = "application/vnd.openxmlformats-officedocument.presentationml.";
  const long long w = 9144000, h = 6858000;
  auto gradient = [](const std::string& stopAlpha) {
    return "<p:sp><p:nvSpPr><p:cNvPr id=\"5\" name=\"Design\"/><p:cNvSpPr/><p:nvPr/></p:nvSpPr>"
           "<p:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext cx=\"9144000\" cy=\"6858000\"/></a:xfrm>"
           "<a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom><a:gradFill><a:gsLst>"
           "<a:gs pos=\"0\"><a:srgbClr val=\"102040\"/></a:gs><a:gs pos=\"100000\">"
           "<a:srgbClr val=\"204080\">" + stopAlpha + "</a:srgbClr></a:gs></a:gsLst>"
           "</a:gradFill></p:spPr></p:sp>";
  };
  Entries e = {
      {"[Content_Types].xml",
       ContentTypes({{"/ppt/presentation.xml", ml + "presentation.main+xml"},
                     {"/ppt/slideMasters/slideMaster1.xml", ml + "slideMaster+xml"},
                     {"/ppt/slideMasters/slideMaster2.xml", ml + "slideMaster+xml"},
                     {"/ppt/slideLayouts/slideLayout1.xml", ml + "slideLayout+xml"},
                     {"/ppt/slideLayouts/slideLayout2.xml", ml + "slideLayout+xml"},
                     {"/ppt/slideLayouts/slideLayout3.xml", ml + "slideLayout+xml"}})},
      {"_rels/.rels", Rels({{"rId1", "officeDocument", "ppt/presentation.xml"}})},
      {"ppt/presentation.xml",
       PresentationPart(2)},
      {"ppt/_rels/presentation.xml.rels",
       Rels({{"rId1", "slideMaster", "slideMasters/slideMaster1.xml"},
             {"rId2", "slideMaster", "slideMasters/slideMaster2.xml"}})},
      {"ppt/slideMasters/slideMaster1.xml",
       ShapeTree("sldMaster", gradient("") + Placeholder(2))},
      {"ppt/slideMasters/_rels/slideMaster1.xml.rels",
       Rels({{"rId1", "slideLayout", "../slideLayouts/slideLayout1.xml"},
             {"rId2", "slideLayout", "../slideLayouts/slideLayout2.xml"},
             {"rId3", "slideLayout", "../slideLayouts/slideLayout3.xml"}})},
      // A gradient that lets the page through is no backdrop: the mark stays at the back.
      {"ppt/slideMasters/slideMaster2.xml",
       ShapeTree("sldMaster", gradient("<a:alpha val=\"50000\"/>") + Placeholder(2))},
      {"ppt/slideLayouts/slideLayout1.xml",
       ShapeTree("sldLayout", Picture(10, w, h) + Placeholder(11))},
      {"ppt/slideLayouts/_rels/slideLayout1.xml.rels",
       Rels({{"rId1", "slideMaster", "../slideMasters/slideMaster1.xml"},
             {"rId2", "image", "../media/opaque.png"}})},
      {"ppt/slideLayouts/slideLayout2.xml", ShapeTree("sldLayout", Placeholder(2))},
      {"ppt/slideLayouts/slideLayout3.xml",
       ShapeTree("sldLayout", Picture(10, w, h) + Placeholder(11))},
      {"ppt/slideLayouts/_rels/slideLayout3.xml.rels",
       Rels({{"rId1", "slideMaster", "../slideMasters/slideMaster1.xml"},
             {"rId2", "image", "../media/seethrough.png"}})},
      {"ppt/media/opaque.png", PngHead(2)},
      {"ppt/media/seethrough.png", PngHead(6)},
  };
  test::WritePackage(dir / "in.pptx", e);
  const auto r = Stamp(dir / "in.pptx", dir / "out.pptx");
  EXPECT_EQ(r.marks, 3) << "both masters and the covered layout";
  auto order = [&r](const std::string& part) {
    pugi::xml_document doc;
    doc.load_string(r.after.at(part).data.c_str());
    std::vector<std::string> names;
    for (const auto& c : doc.select_node("//p:spTree").node().children())
      if (const auto id = c.select_node(".//p:cNvPr").node()) names.push_back(id.attribute("name").value());
    return names;
  };
  const std::string mark = "QuillmarkWaterMarkObject1";
  EXPECT_EQ(order("ppt/slideMasters/slideMaster1.xml"),
            (std::vector<std::string>{"", "Design", mark, "Title 2"}));
  EXPECT_EQ(order("ppt/slideMasters/slideMaster2.xml"),
            (std::vector<std::string>{"", mark, "Design", "Title 2"}));
  EXPECT_EQ(order("ppt/slideLayouts/slideLayout1.xml"),
            (std::vector<std::string>{"", "Picture 10", mark, "Title 11"}));
  for (const char* plain : {"ppt/slideLayouts/slideLayout2.xml", "ppt/slideLayouts/slideLayout3.xml"})
    EXPECT_EQ(r.after.at(plain).data, r.before.at(plain).data) << plain;
  for (const auto& [name, entry] : r.after)
    if (r.before.count(name))
      EXPECT_TRUE(test::MissingItems(r.before.at(name).data, entry.data).empty()) << name;
  const auto again = Stamp(dir / "out.pptx", dir / "again.pptx");
  EXPECT_EQ(again.marks, 3);
  for (const auto& [name, entry] : again.after) EXPECT_LE(MarksIn(entry.data), 1) << name;
}

std::string FilledRect(int id, long long x, long long y, long long cx, long long cy) {
  return "<p:sp><p:nvSpPr><p:cNvPr id=\"" + std::to_string(id) + "\" name=\"Shape " +
         std::to_string(id) + "\"/><p:cNvSpPr/><p:nvPr/></p:nvSpPr><p:spPr><a:xfrm><a:off x=\"" +
         std::to_string(x) + "\" y=\"" + std::to_string(y) + "\"/><a:ext cx=\"" +
         std::to_string(cx) + "\" cy=\"" + std::to_string(cy) + "\"/></a:xfrm><a:prstGeom "
         "prst=\"rect\"><a:avLst/></a:prstGeom><a:solidFill><a:srgbClr val=\"000000\"/>"
         "</a:solidFill></p:spPr></p:sp>";
}

// No one shape covers most of these slides, but large ones side by side do: a band over the
// top 55 % and, below it, a group of keys (a group has no fill of its own; its members are
// drawn in a space of their own, half the size, that the group stretches onto the slide).
// The slide gets its mark in front of both; a slide with the band alone stays as it was.
TEST(PresentationPackage, LargeShapesSideBySideAreABackdropTogether) {
  test::TempDir dir;
  const std::string ml = "application/vnd.openxmlformats-officedocument.presentationml.";
  const long long w = 9144000, h = 6858000, band = h * 55 / 100;
  std::string keys = "<p:grpSp><p:nvGrpSpPr><p:cNvPr id=\"20\" name=\"Keys\"/><p:cNvGrpSpPr/>"
                     "<p:nvPr/></p:nvGrpSpPr><p:grpSpPr><a:xfrm><a:off x=\"0\" y=\"" +
                     std::to_string(band) + "\"/><a:ext cx=\"" + std::to_string(w) + "\" cy=\"" +
                     std::to_string(h - band) + "\"/><a:chOff x=\"0\" y=\"0\"/><a:chExt cx=\"" +
                     std::to_string(w / 2) + "\" cy=\"" + std::to_string((h - band) / 2) +
                     "\"/></a:xfrm></p:grpSpPr>";
  for (int i = 0; i < 5; ++i)
    keys += FilledRect(21 + i, i * w / 10, 0, w / 10, (h - band) / 2);
  keys += "</p:grpSp>";
  Entries e = {
      {"[Content_Types].xml",
       ContentTypes({{"/ppt/presentation.xml", ml + "presentation.main+xml"},
                     {"/ppt/slideMasters/slideMaster1.xml", ml + "slideMaster+xml"},
                     {"/ppt/slideLayouts/slideLayout1.xml", ml + "slideLayout+xml"},
                     {"/ppt/slides/slide1.xml", ml + "slide+xml"},
                     {"/ppt/slides/slide2.xml", ml + "slide+xml"}})},
      {"_rels/.rels", Rels({{"rId1", "officeDocument", "ppt/presentation.xml"}})},
      {"ppt/presentation.xml",
       PresentationPart(1)},
      {"ppt/_rels/presentation.xml.rels",
       Rels({{"rId1", "slideMaster", "slideMasters/slideMaster1.xml"},
             {"rId2", "slide", "slides/slide1.xml"},
             {"rId3", "slide", "slides/slide2.xml"}})},
      {"ppt/slideMasters/slideMaster1.xml", ShapeTree("sldMaster", Placeholder(2))},
      {"ppt/slideMasters/_rels/slideMaster1.xml.rels",
       Rels({{"rId1", "slideLayout", "../slideLayouts/slideLayout1.xml"}})},
      {"ppt/slideLayouts/slideLayout1.xml", ShapeTree("sldLayout", Placeholder(2))},
      {"ppt/slides/slide1.xml",
       ShapeTree("sld", FilledRect(10, 0, 0, w, band) + keys + Placeholder(30))},
      {"ppt/slides/_rels/slide1.xml.rels",
       Rels({{"rId1", "slideLayout", "../slideLayouts/slideLayout1.xml"}})},
      {"ppt/slides/slide2.xml", ShapeTree("sld", FilledRect(10, 0, 0, w, band) + Placeholder(30))},
      {"ppt/slides/_rels/slide2.xml.rels",
       Rels({{"rId1", "slideLayout", "../slideLayouts/slideLayout1.xml"}})},
  };
  test::WritePackage(dir / "in.pptx", e);
  const auto r = Stamp(dir / "in.pptx", dir / "out.pptx");
  EXPECT_EQ(r.marks, 2) << "the master and the first slide";
  pugi::xml_document doc;
  doc.load_string(r.after.at("ppt/slides/slide1.xml").data.c_str());
  std::vector<std::string> order;
  for (const auto& c : doc.select_node("//p:spTree").node().children())
    if (const auto nv = c.find_child([](const pugi::xml_node& n) {
          return std::string(n.name()).rfind("p:nv", 0) == 0;
        }))
      order.push_back(nv.child("p:cNvPr").attribute("name").value());
  EXPECT_EQ(order, (std::vector<std::string>{"", "Shape 10", "Keys", "QuillmarkWaterMarkObject1",
                                             "Title 30"}));
  EXPECT_EQ(r.after.at("ppt/slides/slide2.xml").data, r.before.at("ppt/slides/slide2.xml").data);
}

// --- Excel ---

std::string Worksheet(int rows, int cols, const std::string& tail = "") {
  std::string xml = kDecl +
                    "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                    "<sheetData>";
  for (int r = 1; r <= rows; ++r) {
    xml += "<row r=\"" + std::to_string(r) + "\">";
    for (int c = 1; c <= cols; ++c)
      xml += "<c><v>" + std::to_string(r * c) + "</v></c>";
    xml += "</row>";
  }
  return xml + "</sheetData><pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" "
               "header=\"0.3\" footer=\"0.3\"/><pageSetup paperSize=\"9\"/>" + tail + "</worksheet>";
}

Entries Workbook(int activeTab) {
  const std::string sm = "application/vnd.openxmlformats-officedocument.spreadsheetml.";
  return {
      {"[Content_Types].xml",
       ContentTypes({{"/xl/workbook.xml", sm + "sheet.main+xml"},
                     {"/xl/worksheets/sheet1.xml", sm + "worksheet+xml"},
                     {"/xl/worksheets/sheet2.xml", sm + "worksheet+xml"},
                     {"/xl/worksheets/sheet3.xml", sm + "worksheet+xml"},
                     {"/xl/worksheets/sheet4.xml", sm + "worksheet+xml"}})},
      {"_rels/.rels", Rels({{"rId1", "officeDocument", "xl/workbook.xml"}})},
      {"xl/workbook.xml",
       kDecl + "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
               "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
               "<bookViews><workbookView activeTab=\"" + std::to_string(activeTab) + "\"/></bookViews><sheets>"
               "<sheet name=\"Big\" sheetId=\"1\" r:id=\"rId1\"/>"
               "<sheet name=\"Hidden\" sheetId=\"2\" state=\"hidden\" r:id=\"rId2\"/>"
               "<sheet name=\"Small\" sheetId=\"3\" r:id=\"rId3\"/>"
               "<sheet name=\"Empty\" sheetId=\"4\" r:id=\"rId4\"/></sheets></workbook>"},
      {"xl/_rels/workbook.xml.rels",
       Rels({{"rId1", "worksheet", "worksheets/sheet1.xml"},
             {"rId2", "worksheet", "worksheets/sheet2.xml"},
             {"rId3", "worksheet", "worksheets/sheet3.xml"},
             {"rId4", "worksheet", "worksheets/sheet4.xml"}})},
      // 120 rows x 14 columns of A4: two pages across, three down.
      {"xl/worksheets/sheet1.xml", Worksheet(120, 14)},
      {"xl/worksheets/sheet2.xml", Worksheet(5, 3)},
      {"xl/worksheets/sheet3.xml", Worksheet(5, 3, "<tableParts count=\"0\"/>")},
      {"xl/worksheets/sheet4.xml", Worksheet(0, 0)},
  };
}

// The anchors of a drawing: first column and row, extent in points.
struct RAnchor {
  int col, row;
  double cx, cy;
};
std::vector<RAnchor> Anchors(const std::string& xml) {
  pugi::xml_document doc;
  doc.load_string(xml.c_str());
  std::vector<RAnchor> out;
  for (const auto& a : doc.select_nodes("//xdr:oneCellAnchor"))
    out.push_back({a.node().select_node("xdr:from/xdr:col").node().text().as_int(),
                   a.node().select_node("xdr:from/xdr:row").node().text().as_int(),
                   a.node().child("xdr:ext").attribute("cx").as_double() / 12700,
                   a.node().child("xdr:ext").attribute("cy").as_double() / 12700});
  return out;
}

std::string DrawingOf(const RStamped& r, const std::string& sheet) {
  const auto rels = r.after.find("xl/worksheets/_rels/" + sheet + ".rels");
  if (rels == r.after.end()) return "";
  pugi::xml_document doc;
  doc.load_string(rels->second.data.c_str());
  const auto rel = doc.select_node("//*[contains(@Type,'/drawing')]").node();
  return rel ? r.after.at("xl/" + std::string(rel.attribute("Target").value()).substr(3)).data : "";
}

TEST(WorkbookPackage, EveryPrintedPageOfEveryShownSheetCarriesAMark) {
  test::TempDir dir;
  test::WritePackage(dir / "in.xlsx", Workbook(0));
  const auto r = Stamp(dir / "in.xlsx", dir / "out.xlsx");
  const auto big = Anchors(DrawingOf(r, "sheet1.xml"));
  ASSERT_EQ(big.size(), 6u);
  std::set<std::pair<int, int>> corners;
  for (const auto& a : big) {
    corners.insert({a.col, a.row});
    // Wholly inside one A4 page's cells (about 480 x 740 points of them).
    EXPECT_LT(a.cx * 0.7071 + a.cy * 0.7071, 480 * 0.61);
  }
  EXPECT_EQ(corners.size(), 6u) << "one mark per page, each on its own";
  EXPECT_EQ(Anchors(DrawingOf(r, "sheet2.xml")).size(), 0u) << "a hidden sheet does not print";
  EXPECT_EQ(Anchors(DrawingOf(r, "sheet3.xml")).size(), 1u);
  EXPECT_EQ(DrawingOf(r, "sheet4.xml"), "") << "an empty sheet prints nothing";
  // The drawing element goes where the schema puts it: before tableParts.
  const std::string small = r.after.at("xl/worksheets/sheet3.xml").data;
  EXPECT_LT(small.find("<drawing "), small.find("<tableParts"));
  EXPECT_TRUE(test::MissingItems(r.before.at("xl/worksheets/sheet3.xml").data, small).empty());

  // A restamp keeps one mark per page; a restamp of the active sheet only takes the others.
  const auto again = Stamp(dir / "out.xlsx", dir / "again.xlsx");
  EXPECT_EQ(Anchors(DrawingOf(again, "sheet1.xml")).size(), 6u);
  EXPECT_EQ(again.after.size(), r.after.size());
  const auto active = Stamp(dir / "out.xlsx", dir / "active.xlsx", CaseSettings(), true);
  EXPECT_EQ(active.marks, 1);
  EXPECT_EQ(Anchors(DrawingOf(active, "sheet1.xml")).size(), 1u);
  EXPECT_EQ(Anchors(DrawingOf(active, "sheet3.xml")).size(), 0u);
}

TEST(WorkbookPackage, TheActiveSheetOnlyGetsOneMark) {
  test::TempDir dir;
  test::WritePackage(dir / "in.xlsx", Workbook(2));
  const auto r = Stamp(dir / "in.xlsx", dir / "out.xlsx", CaseSettings(), true);
  EXPECT_EQ(r.marks, 1);
  EXPECT_EQ(DrawingOf(r, "sheet1.xml"), "");
  EXPECT_EQ(Anchors(DrawingOf(r, "sheet3.xml")).size(), 1u);
}

// One sheet whose print range is defined by name: sheetXml is the whole worksheet part, the
// workbook's styles give format 1 a solid fill.
Entries PrintRangeBook(const std::string& area, const std::string& sheetXml) {
  const std::string sm = "application/vnd.openxmlformats-officedocument.spreadsheetml.";
  return {
      {"[Content_Types].xml",
       ContentTypes({{"/xl/workbook.xml", sm + "sheet.main+xml"},
                     {"/xl/styles.xml", sm + "styles+xml"},
                     {"/xl/worksheets/sheet1.xml", sm + "worksheet+xml"}})},
      {"_rels/.rels", Rels({{"rId1", "officeDocument", "xl/workbook.xml"}})},
      {"xl/workbook.xml",
       kDecl + "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
               "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
               "<sheets><sheet name=\"One\" sheetId=\"1\" r:id=\"rId1\"/></sheets><definedNames>"
               "<definedName name=\"_xlnm.Print_Area\" localSheetId=\"0\">" + area +
               "</definedName></definedNames></workbook>"},
      {"xl/_rels/workbook.xml.rels",
       Rels({{"rId1", "worksheet", "worksheets/sheet1.xml"}, {"rId2", "styles", "styles.xml"}})},
      {"xl/styles.xml",
       kDecl + "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
               "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill><fill>"
               "<patternFill patternType=\"solid\"><fgColor rgb=\"FFCCCCCC\"/></patternFill></fill>"
               "</fills><borders count=\"1\"><border><left/><right/><top/><bottom/></border></borders>"
               "<cellXfs count=\"2\"><xf fillId=\"0\" borderId=\"0\"/><xf fillId=\"1\" "
               "borderId=\"0\"/></cellXfs></styleSheet>"},
      {"xl/worksheets/sheet1.xml", sheetXml},
  };
}

// A sheet of A4 fitted to one page: a row of three cells, then rows (columns) that hold
// what the user left out of the print range of that first row.
std::string OneRowSheet(const std::string& below, const std::string& options = "") {
  return kDecl + "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                 "<sheetPr><pageSetUpPr fitToPage=\"1\"/></sheetPr><sheetData>"
                 "<row r=\"1\"><c r=\"A1\" s=\"1\"><v>1</v></c><c r=\"B1\"><v>2</v></c>"
                 "<c r=\"C1\"><v>3</v></c></row>" + below + "</sheetData>" + options +
         "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" "
         "footer=\"0.3\"/><pageSetup paperSize=\"9\"/></worksheet>";
}

std::string PrintAreaOf(const RStamped& r) {
  pugi::xml_document doc;
  doc.load_string(r.after.at("xl/workbook.xml").data.c_str());
  return doc.select_node("//definedName[@name='_xlnm.Print_Area']").node().text().get();
}

TEST(WorkbookPackage, APrintRangeTooSmallForAReadableMarkGrowsOverBlankCellsOnly) {
  test::TempDir dir;
  // One row printed, blank cells below and beside it: the range takes in most of the page,
  // and the mark, inside it, is of a size to read (a mark kept in the row is some 20 points
  // wide).
  test::WritePackage(dir / "blank.xlsx", PrintRangeBook("'One'!$A$1:$C$1", OneRowSheet("")));
  const auto blank = Stamp(dir / "blank.xlsx", dir / "blank-out.xlsx");
  EXPECT_EQ(PrintAreaOf(blank), "'One'!$A$1:$G$37");
  // Said, for the run's log: the user's print range is not changed in silence.
  EXPECT_EQ(blank.notes, std::vector<std::string>{"the print range of sheet \"One\" grew from "
                                                  "$A$1:$C$1 to $A$1:$G$37 to hold a readable mark"});
  auto marks = Anchors(DrawingOf(blank, "sheet1.xml"));
  ASSERT_EQ(marks.size(), 1u);
  EXPECT_GT(marks[0].cx, 150);
  EXPECT_LE(marks[0].col, 6);
  EXPECT_LE(marks[0].row, 36);
  // Restamped, the grown range stays as it is and the mark is the same.
  const auto again = Stamp(dir / "blank-out.xlsx", dir / "again.xlsx");
  EXPECT_EQ(PrintAreaOf(again), "'One'!$A$1:$G$37");
  EXPECT_EQ(Anchors(DrawingOf(again, "sheet1.xml")).size(), 1u);
  EXPECT_TRUE(again.notes.empty());

  // Cells the user left out stop the growth before them: a filled cell in column F, a
  // value in row 12.
  test::WritePackage(dir / "held.xlsx",
                     PrintRangeBook("'One'!$A$1:$C$1",
                                    OneRowSheet("<row r=\"5\"><c r=\"F5\" s=\"1\"/></row>"
                                                "<row r=\"12\"><c r=\"B12\"><v>9</v></c></row>")));
  const auto held = Stamp(dir / "held.xlsx", dir / "held-out.xlsx");
  EXPECT_EQ(PrintAreaOf(held), "'One'!$A$1:$E$11");
  marks = Anchors(DrawingOf(held, "sheet1.xml"));
  ASSERT_EQ(marks.size(), 1u);
  EXPECT_LE(marks[0].col, 4);
  EXPECT_LE(marks[0].row, 10);

  // Printed grid lines would show the grown cells: the range stays, the mark keeps inside.
  test::WritePackage(dir / "grid.xlsx",
                     PrintRangeBook("'One'!$A$1:$C$1",
                                    OneRowSheet("", "<printOptions gridLines=\"1\"/>")));
  const auto grid = Stamp(dir / "grid.xlsx", dir / "grid-out.xlsx");
  EXPECT_EQ(grid.after.at("xl/workbook.xml").data, grid.before.at("xl/workbook.xml").data);
  marks = Anchors(DrawingOf(grid, "sheet1.xml"));
  ASSERT_EQ(marks.size(), 1u);
  EXPECT_LT(marks[0].cx, 30);
  EXPECT_EQ(marks[0].row, 0);

  // A print range of half a page holds a readable mark as it is: it stays.
  test::WritePackage(dir / "half.xlsx", PrintRangeBook("'One'!$A$1:$H$25", Worksheet(25, 8)));
  const auto half = Stamp(dir / "half.xlsx", dir / "half-out.xlsx");
  EXPECT_EQ(half.after.at("xl/workbook.xml").data, half.before.at("xl/workbook.xml").data);
  EXPECT_EQ(Anchors(DrawingOf(half, "sheet1.xml")).size(), 1u);
}

// --- VML shape types of Word parts written by the LibreOffice path ---

TEST(WordPackageShapeTypes, PartsGetTheDefinitionsTheyUseAndLack) {
  const std::string type =
      "<v:shapetype id=\"_x0000_t136\" coordsize=\"21600,21600\" o:spt=\"136\">"
      "<v:path textpathok=\"t\"/><v:textpath on=\"t\" fitshape=\"t\"/></v:shapetype>";
  const std::string body = "<w:body><w:p><w:r><w:pict>" + type +
                           "<v:shape id=\"a\" type=\"#_x0000_t136\"/></w:pict></w:r></w:p>"
                           "<v:shapetype id=\"_x0000_t75\"/></w:body>";
  const auto known = ooxml::VmlShapeTypes(body);
  ASSERT_EQ(known.size(), 2u);
  EXPECT_TRUE(test::MissingItems(type, known.at("_x0000_t136")).empty());
  EXPECT_TRUE(test::MissingItems(known.at("_x0000_t136"), type).empty());

  const std::string header =
      "<w:hdr><w:p><w:r><w:pict><v:shape id=\"m\" type=\"_x0000_t136\" style=\"x\">"
      "<v:textpath string=\"MARK\"/></v:shape></w:pict></w:r>"
      "<w:r><w:pict><v:shape id=\"n\" type=\"#_x0000_t136\"/></w:pict></w:r></w:p></w:hdr>";
  const std::string completed = ooxml::WithVmlShapeTypes(header, known);
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_string(completed.c_str()));
  // Defined once, right before the first shape that uses it.
  ASSERT_EQ(doc.select_nodes("//v:shapetype").size(), 1u);
  EXPECT_STREQ(doc.select_node("//w:pict").node().first_child().name(), "v:shapetype");
  EXPECT_TRUE(test::MissingItems(header, completed).empty());
  EXPECT_EQ(ooxml::WithVmlShapeTypes(completed, known), completed);
  EXPECT_EQ(ooxml::WithVmlShapeTypes(body, known), body);
  const std::string unknown = "<w:hdr><v:shape type=\"#_x0000_t202\"/><v:shapes/></w:hdr>";
  EXPECT_EQ(ooxml::WithVmlShapeTypes(unknown, known), unknown);
  EXPECT_TRUE(ooxml::VmlShapeTypes("<w:hdr><v:shapetypes id=\"x\"/></w:hdr>").empty());
  EXPECT_EQ(ooxml::WithVmlShapeTypes("<w:hdr><unclosed>", known), "<w:hdr><unclosed>");
}

TEST(WordPackageShapeTypes, APackageIsCompletedInPlace) {
  test::TempDir dir;
  const std::string type = "<v:shapetype id=\"_x0000_t136\" o:spt=\"136\"/>";
  auto entries = WordPackage(
      "<w:p><w:r><w:pict>" + type + "<v:shape type=\"#_x0000_t136\"/></w:pict></w:r></w:p>"
      "<w:sectPr>" + Ref("default", 1) + "</w:sectPr>",
      {{"header1.xml", Header("<w:p><w:r><w:pict><v:shape id=\"m\" type=\"#_x0000_t136\"/>"
                              "</w:pict></w:r></w:p>")}},
      false);
  test::WritePackage(dir / "lo.docx", entries);
  const auto before = test::ReadEntries(dir / "lo.docx");
  EXPECT_EQ(ooxml::CompleteVmlShapeTypes(dir / "lo.docx"), 1);
  const auto after = test::ReadEntries(dir / "lo.docx");
  EXPECT_NE(after.at("word/header1.xml").data.find("v:shapetype"), std::string::npos);
  EXPECT_EQ(after.at("word/document.xml").data, before.at("word/document.xml").data);
  EXPECT_EQ(ooxml::CompleteVmlShapeTypes(dir / "lo.docx"), 0);
  EXPECT_THROW(ooxml::CompleteVmlShapeTypes(dir / "missing.docx"), ooxml::EPackageError);
}

}  // namespace
}  // namespace stampwell

namespace stampwell {
namespace {

TEST(MarkStyle, SettingsInThePackagesUnitsAndOurNamesOnly) {
  RDocSettings s = CaseSettings();
  s.DocWatermarkSize = " 2000 ";
  EXPECT_EQ(ooxml::MarkStyleOf(s).SizePt, 1638);
  s.DocWatermarkSize = "0";
  EXPECT_THROW(ooxml::MarkStyleOf(s), std::invalid_argument);
  s.DocWatermarkSize = "";
  EXPECT_THROW(ooxml::MarkStyleOf(s), std::invalid_argument);
  s.DocWatermarkSize = "40";
  s.DocFontName = "";
  EXPECT_EQ(ooxml::MarkStyleOf(s).Font, "Times New Roman");
  EXPECT_EQ(ooxml::RgbHex(0x000000FF), "FF0000");
  EXPECT_EQ(ooxml::RgbHex(0x00FF0000), "0000FF");
  EXPECT_TRUE(ooxml::IsMarkName("QuillmarkWaterMarkObject1"));
  EXPECT_TRUE(ooxml::IsMarkName("QuillmarkWaterMarkObject12"));
  EXPECT_FALSE(ooxml::IsMarkName("QuillmarkWaterMarkObject"));
  EXPECT_FALSE(ooxml::IsMarkName("QuillmarkWatermarkObject1"));
  EXPECT_FALSE(ooxml::IsMarkName("QuillmarkWaterMarkObject1 copy"));
  EXPECT_FALSE(ooxml::IsMarkName("PowerPlusWaterMarkObject1"));
}

}  // namespace
}  // namespace stampwell
