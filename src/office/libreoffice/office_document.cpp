// SPDX-License-Identifier: GPL-3.0-or-later
#include "office/libreoffice/office_document.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>

#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/document/XTypeDetection.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XLoadable.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/util/CloseVetoException.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/view/XPrintable.hpp>

#include "office/libreoffice/ooxml_package.h"
#include "office/libreoffice/uno_convert.h"
#include "jobs/file_utils.h"
#include "platform/paths.h"
#include "platform/strings.h"

namespace stampwell {

using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using uno::ToOU;
using uno::ToStd;

namespace {

css::beans::PropertyValue Prop(const char* name, const css::uno::Any& value) {
  css::beans::PropertyValue p;
  p.Name = OUString::createFromAscii(name);
  p.Value = value;
  return p;
}

Sequence<css::beans::PropertyValue> Seq(const std::vector<css::beans::PropertyValue>& v) {
  return Sequence<css::beans::PropertyValue>(v.data(), static_cast<sal_Int32>(v.size()));
}

const char* ServiceOf(OfficeKind kind) {
  switch (kind) {
    case OfficeKind::Writer:
      return "com.sun.star.text.TextDocument";
    case OfficeKind::Calc:
      return "com.sun.star.sheet.SpreadsheetDocument";
    case OfficeKind::Impress:
      return "com.sun.star.presentation.PresentationDocument";
  }
  return "";
}

const char* FactoryOf(OfficeKind kind) {
  switch (kind) {
    case OfficeKind::Writer:
      return "private:factory/swriter";
    case OfficeKind::Calc:
      return "private:factory/scalc";
    case OfficeKind::Impress:
      return "private:factory/simpress";
  }
  return "";
}

const char* PdfFilterOf(OfficeKind kind) {
  switch (kind) {
    case OfficeKind::Writer:
      return "writer_pdf_Export";
    case OfficeKind::Calc:
      return "calc_pdf_Export";
    case OfficeKind::Impress:
      return "impress_pdf_Export";
  }
  return "";
}

// Free space of the file system that holds folder is below what a document store needs.
bool FileSystemFull(const std::string& folder) {
  struct statvfs fs {};
  if (::statvfs(folder.empty() ? "." : folder.c_str(), &fs) != 0) return false;
  return static_cast<unsigned long long>(fs.f_bavail) * fs.f_frsize < 1024ull * 1024ull;
}

void CloseComponent(const Reference<css::lang::XComponent>& component) {
  if (!component.is()) return;
  Reference<css::util::XCloseable> closeable(component, UNO_QUERY);
  if (closeable.is()) {
    try {
      closeable->close(true);
      return;
    } catch (const css::util::CloseVetoException&) {
    }
  }
  component->dispose();
}

// Detects the file's type and loads it into a bare document model of the kind. Returns an
// empty reference when the file is of no known type or cannot be loaded.
Reference<css::lang::XComponent> LoadModelOnly(TOfficeProcess& process, OfficeKind kind,
                                               const std::string& path,
                                               const Sequence<css::beans::PropertyValue>& args) {
  auto ctx = process.Context();
  auto& cache = process.LoadCache();
  if (!cache.serviceManager.is()) cache.serviceManager = ctx->getServiceManager();
  auto smgr = cache.serviceManager;
  if (!cache.detection.is())
    cache.detection.set(
        smgr->createInstanceWithContext(OUString("com.sun.star.document.TypeDetection"), ctx),
        UNO_QUERY_THROW);
  auto detection = cache.detection;
  Sequence<css::beans::PropertyValue> descriptor =
      Seq({Prop("URL", css::uno::Any(uno::FileUrl(path)))});
  const OUString type = detection->queryTypeByDescriptor(descriptor, true);
  if (type.isEmpty()) return {};
  OUString filter;
  for (const auto& p : descriptor)
    if (p.Name == "FilterName") p.Value >>= filter;
  if (filter.isEmpty()) {
    if (auto known = cache.preferredFilters.find(type); known != cache.preferredFilters.end()) {
      filter = known->second;
    } else {
      Reference<css::container::XNameAccess> types(detection, UNO_QUERY_THROW);
      Sequence<css::beans::PropertyValue> typeProps;
      types->getByName(type) >>= typeProps;
      for (const auto& p : typeProps)
        if (p.Name == "PreferredFilter") p.Value >>= filter;
      cache.preferredFilters.emplace(type, filter);
    }
  }
  if (filter.isEmpty()) return {};
  Reference<css::frame::XLoadable> model(
      smgr->createInstanceWithContext(OUString::createFromAscii(ServiceOf(kind)), ctx),
      UNO_QUERY_THROW);
  std::vector<css::beans::PropertyValue> loadArgs(args.begin(), args.end());
  loadArgs.push_back(Prop("URL", css::uno::Any(uno::FileUrl(path))));
  loadArgs.push_back(Prop("FilterName", css::uno::Any(filter)));
  try {
    model->load(Seq(loadArgs));
  } catch (const css::uno::RuntimeException&) {
    throw;
  } catch (const css::uno::Exception&) {
    Reference<css::util::XCloseable> closeable(model, UNO_QUERY);
    if (closeable.is()) closeable->close(true);
    throw;
  }
  return Reference<css::lang::XComponent>(model, UNO_QUERY);
}

}  // namespace

std::string ExportFilterFor(OfficeKind kind, const std::string& f) {
  static const std::map<std::string, std::string> writer = {
      {"MS Word 97", "MS Word 97"},
      {"MS Word 97 Vorlage", "MS Word 97"},
      {"MS Word 95", "MS Word 97"},
      {"MS Word 95 Vorlage", "MS Word 97"},
      {"MS WinWord 6.0", "MS Word 97"},
      {"MS WinWord 5", "MS Word 97"},
      {"MS Word 2007 XML", "MS Word 2007 XML"},
      {"MS Word 2007 XML VBA", "MS Word 2007 XML VBA"},
      {"Office Open XML Text", "Office Open XML Text"},
      {"MS Word 2003 XML", "MS Word 2003 XML"},
      {"Rich Text Format", "Rich Text Format"},
      {"writer8", "writer8"}};
  static const std::map<std::string, std::string> calc = {
      {"MS Excel 97", "MS Excel 97"},
      {"MS Excel 97 Vorlage/Template", "MS Excel 97"},
      {"MS Excel 95", "MS Excel 97"},
      {"MS Excel 95 Vorlage/Template", "MS Excel 97"},
      {"MS Excel 5.0/95", "MS Excel 97"},
      {"MS Excel 5.0/95 Vorlage/Template", "MS Excel 97"},
      {"MS Excel 4.0", "MS Excel 97"},
      {"MS Excel 4.0 Vorlage/Template", "MS Excel 97"},
      {"Calc MS Excel 2007 XML", "Calc MS Excel 2007 XML"},
      {"Calc MS Excel 2007 VBA XML", "Calc MS Excel 2007 VBA XML"},
      {"Calc Office Open XML", "Calc Office Open XML"},
      {"calc8", "calc8"}};
  static const std::map<std::string, std::string> impress = {
      {"MS PowerPoint 97", "MS PowerPoint 97"},
      {"MS PowerPoint 97 Vorlage", "MS PowerPoint 97"},
      {"MS PowerPoint 97 AutoPlay", "MS PowerPoint 97"},
      // PowerPoint 4.0 and 95 files: LibreOffice reads them but writes no such format.
      {"PowerPoint 3", "MS PowerPoint 97"},
      {"Impress MS PowerPoint 2007 XML", "Impress MS PowerPoint 2007 XML"},
      {"Impress MS PowerPoint 2007 XML VBA", "Impress MS PowerPoint 2007 XML VBA"},
      {"Impress Office Open XML", "Impress Office Open XML"},
      {"impress8", "impress8"}};
  const auto& table = kind == OfficeKind::Writer ? writer
                      : kind == OfficeKind::Calc ? calc
                                                 : impress;
  auto it = table.find(f);
  return it == table.end() ? std::string() : it->second;
}

std::string FilterForExtension(OfficeKind kind, const std::string& path) {
  const std::string ext = LowerCase(ExtractFileExt(path));
  switch (kind) {
    case OfficeKind::Writer:
      if (ext == ".docx") return "MS Word 2007 XML";
      if (ext == ".docm") return "MS Word 2007 XML VBA";
      if (ext == ".odt") return "writer8";
      if (ext == ".rtf") return "Rich Text Format";
      return "MS Word 97";
    case OfficeKind::Calc:
      if (ext == ".xlsx") return "Calc MS Excel 2007 XML";
      if (ext == ".xlsm") return "Calc MS Excel 2007 VBA XML";
      if (ext == ".ods") return "calc8";
      return "MS Excel 97";
    case OfficeKind::Impress:
      if (ext == ".pptx") return "Impress MS PowerPoint 2007 XML";
      if (ext == ".pptm") return "Impress MS PowerPoint 2007 XML VBA";
      if (ext == ".odp") return "impress8";
      return "MS PowerPoint 97";
  }
  return "";
}

std::shared_ptr<TOfficeDocument> TOfficeDocument::Open(std::shared_ptr<TOfficeProcess> process,
                                                       OfficeKind kind, const std::string& path,
                                                       bool hidden, bool viewless) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
    throw EOleError("The file does not exist: " + path);
  // A FIFO, socket or device would block the office or feed it endless bytes.
  if (!S_ISREG(st.st_mode)) throw EOleError("The file is not a regular file: " + path);
  // The office would take an empty file for a new, empty document.
  if (st.st_size == 0) throw EOleError("The file is empty: " + path);
  Reference<css::frame::XComponentLoader> loader(process->Desktop(), UNO_QUERY_THROW);
  // No interaction handler: the office then asks nothing (passwords, repairs, filters) and
  // fails at once instead. The file is opened for reading only: every write goes through
  // StoreAtomically, so a source the user may read but not write is a document like any
  // other, and the office keeps no lock on it (no ".~lock.<name>#" beside it).
  Sequence<css::beans::PropertyValue> args =
      Seq({Prop("Hidden", css::uno::Any(hidden)), Prop("ReadOnly", css::uno::Any(true)),
           Prop("Silent", css::uno::Any(true)), Prop("RepairPackage", css::uno::Any(false)),
           Prop("MacroExecutionMode", css::uno::Any(css::document::MacroExecMode::NEVER_EXECUTE)),
           Prop("UpdateDocMode", css::uno::Any(css::document::UpdateDocMode::NO_UPDATE))});
  Reference<css::lang::XComponent> component;
  try {
    if (viewless)
      component = LoadModelOnly(*process, kind, path, args);
    else
      component = loader->loadComponentFromURL(uno::FileUrl(path), OUString("_blank"), 0, args);
  } catch (const css::uno::RuntimeException&) {
    throw;
  } catch (const css::uno::Exception& e) {
    throw EOleError("The file cannot be opened: " + path + " (" + ToStd(e.Message) + ")");
  }
  if (!component.is())
    throw EOleError("The file cannot be opened (password-protected or damaged): " + path);

