// SPDX-License-Identifier: GPL-3.0-or-later
// Documents from strangers: stamping and printing one runs none of its macros, reads no file
// outside it and fetches nothing, whatever it links to. Each document is first opened the
// way a trusting reader would (macros on, links updated) to show that it does reach out:
// otherwise a quiet run would prove nothing.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/configuration/theDefaultProvider.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/util/XChangesBatch.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include "jobs/file_utils.h"
#include "office/libreoffice/libreoffice_servers.h"
#include "office/libreoffice/office_process.h"
#include "office/libreoffice/uno_convert.h"
#include "office_documents.h"
#include "pdf/pdf_stack.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "stamp_engines.h"
#include "support/temp_dir.h"
#include "watermark_checks.h"

namespace stampwell {
namespace {

using test::TempDir;
namespace fs = std::filesystem;

// Answers every request on 127.0.0.1 with 404 and remembers what was asked for.
class TLocalServer {
 public:
  TLocalServer() {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    ::listen(fd_, 16);
    thread_ = std::thread([this] { Serve(); });
  }
  ~TLocalServer() {
    stop_ = true;
    thread_.join();
    ::close(fd_);
  }
  int Port() const { return port_; }
  // The first lines of the requests since the last call.
  std::vector<std::string> TakeRequests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(requests_, {});
  }

 private:
  void Serve() {
    while (!stop_) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      const int c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (c < 0) continue;
      char buf[2048];
      pollfd q{c, POLLIN, 0};
      ssize_t n = ::poll(&q, 1, 2000) > 0 ? ::read(c, buf, sizeof buf) : 0;
      std::string request(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request.substr(0, request.find('\r')));
      }
      const char* reply = "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n";
      [[maybe_unused]] ssize_t w = ::write(c, reply, std::strlen(reply));
      ::close(c);
    }
  }
  int fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::mutex mutex_;
  std::vector<std::string> requests_;
};

// Reports every open or read of a file in one folder.
class TFolderWatch {
 public:
  explicit TFolderWatch(const std::string& dir) {
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ::inotify_add_watch(fd_, dir.c_str(), IN_OPEN | IN_ACCESS | IN_CREATE);
  }
  ~TFolderWatch() { ::close(fd_); }
  // Names of the files opened, read or made since the last call.
  std::set<std::string> Take() {
    std::set<std::string> names;
    alignas(inotify_event) char buf[8192];
    for (;;) {
      const ssize_t n = ::read(fd_, buf, sizeof buf);
      if (n <= 0) break;
      for (char* p = buf; p < buf + n;) {
        auto* e = reinterpret_cast<inotify_event*>(p);
        if (e->len > 0) names.insert(e->name);
        p += sizeof(inotify_event) + e->len;
      }
    }
    return names;
  }

 private:
  int fd_ = -1;
};

const char* kNs = R"( xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:xlink="http://www.w3.org/1999/xlink"
 xmlns:script="urn:oasis:names:tc:opendocument:xmlns:script:1.0"
 xmlns:ooo="http://openoffice.org/2004/office"
 xmlns:dom="http://www.w3.org/2001/xml-events"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2")";

// Basic run when the document is loaded: it writes the file marker.
std::string OnLoadMacro(const std::string& marker) {
  return R"(<office:scripts><office:script script:language="ooo:Basic"><ooo:libraries>
<ooo:library-embedded ooo:name="Standard"><ooo:module ooo:name="Module1"><ooo:source-code>Sub Main
  Open ")" + marker + R"(" For Output As #1
  Print #1, "ran"
  Close #1
End Sub
</ooo:source-code></ooo:module></ooo:library-embedded></ooo:libraries></office:script>
<office:event-listeners><script:event-listener script:language="ooo:script" script:event-name="dom:load" xlink:href="vnd.sun.star.script:Standard.Module1.Main?language=Basic&amp;location=document"/></office:event-listeners>
</office:scripts>
)";
}

std::string Frame(const std::string& name, const std::string& inner, const char* anchor) {
  return std::string("<draw:frame draw:name=\"") + name + "\" text:anchor-type=\"" + anchor +
         "\" svg:width=\"3cm\" svg:height=\"2cm\" svg:x=\"1cm\" svg:y=\"1cm\">" + inner +
         "</draw:frame>";
}

