// SPDX-License-Identifier: GPL-3.0-or-later
#include "mark_render.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "office_documents.h"

namespace stampwell::test {

namespace fs = std::filesystem;

namespace {

std::string Quote(const std::string& s) {  // for the shell
  std::string out = "'";
  for (char c : s) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  return out + "'";
}

bool ReadPpm(const std::string& path, int& width, int& height, std::vector<unsigned char>& rgb) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int maxval = 0;
  in >> magic >> width >> height >> maxval;
  if (!in || magic != "P6" || maxval != 255 || width <= 0 || height <= 0) return false;
  in.get();  // the single white space after the header
  rgb.resize(std::size_t(width) * height * 3);
  in.read(reinterpret_cast<char*>(rgb.data()), std::streamsize(rgb.size()));
  return bool(in);
}

// The resolution pages are rendered at for measuring: the lowest at which the measures of the
// corpus marks (angle, opacity, centre, size) come out as at twice the resolution, within
// 0.1 degree and 0.01 of the page. STAMPWELL_MEASURE_DPI overrides it, for comparing
// resolutions.
int MeasureDpi() {
  static const int dpi = [] {
    const char* env = std::getenv("STAMPWELL_MEASURE_DPI");
    const int v = env ? std::atoi(env) : 0;
    return v > 0 ? v : 30;
  }();
  return dpi;
}

}  // namespace

std::optional<RMarkMeasure> MeasurePpm(const std::string& ppmPath, RRgb colour,
                                       const std::string& referencePpm) {
  int w = 0, h = 0;
  std::vector<unsigned char> px, ref;
  if (!ReadPpm(ppmPath, w, h, px)) return std::nullopt;
  int rw = 0, rh = 0;
  const bool haveRef = !referencePpm.empty() && ReadPpm(referencePpm, rw, rh, ref) && rw == w &&
                       rh == h;
  const double col[3] = {double(colour.r), double(colour.g), double(colour.b)};
  // Per pixel: how far it is blended from its background (white, or the unstamped page)
  // toward the colour (t), and whether it is that blend at all (small residual against it).
  std::vector<double> strengths;
  double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
  int x0 = w, x1 = -1, y0 = h, y1 = -1;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const std::size_t at = (std::size_t(y) * w + x) * 3;
      const unsigned char* p = &px[at];
      double bg[3] = {255, 255, 255};
      if (haveRef)
        for (int k = 0; k < 3; ++k) bg[k] = ref[at + k];
      double t = 0;
      int used = 0;
      for (int k = 0; k < 3; ++k) {
        const double span = bg[k] - col[k];
        if (std::abs(span) <= 100) continue;  // this channel cannot tell the colour apart
        t += (bg[k] - p[k]) / span;
        ++used;
      }
      if (used == 0) continue;
      t /= used;
      if (t <= 0.15) continue;
      double residual = 0;
      for (int k = 0; k < 3; ++k)
        residual = std::max(residual, std::abs(p[k] - ((1 - t) * bg[k] + t * col[k])));
      if (residual >= 25) continue;
      strengths.push_back(t);
      const double fx = x, fy = -double(y);
      sx += fx;
      sy += fy;
      sxx += fx * fx;
      syy += fy * fy;
      sxy += fx * fy;
      x0 = std::min(x0, x);
      x1 = std::max(x1, x);
      y0 = std::min(y0, y);
      y1 = std::max(y1, y);
    }
  }
  const double n = double(strengths.size());
  // 30 pixels at 60 dpi, the same area of the page at the resolution in use.
  if (n < std::max(8.0, 30.0 * MeasureDpi() * MeasureDpi() / 3600.0)) return std::nullopt;
  const double mx = sx / n, my = sy / n;
  const double cxx = sxx / n - mx * mx, cyy = syy / n - my * my, cxy = sxy / n - mx * my;
  // Direction of the major axis of the pixels' spread.
  double angle = 0.5 * std::atan2(2 * cxy, cxx - cyy) * 180.0 / M_PI;
  angle = std::fmod(angle + 180.0, 180.0);
  if (angle > 135.0) angle -= 180.0;
  std::sort(strengths.begin(), strengths.end(), std::greater<>());
  const std::size_t top = std::max<std::size_t>(5, strengths.size() / 10);
  double sum = 0;
  for (std::size_t i = 0; i < top && i < strengths.size(); ++i) sum += strengths[i];
  RMarkMeasure m;
  m.angle = angle;
  m.opacity = std::min(1.0, sum / double(std::min(top, strengths.size())));
  m.cx = (x0 + x1) / 2.0 / w;
  m.cy = (y0 + y1) / 2.0 / h;
  m.w = double(x1 - x0) / w;
  m.h = double(y1 - y0) / h;
  m.pixels = int(n);
  return m;
}

