// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace stampwell {

// Registers "Word.Application", "Excel.Application" and "PowerPoint.Application" with the
// automation layer. Each application object created afterwards is one soffice.bin process
// with a private profile; it ends when the object is quit or destroyed.
void RegisterLibreOfficeServers();

// Kills every office process this program started that has not ended yet and removes their
// profile folders, at once; callable from any thread (a program's way out on a signal).
void EndAllOfficeProcesses();

// Tells the servers whether the program runs with a display. Only then does `Visible` true
// show a document in a LibreOffice window; without one it has no effect.
void SetOfficeHasDisplay(bool hasDisplay);
bool OfficeHasDisplay();

// The longest time one call into the office may take before the call fails and its process
// is ended (120 seconds unless changed; tests shorten it).
void SetOfficeCallLimit(std::chrono::milliseconds limit);
std::chrono::milliseconds OfficeCallLimit();

// The number of documents an office process opens before it is replaced by a fresh one,
// between two documents, so that the memory it keeps from document to document stays
// bounded over long runs (0: never). The default is kOfficeRestartLimit.
inline constexpr int kOfficeRestartLimit = 500;
void SetOfficeRestartLimit(int documents);
int OfficeRestartLimit();

// For tests: called with the office process's id just before each attempt to open a
// document in it (a test kills the process there, as a document that crashes the office
// would). An empty function removes the hook.
void SetBeforeOfficeOpenForTests(std::function<void(int pid)> hook);

// Whether Excel loads an .xls workbook that records its active sheet without a view (the
// default, and faster), or every workbook with one. Both give the same sheets and results;
// tests and benchmarks compare them.
void SetExcelLoadsWithoutView(bool withoutView);
bool ExcelLoadsWithoutView();

// Whether an engine's stamp runs inside the office process, through the program's component
// loaded into it (the default, when the component is installed), or as calls over the bridge,
// one per office object touched. Both give the same marks; a call into the office costs about
// 0.15 ms over the bridge and well under a microsecond inside it. Tests and benchmarks
// compare them.
void SetStampsInOffice(bool inOffice);
bool StampsInOffice();
// How many stamps have run inside an office since the program started.
long long StampsMadeInOffice();
void CountStampMadeInOffice();

// The component's registration file, which the office reads to load it:
// kInOfficeComponentsName beside the executable (a build tree) or in the installed library
// folder; "" when there is none, and stamps are then made over the bridge.
inline constexpr const char* kInOfficeComponentsName = "stampwell_in_office.components";
std::string InOfficeComponentsFile();
// The search for a program in exeDir (ending with a separator): that folder, then the
// installed component folder relative to it.
std::string FindInOfficeComponents(const std::string& exeDir);
// Uses path instead of the search (tests; a path that does not exist means none); "" restores
// the search.
void SetInOfficeComponentsFile(const std::string& path);

}  // namespace stampwell
