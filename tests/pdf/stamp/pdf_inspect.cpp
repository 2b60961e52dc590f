// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf_inspect.h"

#include <poppler-document.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFEFStreamObjectHelper.hh>
#include <qpdf/QPDFEmbeddedFileDocumentHelper.hh>
#include <qpdf/QPDFFileSpecObjectHelper.hh>
#include <qpdf/QPDFOutlineDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <numbers>
#include <stdexcept>

#include "pdf/stamp/pdf_water_mark.h"

namespace stampwell::test {

namespace {

using Handle = QPDFObjectHandle;

struct RRaster {
  int width = 0, height = 0;
  std::vector<std::array<double, 3>> rgb;
};

RRaster Render(const std::string& path, int page, double dpi) {
  std::unique_ptr<poppler::document> doc(poppler::document::load_from_file(path));
  if (!doc || doc->is_locked() || page >= doc->pages()) return {};
  std::unique_ptr<poppler::page> p(doc->create_page(page));
  if (!p) return {};
  if (dpi <= 0) {
    const auto rect = p->page_rect();
    const double longer = std::max(rect.width(), rect.height());
    dpi = longer > 0 ? 400.0 * 72.0 / longer : 40.0;
  }
  poppler::page_renderer renderer;
  renderer.set_render_hint(poppler::page_renderer::antialiasing, true);
  renderer.set_image_format(poppler::image::format_argb32);
  const poppler::image image = renderer.render_page(p.get(), dpi, dpi);
  RRaster r;
  r.width = image.width();
  r.height = image.height();
  r.rgb.resize(std::size_t(r.width) * r.height);
  const char* data = image.const_data();
  for (int y = 0; y < r.height; ++y) {
    const auto* row =
        reinterpret_cast<const unsigned char*>(data + std::size_t(y) * image.bytes_per_row());
    for (int x = 0; x < r.width; ++x)
      r.rgb[std::size_t(y) * r.width + x] = {double(row[4 * x + 2]), double(row[4 * x + 1]),
                                             double(row[4 * x])};
  }
  return r;
}

int CountOutlines(const std::vector<QPDFOutlineObjectHelper>& items) {
  int n = 0;
  for (auto item : items) n += 1 + CountOutlines(item.getKids());
  return n;
}

bool IsOwn(Handle h) { return h.isStream() && h.getDict().hasKey(kPdfMarkName); }

}  // namespace

RMarkMeasure MeasureMark(const std::string& stamped, const std::string& source, int page,
                         TColor color, double dpi) {
  const RRaster out = Render(stamped, page, dpi);
  const RRaster under = Render(source, page, dpi);
  RMarkMeasure m;
  if (out.rgb.empty()) return m;
  const bool matched = under.width == out.width && under.height == out.height;
  const std::array<double, 3> c{double(color & 0xFF), double((color >> 8) & 0xFF),
                                double((color >> 16) & 0xFF)};
  m.width = out.width;
  m.height = out.height;
  m.mask.assign(out.rgb.size(), false);
  std::vector<double> xs, ys, strengths;
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      const std::size_t i = std::size_t(y) * out.width + x;
      const auto& o = out.rgb[i];
      const std::array<double, 3> s =
          matched ? under.rgb[i] : std::array<double, 3>{255.0, 255.0, 255.0};
      // The blend factor toward the colour, from the channels where the colour differs
      // enough from what lies under it, and how well that blend explains the pixel.
      double t = 0;
      int informative = 0;
      for (int k = 0; k < 3; ++k) {
        if (std::abs(s[k] - c[k]) > 100) {
          t += (s[k] - o[k]) / (s[k] - c[k]);
          ++informative;
        }
      }
      if (informative == 0) continue;
      t /= informative;
      double residual = 0;
      for (int k = 0; k < 3; ++k)
        residual = std::max(residual, std::abs(o[k] - (s[k] - t * (s[k] - c[k]))));
      if (t > 0.15 && residual < 30) {
        m.mask[i] = true;
        xs.push_back(x);
        ys.push_back(y);
        strengths.push_back(std::min(t, 1.0));
      }
    }
  }
  if (xs.size() < 30) return RMarkMeasure{};
  m.pixels = int(xs.size());
  double mx = 0, my = 0;
  for (std::size_t i = 0; i < xs.size(); ++i) mx += xs[i], my += ys[i];
  mx /= xs.size();
  my /= ys.size();
  double sxx = 0, syy = 0, sxy = 0;
  for (std::size_t i = 0; i < xs.size(); ++i) {
    const double dx = xs[i] - mx, dy = -(ys[i] - my);  // y up
    sxx += dx * dx, syy += dy * dy, sxy += dx * dy;
  }
  double angle = 0.5 * std::atan2(2 * sxy, sxx - syy) * 180.0 / std::numbers::pi;
  if (angle < -45) angle += 180;
  m.angle = angle;
  const double x0 = *std::min_element(xs.begin(), xs.end());
  const double x1 = *std::max_element(xs.begin(), xs.end());
  const double y0 = *std::min_element(ys.begin(), ys.end());
  const double y1 = *std::max_element(ys.begin(), ys.end());
  m.cx = (x0 + x1) / 2 / out.width;
  m.cy = (y0 + y1) / 2 / out.height;
  m.clipped = x0 <= 1 || y0 <= 1 || x1 >= out.width - 2 || y1 >= out.height - 2;
  std::sort(strengths.rbegin(), strengths.rend());
  const std::size_t top = std::max<std::size_t>(5, strengths.size() / 10);
  double sum = 0;
  for (std::size_t i = 0; i < top && i < strengths.size(); ++i) sum += strengths[i];
  m.opacity = sum / double(std::min(top, strengths.size()));
  return m;
}

