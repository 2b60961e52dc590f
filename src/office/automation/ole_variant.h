// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace stampwell {

class IDispatchObject;
using DispatchPtr = std::shared_ptr<IDispatchObject>;

// An automation error: a failing member call, an unknown member, an unknown server.
class EOleError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The server's process ended under the call (it died or was killed): the call failed for
// that, not for anything wrong with what it was given.
class EOfficeEnded : public EOleError {
 public:
  using EOleError::EOleError;
};

// Exact fixed point with four decimals (the Automation currency type): 0.75 is 7500.
struct Currency {
  std::int64_t scaled = 0;  // value * 10000
  // Parses a decimal text such as "0.5" or "-1.23" exactly; throws std::invalid_argument.
  static Currency Parse(const std::string& text);
  double ToDouble() const { return static_cast<double>(scaled) / 10000.0; }
  std::string ToString() const;  // "0.5", "1.23", "2"
  bool operator==(const Currency&) const = default;
};

enum class VarType { Empty, Null, Bool, Int, Double, Currency, String, Error, Dispatch };

// The value of an automation argument or result.
class OleVariant {
 public:
  static constexpr std::uint32_t kParamNotFound = 0x80020004u;  // DISP_E_PARAMNOTFOUND

  OleVariant() = default;  // empty
  OleVariant(bool b) : value_(BoolValue{b}) {}
  OleVariant(int i) : value_(std::int32_t(i)) {}
  OleVariant(double d) : value_(d) {}
  OleVariant(Currency c) : value_(c) {}
  OleVariant(std::string s) : value_(std::move(s)) {}
  OleVariant(const char* s) : value_(std::string(s)) {}
  OleVariant(DispatchPtr d) : value_(std::move(d)) {}

  static OleVariant Null();
  static OleVariant Error(std::uint32_t code);
  // The placeholder for an optional argument that is not given.
  static OleVariant Missing() { return Error(kParamNotFound); }

  VarType Type() const;
  bool IsEmpty() const { return Type() == VarType::Empty; }
  bool IsMissing() const;

  // Conversions in the Automation manner. A Bool converts to -1/0 as a number; a number
  // converts to a Bool as non-zero; strings convert to numbers when they parse.
  // A conversion that is not possible throws EOleError.
  bool AsBool() const;
  std::int32_t AsInt() const;
  double AsDouble() const;
  Currency AsCurrency() const;
  std::string AsString() const;
  std::uint32_t AsError() const;
  DispatchPtr AsDispatch() const;  // throws EOleError unless the variant holds an object

  // Member calls on the object the variant holds. On any other content they throw an
  // EOleError naming the member.
  OleVariant Get(const std::string& name, std::vector<OleVariant> args = {}) const;
  void Put(const std::string& name, const OleVariant& value) const;
  OleVariant Call(const std::string& name, std::vector<OleVariant> args = {}) const;

  // Readable form for logs and test failures: 'Str("abc")', 'Int(3)', 'Bool(-1)', 'Cy(0.5)',
  // 'Err(0x80020004)', 'Missing', 'Empty', 'Null', 'Double(1.5)', 'Dispatch'.
  std::string Describe() const;

  // Same type and same value (objects: the same object).
  bool operator==(const OleVariant& other) const;

 private:
  struct NullValue {
    bool operator==(const NullValue&) const = default;
  };
  struct BoolValue {
    bool value;
    bool operator==(const BoolValue&) const = default;
  };
  struct ErrorValue {
    std::uint32_t code;
    bool operator==(const ErrorValue&) const = default;
  };
  std::variant<std::monostate, NullValue, BoolValue, std::int32_t, double, Currency, std::string,
               ErrorValue, DispatchPtr>
      value_;
};

// An automation object: members are reached by name, compared without regard to case.
// A member the object does not have raises EOleError naming the member.
class IDispatchObject {
 public:
  virtual ~IDispatchObject() = default;
  // Reads a property (args: an indexed property such as Item(1), BuiltInDocumentProperties(14)).
  virtual OleVariant Get(const std::string& name, const std::vector<OleVariant>& args) = 0;
  // Assigns a property.
  virtual void Put(const std::string& name, const OleVariant& value) = 0;
  // Calls a method.
  virtual OleVariant Call(const std::string& name, const std::vector<OleVariant>& args) = 0;
};

}  // namespace stampwell
