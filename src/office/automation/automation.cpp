// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/automation/automation.h"

#include <map>
#include <mutex>

#include "platform/strings.h"

namespace stampwell {

namespace {

struct Registry {
  std::mutex mutex;
  std::map<std::string, OleServerFactory> servers;  // keyed by lower-case identifier
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

thread_local int coInitializeCount = 0;

}  // namespace

void RegisterOleServer(const std::string& progId, OleServerFactory factory) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  if (factory)
    r.servers[LowerCase(progId)] = std::move(factory);
  else
    r.servers.erase(LowerCase(progId));
}

OleVariant CreateOleObject(const std::string& progId) {
  OleServerFactory factory;
  {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    auto it = r.servers.find(LowerCase(progId));
    if (it == r.servers.end()) throw EOleError("Invalid class string");
    factory = it->second;  // a copy: the factory runs outside the lock and may take long
  }
  DispatchPtr object;
  try {
    object = factory();
  } catch (const EOleError&) {
    throw;
  } catch (const std::exception& e) {
    throw EOleError(e.what());
  }
  if (!object) throw EOleError("Server execution failed: " + progId);
  return OleVariant(std::move(object));
}

void CoInitialize(void* /*reserved*/) { ++coInitializeCount; }

void CoUninitialize() {
  // Extra releases are ignored so that the count never goes negative.
  if (coInitializeCount > 0) --coInitializeCount;
}

int CoInitializeCount() { return coInitializeCount; }

EOleError UnknownMember(const std::string& member) { return EOleError("Unknown name: " + member); }

}  // namespace stampwell