std::string LinkedImage(const std::string& url) {
  return "<draw:image xlink:href=\"" + url +
         "\" xlink:type=\"simple\" xlink:show=\"embed\" xlink:actuate=\"onLoad\"/>";
}

// Text with a section taken from a local file, an image linked from the local server and one
// from a local file, a frame showing a page of the local server, an object that would start a
// local program and an object linked to a local workbook.
std::string LinkingText(const std::string& outside, const std::string& url) {
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document") + kNs +
         " office:version=\"1.3\" office:mimetype=\"application/vnd.oasis.opendocument.text\">\n"
         "<office:body><office:text>\n<text:p>Linked content follows.</text:p>\n"
         "<text:section text:name=\"Included\"><text:section-source xlink:href=\"file://" +
         outside + "secret.txt\" xlink:type=\"simple\" text:filter-name=\"Text\"/>"
         "<text:p>cached</text:p></text:section>\n<text:p>" +
         Frame("WebPicture", LinkedImage(url + "/picture.png"), "as-char") +
         Frame("LocalPicture", LinkedImage("file://" + outside + "picture.png"), "as-char") +
         Frame("WebFrame",
               "<draw:floating-frame xlink:href=\"" + url +
                   "/frame.html\" xlink:type=\"simple\" xlink:show=\"embed\" "
                   "xlink:actuate=\"onLoad\"/>",
               "as-char") +
         Frame("Program",
               "<draw:plugin xlink:href=\"file://" + outside +
                   "run.sh\" draw:mime-type=\"application/x-shellscript\" xlink:type=\"simple\" "
                   "xlink:show=\"embed\" xlink:actuate=\"onLoad\"/>",
               "as-char") +
         Frame("LinkedObject",
               "<draw:object xlink:href=\"file://" + outside +
                   "linked.ods\" xlink:type=\"simple\" xlink:show=\"embed\" "
                   "xlink:actuate=\"onLoad\"/>",
               "as-char") +
         "</text:p>\n</office:text></office:body></office:document>\n";
}

// A workbook asking the local server through a formula, taking a cell of a local workbook,
// and showing an image linked from the local server.
std::string LinkingWorkbook(const std::string& outside, const std::string& url) {
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document") + kNs +
         " office:version=\"1.3\" "
         "office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\">\n"
         "<office:body><office:spreadsheet><table:table table:name=\"Sheet1\"><table:shapes>" +
         Frame("WebPicture", LinkedImage(url + "/sheet-picture.png"), "paragraph") +
         "</table:shapes><table:table-row>"
         "<table:table-cell table:formula=\"of:=WEBSERVICE(&quot;" +
         url +
         "/webservice&quot;)\" office:value-type=\"string\" office:string-value=\"cached\">"
         "<text:p>cached</text:p></table:table-cell>"
         "<table:table-cell table:formula=\"of:=['file://" +
         outside +
         "linked.ods'#$Sheet1.A1]\" office:value-type=\"float\" office:value=\"1\">"
         "<text:p>1</text:p></table:table-cell>"
         "</table:table-row></table:table></office:spreadsheet></office:body></office:document>\n";
}

std::string MacroText(const std::string& marker) {
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document") + kNs +
         " office:version=\"1.3\" office:mimetype=\"application/vnd.oasis.opendocument.text\">\n" +
         OnLoadMacro(marker) +
         "<office:body><office:text><text:p>A macro runs on opening.</text:p></office:text>"
         "</office:body></office:document>\n";
}

std::string MacroWorkbook(const std::string& marker) {
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document") + kNs +
         " office:version=\"1.3\" "
         "office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\">\n" +
         OnLoadMacro(marker) +
         "<office:body><office:spreadsheet><table:table table:name=\"Sheet1\"><table:table-row>"
         "<table:table-cell office:value-type=\"float\" office:value=\"1\"><text:p>1</text:p>"
         "</table:table-cell></table:table-row></table:table></office:spreadsheet></office:body>"
         "</office:document>\n";
}

struct RDocument {
  std::string path;
  std::string kind;  // engine: "doc" or "xls"
  std::string pdfFilter;
  bool macro = false;  // has a macro that runs on opening
};

// Runs the fixture script with args (quoted already): it says nothing when it did its work.
bool RunFixtureScript(const std::string& args) {
  const std::string command =
      STAMPWELL_PYTHON " '" STAMPWELL_AUTO_RUN_MACRO "' " + args + " 2>&1 || echo failed: $?";
  const std::string said = test::RunCapture(command);
  if (!said.empty()) ADD_FAILURE() << command << ": " << said;
  return said.empty();
}