  auto doc = std::shared_ptr<TOfficeDocument>(new TOfficeDocument());
  doc->process_ = std::move(process);
  doc->kind_ = kind;
  doc->component_ = component;
  doc->path_ = path;
  doc->title_ = ExtractFileName(path);
  Reference<css::lang::XServiceInfo> info(component, UNO_QUERY);
  Reference<css::frame::XModel> model(component, UNO_QUERY);
  std::string filter;
  if (model.is()) {
    const auto margs = model->getArgs();
    for (const auto& a : margs)
      if (a.Name == "FilterName") {
        OUString s;
        a.Value >>= s;
        filter = ToStd(s);
      }
  }
  if (!info.is() || !info->supportsService(OUString::createFromAscii(ServiceOf(kind))) ||
      ExportFilterFor(kind, filter).empty()) {
    CloseComponent(component);
    doc->component_.clear();
    throw EOleError("The file is not in a supported format: " + path +
                    (filter.empty() ? std::string() : " (" + filter + ")"));
  }
  doc->filter_ = ExportFilterFor(kind, filter);
  return doc;
}

std::shared_ptr<TOfficeDocument> TOfficeDocument::New(std::shared_ptr<TOfficeProcess> process,
                                                      OfficeKind kind, bool hidden) {
  Reference<css::frame::XComponentLoader> loader(process->Desktop(), UNO_QUERY_THROW);
  Sequence<css::beans::PropertyValue> args = Seq({Prop("Hidden", css::uno::Any(hidden))});
  auto component = loader->loadComponentFromURL(OUString::createFromAscii(FactoryOf(kind)),
                                                OUString("_blank"), 0, args);
  if (!component.is()) throw EOleError("The office could not create a new document");
  auto doc = std::shared_ptr<TOfficeDocument>(new TOfficeDocument());
  doc->process_ = std::move(process);
  doc->kind_ = kind;
  doc->component_ = component;
  doc->title_ = "Document" + std::to_string(doc->process_->NextDocumentNumber());
  return doc;
}

