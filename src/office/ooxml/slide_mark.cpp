// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <cmath>
#include <cstring>

#include "office/ooxml/package_stamps.h"
#include "office/ooxml/xml_part.h"

namespace stampwell::ooxml {

namespace {

constexpr double kEmuPerPoint = 12700;

// The shape's non-visual name, wherever the format keeps it (p:nvSpPr/p:cNvPr@name and the
// like for pictures and groups).
std::string ShapeName(const pugi::xml_node& shape) {
  for (const auto& nv : shape.children()) {
    const std::string local = LocalName(nv.name());
    if (local.rfind("nv", 0) != 0) continue;
    for (const auto& c : nv.children())
      if (LocalName(c.name()) == "cNvPr") return c.attribute("name").value();
  }
  return "";
}

unsigned MaxShapeId(const pugi::xml_node& root) {
  unsigned max = 1;
  for (const auto& found : root.select_nodes(".//*")) {
    const auto e = found.node();
    if (LocalName(e.name()) == "cNvPr") max = std::max(max, e.attribute("id").as_uint());
  }
  return max;
}

}  // namespace

int StampPresentation(TZipPackage& package, const RMarkStyle& style) {
  TRelationships rootRels(package, "");
  const auto mains = rootRels.Targets("officeDocument");
  if (mains.empty() || !package.Has(mains.front()))
    throw EPackageError("the package has no main presentation part");
  const std::string main = mains.front();
  TRelationships presentationRels(package, main);
  pugi::xml_document presentation;
  ParseXml(presentation, package.Read(main), main);
  // The slide size (PowerPoint's default 10 x 7.5 in where the part does not say).
  double slideW = 9144000, slideH = 6858000;
  for (const auto& found : presentation.select_nodes("//*")) {
    const auto e = found.node();
    if (LocalName(e.name()) != "sldSz") continue;
    slideW = e.attribute("cx").as_double(slideW);
    slideH = e.attribute("cy").as_double(slideH);
    break;
  }

  // The masters in the presentation's own order.
  std::vector<std::string> masters;
  for (const auto& found : presentation.select_nodes("//*")) {
    const auto e = found.node();
    if (LocalName(e.name()) != "sldMasterId") continue;
    for (const auto& a : e.attributes())
      if (LocalName(a.name()) == "id" && std::strchr(a.name(), ':')) {
        const std::string part = presentationRels.TargetOf(a.value());
        if (!part.empty() && package.Has(part) &&
            std::find(masters.begin(), masters.end(), part) == masters.end())
          masters.push_back(part);
      }
  }
  for (const auto& part : presentationRels.Targets("slideMaster"))
    if (package.Has(part) && std::find(masters.begin(), masters.end(), part) == masters.end())
      masters.push_back(part);

  // The text box: one line, not wrapped, centred on the slide; its box is the text's
  // estimated extent, made smaller when, turned, it would not fit the slide.
  double sizePt = style.SizePt;
  const double textW = TextWidthEm(style.Text) * sizePt * kEmuPerPoint;
  const double textH = sizePt * 1.2 * kEmuPerPoint;
  const double turn = style.Rotation() * M_PI / 180;
  const double boxW = std::abs(textW * std::cos(turn)) + std::abs(textH * std::sin(turn));
  const double boxH = std::abs(textW * std::sin(turn)) + std::abs(textH * std::cos(turn));
  const double fit = std::min({1.0, slideW * 0.95 / boxW, slideH * 0.95 / boxH});
  sizePt = std::max(1.0, std::floor(sizePt * fit));
  const long long cx = std::llround(textW * fit), cy = std::llround(textH * fit);
  const long long x = std::llround((slideW - double(cx)) / 2), y = std::llround((slideH - double(cy)) / 2);
  const std::string font = XmlEscape(style.Font);

  // One part's shape tree gets the mark first after its own properties: behind every
  // placeholder and shape of the part.
  auto stamp = [&](const std::string& part) {
    pugi::xml_document doc;
    ParseXml(doc, package.Read(part), part);
    auto root = doc.document_element();
    TNamespaces names(root);
    const std::string pSp = names.Name(ns::P, "spTree", "p");
    const std::string p = pSp.substr(0, pSp.size() - std::strlen("spTree"));
    pugi::xml_node tree;
    for (const auto& found : root.select_nodes(".//*"))
      if (found.node().name() == pSp) {
        tree = found.node();
        break;
      }
    if (!tree) return false;
    // Earlier marks of this program: shapes of the tree named as ours.
    std::vector<pugi::xml_node> earlier;
    for (const auto& shape : tree.children())
      if (IsMarkName(ShapeName(shape))) earlier.push_back(shape);
    for (auto& shape : earlier) tree.remove_child(shape);

    const std::string aName = names.Name(ns::A, "x", "a");
    const std::string a = aName.substr(0, aName.size() - 1);
    const std::string alpha = style.Transparent ? "<" + a + "alpha val=\"30000\"/>" : "";
    const std::string xml =
        "<" + p + "sp><" + p + "nvSpPr><" + p + "cNvPr id=\"" +
        std::to_string(MaxShapeId(root) + 1) + "\" name=\"" + MarkName(1) + "\"/><" + p +
        "cNvSpPr txBox=\"1\"><" + a + "spLocks noGrp=\"1\"/></" + p + "cNvSpPr><" + p +
        "nvPr userDrawn=\"1\"/></" + p + "nvSpPr><" + p + "spPr><" + a + "xfrm" +
        (style.Rotation() ? " rot=\"" + std::to_string(style.Rotation() * 60000) + "\"" : "") +
        "><" + a + "off x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\"/><" + a +
        "ext cx=\"" + std::to_string(cx) + "\" cy=\"" + std::to_string(cy) + "\"/></" + a +
        "xfrm><" + a + "prstGeom prst=\"rect\"><" + a + "avLst/></" + a + "prstGeom><" + a +
        "noFill/></" + p + "spPr><" + p + "txBody><" + a +
        "bodyPr wrap=\"none\" lIns=\"0\" tIns=\"0\" rIns=\"0\" bIns=\"0\" anchor=\"ctr\" "
        "anchorCtr=\"1\"><" + a + "noAutofit/></" + a + "bodyPr><" + a + "lstStyle/><" + a +
        "p><" + a + "pPr algn=\"ctr\"/><" + a + "r><" + a + "rPr lang=\"en-US\" sz=\"" +
        std::to_string(int(sizePt * 100)) + "\" b=\"0\" i=\"0\" dirty=\"0\"><" + a +
        "solidFill><" + a + "srgbClr val=\"" + style.Rgb + "\">" + alpha + "</" + a +
        "srgbClr></" + a + "solidFill><" + a + "latin typeface=\"" + font + "\"/><" + a +
        "ea typeface=\"" + font + "\"/><" + a + "cs typeface=\"" + font + "\"/></" + a +
        "rPr><" + a + "t>" + XmlEscape(style.Text) + "</" + a + "t></" + a + "r></" + a +
        "p></" + p + "txBody></" + p + "sp>";
    pugi::xml_document fragment;
    ParseXml(fragment, xml, part);
    pugi::xml_node after;
    for (const auto& c : tree.children()) {
      const std::string local = LocalName(c.name());
      if (local == "nvGrpSpPr" || local == "grpSpPr") after = c;
    }
    if (after)
      tree.insert_copy_after(fragment.document_element(), after);
    else
      tree.prepend_copy(fragment.document_element());
    package.Write(part, SerializeXml(doc));
    return true;
  };
  // Whether a layout or slide hides the shapes of its master.
  auto hidesMaster = [&](const std::string& part) {
    pugi::xml_document doc;
    ParseXml(doc, package.Read(part), part);
    const auto flag = doc.document_element().attribute("showMasterSp");
    const std::string value = flag.value();
    return flag && (value == "0" || value == "false");
  };

  int marks = 0;
  for (const auto& part : masters) {
    if (stamp(part)) ++marks;
    // A layout that hides the master's shapes shows the mark only if it carries its own.
    TRelationships masterRels(package, part);
    for (const auto& layout : masterRels.Targets("slideLayout"))
      if (package.Has(layout) && hidesMaster(layout) && stamp(layout)) ++marks;
  }
  for (const auto& slide : presentationRels.Targets("slide"))
    if (package.Has(slide) && hidesMaster(slide) && stamp(slide)) ++marks;
  return marks;
}

}  // namespace stampwell::ooxml
