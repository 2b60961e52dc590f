// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include <com/sun/star/drawing/XShape.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/XComponent.hpp>

#include "office/libreoffice/office_process.h"
#include "platform/paths.h"

namespace stampwell {

enum class OfficeKind { Writer, Calc, Impress };

// One document loaded in an office process, with the file operations the three servers share:
// saving in the loaded format (atomically), PDF export and printing. Calls are made inside
// the process's Guard by the servers.
class TOfficeDocument {
 public:
  // Loads path without any interaction: a missing, corrupt, password-protected file or one
  // that is not a document of the kind raises EOleError at once. hidden: load without a
  // frame window (Calc reports the sheet active at save time only when not hidden).
  // viewless: load the document model alone, without a frame or view (Impress crashes now
  // and then when a view is closed after the document was changed and stored).
  static std::shared_ptr<TOfficeDocument> Open(std::shared_ptr<TOfficeProcess> process,
                                               OfficeKind kind, const std::string& path,
                                               bool hidden, bool viewless = false);
  // A new empty document, titled like Office titles new documents ("Document1", ...).
  static std::shared_ptr<TOfficeDocument> New(std::shared_ptr<TOfficeProcess> process,
                                              OfficeKind kind, bool hidden);
  // A document some other code has open in process (the program's component inside the
  // office is handed the model it stamps). Closing it is that code's business: this object
  // never closes it.
  static std::shared_ptr<TOfficeDocument> Adopt(std::shared_ptr<TOfficeProcess> process,
                                                OfficeKind kind,
                                                const css::uno::Reference<css::frame::XModel>& model);

  ~TOfficeDocument();

  const std::shared_ptr<TOfficeProcess>& Process() const { return process_; }
  css::uno::Reference<css::frame::XModel> Model() const;
  OfficeKind Kind() const { return kind_; }
  const std::string& Path() const { return path_; }  // "" for a document never saved
  const std::string& Title() const { return title_; }
  // What Office reports as the document's Name (its file name) and FullName (its path);
  // both are the title for a document never saved.
  std::string Name() const { return path_.empty() ? title_ : ExtractFileName(path_); }
  std::string FullName() const { return path_.empty() ? title_ : path_; }
  const std::string& FilterName() const { return filter_; }
  bool IsClosed() const { return !component_.is(); }

  // Writes the document to its own path in its own format; temp file + rename.
  void Save();
  // Writes the document to path in its loaded format (a new document: the format the
  // extension names); path becomes the document's own.
  // password: a non-empty one encrypts the file (where the format supports it).
  void SaveAs(const std::string& path, const std::string& password = "");
  // Closes without saving.
  void Close();
  // Writes "<file name>.pdf" (a new document: "<title>.pdf") into folder; complete on return.
  // Returns the path written.
  std::string ExportPdf(const std::string& folder);
  // Prints to the named printer and waits until the job is handed over.
  void Print(const std::string& printerName);
  // Shows the document's window (only in a process with a display); false when it has none.
  bool Show();

  // Called just before every store with the filter about to be used: servers record what the
  // file format would lose, or adjust the document to a filter's known misreading of it. The
  // function returned (may be empty) runs right after the store, whether it succeeded or not,
  // so that the document in memory stays as the calls left it.
  using StoreHook = std::function<std::function<void()>(const std::string& filter)>;
  void SetStoreHook(StoreHook fn) { storeHook_ = std::move(fn); }

  // Keeps shape referenced until the document is closed. The office makes the object that
  // stands for a shape when it is asked for and drops it once the last reference to it is
  // released, and that release is not waited for: an Impress shape asked for again just after
  // its object was let go came back, now and then, as an object cut off from the page, with
  // no name and no geometry (up to 4 % of askings; a mark searched for by its name was then
  // not found). A shape kept here keeps its one live object while the document is open.
  // Costs no office call.
  void KeepShape(const css::uno::Reference<css::drawing::XShape>& shape) const;
  // How many shapes are kept.
  std::size_t KeptShapes() const { return kept_.size(); }

 private:
  TOfficeDocument() = default;
  void StoreAtomically(const std::string& target, const std::string& filter,
                       const std::string& password = "");
  css::uno::Reference<css::frame::XModel> RequireModel() const;

  std::shared_ptr<TOfficeProcess> process_;
  OfficeKind kind_ = OfficeKind::Writer;
  css::uno::Reference<css::lang::XComponent> component_;
  std::string path_;
  std::string title_;
  std::string filter_;
  StoreHook storeHook_;
  mutable std::unordered_set<const void*> keptIds_;
  mutable std::vector<css::uno::Reference<css::drawing::XShape>> kept_;
};

// The export filter that keeps a document loaded through importFilter in its format, or ""
// when that filter does not belong to the kind (a text file named .doc, for example).
std::string ExportFilterFor(OfficeKind kind, const std::string& importFilter);
// The filter for a new document stored under path, by its extension.
std::string FilterForExtension(OfficeKind kind, const std::string& path);

}  // namespace stampwell
