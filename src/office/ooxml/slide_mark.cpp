// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "office/ooxml/package_stamps.h"
#include "office/ooxml/png_opacity.h"
#include "office/page_coverage.h"
#include "office/ooxml/xml_part.h"

namespace stampwell::ooxml {

namespace {

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

// The first element child of e with the local name, wherever it is namespaced.
pugi::xml_node Child(const pugi::xml_node& e, const char* local) {
  for (const auto& c : e.children())
    if (LocalName(c.name()) == local) return c;
  return {};
}

// The first element below e (at any depth) with the local name.
pugi::xml_node Descendant(const pugi::xml_node& e, const char* local) {
  for (const auto& c : e.children()) {
    if (LocalName(c.name()) == local) return c;
    if (auto found = Descendant(c, local)) return found;
  }
  return {};
}

// Whether a colour element (a:srgbClr, a:schemeClr, ...) carries a transparency of its own.
bool HasAlpha(const pugi::xml_node& colour) {
  for (const auto& c : colour.children()) {
    const std::string local = LocalName(c.name());
    if (local == "alpha" || local == "alphaMod" || local == "alphaOff") return true;
  }
  return false;
}

// Whether a picture file hides what lies behind it: JPEG, BMP, TIFF and drawn pictures
// (EMF, WMF) do; a PNG does when 95 % of its pixels or more are opaque; a GIF, or anything
// else, is not taken to.
bool OpaqueImage(const std::string& data) {
  auto starts = [&data](const char* magic, std::size_t n) {
    return data.size() >= n && data.compare(0, n, magic, n) == 0;
  };
  if (starts("\xFF\xD8\xFF", 3) || starts("BM", 2) || starts("II*", 3) || starts("MM\0*", 4))
    return true;
  if (data.size() >= 44 && data.compare(40, 4, " EMF") == 0) return true;  // EMF signature
  if (starts("\xD7\xCD\xC6\x9A", 4) || starts("\x01\0\x09\0", 4) || starts("\x02\0\x09\0", 4))
    return true;  // WMF, placeable or not
  // A PNG by its pixels: one with an alpha channel or see-through palette colours may still
  // be opaque almost everywhere (a design's background saved with an alpha channel).
  return starts("\x89PNG\r\n\x1A\n", 8) && PngOpaqueShare(data) >= 0.95;
}

// Whether a shape of a slide's tree hides the master behind it where it lies: a picture whose
// file is opaque and whose fill has no transparency, an embedded object (drawn as its
// picture, such as a pasted slide), or a shape filled with a solid colour or a gradient
// without transparency. Charts, tables and groups are not taken to.
bool HidesMaster(const pugi::xml_node& shape, TZipPackage& package,
                 const TRelationships& rels) {
  const std::string local = LocalName(shape.name());
  if (local == "pic") {
    const auto blip = Descendant(Child(shape, "blipFill"), "blip");
    if (!blip) return false;
    for (const auto& c : blip.children())
      if (LocalName(c.name()).rfind("alpha", 0) == 0) return false;  // alphaModFix, ...
    std::string id;
    for (const auto& a : blip.attributes())
      if (LocalName(a.name()) == "embed") id = a.value();
    const std::string part = rels.TargetOf(id);
    return !part.empty() && package.Has(part) && OpaqueImage(package.Read(part));
  }
  if (local == "graphicFrame") {
    const auto data = Descendant(Child(shape, "graphic"), "graphicData");
    const std::string uri = data.attribute("uri").value();
    return uri.size() >= 4 && uri.compare(uri.size() - 4, 4, "/ole") == 0;
  }
  if (local == "sp") {
    const auto properties = Child(shape, "spPr");
    if (const auto fill = Child(properties, "solidFill")) {
      const auto colour = fill.first_child();
      return colour && !HasAlpha(colour);
    }
    // A gradient hides what is behind it when none of its colours is see-through.
    const auto stops = Child(Child(properties, "gradFill"), "gsLst");
    bool any = false;
    for (const auto& stop : stops.children()) {
      const auto colour = stop.first_child();
      if (!colour || HasAlpha(colour)) return false;
      any = true;
    }
    return any;
  }
  return false;
}

// Where a shape of a tree hides the master behind it, as boxes of the slide: the shape's own
// box where it does (HidesMaster), or a group's members' (a group has no fill of its own),
// placed through the group's mapping of its members' space onto the slide. place maps a box
// of the tree's space onto the slide. A shape (or group) whose box is smaller than minArea is
// left out without reading its picture; a group's members count from 1 % of the slide.
void HidingBoxes(const pugi::xml_node& shape, const std::function<RPageBox(RPageBox)>& place,
                 double slideArea, double minArea, TZipPackage& package,
                 const TRelationships& rels, std::vector<RPageBox>& boxes) {
  auto area = [](const RPageBox& b) {
    return b.x1 > b.x0 && b.y1 > b.y0 ? (b.x1 - b.x0) * (b.y1 - b.y0) : 0.0;
  };
  const std::string local = LocalName(shape.name());
  const auto xfrm = local == "graphicFrame" ? Child(shape, "xfrm")
                    : local == "grpSp"       ? Child(Child(shape, "grpSpPr"), "xfrm")
                                             : Child(Child(shape, "spPr"), "xfrm");
  const auto off = Child(xfrm, "off"), ext = Child(xfrm, "ext");
  if (!off || !ext) return;
  const double x = off.attribute("x").as_double(), y = off.attribute("y").as_double();
  const double cx = ext.attribute("cx").as_double(), cy = ext.attribute("cy").as_double();
  if (local == "grpSp") {
    if (area(place({x, y, x + cx, y + cy})) < minArea) return;
    const auto chOff = Child(xfrm, "chOff"), chExt = Child(xfrm, "chExt");
    const double chX = chOff.attribute("x").as_double(), chY = chOff.attribute("y").as_double();
    const double chCx = chExt.attribute("cx").as_double(), chCy = chExt.attribute("cy").as_double();
    const double sx = chCx > 0 ? cx / chCx : 1, sy = chCy > 0 ? cy / chCy : 1;
    const std::function<RPageBox(RPageBox)> inner = [&](RPageBox b) {
      return place({x + (b.x0 - chX) * sx, y + (b.y0 - chY) * sy, x + (b.x1 - chX) * sx,
                    y + (b.y1 - chY) * sy});
    };
    for (const auto& member : shape.children())
      HidingBoxes(member, inner, slideArea, 0.01 * slideArea, package, rels, boxes);
    return;
  }
  const RPageBox b = place({x, y, x + cx, y + cy});
  if (area(b) <= 0 || area(b) < minArea) return;
  if (HidesMaster(shape, package, rels)) boxes.push_back(b);
}

// The frontmost shape of a slide's tree that hides most of the slide (60 % of its area or
// more) from the master behind it, by itself or side by side with other large ones (25 % or
// more each: a dark band over the top and a picture over the rest); empty when there is none.
pugi::xml_node FrontmostBackdrop(const pugi::xml_node& tree, double slideW, double slideH,
                                 TZipPackage& package, const TRelationships& rels) {
  constexpr double kBackdrop = 0.6, kPart = 0.25;
  const std::function<RPageBox(RPageBox)> onSlide = [slideW, slideH](RPageBox b) {
    return RPageBox{std::max(0.0, b.x0), std::max(0.0, b.y0), std::min(slideW, b.x1),
                    std::min(slideH, b.y1)};
  };
  pugi::xml_node found, frontmostPart;
  TPageCoverage together(slideW, slideH);
  for (const auto& shape : tree.children()) {
    std::vector<RPageBox> boxes;
    // A shape by itself must cover a quarter of the slide to be part of a backdrop.
    HidingBoxes(shape, onSlide, slideW * slideH, kPart * slideW * slideH, package, rels, boxes);
    if (boxes.empty()) continue;
    TPageCoverage covers(slideW, slideH);
    for (const RPageBox& b : boxes) covers.Add(b);
    const double share = covers.Share();
    if (share >= kBackdrop) found = shape;
    if (share >= kPart) {
      for (const RPageBox& b : boxes) together.Add(b);
      frontmostPart = shape;
    }
  }
  // The later of the two in the tree: the mark goes in front of both.
  if (together.Share() >= kBackdrop && frontmostPart) {
    if (!found) return frontmostPart;
    for (auto n = found.next_sibling(); n; n = n.next_sibling())
      if (n == frontmostPart) return frontmostPart;
  }
  return found;
}

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

