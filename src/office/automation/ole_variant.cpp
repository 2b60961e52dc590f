// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/automation/ole_variant.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/strings.h"

namespace stampwell {

namespace {

constexpr std::int64_t kCyScale = 10000;

// Rounds to the nearest whole number, halves to the even neighbour, the way Automation
// converts reals to integers.
double RoundHalfEven(double v) { return std::nearbyint(v); }

std::string FormatDouble(double d) {
  // Shortest text that reads back as the same double.
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, d);
  return std::string(buf, res.ptr);
}

bool ParseDouble(const std::string& text, double& out) {
  std::string t = Trim(text);
  if (t.empty()) return false;
  const char* first = t.data();
  if (*first == '+') ++first;
  auto res = std::from_chars(first, t.data() + t.size(), out);
  return res.ec == std::errc() && res.ptr == t.data() + t.size();
}

[[noreturn]] void TypeMismatch(const char* target, const std::string& what) {
  throw EOleError("Type mismatch: cannot convert " + what + " to " + target);
}

}  // namespace

// ---- Currency ------------------------------------------------------------------------------

Currency Currency::Parse(const std::string& text) {
  std::string t = Trim(text);
  size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) negative = t[i++] == '-';
  std::int64_t whole = 0;
  bool anyDigit = false;
  constexpr std::int64_t kMaxWhole = std::numeric_limits<std::int64_t>::max() / kCyScale - 1;
  while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
    whole = whole * 10 + (t[i++] - '0');
    anyDigit = true;
    if (whole > kMaxWhole) throw std::invalid_argument("Currency out of range: " + text);
  }
  std::int64_t frac = 0;
  int fracDigits = 0;
  int roundDigit = -1;      // the fifth decimal, deciding the rounding
  bool stickyRest = false;  // any non-zero decimal after the fifth
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
      int d = t[i++] - '0';
      anyDigit = true;
      if (fracDigits < 4) {
        frac = frac * 10 + d;
        ++fracDigits;
      } else if (roundDigit < 0) {
        roundDigit = d;
      } else if (d != 0) {
        stickyRest = true;
      }
    }
  }
  if (!anyDigit || i != t.size()) throw std::invalid_argument("Not a decimal number: " + text);
  while (fracDigits < 4) {
    frac *= 10;
    ++fracDigits;
  }
  std::int64_t scaled = whole * kCyScale + frac;
  // Decimals beyond the fourth round to the nearest, halves to even.
  if (roundDigit > 5 || (roundDigit == 5 && (stickyRest || (scaled % 2) != 0))) ++scaled;
  Currency c;
  c.scaled = negative ? -scaled : scaled;
  return c;
}

std::string Currency::ToString() const {
  std::uint64_t mag = scaled < 0 ? std::uint64_t(0) - std::uint64_t(scaled) : std::uint64_t(scaled);
  std::string s = std::to_string(mag / kCyScale);
  std::uint64_t frac = mag % kCyScale;
  if (frac != 0) {
    std::string f = std::to_string(frac);
    f.insert(0, 4 - f.size(), '0');
    while (!f.empty() && f.back() == '0') f.pop_back();
    s += "." + f;
  }
  return scaled < 0 ? "-" + s : s;
}

// ---- OleVariant ----------------------------------------------------------------------------

OleVariant OleVariant::Null() {
  OleVariant v;
  v.value_ = NullValue{};
  return v;
}

OleVariant OleVariant::Error(std::uint32_t code) {
  OleVariant v;
  v.value_ = ErrorValue{code};
  return v;
}

VarType OleVariant::Type() const {
  static constexpr VarType kTypes[] = {VarType::Empty,  VarType::Null,   VarType::Bool,
                                       VarType::Int,    VarType::Double, VarType::Currency,
                                       VarType::String, VarType::Error,  VarType::Dispatch};
  return kTypes[value_.index()];
}

bool OleVariant::IsMissing() const {
  const auto* e = std::get_if<ErrorValue>(&value_);
  return e && e->code == kParamNotFound;
}

bool OleVariant::AsBool() const {
  switch (Type()) {
    case VarType::Empty:
      return false;
    case VarType::Bool:
      return std::get<BoolValue>(value_).value;
    case VarType::Int:
      return std::get<std::int32_t>(value_) != 0;
    case VarType::Double:
      return std::get<double>(value_) != 0.0;
    case VarType::Currency:
      return std::get<Currency>(value_).scaled != 0;
    case VarType::String: {
      const auto& s = std::get<std::string>(value_);
      std::string t = Trim(s);
      if (SameText(t, "true")) return true;
      if (SameText(t, "false")) return false;
      double d;
      if (ParseDouble(t, d)) return d != 0.0;
      TypeMismatch("Boolean", Describe());
    }
    default:
      TypeMismatch("Boolean", Describe());
  }
}

