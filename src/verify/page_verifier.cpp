// SPDX-License-Identifier: GPL-3.0-or-later
#include "verify/page_verifier.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

#include "verify/mark_finder.h"

namespace stampwell {

namespace {

// Poppler tells every syntax error of a damaged file on standard error; a run reports what
// matters in its own log.
void QuietPoppler() {
  static std::once_flag once;
  std::call_once(
      once, [] { poppler::set_debug_error_function([](const std::string&, void*) {}, nullptr); });
}

std::unique_ptr<poppler::document> Load(const std::string& path) {
  return std::unique_ptr<poppler::document>(poppler::document::load_from_file(path));
}

// A rendered page as 8-bit red, green, blue.
struct RgbPage {
  std::vector<std::uint8_t> pixels;
  RPageImage image;
};

bool Render(const poppler::document& doc, int index, double dpi, RgbPage& out) {
  std::unique_ptr<poppler::page> page(doc.create_page(index));
  if (!page) return false;
  poppler::page_renderer renderer;
  renderer.set_render_hint(poppler::page_renderer::antialiasing, true);
  renderer.set_render_hint(poppler::page_renderer::text_antialiasing, true);
  renderer.set_paper_color(0xFFFFFFFF);
  const poppler::image img = renderer.render_page(page.get(), dpi, dpi);
  if (!img.is_valid()) return false;
  const int w = img.width(), h = img.height();
  const int step = img.format() == poppler::image::format_bgr24 ? 3 : 4;
  if (img.format() != poppler::image::format_argb32 &&
      img.format() != poppler::image::format_rgb24 && img.format() != poppler::image::format_bgr24)
    return false;
  out.pixels.resize(std::size_t(w) * std::size_t(h) * 3);
  const char* data = img.const_data();
  for (int y = 0; y < h; ++y) {
    const auto* row =
        reinterpret_cast<const std::uint8_t*>(data + std::size_t(y) * img.bytes_per_row());
    std::uint8_t* dst = out.pixels.data() + std::size_t(y) * std::size_t(w) * 3;
    for (int x = 0; x < w; ++x) {
      // Blue, green, red in memory order (argb32 and rgb24 are native 32-bit words on a
      // little-endian machine; the paper is opaque, so no alpha to undo).
      dst[3 * x] = row[step * x + 2];
      dst[3 * x + 1] = row[step * x + 1];
      dst[3 * x + 2] = row[step * x];
    }
  }
  out.image = {w, h, out.pixels.data()};
  return true;
}

// A page whose shorter side is under an inch (a stamp-sized image saved as a PDF) holds a few
// pixels at the verifier's resolution, far fewer than a mark needs to be told from a stray
// pixel: it is looked at enlarged, as a reader zooms in, to the width of ordinary paper, and
// measured as such a page would be. Never beyond kMostPixels along its longer side.
constexpr double kSmallPage = 72.0;    // points
constexpr double kPaperWidth = 595.0;  // points, A4
constexpr double kMostPixels = 6000.0;

double PageDpi(const poppler::document& doc, int index, double dpi) {
  std::unique_ptr<poppler::page> page(doc.create_page(index));
  if (!page) return dpi;
  const poppler::rectf box = page->page_rect();
  const double shorter = std::min(std::abs(box.width()), std::abs(box.height()));
  const double longer = std::max(std::abs(box.width()), std::abs(box.height()));
  if (shorter <= 0 || shorter >= kSmallPage) return dpi;
  const double enlarged = dpi * kPaperWidth / shorter;
  return std::max(dpi, std::min(enlarged, kMostPixels * 72.0 / longer));
}

}  // namespace

TPageVerifier::TPageVerifier(TColor markColor, double dpi) : color_(markColor), dpi_(dpi) {}

RPageCheck TPageVerifier::Check(const std::string& pdfPath, const std::string& againstPdf,
                                const std::vector<int>& onlyPages) const {
  QuietPoppler();
  RPageCheck result;
  auto doc = Load(pdfPath);
  if (!doc) {
    result.Error = "its PDF cannot be read to verify the mark";
    return result;
  }
  if (doc->is_locked()) {
    result.Error = "its PDF needs a password, the mark cannot be verified";
    return result;
  }
  std::unique_ptr<poppler::document> against;
  if (!againstPdf.empty()) {
    against = Load(againstPdf);
    if (against && against->is_locked()) against.reset();
  }
  const TMarkFinder finder(color_, dpi_);
  result.Measurable = finder.Measurable();
  result.Pages = doc->pages();
  result.Opened = true;
  RgbPage page, under;
  for (int i = 0; i < result.Pages; ++i) {
    if (!onlyPages.empty() &&
        std::find(onlyPages.begin(), onlyPages.end(), i + 1) == onlyPages.end())
      continue;
    const double dpi = PageDpi(*doc, i, dpi_);
    if (!Render(*doc, i, dpi, page)) {
      result.Unmarked.push_back(i + 1);
      continue;
    }
    const bool haveUnder = against && i < against->pages() && Render(*against, i, dpi, under);
    if (!finder.Shows(page.image, haveUnder ? &under.image : nullptr))
      result.Unmarked.push_back(i + 1);
  }
  return result;
}

std::string UnmarkedPagesText(const std::vector<int>& pages) {
  std::string text = "the mark does not show on page(s) ";
  for (std::size_t i = 0; i < pages.size(); ++i) {
    if (i) text += ", ";
    text += std::to_string(pages[i]);
  }
  return text;
}

RVerifyOutcome VerifyOutput(const std::string& file, const std::string& pdf,
                            const RDocSettings& settings, const std::string& againstPdf,
                            const std::vector<int>& onlyPages) {
  const RPageCheck check =
      TPageVerifier(settings.DocWatermarkColor).Check(pdf, againstPdf, onlyPages);
  if (!check.Opened) return {false, check.Error};
  if (!check.Measurable)
    return {false, "the mark's colour cannot be told from white paper, so it cannot be verified"};
  if (check.Pages == 0) return {false, "its PDF has no pages"};
  if (!check.Unmarked.empty()) return {false, UnmarkedPagesText(check.Unmarked), check.Unmarked};
  const std::string n = std::to_string(check.Pages);
  return {true, "Verified " + file + ": " + n + " of " + n + " pages"};
}

}  // namespace stampwell
