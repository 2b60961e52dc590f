// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "office/automation/automation.h"
#include "pdf/pdf_stack.h"
#include "platform/registry.h"
#include "support/recording_server.h"
#include "support/temp_dir.h"

namespace stampwell::test {

using Lines = std::vector<std::string>;

inline constexpr char kPrinter[] = "Stampwell Test PDF";

// "Missing, Missing, ..." n times, as arguments appear in a log line.
inline std::string Placeholders(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += (i ? ", " : "") + std::string("Missing");
  return s;
}

inline std::string Str(const std::string& s) { return "Str(\"" + s + "\")"; }

// Lines of log that contain needle, in order.
inline Lines Matching(const Lines& log, const std::string& needle) {
  Lines out;
  for (const auto& l : log)
    if (l.find(needle) != std::string::npos) out.push_back(l);
  return out;
}

// Index of the first line equal to line at or after from; -1 when there is none.
inline int IndexOf(const Lines& log, const std::string& line, int from = 0) {
  for (int i = from; i < int(log.size()); ++i)
    if (log[i] == line) return i;
  return -1;
}

// A recording server under the three Office identifiers, a message recorder and a PDF
// stack (on an empty registry) whose printer name the engines must print to.
class EngineFixture : public ::testing::Test {
 protected:
  EngineFixture() : pdf(std::make_shared<const TRegistry>()) { pdf.PDFPrinterName = kPrinter; }

  RecordingServer server;
  std::unique_ptr<RecordingServer::Registration> registration = server.RegisterOffice();
  MessageRecorder messages;
  TPDFStack pdf;
  const int baseCo = CoInitializeCount();
};

}  // namespace stampwell::test
