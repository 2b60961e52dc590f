#include "office/libreoffice/guarded_object.h"

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

OleVariant TGuardedObject::Run(const std::function<OleVariant()>& fn) {
  return guard_ ? guard_(fn) : fn();
}

OleVariant TGuardedObject::Get(const std::string& name, const Args& args) {
  if (unguarded_.count(LowerCase(name))) return DispatchObject::Get(name, args);
  return Run([&] { return DispatchObject::Get(name, args); });
}

void TGuardedObject::Put(const std::string& name, const OleVariant& value) {
  Run([&] {
    DispatchObject::Put(name, value);
    return OleVariant();
  });
}

OleVariant TGuardedObject::Call(const std::string& name, const Args& args) {
  if (unguarded_.count(LowerCase(name))) return DispatchObject::Call(name, args);
  return Run([&] { return DispatchObject::Call(name, args); });
}

OleVariant ArgAt(const std::vector<OleVariant>& args, std::size_t i) {
  if (i >= args.size() || args[i].IsMissing()) return OleVariant();
  return args[i];
}

}  // namespace stampwell
