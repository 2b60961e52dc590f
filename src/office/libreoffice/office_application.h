// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "office/automation/ole_variant.h"
#include "office/libreoffice/guarded_object.h"
#include "office/libreoffice/office_document.h"
#include "office/libreoffice/office_process.h"

namespace stampwell {

// What the three application objects share: their office process, restarted when it has
// died; the guard of application-level calls; the choice between PDF export and printing.
class TOfficeApplication : public std::enable_shared_from_this<TOfficeApplication> {
 public:
  // mayShowWindows: the application can show documents to the user (Word's preview). The
  // others always run headless, so that a job run with a display opens no windows.
  TOfficeApplication(std::string name, bool mayShowWindows);
  // Ends the process, unless a document was shown to the user with a display.
  ~TOfficeApplication();

  // The running process; a dead one is replaced by a new one first.
  std::shared_ptr<TOfficeProcess> Process();
  // Runs fn in the process's guard (starting a new process when the old one died).
  OleVariant Guarded(const std::function<OleVariant()>& fn);
  TGuardedObject::GuardFn Guard();
  // Opens a document with open(process). When the office process dies during the open (it
  // can go down on its own, after an earlier document), the open is tried once more on a new
  // process; a call that ran into the call limit is not repeated. A process that has opened
  // OfficeRestartLimit() documents is quit and replaced before the next open (documents it
  // still holds are gone with it; the runner has finished with them by then).
  std::shared_ptr<TOfficeDocument> OpenDocument(
      const std::function<std::shared_ptr<TOfficeDocument>(std::shared_ptr<TOfficeProcess>)>& open);
  // Application.Quit: ends the process and removes its profile.
  void Quit();
  bool QuitCalled() const { return quit_; }

  // Prints doc to printerName: a printer whose driver writes PDF files gets the document's
  // PDF in its output folder, written completely before this returns; any other printer is
  // printed to by the office.
  void PrintDocument(TOfficeDocument& doc, const std::string& printerName);

  // Visible: with a display (and windows allowed), shows doc and keeps the process running
  // for the user after this object goes; otherwise only remembered.
  void SetVisible(bool visible, const std::shared_ptr<TOfficeDocument>& doc);
  bool Visible() const { return visible_; }

  const std::string& Name() const { return name_; }

 private:
  std::string name_;
  std::shared_ptr<TOfficeProcess> process_;
  bool visible_ = false;
  bool mayShowWindows_ = false;
  bool shownToUser_ = false;
  bool quit_ = false;
  // Closes the documents of documents_ that nothing but that list holds any more.
  void CloseUnreachable();
  std::shared_ptr<TOfficeDocument> OpenOn(
      const std::shared_ptr<TOfficeProcess>& process,
      const std::function<std::shared_ptr<TOfficeDocument>(std::shared_ptr<TOfficeProcess>)>& open);

  int opened_ = 0;  // documents opened by the process counted_
  // The documents opened by the current process. One that only this list still holds can
  // be reached by no automation object: nothing can save, print or close it any more. Such
  // documents (a workbook or presentation saved in place stays open, as in Office) are
  // closed before the next open, so that they do not pile up in the process.
  std::vector<std::shared_ptr<TOfficeDocument>> documents_;
  std::weak_ptr<TOfficeProcess> counted_;
};

}  // namespace stampwell