std::shared_ptr<TOfficeDocument> TOfficeDocument::Adopt(std::shared_ptr<TOfficeProcess> process,
                                                        OfficeKind kind,
                                                        const Reference<css::frame::XModel>& model) {
  auto doc = std::shared_ptr<TOfficeDocument>(new TOfficeDocument());
  doc->process_ = std::move(process);
  doc->kind_ = kind;
  doc->component_.set(model, UNO_QUERY_THROW);
  return doc;
}

TOfficeDocument::~TOfficeDocument() {
  // A document the caller forgot stays loaded until its process ends; closing it here could
  // block on a dead or hung process.
}

Reference<css::frame::XModel> TOfficeDocument::Model() const {
  return Reference<css::frame::XModel>(component_, UNO_QUERY);
}

Reference<css::frame::XModel> TOfficeDocument::RequireModel() const {
  if (!component_.is()) throw EOleError("The document has been closed");
  return Reference<css::frame::XModel>(component_, UNO_QUERY_THROW);
}

void TOfficeDocument::StoreAtomically(const std::string& target, const std::string& filter,
                                      const std::string& password) {
  auto model = RequireModel();
  const std::string folder = ExtractFilePath(target);
  if (!DirectoryExists(folder.empty() ? "." : folder))
    throw EOleError("The folder does not exist: " + folder);
  // An existing file is replaced with its permissions kept; one the user may not write is
  // not replaced at all (a rename would go round its protection).
  struct stat existing {};
  const bool replaces = ::stat(target.c_str(), &existing) == 0;
  if (replaces && ::access(target.c_str(), W_OK) != 0)
    throw EOleError(WriteErrorText(target, errno));
  std::function<void()> afterStore;
  if (storeHook_) afterStore = storeHook_(filter);
  struct Restore {
    std::function<void()>& fn;
    ~Restore() {
      if (!fn) return;
      try {
        fn();
      } catch (...) {
        // The store's own outcome is what the caller needs to hear about.
      }
    }
  } restore{afterStore};
  Reference<css::frame::XStorable> storable(model, UNO_QUERY_THROW);
  // The temporary file is made here first, so that a folder that cannot be written is told
  // in the user's words rather than in the office's error codes.
  const std::string temp = TempNameBeside(target);
  RegisterTempFile(temp);
  struct Cleanup {
    const std::string& path;
    bool keep = false;
    ~Cleanup() {
      if (!keep) ::unlink(path.c_str());
      UnregisterTempFile(path);
    }
  } cleanup{temp};
  // Readable by the user alone until the document is complete; the office writes it.
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) throw EOleError(WriteErrorText(target, errno));
  ::close(fd);
  std::vector<css::beans::PropertyValue> props{Prop("FilterName", css::uno::Any(ToOU(filter))),
                                               Prop("Overwrite", css::uno::Any(true))};
  if (!password.empty()) props.push_back(Prop("Password", css::uno::Any(ToOU(password))));
  Sequence<css::beans::PropertyValue> args = Seq(props);
  try {
    storable->storeToURL(uno::FileUrl(temp), args);
  } catch (const css::uno::RuntimeException&) {
    throw;  // a lost connection: the process guard tells what happened
  } catch (const css::uno::Exception&) {
    if (FileSystemFull(folder)) throw EOleError("disk full writing " + target);
    throw EOleError("cannot write " + target + ": the office could not store the document");
  }
  if (kind_ == OfficeKind::Writer && IsWordOpenXmlFilter(filter) && password.empty()) {
    try {
      CompleteVmlShapeTypes(temp);
    } catch (const std::exception&) {
      throw EOleError("cannot write " + target + ": the stored package could not be completed");
    }
  }
  if (::chmod(temp.c_str(), replaces ? existing.st_mode & 07777 : NewFileMode()) != 0)
    throw EOleError(WriteErrorText(target, errno));
  if (::rename(temp.c_str(), target.c_str()) != 0) throw EOleError(WriteErrorText(target, errno));
  cleanup.keep = true;
}

