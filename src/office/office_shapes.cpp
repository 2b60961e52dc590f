// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/office_shapes.h"

#include <cmath>
#include <limits>
#include <stdexcept>

#include "office/automation/automation.h"
#include "platform/strings.h"

namespace stampwell {

int ParseWatermarkSize(const std::string& text) {
  const std::string t = Trim(text);
  size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  if (i == t.size()) throw std::invalid_argument("'" + text + "' is not a valid integer value");
  long long value = 0;
  for (; i < t.size(); ++i) {
    if (t[i] < '0' || t[i] > '9' || value > (1LL << 32))
      throw std::invalid_argument("'" + text + "' is not a valid integer value");
    value = value * 10 + (t[i] - '0');
  }
  if (negative) value = -value;
  if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
    throw std::invalid_argument("'" + text + "' is not a valid integer value");
  return int(value);
}

std::vector<OleVariant> WithPlaceholders(std::vector<OleVariant> head, std::size_t count) {
  head.insert(head.end(), count, OleVariant::Missing());
  return head;
}

OleVariant ColorArg(TColor color) { return OleVariant(static_cast<int>(std::int32_t(color))); }

std::vector<OleVariant> TextEffectArgs(const RDocSettings& settings, int size, int left, int top) {
  return {0, settings.DocWaterMarkStr, settings.DocFontName, size, 0, 0, left, top};
}

OleVariant Fixed(const char* decimal) { return OleVariant(Currency::Parse(decimal)); }

OleVariant TransparencyArg(bool transparent, const char* decimal) {
  return transparent ? Fixed(decimal) : OleVariant(0);
}

OleVariant RotationArg(bool oblique) { return OleVariant(oblique ? 315 : 0); }

OleVariant StartOfficeApplication(const std::string& progId) {
  CoInitialize(nullptr);
  try {
    return CreateOleObject(progId);
  } catch (...) {
    CoUninitialize();
    throw;
  }
}

bool WalkShapes(const std::function<OleVariant()>& shapes, const std::string& name,
                bool deleteMatch) {
  const int count = shapes().Get("Count").AsInt();
  for (int i = 1; i <= count; ++i) {
    OleVariant item = shapes().Get("Item", {i});
    if (item.Get("Name").AsString() == name) {
      if (deleteMatch) item.Call("Delete");
      return true;
    }
  }
  return false;
}

void ApplyFillAndLine(const OleVariant& shape, const RDocSettings& settings) {
  shape.Get("Fill").Put("Visible", true);
  shape.Get("Fill").Put("Transparency", TransparencyArg(settings.Transparent, "0.7"));
  shape.Put("Rotation", RotationArg(settings.HX));
  shape.Get("Fill").Get("ForeColor").Put("RGB", ColorArg(settings.DocWatermarkColor));
  shape.Get("Line").Put("Weight", Fixed("0.75"));
  shape.Get("Line").Put("DashStyle", 1);
  shape.Get("Line").Put("Style", 1);
  shape.Get("Line").Put("Transparency", TransparencyArg(settings.Transparent, "0.7"));
  shape.Get("Line").Put("Visible", false);
  shape.Get("Line").Get("BackColor").Put("RGB", ColorArg(settings.DocWatermarkColor));
}

int RoundHalfEven(double value) {
  if (!std::isfinite(value)) throw std::range_error("Invalid floating point operation");
  double floor = std::floor(value);
  double diff = value - floor;
  double r = floor;
  if (diff > 0.5 || (diff == 0.5 && std::fmod(floor, 2.0) != 0.0)) r = floor + 1.0;
  if (r < double(std::numeric_limits<int>::min()) || r > double(std::numeric_limits<int>::max()))
    throw std::range_error("Invalid floating point operation");
  return int(r);
}

}  // namespace stampwell
