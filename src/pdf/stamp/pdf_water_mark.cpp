// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/stamp/pdf_water_mark.h"

#include <qpdf/Pl_Buffer.hh>
#include <qpdf/Pl_Flate.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <unistd.h>

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <stdexcept>

#include "jobs/file_utils.h"
#include "office/office_shapes.h"

namespace stampwell {

namespace {

using Handle = QPDFObjectHandle;

// The page's visible area: the crop box clipped to the media box (a missing media box reads
// as US Letter, as readers take it), as llx, lly, urx, ury.
std::array<double, 4> VisibleBox(QPDFPageObjectHelper& page) {
  auto rect = [](Handle box, std::array<double, 4> fallback) {
    if (!box.isRectangle()) return fallback;
    const auto r = box.getArrayAsRectangle();
    return std::array<double, 4>{std::min(r.llx, r.urx), std::min(r.lly, r.ury),
                                 std::max(r.llx, r.urx), std::max(r.lly, r.ury)};
  };
  const auto media = rect(page.getMediaBox(), {0, 0, 612, 792});
  auto crop = rect(page.getCropBox(), media);
  crop = {std::max(crop[0], media[0]), std::max(crop[1], media[1]), std::min(crop[2], media[2]),
          std::min(crop[3], media[3])};
  if (crop[2] - crop[0] <= 0 || crop[3] - crop[1] <= 0) return media;
  return crop;
}

// The page's /Rotate as 0, 90, 180 or 270 (the page is shown turned that far clockwise).
int PageRotation(QPDFPageObjectHelper& page) {
  Handle r = page.getAttribute("/Rotate", false);
  if (!r.isNumber()) return 0;
  long turns = std::lround(r.getNumericValue() / 90.0) % 4;
  if (turns < 0) turns += 4;
  return int(turns * 90);
}

double UserUnit(QPDFPageObjectHelper& page) {
  Handle u = page.getObjectHandle().getKey("/UserUnit");
  return u.isNumber() && u.getNumericValue() > 0 ? u.getNumericValue() : 1.0;
}

// A number in a content stream or a matrix: four decimals, trailing zeros dropped.
std::string MatrixNumber(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.4f", std::abs(v) < 0.00005 ? 0.0 : v);
  std::string s(buf);
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

// A new stream of this engine's, compressed, carrying kPdfMarkName in its dictionary.
Handle OwnStream(QPDF& pdf, const std::string& data, const char* role) {
  Pl_Buffer buffer("mark");
  Pl_Flate flate("mark", &buffer, Pl_Flate::a_deflate);
  flate.write(reinterpret_cast<const unsigned char*>(data.data()), data.size());
  flate.finish();
  auto bytes = buffer.getBufferSharedPointer();
  Handle stream = Handle::newStream(&pdf);
  stream.replaceStreamData(
      std::string(reinterpret_cast<const char*>(bytes->getBuffer()), bytes->getSize()),
      Handle::newName("/FlateDecode"), Handle::newNull());
  stream.getDict().replaceKey(kPdfMarkName, Handle::newName(role));
  return stream;
}

bool IsOwnStream(Handle object) {
  return object.isStream() && object.getDict().hasKey(kPdfMarkName);
}

// Whether a signature covers the document: a signed signature field, or document-wide
// permissions granted through a signature (/Perms /DocMDP).
bool IsSigned(QPDF& pdf) {
  Handle perms = pdf.getRoot().getKey("/Perms");
  if (perms.isDictionary() && perms.hasKey("/DocMDP")) return true;
  QPDFAcroFormDocumentHelper form(pdf);
  if (!form.hasAcroForm()) return false;
  for (auto& field : form.getFormFields())
    if (field.getFieldType() == "/Sig" && field.getValue().isDictionary()) return true;
  return false;
}

}  // namespace

TPdfWaterMark::TPdfWaterMark() = default;
TPdfWaterMark::~TPdfWaterMark() = default;

bool TPdfWaterMark::Open(const std::string& source) {
  Close();
  error_.clear();
  if (!IsRegularFile(source)) {
    error_ = "the file cannot be opened";
    return false;
  }
  auto pdf = std::make_unique<QPDF>();
  pdf->setSuppressWarnings(true);
  try {
    pdf->processFile(source.c_str(), "");
    // Everything a stamp reads: the page tree and each page's boxes.
    auto pages = QPDFPageDocumentHelper(*pdf).getAllPages();
    if (pages.empty()) throw std::runtime_error("no pages");
    for (auto& page : pages) {
      if (!page.getObjectHandle().isDictionary()) throw std::runtime_error("a page is missing");
      VisibleBox(page);
    }
    if (IsSigned(*pdf)) {
      error_ = "signed document, not stamped";
      return false;
    }
  } catch (const QPDFExc& e) {
    error_ = e.getErrorCode() == qpdf_e_password
                 ? "needs a password"
                 : "damaged PDF file, QPDF cannot repair it: " + e.getMessageDetail();
    return false;
  } catch (const std::exception& e) {
    error_ = std::string("damaged PDF file, QPDF cannot repair it: ") + e.what();
    return false;
  }
  pdf_ = std::move(pdf);
  return true;
}

int TPdfWaterMark::PageCount() const {
  return pdf_ ? int(QPDFPageDocumentHelper(*pdf_).getAllPages().size()) : 0;
}

int TPdfWaterMark::RemoveMark() {
  int marked = 0;
  for (auto& page : QPDFPageDocumentHelper(*pdf_).getAllPages()) {
    Handle object = page.getObjectHandle();
    Handle contents = object.getKey("/Contents");
    bool had = false;
    if (contents.isArray()) {
      std::vector<Handle> kept;
      for (auto& item : contents.getArrayAsVector()) {
        if (IsOwnStream(item))
          had = true;
        else
          kept.push_back(item);
      }
      if (had) object.replaceKey("/Contents", Handle::newArray(kept));
    } else if (IsOwnStream(contents)) {
      had = true;
      object.replaceKey("/Contents", Handle::newArray());
    }
    Handle resources = page.getAttribute("/Resources", false);
    if (resources.isDictionary()) {
      Handle xobjects = resources.getKey("/XObject");
      if (xobjects.isDictionary() && IsOwnStream(xobjects.getKey(kPdfMarkName))) {
        xobjects.removeKey(kPdfMarkName);
        had = true;
      }
    }
    if (had) ++marked;
  }
  return marked;
}

void TPdfWaterMark::AddWaterMark(const RDocSettings& settings) {
  if (!pdf_) throw std::logic_error("TPdfWaterMark::AddWaterMark: no document open");
  QPDF& pdf = *pdf_;
  RemoveMark();
  if (!outlineFor_ || !(*outlineFor_ == settings)) {
    const int size = ParseWatermarkSize(settings.DocWatermarkSize);
    if (size <= 0) throw std::runtime_error("watermark size must be positive");
    outline_ = OutlineMark(settings.DocWaterMarkStr, settings.DocFontName, size);
    outlineFor_ = settings;
  }
  if (outline_.Path.empty()) return;  // nothing to draw: the text has no visible character

  // The mark, drawn once for the whole file.
  const TColor c = settings.DocWatermarkColor;
  std::string draw;
  if (settings.Transparent) draw += "/GS0 gs\n";
  draw += MatrixNumber((c & 0xFF) / 255.0) + " " + MatrixNumber(((c >> 8) & 0xFF) / 255.0) + " " +
          MatrixNumber(((c >> 16) & 0xFF) / 255.0) + " rg\n" + outline_.Path + "f\n";
  Handle form = OwnStream(pdf, draw, "/Form");
  Handle dict = form.getDict();
  dict.replaceKey("/Type", Handle::newName("/XObject"));
  dict.replaceKey("/Subtype", Handle::newName("/Form"));
  dict.replaceKey("/BBox", Handle::newArray(
                               QPDFObjectHandle::Rectangle(0, 0, outline_.Width, outline_.Height)));
  Handle resources = Handle::newDictionary();
  if (settings.Transparent) {
    resources.replaceKey("/ExtGState",
                         Handle::parse("<< /GS0 << /Type /ExtGState /ca 0.5 /CA 0.5 >> >>"));
  }
  dict.replaceKey("/Resources", resources);
  needsTransparency_ = settings.Transparent;

  // Before the page's content a "q", after it the "Q" and the mark: whatever state the
  // content leaves, the mark is drawn in the page's own coordinates.
  Handle before = OwnStream(pdf, "q\n", "/Before");
  const double angle = settings.HX ? 45.0 : 0.0;
  std::map<std::array<double, 6>, Handle> placements;  // one per page geometry
  for (auto& page : QPDFPageDocumentHelper(pdf).getAllPages()) {
    const auto box = VisibleBox(page);
    const int rotation = PageRotation(page);
    const double unit = UserUnit(page);
    const std::array<double, 6> key{box[0], box[1], box[2], box[3], double(rotation), unit};
    auto it = placements.find(key);
    if (it == placements.end()) {
      // Shown turned clockwise by rotation: drawn that much further counter-clockwise, so
      // that it reads at `angle` on screen; smaller only where the page is too small for it.
      const double theta = (angle + rotation) * std::numbers::pi / 180.0;
      const double shown = angle * std::numbers::pi / 180.0;
      double pageW = (box[2] - box[0]) * unit, pageH = (box[3] - box[1]) * unit;
      if (rotation % 180 != 0) std::swap(pageW, pageH);
      const double markW =
          outline_.Width * std::abs(std::cos(shown)) + outline_.Height * std::abs(std::sin(shown));
      const double markH =
          outline_.Width * std::abs(std::sin(shown)) + outline_.Height * std::abs(std::cos(shown));
      const double fit = std::min({1.0, 0.95 * pageW / markW, 0.95 * pageH / markH});
      const double k = fit / unit;
      const double a = k * std::cos(theta), b = k * std::sin(theta);
      const double cx = (box[0] + box[2]) / 2, cy = (box[1] + box[3]) / 2;
      const double e = cx - (a * outline_.Width / 2 - b * outline_.Height / 2);
      const double f = cy - (b * outline_.Width / 2 + a * outline_.Height / 2);
      const std::string text =
          "\nQ\n/Artifact <</Type /Pagination /Subtype /Watermark /Stampwell true>> BDC\nq " +
          MatrixNumber(a) + " " + MatrixNumber(b) + " " + MatrixNumber(-b) + " " + MatrixNumber(a) + " " + MatrixNumber(e) + " " + MatrixNumber(f) +
          " cm " + kPdfMarkName + " Do Q\nEMC\n";
      it = placements.emplace(key, OwnStream(pdf, text, "/Mark")).first;
    }
    page.addPageContents(before, true);
    page.addPageContents(it->second, false);

    Handle object = page.getObjectHandle();
    Handle pageResources = page.getAttribute("/Resources", true);
    if (!pageResources.isDictionary()) {
      pageResources = Handle::newDictionary();
      object.replaceKey("/Resources", pageResources);
    }
    Handle xobjects = pageResources.getKey("/XObject");
    if (!xobjects.isDictionary()) {
      xobjects = Handle::newDictionary();
      pageResources.replaceKey("/XObject", xobjects);
    }
    xobjects.replaceKey(kPdfMarkName, form);
  }
}

void TPdfWaterMark::SaveAs(const std::string& dest) {
  if (!pdf_) throw std::logic_error("TPdfWaterMark::SaveAs: no document open");
  const std::string temp = TempNameBeside(dest);
  std::FILE* file = std::fopen(temp.c_str(), "wb");
  if (!file) throw std::runtime_error(WriteErrorText(dest, errno));
  RegisterTempFile(temp);
  auto fail = [&](const std::string& why) {
    std::remove(temp.c_str());
    UnregisterTempFile(temp);
    throw std::runtime_error(why);
  };
  try {
    QPDFWriter writer(*pdf_, temp.c_str(), file, false);
    // The source's objects go out as they came in: streams neither decoded nor recompressed,
    // object streams and encryption (with its permissions) kept.
    writer.setDecodeLevel(qpdf_dl_none);
    writer.setCompressStreams(false);
    writer.setPreserveEncryption(true);
    if (needsTransparency_) writer.setMinimumPDFVersion("1.4");
    writer.write();
  } catch (const std::exception& e) {
    std::fclose(file);
    fail(std::string("cannot write ") + dest + ": " + e.what());
  }
  int error = 0;
  if (std::fflush(file) != 0 || ::fsync(fileno(file)) != 0) error = errno;
  if (std::fclose(file) != 0 && error == 0) error = errno;
  if (error != 0) fail(WriteErrorText(dest, error));
  if (std::rename(temp.c_str(), dest.c_str()) != 0) fail(WriteErrorText(dest, errno));
  UnregisterTempFile(temp);
}

void TPdfWaterMark::PrintToPDFFile(const std::string& pdfPath) { SaveAs(pdfPath); }

void TPdfWaterMark::Close() { pdf_.reset(); }

void TPdfWaterMark::Quit() { Close(); }

}  // namespace stampwell
