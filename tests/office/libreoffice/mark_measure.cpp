#include "mark_measure.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numeric>
#include <vector>

#include "office_documents.h"
#include "support/temp_dir.h"

namespace stampwell::test {
namespace {

namespace fs = std::filesystem;

struct Image {
  int w = 0, h = 0;
  std::vector<unsigned char> rgb;
};

Image ReadPpm(const std::string& path) {
  Image img;
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int max = 0;
  in >> magic >> img.w >> img.h >> max;
  in.get();
  if (magic != "P6" || img.w <= 0 || img.h <= 0 || max != 255) return {};
  img.rgb.resize(size_t(img.w) * img.h * 3);
  in.read(reinterpret_cast<char*>(img.rgb.data()), std::streamsize(img.rgb.size()));
  return in ? img : Image{};
}

std::optional<MarkMeasure> MeasurePage(const Image& img, const double colour[3]) {
  double span[3];
  bool informative[3];
  int channels = 0;
  for (int c = 0; c < 3; ++c) {
    span[c] = 255.0 - colour[c];
    informative[c] = span[c] > 100;
    channels += informative[c];
  }
  if (channels == 0) return std::nullopt;
  std::vector<double> xs, ys, strength;
  for (int y = 0; y < img.h; ++y)
    for (int x = 0; x < img.w; ++x) {
      const unsigned char* px = &img.rgb[(size_t(y) * img.w + x) * 3];
      // How far the pixel is blended toward the mark's colour, from the informative channels;
      // a pixel is the mark's when every channel fits that blend.
      double t = 0;
      for (int c = 0; c < 3; ++c)
        if (informative[c]) t += (255.0 - px[c]) / span[c];
      t /= channels;
      double residual = 0;
      for (int c = 0; c < 3; ++c)
        residual = std::max(residual, std::abs(px[c] - (255.0 - t * span[c])));
      if (t > 0.15 && residual < 25) {
        xs.push_back(x);
        ys.push_back(-y);
        strength.push_back(t);
      }
    }
  if (xs.size() < 30) return std::nullopt;
  const double n = double(xs.size());
  const double mx = std::accumulate(xs.begin(), xs.end(), 0.0) / n;
  const double my = std::accumulate(ys.begin(), ys.end(), 0.0) / n;
  double sxx = 0, syy = 0, sxy = 0;
  for (size_t i = 0; i < xs.size(); ++i) {
    sxx += (xs[i] - mx) * (xs[i] - mx);
    syy += (ys[i] - my) * (ys[i] - my);
    sxy += (xs[i] - mx) * (ys[i] - my);
  }
  // The direction of the principal axis of the point cloud.
  double angle = 0.5 * std::atan2(2 * sxy, sxx - syy) * 180.0 / M_PI;
  angle = std::fmod(angle + 180.0, 180.0);
  if (angle > 135.0) angle -= 180.0;
  // The opacity from the glyph cores: the strongest tenth of the mark's pixels.
  std::sort(strength.begin(), strength.end(), std::greater<>());
  const size_t core = std::max<size_t>(5, strength.size() / 10);
  const double opacity =
      std::min(1.0, std::accumulate(strength.begin(), strength.begin() + core, 0.0) / core);
  const auto [x0, x1] = std::minmax_element(xs.begin(), xs.end());
  const auto [y0, y1] = std::minmax_element(ys.begin(), ys.end());  // negated rows
  MarkMeasure m;
  m.angle = angle;
  m.opacity = opacity;
  m.cx = (*x0 + *x1) / 2 / img.w;
  m.cy = -(*y0 + *y1) / 2 / img.h;
  m.w = (*x1 - *x0) / img.w;
  m.h = (*y1 - *y0) / img.h;
  m.pixels = int(xs.size());
  return m;
}

}  // namespace

std::optional<MarkMeasure> MeasureMark(const std::string& pdf, int r, int g, int b) {
  TempDir dir;
  RunCapture("pdftoppm -r 60 -f 1 -l 3 '" + pdf + "' '" + (dir / "page") + "' 2>/dev/null");
  const double colour[3] = {double(r), double(g), double(b)};
  std::optional<MarkMeasure> best;
  std::vector<std::string> pages;
  for (const auto& e : fs::directory_iterator(dir.Path()))
    if (e.path().extension() == ".ppm") pages.push_back(e.path().string());
  std::sort(pages.begin(), pages.end());
  for (size_t i = 0; i < pages.size(); ++i) {
    auto m = MeasurePage(ReadPpm(pages[i]), colour);
    if (!m) continue;
    m->page = int(i) + 1;
    if (!best || m->pixels > best->pixels) best = m;
  }
  return best;
}

std::string ReaderPdf(const std::string& file, const std::string& outDir) {
  if (!ConvertWithOffice({file}, "pdf", outDir)) return "";
  return (fs::path(outDir) / fs::path(file).filename().replace_extension(".pdf")).string();
}

std::string Describe(const std::optional<MarkMeasure>& m) {
  if (!m) return "no mark";
  char buf[160];
  std::snprintf(buf, sizeof buf, "angle=%.1f opacity=%.2f cx=%.2f cy=%.2f w=%.2f h=%.2f page=%d",
                m->angle, m->opacity, m->cx, m->cy, m->w, m->h, m->page);
  return buf;
}

}  // namespace stampwell::test