namespace {

// Renders the first pages of pdf into dir as page-N.ppm; returns them in page order.
std::vector<fs::path> RenderPages(const std::string& pdf, const fs::path& dir, int pages,
                                  int firstPage) {
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string range =
      pages > 0 ? "-f " + std::to_string(firstPage) + " -l " +
                      std::to_string(firstPage + pages - 1) + " "
                : "-f " + std::to_string(firstPage) + " ";
  RunCapture("pdftoppm -r " + std::to_string(MeasureDpi()) + " " + range + Quote(pdf) + " " +
             Quote((dir / "page").string()) + " 2>/dev/null");
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.path().extension() == ".ppm") files.push_back(e.path());
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

std::vector<std::optional<RMarkMeasure>> MeasurePdfPages(const std::string& pdf, RRgb colour,
                                                         int pages,
                                                         const std::string& referencePdf,
                                                         int firstPage) {
  std::vector<std::optional<RMarkMeasure>> measures;
  if (pdf.empty() || !fs::exists(pdf)) return measures;
  const fs::path base = fs::path(pdf).parent_path() / (fs::path(pdf).stem().string() + ".pages");
  const auto files = RenderPages(pdf, base / "stamped", pages, firstPage);
  std::vector<fs::path> refs;
  if (!referencePdf.empty() && fs::exists(referencePdf))
    refs = RenderPages(referencePdf, base / "reference", pages, firstPage);
  for (std::size_t i = 0; i < files.size(); ++i) {
    auto m = MeasurePpm(files[i].string(), colour, i < refs.size() ? refs[i].string() : "");
    if (m) m->page = firstPage + int(i);
    measures.push_back(m);
  }
  fs::remove_all(base);
  return measures;
}

std::optional<RMarkMeasure> MeasurePdf(const std::string& pdf, RRgb colour, int pages,
                                       const std::string& referencePdf) {
  std::optional<RMarkMeasure> best;
  for (const auto& m : MeasurePdfPages(pdf, colour, pages, referencePdf))
    if (m && (!best || m->pixels > best->pixels)) best = m;
  return best;
}

std::vector<std::string> RenderToPdf(const std::vector<std::string>& files,
                                     const std::string& outDir) {
  fs::create_directories(outDir);
  ConvertFresh(files, "pdf", outDir);
  std::vector<std::string> pdfs;
  for (const auto& f : files) {
    const fs::path pdf = fs::path(outDir) / (fs::path(f).stem().string() + ".pdf");
    pdfs.push_back(fs::exists(pdf) ? pdf.string() : std::string());
  }
  return pdfs;
}

std::optional<RMarkMeasure> MeasureSaved(const std::string& file, const std::string& workDir,
                                         RRgb colour) {
  return MeasurePdf(RenderToPdf({file}, workDir).front(), colour);
}

double AxisAngleDifference(double a, double b) {
  double d = std::fmod(std::abs(a - b), 180.0);
  return std::min(d, 180.0 - d);
}

std::string Describe(const std::optional<RMarkMeasure>& m) {
  if (!m) return "no mark";
  char buf[200];
  std::snprintf(buf, sizeof buf, "angle=%.1f opacity=%.2f cx=%.2f cy=%.2f w=%.2f h=%.2f page=%d",
                m->angle, m->opacity, m->cx, m->cy, m->w, m->h, m->page);
  return buf;
}

}  // namespace stampwell::test
