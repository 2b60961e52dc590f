// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/libreoffice/office_application.h"

#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>

#include "office/libreoffice/libreoffice_servers.h"
#include "pdf/pdf_printer.h"
#include "platform/registry.h"

namespace stampwell {

namespace {
std::mutex g_openHookMutex;
std::function<void(int)>& OpenHook() {
  static std::function<void(int)> hook;
  return hook;
}

void BeforeOfficeOpen(int pid) {
  std::function<void(int)> hook;
  {
    std::lock_guard<std::mutex> lock(g_openHookMutex);
    hook = OpenHook();
  }
  if (hook) hook(pid);
}
}  // namespace

void SetBeforeOfficeOpenForTests(std::function<void(int pid)> hook) {
  std::lock_guard<std::mutex> lock(g_openHookMutex);
  OpenHook() = std::move(hook);
}

TOfficeApplication::TOfficeApplication(std::string name, bool mayShowWindows)
    : name_(std::move(name)), mayShowWindows_(mayShowWindows) {
  process_ = TOfficeProcess::Start(mayShowWindows_ && OfficeHasDisplay());
}

TOfficeApplication::~TOfficeApplication() {
  if (!process_) return;
  if (shownToUser_ && process_->Alive())
    process_->Detach();
  else
    process_->Quit();
}

std::shared_ptr<TOfficeProcess> TOfficeApplication::Process() {
  if (quit_) throw EOleError(name_ + " has been quit");
  if (!process_ || !process_->Alive()) {
    if (process_) process_->Quit();  // reap it and remove its profile
    process_.reset();
    process_ = TOfficeProcess::Start(mayShowWindows_ && OfficeHasDisplay());
  }
  return process_;
}

OleVariant TOfficeApplication::Guarded(const std::function<OleVariant()>& fn) {
  return Process()->Guard(fn);
}

TGuardedObject::GuardFn TOfficeApplication::Guard() {
  std::weak_ptr<TOfficeApplication> weak = weak_from_this();
  return [weak](const std::function<OleVariant()>& fn) {
    auto app = weak.lock();
    if (!app) throw EOleError("The office application is gone");
    return app->Guarded(fn);
  };
}

std::shared_ptr<TOfficeDocument> TOfficeApplication::OpenDocument(
    const std::function<std::shared_ptr<TOfficeDocument>(std::shared_ptr<TOfficeProcess>)>& open) {
  const int limit = OfficeRestartLimit();
  if (process_ && limit > 0 && opened_ >= limit && counted_.lock() == process_ &&
      !shownToUser_) {
    // A long-lived process grows from document to document; a fresh one starts small.
    process_->Quit();
    process_.reset();
  }
  auto process = Process();
  if (counted_.lock() != process) {
    counted_ = process;
    opened_ = 0;
    documents_.clear();
  }
  CloseUnreachable();
  ++opened_;
  auto doc = OpenOn(process, open);
  if (doc && doc->Process() == process_) documents_.push_back(doc);
  return doc;
}

void TOfficeApplication::CloseUnreachable() {
  std::vector<std::shared_ptr<TOfficeDocument>> kept;
  for (auto& doc : documents_) {
    if (doc.use_count() > 1) {
      kept.push_back(doc);
      continue;
    }
    if (doc->IsClosed()) continue;
    try {
      doc->Close();
    } catch (...) {
      // Nothing could use it any more; a process that fails here is replaced on next use.
    }
  }
  documents_.swap(kept);
}

std::shared_ptr<TOfficeDocument> TOfficeApplication::OpenOn(
    const std::shared_ptr<TOfficeProcess>& process,
    const std::function<std::shared_ptr<TOfficeDocument>(std::shared_ptr<TOfficeProcess>)>& open) {
  try {
    BeforeOfficeOpen(process->Pid());
    return open(process);
  } catch (const css::lang::DisposedException&) {
    if (process->TimedOut()) throw;
    process->MarkBroken();
  } catch (const css::uno::Exception&) {
    if (process->Alive() || process->TimedOut()) throw;
  } catch (const EOleError&) {
    if (process->Alive() || process->TimedOut()) throw;
  }
  // The caller's guard belongs to the dead process: the new one gets its own.
  auto fresh = Process();
  try {
    return fresh->Guard([&] {
      BeforeOfficeOpen(fresh->Pid());
      return open(fresh);
    });
  } catch (const EOfficeEnded& e) {
    // The file may well be good (offices go down now and then after other documents), but
    // two offices ended on it: say so rather than blame the file.
    throw EOfficeEnded(
        "The office ended while opening the file, also when it was tried again with a new "
        "office (" + std::string(e.what()) + ")");
  }
}

void TOfficeApplication::Quit() {
  quit_ = true;
  if (process_) process_->Quit();
}

void TOfficeApplication::PrintDocument(TOfficeDocument& doc, const std::string& printerName) {
  std::optional<PdfPrinterTarget> pdf;
  try {
    pdf = FindPdfPrinter(*TRegistry::Machine(), printerName);
  } catch (const std::exception& e) {
    // A registry that cannot be read is a failed print, reported like any automation error.
    throw EOleError("Cannot read the settings of printer " + printerName + ": " + e.what());
  }
  if (pdf) {
    if (!ThreadPdfOutputDir().empty()) pdf->OutputDir = ThreadPdfOutputDir();
    if (pdf->OutputDir.empty())
      throw EOleError("The PDF printer " + printerName + " has no output folder");
    std::error_code ec;
    std::filesystem::create_directories(pdf->OutputDir, ec);
    doc.ExportPdf(pdf->OutputDir);
    return;
  }
  doc.Print(printerName);
}

void TOfficeApplication::SetVisible(bool visible, const std::shared_ptr<TOfficeDocument>& doc) {
  visible_ = visible;
  if (!visible || !OfficeHasDisplay() || !process_ || !process_->HasDisplay()) return;
  if (doc && !doc->IsClosed()) {
    if (doc->Show()) shownToUser_ = true;
  }
}

}  // namespace stampwell
