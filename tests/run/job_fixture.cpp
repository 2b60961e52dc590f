// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/job_fixture.h"

#include <filesystem>
#include <thread>

#include "pdf/pdf_printer.h"
#include "support/workbook_script.h"
#include "platform/window_messages.h"

namespace stampwell::test {
namespace {
// The document each fake application opened last, on the calling thread: a run with several
// workers drives an application per worker, each from its own thread.
enum LastKind { kLastWord, kLastExcel, kLastPpt };
thread_local std::string t_last[3];
}  // namespace

std::vector<std::string> RecordingDisplay::Only(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const auto& r : reports)
    if (r.rfind(prefix, 0) == 0) out.push_back(r.substr(prefix.size()));
  return out;
}

void RecordingWindow::PostMessage(std::uint32_t message, std::intptr_t, std::intptr_t) {
  std::lock_guard lock(mutex_);
  messages_.push_back(message);
}

std::vector<std::uint32_t> RecordingWindow::Messages() const {
  std::lock_guard lock(mutex_);
  return messages_;
}

int RecordingWindow::Count(std::uint32_t message) const {
  int n = 0;
  for (auto m : Messages()) n += m == message;
  return n;
}

JobFixture::JobFixture()
    : srcRoot(work / "src"), dstRoot(work / "dst"), pdfOutputDir(work / "home/PDF") {
  std::filesystem::create_directories(srcRoot);
  std::filesystem::create_directories(dstRoot);
  // The built-in printer writes into "PDF" beside the desktop folder.
  SetDesktopFolderForTests(work / "home/Desktop");
  TRegistry::SetMachine(TRegistry::BuiltIn());
  registration = server.RegisterOffice();
  ScriptOffice();
}

JobFixture::~JobFixture() {
  TRegistry::SetMachine(nullptr);
  SetDesktopFolderForTests("");
}

void JobFixture::ScriptOffice() {
  auto opening = [this](LastKind kind, const std::string& objectPath) {
    return [this, kind, objectPath](const std::vector<OleVariant>& args) {
      std::string* last = &t_last[kind];
      const std::string path = args.at(0).AsString();
      {
        std::lock_guard lock(openedMutex);
        opened.push_back(path);
        *last = path;
      }
      if (onOpen) onOpen(path);
      return server.Object(objectPath);
    };
  };
  // Word: one section, no special headers, no shapes yet.
  server.SetHandler("App.Documents", "Open", opening(kLastWord, "App.Documents.Open"));
  server.SetHandler("App.Documents", "Add", [this](const std::vector<OleVariant>&) {
    if (onNewDocument) onNewDocument();
    std::lock_guard lock(openedMutex);
    t_last[kLastWord] = "Document1";  // a new document's title, which names its PDF
    return server.Object("App.Documents.Add");
  });
  for (const std::string doc : {"App.Documents.Open", "App.Documents.Add"}) {
    server.SetValue(doc + ".Sections.Item(1).PageSetup", "DifferentFirstPageHeaderFooter", false);
    server.SetValue(doc + ".Sections.Item(1).PageSetup", "OddAndEvenPagesHeaderFooter", false);
    server.SetValue(doc + ".Sections", "Count", 1);
    server.SetShapes(doc + ".Shapes", {});  // a body without shapes
  }
  server.SetValue("App.Documents.Add", "Name", "Document1");
  server.SetShapes("App.Selection.HeaderFooter.Shapes", {});
  server.SetHandler("App", "PrintOut", [this](const std::vector<OleVariant>&) {
    Print(t_last[kLastWord]);
    return OleVariant();
  });
  // Saving under a path writes the file there, as the application would.
  for (const std::string doc :
       {"App.Documents.Open", "App.workBooks.Open", "App.ActivePresentation"}) {
    server.SetHandler(doc, "SaveAs", [](const std::vector<OleVariant>& args) {
      // Like the real applications, saving into a folder that does not exist fails.
      const std::string path = args.at(0).AsString();
      if (!DirectoryExists(ExtractFilePath(path))) throw EOleError("no folder for " + path);
      WriteFile(path, "saved");
      return OleVariant();
    });
  }
  // Excel.
  server.SetHandler("App.workBooks", "Open", opening(kLastExcel, "App.workBooks.Open"));
  server.SetShapes("App.ActiveSheet.Shapes", {});
  ScriptOneSheetWorkbook(server, "App.workBooks.Open");
  server.SetHandler("App.workBooks.Open", "PrintOut", [this](const std::vector<OleVariant>&) {
    Print(t_last[kLastExcel]);
    return OleVariant();
  });
  // PowerPoint.
  server.SetHandler("App.Presentations", "Open", opening(kLastPpt, "App.Presentations.Open"));
  server.SetShapes("App.ActivePresentation.SlideMaster.Shapes", {});
  server.SetValue("App.ActivePresentation.SlideMaster", "Width", 720.0);
  server.SetValue("App.ActivePresentation.SlideMaster", "Height", 540.0);
  server.SetValue("App.ActivePresentation.SlideMaster.Shapes.AddTextEffect", "Width", 300.0);
  server.SetValue("App.ActivePresentation.SlideMaster.Shapes.AddTextEffect", "Height", 80.0);
  server.SetHandler("App.ActivePresentation", "PrintOut", [this](const std::vector<OleVariant>&) {
    Print(t_last[kLastPpt]);
    return OleVariant();
  });
}

