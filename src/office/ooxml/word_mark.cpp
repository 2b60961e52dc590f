// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <set>

#include "office/ooxml/package_stamps.h"
#include "office/ooxml/vml_shape_types.h"
#include "office/ooxml/xml_part.h"

namespace stampwell::ooxml {

namespace {

constexpr char kHeaderType[] =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.header+xml";
constexpr char kHeaderRel[] =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/header";
constexpr char kTextPathType[] = "_x0000_t136";

bool IsOn(const pugi::xml_node& flag, const std::string& wPrefix) {
  if (!flag) return false;
  const std::string value = flag.attribute((wPrefix + "val").c_str()).value();
  return value != "0" && value != "false" && value != "off";
}

// The part's text area in points, from a section's page size and margins (Word's defaults,
// Letter with one-inch margins, where the section does not say).
struct RArea {
  double width = 468, height = 648;
};

RArea TextArea(const pugi::xml_node& sectPr, const std::string& w) {
  auto twips = [&](const char* element, const char* attribute, double fallback) {
    const auto node = sectPr.child((w + element).c_str());
    const auto a = node.attribute((w + attribute).c_str());
    return a ? a.as_double() : fallback;
  };
  RArea area;
  if (!sectPr) return area;
  const double pageW = twips("pgSz", "w", 12240), pageH = twips("pgSz", "h", 15840);
  const double left = twips("pgMar", "left", 1440), right = twips("pgMar", "right", 1440);
  const double top = std::abs(twips("pgMar", "top", 1440));
  const double bottom = std::abs(twips("pgMar", "bottom", 1440));
  area.width = std::max(72.0, (pageW - left - right) / 20);
  area.height = std::max(72.0, (pageH - top - bottom) / 20);
  return area;
}

// The run text of a shape container (a text box's paragraphs), or a VML text path's string.
std::string ShapeText(const pugi::xml_node& container) {
  std::string text;
  for (const auto& node : container.select_nodes(".//*")) {
    const auto e = node.node();
    const std::string local = LocalName(e.name());
    if (local == "textpath" && e.attribute("string")) return e.attribute("string").value();
    if (local == "t") text += e.text().get();
  }
  return text;
}

// Percent escapes of the shape name record the LibreOffice path writes.
std::string Unescape(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size()) {
      out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

// The texts of the marks the LibreOffice path recorded in the document's custom properties
// (the format drops shape names, so that path writes them down with each shape's text).
std::set<std::string> RecordedMarkTexts(TZipPackage& package) {
  std::set<std::string> texts;
  TRelationships rootRels(package, "");
  for (const auto& part : rootRels.Targets("custom-properties")) {
    if (!package.Has(part)) continue;
    pugi::xml_document doc;
    try {
      ParseXml(doc, package.Read(part), part);
    } catch (const EPackageError&) {
      continue;
    }
    for (const auto& property : doc.document_element().children()) {
      if (std::string(property.attribute("name").value()) != "StampwellShapeNames") continue;
      const std::string record = property.first_child().text().get();
      std::size_t from = 0;
      while (from < record.size()) {
        std::size_t to = record.find('|', from);
        if (to == std::string::npos) to = record.size();
        const std::string entry = record.substr(from, to - from);
        from = to + 1;
        std::vector<std::string> fields;
        std::size_t f = 0;
        for (;;) {
          const std::size_t semi = entry.find(';', f);
          fields.push_back(entry.substr(f, semi == std::string::npos ? std::string::npos : semi - f));
          if (semi == std::string::npos) break;
          f = semi + 1;
        }
        if (fields.size() < 3) continue;
        try {
          if (IsMarkName(Unescape(fields[2])))
            texts.insert(fields.size() > 3 ? Unescape(fields[3]) : std::string());
        } catch (const std::exception&) {
          // a damaged entry names no mark
        }
      }
    }
  }
  return texts;
}

// Takes this program's earlier marks out of a header: VML shapes and drawing objects named
// as ours, and shapes carrying a text the LibreOffice path recorded for one of its marks.
// A run left holding nothing but its properties goes with them. Returns how many went.
int RemoveEarlierMarks(pugi::xml_node root, const std::set<std::string>& recordedTexts) {
  std::vector<pugi::xml_node> marks;
  for (const auto& found : root.select_nodes(".//*")) {
    const auto e = found.node();
    const std::string local = LocalName(e.name());
    bool ours = false;
    pugi::xml_node container;
    if ((local == "shape" || local == "rect" || local == "oval") &&
        std::strncmp(e.name(), "v:", 2) == 0) {
      ours = IsMarkName(e.attribute("id").value()) || IsMarkName(e.attribute("alt").value());
      container = e;
      if (!ours && !recordedTexts.empty())
        ours = recordedTexts.count(ShapeText(e)) > 0 && e.find_child([](pugi::xml_node c) {
                 return LocalName(c.name()) == "textpath";
               });
    } else if (local == "docPr") {
      ours = IsMarkName(e.attribute("name").value());
      // The drawing (inline or anchored) that holds this object.
      for (container = e.parent(); container && LocalName(container.name()) != "drawing";)
        container = container.parent();
      if (!ours && container && !recordedTexts.empty()) {
        const std::string text = ShapeText(container);
        ours = !text.empty() && recordedTexts.count(text) > 0;
      }
    }
    if (!ours || !container) continue;
    // Word's fallback pairs: the whole alternate content goes, choice and fallback.
    for (auto up = container.parent(); up && up != root; up = up.parent()) {
      const std::string name = LocalName(up.name());
      if (name == "AlternateContent") {
        container = up;
        break;
      }
      if (name == "r" || name == "p" || name == "txbxContent") break;
    }
    // A VML shape inside a w:pict: the picture goes when nothing else of it stays.
    if (LocalName(container.parent().name()) == "pict") {
      bool alone = true;
      for (const auto& sibling : container.parent().children())
        if (sibling != container && LocalName(sibling.name()) != "shapetype") alone = false;
      if (alone) container = container.parent();
    }
    marks.push_back(container);
  }
  int removed = 0;
  std::set<pugi::xml_node_struct*> gone;
  for (auto node : marks) {
    bool inside = false;
    for (auto up = node; up; up = up.parent())
      if (gone.count(up.internal_object())) inside = true;
    if (inside) continue;
    gone.insert(node.internal_object());
    auto run = node.parent();
    run.remove_child(node);
    ++removed;
    if (LocalName(run.name()) == "r") {
      bool empty = true;
      for (const auto& c : run.children())
        if (c.type() == pugi::node_element && LocalName(c.name()) != "rPr") empty = false;
      if (empty) run.parent().remove_child(run);
    }
  }
  return removed;
}

struct RWordPrefixes {
  std::string w, v, o, w10;  // each with its colon ("w:"), or empty for a default namespace
};

std::string WithColon(TNamespaces& names, const char* uri, const char* preferred) {
  const std::string q = names.Name(uri, "x", preferred);
  return q.substr(0, q.size() - 1);
}

// Word's text path shape type, as its Watermark command writes it beside the first mark of
// a part.
std::string TextPathShapeType(const RWordPrefixes& p) {
  std::string t = "<" + p.v + "shapetype id=\"" + kTextPathType +
                  "\" coordsize=\"21600,21600\" " + p.o +
                  "spt=\"136\" adj=\"10800\" path=\"m@7,l@8,m@5,21600l@6,21600e\"><" + p.v +
                  "formulas>";
  for (const char* eqn :
       {"sum #0 0 10800", "prod #0 2 1", "sum 21600 0 @1", "sum 0 0 @2", "sum 21600 0 @3",
        "if @0 @3 0", "if @0 21600 @1", "if @0 0 @2", "if @0 @4 21600", "mid @5 @6",
        "mid @8 @5", "mid @7 @8", "mid @6 @7", "sum @6 0 @5"})
    t += "<" + p.v + "f eqn=\"" + eqn + "\"/>";
  t += "</" + p.v + "formulas><" + p.v + "path textpathok=\"t\" " + p.o +
       "connecttype=\"custom\" " + p.o + "connectlocs=\"@9,0;@10,10800;@11,21600;@12,10800\" " +
       p.o + "connectangles=\"270,180,90,0\"/><" + p.v + "textpath on=\"t\" fitshape=\"t\"/><" +
       p.v + "handles><" + p.v + "h position=\"#0,bottomRight\" xrange=\"6629,14971\"/></" + p.v +
       "handles><" + p.o + "lock " + p.v + "ext=\"edit\" text=\"t\" shapetype=\"t\"/></" + p.v +
       "shapetype>";
  return t;
}

std::string Points(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1fpt", value);
  return text;
}

// The run holding the mark: Word's watermark shape, centred on the page's text area, behind
// the text, not wrapped. The box has the text's proportions (the text path fills it), and
// is made smaller when, turned, it would not fit the text area.
std::string MarkRun(const RWordPrefixes& p, const RMarkStyle& style, const std::string& name,
                    int spid, bool withShapeType, const RArea& area) {
  double width = TextWidthEm(style.Text) * style.SizePt;
  double height = style.SizePt * 1.25;
  const double turn = style.Rotation() * M_PI / 180;
  const double boxW = std::abs(width * std::cos(turn)) + std::abs(height * std::sin(turn));
  const double boxH = std::abs(width * std::sin(turn)) + std::abs(height * std::cos(turn));
  const double fit = std::min({1.0, area.width / boxW, area.height / boxH});
  width *= fit;
  height *= fit;
  std::string shapeStyle = "position:absolute;margin-left:0;margin-top:0;width:" +
                           Points(width) + ";height:" + Points(height) + ";";
  if (style.Rotation() != 0) shapeStyle += "rotation:" + std::to_string(style.Rotation()) + ";";
  shapeStyle +=
      "z-index:-251657216;mso-position-horizontal:center;mso-position-horizontal-relative:"
      "margin;mso-position-vertical:center;mso-position-vertical-relative:margin";
  std::string run = "<" + p.w + "r><" + p.w + "rPr><" + p.w + "noProof/></" + p.w + "rPr><" +
                    p.w + "pict>";
  if (withShapeType) run += TextPathShapeType(p);
  run += "<" + p.v + "shape id=\"" + XmlEscape(name) + "\" " + p.o + "spid=\"_x0000_s" +
         std::to_string(spid) + "\" type=\"#" + kTextPathType + "\" style=\"" + shapeStyle +
         "\" " + p.o + "allowincell=\"f\" fillcolor=\"#" + style.Rgb + "\" stroked=\"f\">";
  if (style.Transparent) run += "<" + p.v + "fill opacity=\".5\"/>";
  run += "<" + p.v + "textpath style=\"font-family:&quot;" + XmlEscape(style.Font) +
         "&quot;;font-size:" + std::to_string(int(style.SizePt)) + "pt\" string=\"" +
         XmlEscape(style.Text) + "\"/><" + p.w10 + "wrap anchorx=\"margin\" anchory=\"margin\"/></" +
         p.v + "shape></" + p.w + "pict></" + p.w + "r>";
  return run;
}

struct RHeader {
  std::string part;
  RArea area;
  bool created = false;
};

}  // namespace

int StampWordDocument(TZipPackage& package, const RMarkStyle& style) {
  TContentTypes types(package);
  TRelationships rootRels(package, "");
  const auto mains = rootRels.Targets("officeDocument");
  if (mains.empty() || !package.Has(mains.front()))
    throw EPackageError("the package has no main document part");
  const std::string main = mains.front();
  TRelationships docRels(package, main);
  pugi::xml_document doc;
  ParseXml(doc, package.Read(main), main);
  auto root = doc.document_element();
  TNamespaces names(root);
  std::string wUri = ns::W;
  for (const auto& a : root.attributes())
    if (std::string(a.value()) == "http://purl.oclc.org/ooxml/wordprocessingml/main") wUri = a.value();
  const std::string w = WithColon(names, ns::W, "w");
  auto body = root.child((w + "body").c_str());
  if (!body) throw EPackageError("the main document part has no body");

  // Different odd and even pages are a setting of the whole document.
  bool evenAndOdd = false;
  for (const auto& settingsPart : docRels.Targets("settings")) {
    if (!package.Has(settingsPart)) continue;
    pugi::xml_document settings;
    ParseXml(settings, package.Read(settingsPart), settingsPart);
    TNamespaces settingsNames(settings.document_element());
    std::string sw;
    if (settingsNames.Prefix(ns::W, sw) && !sw.empty()) sw += ":";
    evenAndOdd = IsOn(settings.document_element().child((sw + "evenAndOddHeaders").c_str()), sw);
  }

  // The sections in order: each paragraph's section break, then the body's last section.
  std::vector<pugi::xml_node> sections;
  for (const auto& found : body.select_nodes(".//*")) {
    const auto e = found.node();
    if (e.name() != w + "sectPr") continue;
    const std::string parent = e.parent().name();
    if (parent == w + "pPr" || e.parent() == body) sections.push_back(e);
  }
  if (sections.empty()) sections.push_back(body.append_child((w + "sectPr").c_str()));

  const std::string rId = names.Name(ns::R, "id", "r");
  std::vector<RHeader> headers;
  std::map<std::string, std::string> inherited;  // header kind -> part
  bool documentChanged = false;
  auto note = [&](const std::string& part, const RArea& area, bool created) {
    for (const auto& h : headers)
      if (h.part == part) return;
    headers.push_back({part, area, created});
  };
  for (auto& sectPr : sections) {
    std::map<std::string, std::string> own;
    // (The name outlives the loop: the range keeps only a pointer to it.)
    const std::string headerReference = w + "headerReference";
    for (const auto& ref : sectPr.children(headerReference.c_str())) {
      std::string kind = ref.attribute((w + "type").c_str()).value();
      if (kind.empty()) kind = "default";
      const std::string part = docRels.TargetOf(ref.attribute(rId.c_str()).value());
      if (!part.empty() && package.Has(part)) own[kind] = part;
    }
    for (const auto& [kind, part] : own) inherited[kind] = part;
    std::vector<std::string> shown = {"default"};
    if (IsOn(sectPr.child((w + "titlePg").c_str()), w)) shown.push_back("first");
    if (evenAndOdd) shown.push_back("even");
    const RArea area = TextArea(sectPr, w);
    for (const auto& kind : shown) {
      if (const auto at = inherited.find(kind); at != inherited.end()) {
        note(at->second, area, false);
        continue;
      }
      // No header of this kind yet: a new one carrying only the mark; later sections
      // without their own inherit it, as they would have inherited any.
      const std::string part = FreePartName(package, "word/", "header", ".xml");
      std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<w:hdr "
                        "xmlns:w=\"" + wUri + "\" xmlns:r=\"" + ns::R + "\" xmlns:v=\"" + ns::V +
                        "\" xmlns:o=\"" + ns::O + "\" xmlns:w10=\"" + ns::W10 +
                        "\"><w:p/></w:hdr>";
      package.Write(part, std::move(xml));
      types.AddOverride(part, kHeaderType);
      const std::string id = docRels.Add(kHeaderRel, part);
      auto ref = sectPr.prepend_child((w + "headerReference").c_str());
      ref.append_attribute((w + "type").c_str()) = kind.c_str();
      ref.append_attribute(rId.c_str()) = id.c_str();
      documentChanged = true;
      inherited[kind] = part;
      note(part, area, true);
    }
  }

  const std::set<std::string> recorded = RecordedMarkTexts(package);
  int marks = 0;
  for (const auto& header : headers) {
    pugi::xml_document part;
    ParseXml(part, package.Read(header.part), header.part);
    auto hdr = part.document_element();
    RemoveEarlierMarks(hdr, recorded);
    TNamespaces partNames(hdr);
    RWordPrefixes p{WithColon(partNames, ns::W, "w"), WithColon(partNames, ns::V, "v"),
                    WithColon(partNames, ns::O, "o"), WithColon(partNames, ns::W10, "w10")};
    bool hasType = false;
    for (const auto& found : hdr.select_nodes(".//*"))
      if (found.node().name() == p.v + "shapetype" &&
          std::string(found.node().attribute("id").value()) == kTextPathType)
        hasType = true;
    // Word puts its watermark into the header's first paragraph, after its properties.
    // (A header whose paragraphs all sit in a content control, a page number block for
    // one, gets it in the control's first paragraph: a new paragraph would add a line.)
    pugi::xml_node paragraph = hdr.child((p.w + "p").c_str());
    if (!paragraph)
      paragraph = hdr.child((p.w + "sdt").c_str()).child((p.w + "sdtContent").c_str()).child((p.w + "p").c_str());
    if (!paragraph) paragraph = hdr.append_child((p.w + "p").c_str());
    pugi::xml_document fragment;
    const std::string run = MarkRun(p, style, MarkName(marks + 1), 2049 + marks, !hasType, header.area);
    ParseXml(fragment, run, header.part);
    const auto properties = paragraph.child((p.w + "pPr").c_str());
    if (properties)
      paragraph.insert_copy_after(fragment.document_element(), properties);
    else
      paragraph.prepend_copy(fragment.document_element());
    package.Write(header.part, SerializeXml(part));
    ++marks;
  }
  if (documentChanged) package.Write(main, SerializeXml(doc));
  docRels.Save();
  types.Save();
  return marks;
}

}  // namespace stampwell::ooxml