double MarkOverlap(const RMarkMeasure& a, const RMarkMeasure& b) {
  if (a.width != b.width || a.height != b.height || a.mask.empty()) return 0;
  std::size_t both = 0, either = 0;
  for (std::size_t i = 0; i < a.mask.size(); ++i) {
    both += a.mask[i] && b.mask[i];
    either += a.mask[i] || b.mask[i];
  }
  return either ? double(both) / double(either) : 0;
}

std::vector<std::string> PageTexts(const std::string& path) {
  std::unique_ptr<poppler::document> doc(poppler::document::load_from_file(path));
  std::vector<std::string> texts;
  if (!doc || doc->is_locked()) return texts;
  for (int i = 0; i < doc->pages(); ++i) {
    std::unique_ptr<poppler::page> p(doc->create_page(i));
    const auto bytes = p ? p->text().to_utf8() : poppler::byte_array{};
    texts.emplace_back(bytes.begin(), bytes.end());
  }
  return texts;
}

int PopplerPageCount(const std::string& path) {
  std::unique_ptr<poppler::document> doc(poppler::document::load_from_file(path));
  return doc && !doc->is_locked() ? doc->pages() : -1;
}

RPdfStructure ReadStructure(const std::string& path) {
  QPDF q;
  q.setSuppressWarnings(true);
  q.processFile(path.c_str(), "");
  RPdfStructure s;
  for (auto& page : QPDFPageDocumentHelper(q).getAllPages()) {
    ++s.pages;
    Handle annots = page.getObjectHandle().getKey("/Annots");
    if (annots.isArray()) {
      for (auto& a : annots.getArrayAsVector()) {
        ++s.annotations;
        if (a.isDictionary() && a.getKey("/Subtype").isNameAndEquals("/Link")) ++s.links;
      }
    }
    bool stream = false, form = false;
    Handle contents = page.getObjectHandle().getKey("/Contents");
    if (contents.isArray())
      for (auto& c : contents.getArrayAsVector())
        if (IsOwn(c) && c.getDict().getKey(kPdfMarkName).isNameAndEquals("/Mark")) stream = true;
    Handle resources = page.getAttribute("/Resources", false);
    if (resources.isDictionary() && resources.getKey("/XObject").isDictionary())
      form = IsOwn(resources.getKey("/XObject").getKey(kPdfMarkName));
    if (stream && form) ++s.markedPages;
  }
  QPDFAcroFormDocumentHelper acro(q);
  if (acro.hasAcroForm()) s.formFields = int(acro.getFormFields().size());
  s.outlines = CountOutlines(QPDFOutlineDocumentHelper(q).getTopLevelOutlines());
  s.attachments = int(QPDFEmbeddedFileDocumentHelper(q).getEmbeddedFiles().size());
  Handle metadata = q.getRoot().getKey("/Metadata");
  if (metadata.isStream()) {
    auto raw = metadata.getRawStreamData();
    s.metadata.assign(reinterpret_cast<const char*>(raw->getBuffer()), raw->getSize());
  }
  Handle info = q.getTrailer().getKey("/Info");
  if (info.isDictionary()) s.info = info.unparseResolved();
  int r = 0, p = 0;
  s.encrypted = q.isEncrypted(r, p);
  s.encryptionR = r;
  s.permissions = p;
  for (auto& object : q.getAllObjects()) {
    if (!IsOwn(object)) continue;
    ++s.markStreams;
    if (object.getDict().getKey("/Subtype").isNameAndEquals("/Form")) ++s.markForms;
  }
  return s;
}

