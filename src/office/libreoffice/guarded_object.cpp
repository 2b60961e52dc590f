// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/libreoffice/guarded_object.h"

#include <optional>

#include "office/libreoffice/office_process.h"
#include "platform/strings.h"

namespace stampwell {

TGuardedObject& TGuardedObject::Prop(const std::string& name, Getter get, Putter put) {
  if (get) AddGetter(name, std::move(get));
  if (put) AddPutter(name, std::move(put));
  return *this;
}

TGuardedObject& TGuardedObject::Func(const std::string& name, Method call) {
  AddMethod(name, std::move(call));
  return *this;
}

TGuardedObject& TGuardedObject::FuncUnguarded(const std::string& name, Method call) {
  unguarded_.insert(LowerCase(name));
  AddMethod(name, std::move(call));
  return *this;
}

TGuardedObject& TGuardedObject::WritesOnly(std::initializer_list<const char*> names) {
  for (const char* name : names) writesOnly_.insert(LowerCase(name));
  return *this;
}

OleVariant TGuardedObject::Run(const std::function<OleVariant()>& fn) {
  return guard_ ? guard_(fn) : fn();
}

OleVariant TGuardedObject::Get(const std::string& name, const Args& args) {
  const std::string key = LowerCase(name);
  if (unguarded_.count(key)) return DispatchObject::Get(name, args);
  std::optional<TOfficeProcess::TWritesMayWait> mayWait;
  if (writesOnly_.count(key)) mayWait.emplace();
  return Run([&] { return DispatchObject::Get(name, args); });
}

void TGuardedObject::Put(const std::string& name, const OleVariant& value) {
  std::optional<TOfficeProcess::TWritesMayWait> mayWait;
  if (writesOnly_.count(LowerCase(name))) mayWait.emplace();
  Run([&] {
    DispatchObject::Put(name, value);
    return OleVariant();
  });
}

OleVariant TGuardedObject::Call(const std::string& name, const Args& args) {
  const std::string key = LowerCase(name);
  if (unguarded_.count(key)) return DispatchObject::Call(name, args);
  std::optional<TOfficeProcess::TWritesMayWait> mayWait;
  if (writesOnly_.count(key)) mayWait.emplace();
  return Run([&] { return DispatchObject::Call(name, args); });
}

OleVariant ArgAt(const std::vector<OleVariant>& args, std::size_t i) {
  if (i >= args.size() || args[i].IsMissing()) return OleVariant();
  return args[i];
}

}  // namespace stampwell
