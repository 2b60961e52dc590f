// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/automation/dispatch_object.h"

#include "office/automation/automation.h"
#include "platform/strings.h"

namespace stampwell {

const DispatchObject::Member* DispatchObject::Find(const std::string& name) const {
  auto it = members_.find(LowerCase(name));
  return it == members_.end() ? nullptr : &it->second;
}

OleVariant DispatchObject::Get(const std::string& name, const Args& args) {
  const Member* m = Find(name);
  if (m && m->get) return m->get(args);
  if (m && m->call) return m->call(args);
  throw UnknownMember(name);
}

void DispatchObject::Put(const std::string& name, const OleVariant& value) {
  const Member* m = Find(name);
  if (m && m->put) return m->put(value);
  throw UnknownMember(name);
}

OleVariant DispatchObject::Call(const std::string& name, const Args& args) {
  const Member* m = Find(name);
  if (m && m->call) return m->call(args);
  if (m && m->get) return m->get(args);
  throw UnknownMember(name);
}

bool DispatchObject::HasMember(const std::string& name) const { return Find(name) != nullptr; }

OleVariant DispatchObject::Arg(const Args& args, size_t index) {
  return index < args.size() ? args[index] : OleVariant::Missing();
}

bool DispatchObject::HasArg(const Args& args, size_t index) {
  return index < args.size() && !args[index].IsMissing();
}

void DispatchObject::AddGetter(const std::string& name, Getter getter) {
  members_[LowerCase(name)].get = std::move(getter);
}

void DispatchObject::AddPutter(const std::string& name, Putter putter) {
  members_[LowerCase(name)].put = std::move(putter);
}

void DispatchObject::AddProperty(const std::string& name, Getter getter, Putter putter) {
  AddGetter(name, std::move(getter));
  AddPutter(name, std::move(putter));
}

void DispatchObject::AddMethod(const std::string& name, Method method) {
  members_[LowerCase(name)].call = std::move(method);
}

}  // namespace stampwell
