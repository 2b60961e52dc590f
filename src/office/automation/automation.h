// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

#include "office/automation/ole_variant.h"

namespace stampwell {

// Makes an application object. Called on the thread that asked for it.
using OleServerFactory = std::function<DispatchPtr()>;

// Registers the server for a programmatic identifier ("Word.Application"), replacing any
// earlier one; an empty factory unregisters. Identifiers compare without regard to case.
void RegisterOleServer(const std::string& progId, OleServerFactory factory);

// Creates the application object registered for progId. Throws EOleError for an unknown
// identifier ("Invalid class string") or when the factory fails (its own message) or returns
// no object. Thread-safe; the factory runs on the calling thread, outside any lock.
OleVariant CreateOleObject(const std::string& progId);

// Per-thread bookkeeping standing in for COM initialisation. Calls nest; CoInitializeCount
// is the calling thread's CoInitialize calls minus its CoUninitialize calls (never below 0:
// a release without a matching initialisation is ignored).
void CoInitialize(void* reserved = nullptr);
void CoUninitialize();
int CoInitializeCount();

// Builds the error for a member an object does not have: "Unknown name: <member>".
EOleError UnknownMember(const std::string& member);

}  // namespace stampwell
