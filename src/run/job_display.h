// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace stampwell {

// The progress display of a run: the progress window's bar and two labels and the main
// window's status bar panel. A runner calls it only on the UI thread (through Synchronize)
// and reaches it through a std::weak_ptr, so a display that is closed while the run goes on
// simply stops receiving reports.
class JobDisplay {
 public:
  virtual ~JobDisplay() = default;
  // Progress bar range and position.
  virtual void SetProgressRange(int minimum, int maximum) = 0;
  virtual void SetProgressPosition(int position) = 0;
  // The whole current action, given just before SetActionCaption for a display that cuts
  // it to its own width; the default ignores it.
  virtual void SetActionText(const std::string& /*text*/) {}
  // The label that shows the current action (cut to 50 characters and "..").
  virtual void SetActionCaption(const std::string& text) = 0;
  // The label that shows "<done> of <total>".
  virtual void SetStatusCaption(const std::string& text) = 0;
  // The main window's status bar panel that also shows the current action.
  virtual void SetStatusPanelText(const std::string& text) = 0;
};

}  // namespace stampwell