void JobFixture::Print(const std::string& documentPath) {
  std::string doc;
  {
    std::lock_guard lock(openedMutex);
    doc = documentPath;
  }
  // Like the office, a print goes where the printing thread's PDF folder is, if it has one.
  const std::string folder =
      ThreadPdfOutputDir().empty() ? pdfOutputDir : ThreadPdfOutputDir();
  WriteFile(folder + PathDelim + ChangeFileExt(ExtractFileName(doc), ".pdf"),
            printBytes ? printBytes(doc) : "PDF of " + doc);
}

std::string OnePagePdf(const std::string& content) {
  return "%PDF-1.4\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n"
         "2 0 obj<</Type/Pages/Kids[3 0 R]/Count 1>>endobj\n"
         "3 0 obj<</Type/Page/Parent 2 0 R/MediaBox[0 0 595 842]/Contents 4 0 R>>endobj\n"
         "4 0 obj<</Length " +
         std::to_string(content.size()) + ">>stream\n" + content +
         "endstream endobj\ntrailer<</Root 1 0 R>>\n%%EOF\n";
}

std::string SquarePdf(bool magenta) {
  return OnePagePdf(std::string(magenta ? "1 0 1" : "0.5 0.5 0.5") + " rg 100 300 300 200 re f\n");
}

RJobSettings JobFixture::Settings(bool doc, bool xls, bool ppt, bool pdf, bool otherFiles) {
  RJobSettings s;
  s.Name = "Weekly";
  s.Doc = doc;
  s.Xls = xls;
  s.Ppt = ppt;
  s.PDF = pdf;
  s.OtherFiles = otherFiles;
  return s;
}

std::shared_ptr<TJob> JobFixture::MakeJob(const RJobSettings& settings) {
  auto job = std::make_shared<TJob>(jobName, true, &ui);
  job->Settings = settings;
  job->DocSettings.DocWaterMarkStr = "Confidential";
  job->DocSettings.DocFontName = "Arial";
  job->DocSettings.DocWatermarkSize = "60";
  job->DocSettings.DocWatermarkColor = 0x808080;
  job->DocSettings.Transparent = true;
  job->DocSettings.HX = true;
  job->SetControl(window, display);
  return job;
}

bool JobFixture::PumpUntil(const std::function<bool()>& pred, int seconds) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!pred()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    ui.WaitAndProcess(5);
  }
  return true;
}

bool JobFixture::RunToEnd(const std::shared_ptr<TJob>& job) {
  job->Resume();
  return PumpUntil([&] { return window->Count(WM_JOBEND) > 0; });
}

std::vector<std::string> JobFixture::LogLines() const {
  const std::string text = ReadFile(ProgramDir() + "sw" + jobName + ".log");
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    // "yyyy-mm-dd hh:nn:ss " precedes every message.
    lines.push_back(line.size() >= 20 ? line.substr(20) : line);
    start = end + 2;
  }
  return lines;
}

std::vector<std::string> JobFixture::ActionLines() const {
  std::vector<std::string> lines = LogLines();
  std::vector<std::string> out;
  std::size_t begin = lines.size();
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i] == TJob::kJobBegin) begin = i;
  for (std::size_t i = begin + 1; i < lines.size() && lines[i] != TJob::kJobEnd; ++i)
    out.push_back(lines[i]);
  return out;
}

std::vector<std::string> JobFixture::CallsWith(const std::string& needle) const {
  std::vector<std::string> out;
  for (const auto& line : server.Log())
    if (line.find(needle) != std::string::npos) out.push_back(line);
  return out;
}

}  // namespace stampwell::test