// A copy of a real Word or Excel file of the corpus whose VBA project gets, in the module of
// the document or workbook, an auto-run macro writing marker. Empty when it cannot be made.
std::string WithAutoRunMacro(const std::string& source, const std::string& target,
                             const char* module, const char* macro, const std::string& marker) {
  const bool made = RunFixtureScript("'" + source + "' '" + target + "' " + module + " " + macro +
                                     " '" + marker + "'");
  return made && FileExists(target) ? target : "";
}

struct Fixture {
  TempDir dir;
  std::string outside;  // files the documents point at; watched
  TLocalServer server;
  std::string url;
  std::map<std::string, RDocument> docs;  // by file name
};
Fixture* fx = nullptr;

class UntrustedEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    RegisterLibreOfficeServers();
    fx = new Fixture();
    fx->outside = fx->dir / "outside/";
    fx->url = "http://127.0.0.1:" + std::to_string(fx->server.Port());
    test::WriteFile(fx->outside + "secret.txt", "secret text from outside\n");
    test::WriteFile(fx->dir / "make/linked.fods", test::ThreeSheetWorkbook());
    ASSERT_TRUE(test::ConvertWithOffice({fx->dir / "make/linked.fods"}, "ods", fx->outside));
    // A picture file: any bytes do, the office only has to be seen opening it.
    test::WriteFile(fx->outside + "picture.png", "not really a picture");
    // The program an embedded object would start: it leaves a trace when it runs.
    test::WriteFile(fx->outside + "run.sh", "#!/bin/sh\n: > '" + fx->outside + "program-ran'\n");
    ::chmod((fx->outside + "run.sh").c_str(), 0755);
    const std::string marker = fx->outside + "macro-ran";
    test::WriteFile(fx->dir / "make/links.fodt", LinkingText(fx->outside, fx->url));
    test::WriteFile(fx->dir / "make/sheetlinks.fods", LinkingWorkbook(fx->outside, fx->url));
    test::WriteFile(fx->dir / "make/macro.fodt", MacroText(marker));
    test::WriteFile(fx->dir / "make/sheetmacro.fods", MacroWorkbook(marker));
    const std::string src = fx->dir / "src";
    for (const char* f : {"doc", "docx", "odt"}) {
      ASSERT_TRUE(test::ConvertWithOffice({fx->dir / "make/links.fodt"}, f, src)) << f;
      fx->docs["links." + std::string(f)] = {src + "/links." + f, "doc", "writer_pdf_Export"};
    }
    for (const char* f : {"xls", "xlsx", "ods"}) {
      ASSERT_TRUE(test::ConvertWithOffice({fx->dir / "make/sheetlinks.fods"}, f, src)) << f;
      fx->docs["sheetlinks." + std::string(f)] = {src + "/sheetlinks." + f, "xls",
                                                  "calc_pdf_Export"};
    }
    ASSERT_TRUE(test::ConvertWithOffice({fx->dir / "make/macro.fodt"}, "odt", src));
    fx->docs["macro.odt"] = {src + "/macro.odt", "doc", "writer_pdf_Export", true};
    ASSERT_TRUE(test::ConvertWithOffice({fx->dir / "make/sheetmacro.fods"}, "ods", src));
    fx->docs["sheetmacro.ods"] = {src + "/sheetmacro.ods", "xls", "calc_pdf_Export", true};
    // Real VBA: Document_Open in the document module of a Word document, Workbook_Open in the
    // workbook module of an Excel workbook.
    const std::string corpus = STAMPWELL_CORPUS_DIR;
    const std::string vbaDoc =
        WithAutoRunMacro(corpus +
                             "/doc/poi__au.edu.utas.www___data_assets_word_doc_0003_154335_"
                             "International-Travel-Approval-Request-Form.doc",
                         src + "/vbamacro.doc", "ThisDocument", "Document_Open", marker);
    ASSERT_FALSE(vbaDoc.empty());
    fx->docs["vbamacro.doc"] = {vbaDoc, "doc", "writer_pdf_Export", true};
    const std::string vbaXls =
        WithAutoRunMacro(corpus + "/xls/poi__45538_form_Footer.xls", src + "/vbamacro.xls",
                         "ThisWorkbook", "Workbook_Open", marker);
    ASSERT_FALSE(vbaXls.empty());
    fx->docs["vbamacro.xls"] = {vbaXls, "xls", "calc_pdf_Export", true};
    // The same projects in Office Open XML files with macros, as the office saves them.
    ASSERT_TRUE(test::ConvertFresh({vbaDoc}, "docm", src, "MS Word 2007 XML VBA"));
    fx->docs["vbamacro.docm"] = {src + "/vbamacro.docm", "doc", "writer_pdf_Export", true};
    ASSERT_TRUE(test::ConvertFresh({vbaXls}, "xlsm", src, "Calc MS Excel 2007 VBA XML"));
    // The office leaves out the name of the workbook module that Excel writes.
    ASSERT_TRUE(RunFixtureScript("--code-name '" + src + "/vbamacro.xlsm' ThisWorkbook"));
    fx->docs["vbamacro.xlsm"] = {src + "/vbamacro.xlsm", "xls", "calc_pdf_Export", true};
    std::error_code ec;
    fs::remove(marker, ec);  // making the documents may have run it
  }
  void TearDown() override { delete fx; }
};
const auto* env = ::testing::AddGlobalTestEnvironment(new UntrustedEnvironment());

