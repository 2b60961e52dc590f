// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "jobs/file_utils.h"
#include "platform/registry.h"
#include "support/temp_dir.h"

namespace stampwell::test {

inline const std::string kPrintersKey = "\\System\\CurrentControlSet\\Control\\Print\\Printers";

// Adds a printer key named keyName (the "Name" value may differ) with the given driver and
// the three prompt settings.
inline void AddPrinter(TRegistry& reg, const std::string& keyName, const std::string& name,
                       const std::string& driver, std::uint32_t view = 0, std::uint32_t ask = 0,
                       std::uint32_t prompt = 0) {
  const std::string key = kPrintersKey + "\\" + keyName;
  reg.SetString(key, "Name", name);
  reg.SetString(key, "Printer Driver", driver);
  reg.SetDWord(key + "\\PrinterDriverData", "ViewPrintOutput", view);
  reg.SetDWord(key + "\\PrinterDriverData", "AskToReplacePDF", ask);
  reg.SetDWord(key + "\\PrinterDriverData", "PromptForFileName", prompt);
}

inline void SetLocation(TRegistry& reg, const std::string& keyName, const std::string& location) {
  reg.SetString(kPrintersKey + "\\" + keyName + "\\DsSpooler", "location", location);
}

// A desktop folder inside a temporary home ("<tmp>home/Desktop") for the lifetime of the
// object, so that no test looks at the real home.
class ScopedDesktop {
 public:
  ScopedDesktop() : home_(dir_ / "home"), desktop_(home_ + "/Desktop") {
    SetDesktopFolderForTests(desktop_);
  }
  explicit ScopedDesktop(const std::string& desktop) : desktop_(desktop) {
    SetDesktopFolderForTests(desktop_);
  }
  ~ScopedDesktop() { SetDesktopFolderForTests(""); }
  ScopedDesktop(const ScopedDesktop&) = delete;
  ScopedDesktop& operator=(const ScopedDesktop&) = delete;

  const std::string& Home() const { return home_; }
  const std::string& Desktop() const { return desktop_; }
  const TempDir& Dir() const { return dir_; }

 private:
  TempDir dir_;
  std::string home_;
  std::string desktop_;
};

}  // namespace stampwell::test