std::int32_t OleVariant::AsInt() const {
  double d = 0;
  switch (Type()) {
    case VarType::Empty:
      return 0;
    case VarType::Bool:
      return std::get<BoolValue>(value_).value ? -1 : 0;
    case VarType::Int:
      return std::get<std::int32_t>(value_);
    case VarType::Currency: {
      // Exact: whole part plus half-even rounding of the four decimals.
      std::int64_t s = std::get<Currency>(value_).scaled;
      std::int64_t q = s / kCyScale, r = s % kCyScale;
      if (r > kCyScale / 2 || (r == kCyScale / 2 && (q % 2) != 0)) ++q;
      if (r < -kCyScale / 2 || (r == -kCyScale / 2 && (q % 2) != 0)) --q;
      if (q < std::numeric_limits<std::int32_t>::min() ||
          q > std::numeric_limits<std::int32_t>::max())
        throw EOleError("Overflow converting " + Describe() + " to Integer");
      return std::int32_t(q);
    }
    case VarType::Double:
      d = std::get<double>(value_);
      break;
    case VarType::String:
      if (!ParseDouble(std::get<std::string>(value_), d)) TypeMismatch("Integer", Describe());
      break;
    default:
      TypeMismatch("Integer", Describe());
  }
  if (!std::isfinite(d)) TypeMismatch("Integer", Describe());
  d = RoundHalfEven(d);
  if (d < double(std::numeric_limits<std::int32_t>::min()) ||
      d > double(std::numeric_limits<std::int32_t>::max()))
    throw EOleError("Overflow converting " + Describe() + " to Integer");
  return std::int32_t(d);
}

double OleVariant::AsDouble() const {
  switch (Type()) {
    case VarType::Empty:
      return 0.0;
    case VarType::Bool:
      return std::get<BoolValue>(value_).value ? -1.0 : 0.0;
    case VarType::Int:
      return std::get<std::int32_t>(value_);
    case VarType::Double:
      return std::get<double>(value_);
    case VarType::Currency:
      return std::get<Currency>(value_).ToDouble();
    case VarType::String: {
      double d;
      if (ParseDouble(std::get<std::string>(value_), d)) return d;
      TypeMismatch("Double", Describe());
    }
    default:
      TypeMismatch("Double", Describe());
  }
}

Currency OleVariant::AsCurrency() const {
  Currency c;
  switch (Type()) {
    case VarType::Empty:
      return c;
    case VarType::Bool:
      c.scaled = std::get<BoolValue>(value_).value ? -kCyScale : 0;
      return c;
    case VarType::Int:
      c.scaled = std::int64_t(std::get<std::int32_t>(value_)) * kCyScale;
      return c;
    case VarType::Currency:
      return std::get<Currency>(value_);
    case VarType::Double: {
      double d = std::get<double>(value_) * double(kCyScale);
      if (!std::isfinite(d) || std::fabs(d) > 9.2e18)
        throw EOleError("Overflow converting " + Describe() + " to Currency");
      c.scaled = std::int64_t(RoundHalfEven(d));
      return c;
    }
    case VarType::String:
      try {
        return Currency::Parse(std::get<std::string>(value_));
      } catch (const std::invalid_argument&) {
        TypeMismatch("Currency", Describe());
      }
    default:
      TypeMismatch("Currency", Describe());
  }
}

std::string OleVariant::AsString() const {
  switch (Type()) {
    case VarType::Empty:
      return std::string();
    case VarType::Bool:
      return std::get<BoolValue>(value_).value ? "True" : "False";
    case VarType::Int:
      return std::to_string(std::get<std::int32_t>(value_));
    case VarType::Double:
      return FormatDouble(std::get<double>(value_));
    case VarType::Currency:
      return std::get<Currency>(value_).ToString();
    case VarType::String:
      return std::get<std::string>(value_);
    default:
      TypeMismatch("String", Describe());
  }
}

std::uint32_t OleVariant::AsError() const {
  if (const auto* e = std::get_if<ErrorValue>(&value_)) return e->code;
  TypeMismatch("Error", Describe());
}

DispatchPtr OleVariant::AsDispatch() const {
  if (const auto* d = std::get_if<DispatchPtr>(&value_); d && *d) return *d;
  throw EOleError("Variant does not reference an automation object");
}

namespace {

// The object behind v for a member call; anything else names the member it was meant for.
IDispatchObject& Receiver(const OleVariant& v, const std::string& member) {
  if (v.Type() == VarType::Dispatch) {
    if (DispatchPtr d = v.AsDispatch()) return *d;
  }
  throw EOleError("Variant does not reference an automation object: " + member);
}

}  // namespace

OleVariant OleVariant::Get(const std::string& name, std::vector<OleVariant> args) const {
  return Receiver(*this, name).Get(name, args);
}

void OleVariant::Put(const std::string& name, const OleVariant& value) const {
  Receiver(*this, name).Put(name, value);
}

OleVariant OleVariant::Call(const std::string& name, std::vector<OleVariant> args) const {
  return Receiver(*this, name).Call(name, args);
}

std::string OleVariant::Describe() const {
  char buf[32];
  switch (Type()) {
    case VarType::Empty:
      return "Empty";
    case VarType::Null:
      return "Null";
    case VarType::Bool:
      return std::get<BoolValue>(value_).value ? "Bool(-1)" : "Bool(0)";
    case VarType::Int:
      return "Int(" + std::to_string(std::get<std::int32_t>(value_)) + ")";
    case VarType::Double:
      return "Double(" + FormatDouble(std::get<double>(value_)) + ")";
    case VarType::Currency:
      return "Cy(" + std::get<Currency>(value_).ToString() + ")";
    case VarType::String:
      return "Str(\"" + std::get<std::string>(value_) + "\")";
    case VarType::Error:
      if (IsMissing()) return "Missing";
      std::snprintf(buf, sizeof buf, "Err(0x%08X)", unsigned(std::get<ErrorValue>(value_).code));
      return buf;
    case VarType::Dispatch:
      return "Dispatch";
  }
  return "?";
}

bool OleVariant::operator==(const OleVariant& other) const { return value_ == other.value_; }

}  // namespace stampwell