// What a document did to the world while it was handled.
struct RReach {
  std::set<std::string> files;  // opened, read or made in the watched folder
  std::vector<std::string> requests;
  bool macroRan = false;
  bool programRan = false;
  bool Any() const { return !files.empty() || !requests.empty() || macroRan || programRan; }
};

std::string Describe(const RReach& r) {
  std::string s;
  for (const auto& f : r.files) s += " file:" + f;
  for (const auto& q : r.requests) s += " request:" + q;
  if (r.macroRan) s += " macro ran";
  if (r.programRan) s += " program ran";
  return s.empty() ? " nothing" : s;
}

template <class Fn>
RReach Watch(Fn fn) {
  TFolderWatch watch(fx->outside);
  fx->server.TakeRequests();
  fn();
  // A fetch or read that the office does in the background has a moment to happen.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  RReach r;
  r.files = watch.Take();
  r.requests = fx->server.TakeRequests();
  r.macroRan = FileExists(fx->outside + "macro-ran");
  r.programRan = FileExists(fx->outside + "program-ran");
  std::error_code ec;
  fs::remove(fx->outside + "macro-ran", ec);
  fs::remove(fx->outside + "program-ran", ec);
  return r;
}

css::beans::PropertyValue Prop(const char* name, const css::uno::Any& value) {
  css::beans::PropertyValue p;
  p.Name = OUString::createFromAscii(name);
  p.Value = value;
  return p;
}

void SetOfficeSetting(TOfficeProcess& office, const char* node, const char* name,
                      const css::uno::Any& value) {
  auto provider = css::configuration::theDefaultProvider::get(office.Context());
  css::beans::NamedValue path;
  path.Name = "nodepath";
  path.Value <<= OUString::createFromAscii(node);
  css::uno::Sequence<css::uno::Any> args(1);
  args.getArray()[0] <<= path;
  auto access = provider->createInstanceWithArguments(
      "com.sun.star.configuration.ConfigurationUpdateAccess", args);
  css::uno::Reference<css::beans::XPropertySet>(access, css::uno::UNO_QUERY_THROW)
      ->setPropertyValue(OUString::createFromAscii(name), value);
  css::uno::Reference<css::util::XChangesBatch>(access, css::uno::UNO_QUERY_THROW)
      ->commitChanges();
}

// Makes the office trust what documents link to and run, as a careless reader's would: links
// followed, the network reached directly, macros allowed.
void TrustEverything(TOfficeProcess& office) {
  SetOfficeSetting(office, "/org.openoffice.Office.Common/Security/Scripting",
                   "BlockUntrustedRefererLinks", css::uno::Any(false));
  SetOfficeSetting(office, "/org.openoffice.Office.Common/Security/Scripting",
                   "MacroSecurityLevel", css::uno::Any(sal_Int32(0)));
  SetOfficeSetting(office, "/org.openoffice.Inet/Settings", "ooInetProxyType",
                   css::uno::Any(sal_Int32(0)));
  // VBA of Word and Excel files loaded as code that runs, as the office has it out of the box.
  for (const char* app : {"Writer", "Calc"})
    SetOfficeSetting(office,
                     (std::string("/org.openoffice.Office.") + app + "/Filter/Import/VBA").c_str(),
                     "Executable", css::uno::Any(true));
}

