// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/office_file_engines.h"

namespace stampwell {
namespace {

// The engines' own names for their steps.
bool OpenFile(TDocWaterMark& e, const std::string& path) { return e.OpenDoc(path); }
bool OpenFile(TXlsWaterMark& e, const std::string& path) { return e.OpenXls(path); }
bool OpenFile(TPptWaterMark& e, const std::string& path) { return e.OpenPpt(path); }
void CloseFile(TDocWaterMark& e, bool save) { e.closeDoc(save); }
void CloseFile(TXlsWaterMark& e, bool save) { e.closeXls(save); }
void CloseFile(TPptWaterMark& e, bool save) { e.closePpt(save); }
void QuitApp(TDocWaterMark& e) { e.CloseWordApp(); }
void QuitApp(TXlsWaterMark& e) { e.CloseExcelApp(); }
void QuitApp(TPptWaterMark& e) { e.ClosePptApp(); }

// In place, every document is stored once, as Word stores it: Word saves the open document
// as it closes it; Excel and PowerPoint save it under its own name, then close it unsaved. A
// second save would add nothing but a second chance to fail (a full disk) after the file
// was stamped and stored; a close that fails after the save takes nothing from the file.
void SaveInPlace(TDocWaterMark& e, const std::string&) { e.closeDoc(true); }
template <typename Engine>
void SaveInPlace(Engine& e, const std::string& path) {
  e.SaveAs(path);
  try {
    CloseFile(e, false);
  } catch (...) {
  }
}

}  // namespace

template <typename Engine>
bool TOfficeFileEngine<Engine>::Open(const std::string& source) {
  open_ = OpenFile(engine_, source);
  return open_;
}

template <typename Engine>
void TOfficeFileEngine<Engine>::SaveAs(const std::string& dest) {
  if (open_ && dest == engine_.FileName()) {
    SaveInPlace(engine_, dest);
    open_ = false;  // saved in place: nothing is left to close (a failed save still is)
  } else {
    engine_.SaveAs(dest);
  }
}

template <typename Engine>
void TOfficeFileEngine<Engine>::Close() {
  if (!open_) return;
  open_ = false;
  CloseFile(engine_, false);
}

template <typename Engine>
void TOfficeFileEngine<Engine>::Quit() {
  open_ = false;
  if (engine_.AppStarted()) QuitApp(engine_);
}

template class TOfficeFileEngine<TDocWaterMark>;
template class TOfficeFileEngine<TXlsWaterMark>;
template class TOfficeFileEngine<TPptWaterMark>;

}  // namespace stampwell
