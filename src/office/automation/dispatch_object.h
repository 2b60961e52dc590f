// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "office/automation/ole_variant.h"

namespace stampwell {

// Base for automation objects served by this program: a subclass registers its members by
// name in its constructor and the base dispatches Get/Put/Call to them, comparing names
// without regard to case ("workBooks" reaches "Workbooks").
//
//   class TRange : public DispatchObject {
//    public:
//     TRange() {
//       AddProperty("Value", [this](const Args&) { return OleVariant(text_); },
//                   [this](const OleVariant& v) { text_ = v.AsString(); });
//       AddMethod("Select", [this](const Args&) { selected_ = true; return OleVariant(); });
//     }
//   };
//
// Lookup rules, as late-bound callers expect them:
// - Get finds a getter; a name with only a method runs the method (Word's "Item" is a
//   method that callers also read as a property).
// - Call finds a method; a name with only a getter runs the getter with the arguments.
// - Put finds a putter.
// - Anything else throws UnknownMember(name).
// Errors thrown by a member reach the caller unchanged. Members are registered before the
// object is shared; after that the tables are only read, so concurrent calls are as safe as
// the members themselves.
class DispatchObject : public IDispatchObject {
 public:
  using Args = std::vector<OleVariant>;
  using Getter = std::function<OleVariant(const Args& args)>;
  using Putter = std::function<void(const OleVariant& value)>;
  using Method = std::function<OleVariant(const Args& args)>;

  OleVariant Get(const std::string& name, const Args& args) override;
  void Put(const std::string& name, const OleVariant& value) override;
  OleVariant Call(const std::string& name, const Args& args) override;

  // True when the object has a member of that name of any kind.
  bool HasMember(const std::string& name) const;

  // The argument at index, or the missing-argument placeholder when the caller passed fewer.
  static OleVariant Arg(const Args& args, size_t index);
  // True when the argument at index was given and is not the placeholder.
  static bool HasArg(const Args& args, size_t index);

 protected:
  // Registering a name again replaces the earlier entry of that kind.
  void AddGetter(const std::string& name, Getter getter);
  void AddPutter(const std::string& name, Putter putter);
  void AddProperty(const std::string& name, Getter getter, Putter putter);
  void AddMethod(const std::string& name, Method method);

 private:
  struct Member {
    Getter get;
    Putter put;
    Method call;
  };
  const Member* Find(const std::string& name) const;
  std::unordered_map<std::string, Member> members_;  // keyed by lower-case name
};

}  // namespace stampwell