// Opens doc as a reader who trusts it would (macros run, links updated) and prints it.
void OpenTrusting(TOfficeProcess& office, const RDocument& doc, const std::string& pdf) {
  css::uno::Reference<css::frame::XComponentLoader> loader(office.Desktop(),
                                                           css::uno::UNO_QUERY_THROW);
  const css::beans::PropertyValue load[] = {
      Prop("Hidden", css::uno::Any(false)),
      Prop("MacroExecutionMode",
           css::uno::Any(css::document::MacroExecMode::ALWAYS_EXECUTE_NO_WARN)),
      Prop("UpdateDocMode", css::uno::Any(css::document::UpdateDocMode::FULL_UPDATE))};
  const css::uno::Sequence<css::beans::PropertyValue> args(load, 3);
  auto component = loader->loadComponentFromURL(uno::FileUrl(doc.path), "_blank", 0, args);
  ASSERT_TRUE(component.is()) << doc.path;
  // An opening macro may run after the load has returned (Word's Document_Open runs on an
  // event the office posts): a reader's document stays open long enough for it, so the
  // control waits for it (a macro that never runs still shows, after the wait).
  for (int i = 0; doc.macro && i < 100 && !FileExists(fx->outside + "macro-ran"); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  css::uno::Reference<css::frame::XStorable> storable(component, css::uno::UNO_QUERY_THROW);
  const css::beans::PropertyValue filter = Prop("FilterName", css::uno::Any(uno::ToOU(doc.pdfFilter)));
  const css::uno::Sequence<css::beans::PropertyValue> store(&filter, 1);
  storable->storeToURL(uno::FileUrl(pdf), store);
  css::uno::Reference<css::util::XCloseable>(component, css::uno::UNO_QUERY_THROW)->close(true);
}

TEST(UntrustedDocuments, StampingAndPrintingRunNoMacroReadNothingOutsideAndFetchNothing) {
  // How each document reaches out when trusted.
  std::map<std::string, RReach> trusting;
  {
    auto office = TOfficeProcess::Start(false);
    TrustEverything(*office);
    TempDir pdfs;
    for (const auto& [name, doc] : fx->docs)
      trusting[name] = Watch([&] { OpenTrusting(*office, doc, pdfs / (name + ".pdf")); });
    office->Quit();
  }
  for (const auto& [name, r] : trusting)
    std::cout << "[ trusted  ] " << name << ":" << Describe(r) << "\n";
  // The set does reach out: every macro runs, local files are read and the server is asked.
  bool files = false, requests = false;
  for (const auto& [name, r] : trusting) {
    EXPECT_EQ(r.macroRan, fx->docs[name].macro) << name << " when trusted:" << Describe(r);
    files = files || !r.files.empty();
    requests = requests || !r.requests.empty();
  }
  EXPECT_TRUE(files) << "no document read a local file even when trusted";
  EXPECT_TRUE(requests) << "no document asked the server even when trusted";

  // The way a job handles them: open, stamp, save; open, stamp, print.
  TempDir out, home;
  SetDesktopFolderForTests(home / "Desktop");
  TRegistry::SetMachine(TRegistry::BuiltIn());
  {
    TPDFStack stack;
    ASSERT_TRUE(stack.PDFUsable);
    test::TStampEngines engines;
    engines.SetPdfStack(&stack);
    for (const auto& [name, doc] : fx->docs) {
      const RReach r = Watch([&] {
        EXPECT_TRUE(engines.Stamp(doc.kind, doc.path, test::JobSettings(), out / name)) << name;
        EXPECT_TRUE(engines.Stamp(doc.kind, doc.path, test::JobSettings(), "")) << name;
      });
      std::cout << "[ stamped  ] " << name << ":" << Describe(r) << "\n";
      EXPECT_FALSE(r.Any()) << name << " reached out:" << Describe(r);
      EXPECT_TRUE(FileExists(out / name)) << name;
    }
    engines.Quit();
  }
  TRegistry::SetMachine(nullptr);
  SetDesktopFolderForTests("");
  EXPECT_FALSE(test::ListTree(home.Path()).empty()) << "nothing was printed";
}

}  // namespace
}  // namespace stampwell