void MakePdf(const std::string& path, const RTestPdf& layout) {
  QPDF q;
  q.emptyPDF();
  Handle font = q.makeIndirectObject(Handle::parse(
      "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>"));
  QPDFPageDocumentHelper pages(q);
  std::vector<Handle> made;
  for (const auto& p : layout.pages) {
    const double size = std::min(24.0, p.width / 20);
    const std::string content = "BT /F1 " + std::to_string(size) + " Tf " +
                                std::to_string(p.width * 0.1) + " " +
                                std::to_string(p.height * 0.8) + " Td (" + p.text + ") Tj ET\n";
    Handle page = Handle::parse("<< /Type /Page >>");
    page.replaceKey("/MediaBox", Handle::newArray(Handle::Rectangle(0, 0, p.width, p.height)));
    if (p.cropInset > 0)
      page.replaceKey("/CropBox", Handle::newArray(Handle::Rectangle(p.cropInset, p.cropInset,
                                                                     p.width - p.cropInset,
                                                                     p.height - p.cropInset)));
    if (p.rotate != 0) page.replaceKey("/Rotate", Handle::newInteger(p.rotate));
    Handle fonts = Handle::newDictionary();
    fonts.replaceKey("/F1", font);
    Handle resources = Handle::newDictionary();
    resources.replaceKey("/Font", fonts);
    page.replaceKey("/Resources", resources);
    page.replaceKey("/Contents", Handle::newStream(&q, content));
    Handle indirect = q.makeIndirectObject(page);
    pages.addPage(QPDFPageObjectHelper(indirect), false);
    made.push_back(indirect);
  }
  if (layout.link && !made.empty()) {
    made[0].replaceKey(
        "/Annots",
        Handle::parse("[ << /Type /Annot /Subtype /Link /Rect [ 72 72 200 100 ] /Border [ 0 0 0 ] "
                      "/A << /S /URI /URI (https://example.com/) >> >> ]"));
  }
  if (layout.extras && !made.empty()) {
    QPDFEmbeddedFileDocumentHelper files(q);
    files.replaceEmbeddedFile(
        "notes.txt", QPDFFileSpecObjectHelper::createFileSpec(
                         q, "notes.txt", QPDFEFStreamObjectHelper::createEFStream(q, "notes\n")));
    std::vector<Handle> items;
    Handle outlines = q.makeIndirectObject(Handle::parse("<< /Type /Outlines >>"));
    for (std::size_t i = 0; i < made.size(); ++i) {
      Handle item = q.makeIndirectObject(Handle::newDictionary());
      item.replaceKey("/Title", Handle::newUnicodeString("Page " + std::to_string(i + 1)));
      item.replaceKey("/Parent", outlines);
      item.replaceKey("/Dest",
                      Handle::newArray(std::vector<Handle>{made[i], Handle::newName("/Fit")}));
      if (!items.empty()) {
        item.replaceKey("/Prev", items.back());
        items.back().replaceKey("/Next", item);
      }
      items.push_back(item);
    }
    outlines.replaceKey("/First", items.front());
    outlines.replaceKey("/Last", items.back());
    outlines.replaceKey("/Count", Handle::newInteger(int(items.size())));
    q.getRoot().replaceKey("/Outlines", outlines);
    q.getTrailer().replaceKey(
        "/Info",
        q.makeIndirectObject(Handle::parse("<< /Title (Quarterly figures) /Author (Finance) >>")));
  }
  if (layout.signedField && !made.empty()) {
    Handle sig = q.makeIndirectObject(Handle::parse(
        "<< /FT /Sig /T (Signature1) /Type /Annot /Subtype /Widget /Rect [ 0 0 0 0 ] /F 132 "
        "/V << /Type /Sig /Filter /Adobe.PPKLite /SubFilter /adbe.pkcs7.detached "
        "/ByteRange [ 0 10 20 10 ] /Contents <3082> /M (D:20261208120000Z) >> >>"));
    sig.replaceKey("/P", made[0]);
    made[0].replaceKey("/Annots", Handle::newArray(std::vector<Handle>{sig}));
    Handle acro = Handle::parse("<< /SigFlags 3 >>");
    acro.replaceKey("/Fields", Handle::newArray(std::vector<Handle>{sig}));
    q.getRoot().replaceKey("/AcroForm", acro);
  }
  if (layout.pdfa) {
    const std::string xmp =
        "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
        "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
        "<rdf:Description rdf:about=\"\" xmlns:pdfaid=\"http://www.aiim.org/pdfa/ns/id/\">"
        "<pdfaid:part>2</pdfaid:part><pdfaid:conformance>B</pdfaid:conformance>"
        "</rdf:Description>\n</rdf:RDF></x:xmpmeta>\n<?xpacket end=\"w\"?>";
    Handle metadata = Handle::newStream(&q, xmp);
    metadata.getDict().replaceKey("/Type", Handle::newName("/Metadata"));
    metadata.getDict().replaceKey("/Subtype", Handle::newName("/XML"));
    q.getRoot().replaceKey("/Metadata", metadata);
    q.getRoot().replaceKey(
        "/OutputIntents",
        Handle::parse(
            "[ << /Type /OutputIntent /S /GTS_PDFA1 /OutputConditionIdentifier (sRGB) >> ]"));
  }
  QPDFWriter writer(q, path.c_str());
  if (!layout.userPassword.empty() || !layout.ownerPassword.empty()) {
    writer.setR6EncryptionParameters(layout.userPassword.c_str(), layout.ownerPassword.c_str(), true,
                                     layout.allowExtract, true, true, true, layout.allowModify,
                                     layout.allowPrint ? qpdf_r3p_full : qpdf_r3p_none, true);
  }
  writer.write();
}

}  // namespace stampwell::test