  // Whether a parsed layout or slide hides the shapes of its master.
  auto hidesMaster = [](const pugi::xml_node& root) {
    const auto flag = root.attribute("showMasterSp");
    const std::string value = flag.value();
    return flag && (value == "0" || value == "false");
  };
  // One part's shape tree gets the mark first after its own properties, behind every
  // placeholder and shape of the part; where the part has a backdrop of its own, right in
  // front of that backdrop, behind the rest of its shapes. A slide or layout (isSlide) that
  // shows its master gets a mark only where it has such a backdrop; elsewhere only earlier
  // marks are taken out.
  auto stamp = [&](const std::string& part, bool isSlide = false) {
    pugi::xml_document doc;
    ParseXml(doc, package.Read(part), part);
    auto root = doc.document_element();
    const bool onSlide = isSlide && !hidesMaster(root);
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
    // A part's own backdrop (a design's picture or filled shape over the whole slide) would
    // hide a mark behind it: the mark goes right in front of it.
    const pugi::xml_node backdrop =
        FrontmostBackdrop(tree, slideW, slideH, package, TRelationships(package, part));
    if (onSlide && !backdrop) {
      if (!earlier.empty()) package.Write(part, SerializeXml(doc));
      return false;
    }

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
    pugi::xml_node after = backdrop;
    for (const auto& c : tree.children()) {
      const std::string local = LocalName(c.name());
      if (!backdrop && (local == "nvGrpSpPr" || local == "grpSpPr")) after = c;
    }
    if (after)
      tree.insert_copy_after(fragment.document_element(), after);
    else
      tree.prepend_copy(fragment.document_element());
    package.Write(part, SerializeXml(doc));
    return true;
  };


  int marks = 0;
  for (const auto& part : masters) {
    if (stamp(part)) ++marks;
    // A layout that hides the master's shapes shows the mark only if it carries its own; so
    // does one whose own backdrop (a design's picture over the whole slide) covers them.
    TRelationships masterRels(package, part);
    for (const auto& layout : masterRels.Targets("slideLayout"))
      if (package.Has(layout) && stamp(layout, true)) ++marks;
  }
  // A slide that hides its master's shapes, or covers most of itself with a backdrop of its
  // own (a picture, an embedded object or a filled shape) that hides them, carries a mark of
  // its own.
  for (const auto& slide : presentationRels.Targets("slide"))
    if (package.Has(slide) && stamp(slide, true)) ++marks;
  return marks;
}

}  // namespace stampwell::ooxml
