// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "jobs/file_utils.h"
#include "jobs/job_settings.h"
#include "platform/message_target.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/ui_dispatcher.h"
#include "run/job.h"
#include "run/job_display.h"
#include "support/recording_server.h"
#include "support/temp_dir.h"

namespace stampwell::test {

// A progress display that records every report (UI thread only) as text.
class RecordingDisplay : public JobDisplay {
 public:
  void SetProgressRange(int minimum, int maximum) override {
    Add("range " + std::to_string(minimum) + ".." + std::to_string(maximum));
  }
  void SetProgressPosition(int position) override { Add("position " + std::to_string(position)); }
  void SetActionCaption(const std::string& text) override {
    Add("action " + text);
    if (onAction) onAction(text);
  }
  void SetStatusCaption(const std::string& text) override { Add("status " + text); }
  void SetStatusPanelText(const std::string& text) override { Add("panel " + text); }

  // Every report, in order.
  std::vector<std::string> reports;
  // Runs after each action caption (on the UI thread), for tests that act mid-run.
  std::function<void(const std::string&)> onAction;

  // The reports that start with prefix (for example "action ").
  std::vector<std::string> Only(const std::string& prefix) const;

 private:
  void Add(std::string text) { reports.push_back(std::move(text)); }
};

// A main window that records the messages posted to it.
class RecordingWindow : public MessageTarget {
 public:
  void PostMessage(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam) override;
  std::vector<std::uint32_t> Messages() const;
  int Count(std::uint32_t message) const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::uint32_t> messages_;
};

// Everything a run needs, in temporary folders: a program directory for the log, a source
// and a destination tree, a PDF printer whose output folder the fake Office applications
// print into, and the recording automation server registered for Word, Excel and PowerPoint.
//
// The fake applications answer what the engines ask (one section, no special headers, an
// empty set of shapes, sizes for PowerPoint) and "print" by writing "<base name>.pdf" with
// the content "PDF of <document path>" into the printer's output folder, as the PDF driver
// would.
// A one-page A4 PDF drawing content; poppler rebuilds the missing cross-reference table.
std::string OnePagePdf(const std::string& content);
// A page showing a magenta square (the mark's colour of the verifying jobs) or a grey one.
std::string SquarePdf(bool magenta);

// Whether a run's checks go to a lane of their own (STAMPWELL_CHECK_ASIDE), while it lives.
class ChecksAside {
 public:
  explicit ChecksAside(bool aside) { ::setenv("STAMPWELL_CHECK_ASIDE", aside ? "1" : "0", 1); }
  ~ChecksAside() { ::unsetenv("STAMPWELL_CHECK_ASIDE"); }
  ChecksAside(const ChecksAside&) = delete;
  ChecksAside& operator=(const ChecksAside&) = delete;
};

class JobFixture : public ::testing::Test {
 protected:
  JobFixture();
  ~JobFixture() override;

  // Creates a runner (suspended) with the settings given, the display and the window.
  std::shared_ptr<TJob> MakeJob(const RJobSettings& settings);
  // Resumes the job and runs the UI queue until WM_JOBEND has arrived (at most 10 s).
  // Returns false when it did not arrive.
  bool RunToEnd(const std::shared_ptr<TJob>& job);
  // Runs the UI queue until pred holds (at most the seconds given).
  bool PumpUntil(const std::function<bool()>& pred, int seconds = 10);

  // The messages of the job's log, without their time stamps.
  std::vector<std::string> LogLines() const;
  // The log lines between "Job Begin" and "Job End" of the last block.
  std::vector<std::string> ActionLines() const;
  // The recorded automation calls whose text contains needle.
  std::vector<std::string> CallsWith(const std::string& needle) const;

  static RJobSettings Settings(bool doc, bool xls, bool ppt, bool pdf, bool otherFiles);

  std::string Src(const std::string& relative = "") const { return srcRoot + relative; }
  std::string Dst(const std::string& relative = "") const { return dstRoot + relative; }

  ScopedProgramDir programDir;
  TempDir work;
  std::string srcRoot;  // <work>src (no trailing separator)
  std::string dstRoot;  // <work>dst
  std::string pdfOutputDir;
  QueueDispatcher ui;
  RecordingServer server;
  std::unique_ptr<RecordingServer::Registration> registration;
  std::shared_ptr<RecordingDisplay> display = std::make_shared<RecordingDisplay>();
  std::shared_ptr<RecordingWindow> window = std::make_shared<RecordingWindow>();
  std::string jobName = "Weekly";
  // The documents the fake applications opened, in order.
  std::vector<std::string> opened;
  std::mutex openedMutex;
  // Called by the fake applications when a document is opened (worker thread).
  std::function<void(const std::string& path)> onOpen;
  // Called when Word makes a new document (the sample), on the worker thread.
  std::function<void()> onNewDocument;
  // What a print writes, given the printed document's path (default: a line of text, no PDF).
  std::function<std::string(const std::string&)> printBytes;

 private:
  void ScriptOffice();
  void Print(const std::string& documentPath);
};

}  // namespace stampwell::test