void TOfficeDocument::Save() {
  if (path_.empty()) throw EOleError("The document has no file name yet; use SaveAs");
  StoreAtomically(path_, filter_);
}

void TOfficeDocument::SaveAs(const std::string& path, const std::string& password) {
  const std::string filter = filter_.empty() ? FilterForExtension(kind_, path) : filter_;
  StoreAtomically(path, filter, password);
  path_ = path;
  filter_ = filter;
  title_ = ExtractFileName(path);
}

void TOfficeDocument::Close() {
  auto component = component_;
  component_.clear();
  CloseComponent(component);
  kept_.clear();
  keptIds_.clear();
}

void TOfficeDocument::KeepShape(const Reference<css::drawing::XShape>& shape) const {
  // The bridge gives one proxy per office object as long as it is referenced, so a shape
  // asked for again while kept comes back as the same pointer.
  if (shape.is() && keptIds_.insert(shape.get()).second) kept_.push_back(shape);
}

std::string TOfficeDocument::ExportPdf(const std::string& folder) {
  if (folder.empty() || !DirectoryExists(folder))
    throw EOleError("The PDF output folder does not exist: " + folder);
  std::string dir = folder;
  if (dir.back() != PathDelim) dir += PathDelim;
  const std::string base = path_.empty() ? title_ : ExtractFileName(path_);
  const std::string target = dir + ChangeFileExt(base, ".pdf");
  StoreAtomically(target, PdfFilterOf(kind_));
  return target;
}

void TOfficeDocument::Print(const std::string& printerName) {
  Reference<css::view::XPrintable> printable(RequireModel(), UNO_QUERY_THROW);
  printable->setPrinter(Seq({Prop("Name", css::uno::Any(ToOU(printerName)))}));
  printable->print(Seq({Prop("Wait", css::uno::Any(true))}));
}

bool TOfficeDocument::Show() {
  auto model = RequireModel();
  auto controller = model->getCurrentController();
  if (!controller.is()) return false;
  auto frame = controller->getFrame();
  if (!frame.is()) return false;
  auto window = frame->getContainerWindow();
  if (!window.is()) return false;
  window->setVisible(true);
  return true;
}

}  // namespace stampwell
