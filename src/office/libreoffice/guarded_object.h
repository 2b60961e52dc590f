// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "office/automation/dispatch_object.h"

namespace stampwell {

// An automation object whose members are registered from outside (the servers build their
// object model from small tables of lambdas) and which runs every member inside a guard: the
// LibreOffice servers bound each call by time and translate UNO errors there.
class TGuardedObject : public DispatchObject {
 public:
  using GuardFn = std::function<OleVariant(const std::function<OleVariant()>&)>;

  explicit TGuardedObject(GuardFn guard = {}) : guard_(std::move(guard)) {}

  TGuardedObject& Prop(const std::string& name, Getter get, Putter put = {});
  TGuardedObject& Func(const std::string& name, Method call);
  // A method that runs outside the guard (Quit must work when the process is gone).
  TGuardedObject& FuncUnguarded(const std::string& name, Method call);
  // Members that only write properties of the object's own shape, read only what sending
  // those writes first keeps right, or touch nothing in the office: property writes held
  // back for one call (TOfficeProcess::HoldWrites) may stay held while they run.
  TGuardedObject& WritesOnly(std::initializer_list<const char*> names);

  OleVariant Get(const std::string& name, const Args& args) override;
  void Put(const std::string& name, const OleVariant& value) override;
  OleVariant Call(const std::string& name, const Args& args) override;

 private:
  OleVariant Run(const std::function<OleVariant()>& fn);
  GuardFn guard_;
  std::set<std::string> unguarded_;  // lower-case names
  std::set<std::string> writesOnly_;  // lower-case names
};

// The argument at index i; an empty variant when it was not given or is the placeholder.
OleVariant ArgAt(const std::vector<OleVariant>& args, std::size_t i);

}  // namespace stampwell
