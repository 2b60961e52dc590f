// SPDX-License-Identifier: GPL-3.0-or-later
// Whole runs through LibreOffice over real .doc, .xls and .ppt files and a few other files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "jobs/file_utils.h"
#include "office/automation/automation.h"
#include "office/libreoffice/libreoffice_servers.h"
#include "mark_render.h"
#include "office_documents.h"
#include "platform/core_claim.h"
#include "platform/window_messages.h"
#include "run/job_fixture.h"
#include "watermark_checks.h"

namespace stampwell::test {
namespace {

namespace fs = std::filesystem;
using ::testing::Contains;

constexpr const char* kMark = "QuillmarkWaterMarkObject1";

// Shape names on a workbook's active sheet or a presentation's slide master.
std::vector<std::string> ShapeNames(const std::string& progId, const std::string& path) {
  OleVariant app = CreateOleObject(progId), shapes;
  if (progId == "Excel.Application") {
    app.Get("workBooks").Call("Open", {path});
    shapes = app.Get("ActiveSheet").Get("Shapes");
  } else {
    app.Get("Presentations").Call("Open", {path});
    shapes = app.Get("ActivePresentation").Get("SlideMaster").Get("Shapes");
  }
  std::vector<std::string> names;
  for (int i = 1, n = shapes.Get("Count").AsInt(); i <= n; ++i)
    names.push_back(shapes.Get("Item", {i}).Get("Name").AsString());
  app.Call("Quit");
  return names;
}

// The fixture's tree with real documents, made through LibreOffice, and its servers in place
// of the recording one: src/a.doc, src/c.xls, src/notes.txt, src/~$a.doc, src/sub/b.doc,
// src/sub/d.ppt, src/sub/blob.bin.
class OfficeRun : public JobFixture {
 protected:
  void SetUp() override {
    registration.reset();
    RegisterLibreOfficeServers();
    const std::string gen = work / "gen/";
    WriteFile(gen + "a.fodt", OneSectionText());
    WriteFile(gen + "b.fodt", ThreeSectionText());
    WriteFile(gen + "c.fods", ThreeSheetWorkbook());
    WriteFile(gen + "d.fodp", TwoSlidePresentation());
    for (auto [files, format] :
         {std::pair<std::vector<std::string>, std::string>{{gen + "a.fodt", gen + "b.fodt"}, "doc"},
          {{gen + "c.fods"}, "xls"},
          {{gen + "d.fodp"}, "ppt"}})
      ASSERT_TRUE(ConvertWithOffice(files, format, gen));
    fs::create_directories(Src("/sub"));
    for (std::string f : {"/a.doc", "/sub/b.doc", "/c.xls", "/sub/d.ppt"})
      fs::copy_file(gen + ExtractFileName(f), Src(f));
    WriteFile(Src("/notes.txt"), "plain notes\r\n");
    std::string blob;
    for (int i = 0; i < 10000; ++i) blob += static_cast<char>((i * 7919) & 0xFF);
    WriteFile(Src("/sub/blob.bin"), blob);
    WriteFile(Src("/~$a.doc"), "owner file");
  }
  void RunFolderJob(RJobSettings settings) {
    auto job = MakeJob(settings);
    job->DocSettings = JobSettings();  // red, half transparent
    job->AddItem(Src(), Dst(), "Folder");
    job->Resume();
    ASSERT_TRUE(PumpUntil([&] { return window->Count(WM_JOBEND) == 1; }, 480));
    EXPECT_EQ(job->FatalError(), "");
  }
  MessageRecorder messages;
};

TEST_F(OfficeRun, WatermarkJobMirrorsTheTreeStampsOfficeFilesAndCopiesTheRest) {
  RunFolderJob(Settings(true, true, true, false, true));
  EXPECT_THAT(messages.Messages(), ::testing::IsEmpty());
  std::vector<std::string> tree = ListTree(Src());
  std::erase(tree, "~$a.doc");
  EXPECT_EQ(ListTree(Dst()), tree);
  EXPECT_EQ(ReadFile(Dst("/sub/blob.bin")), ReadFile(Src("/sub/blob.bin")));
  WordInspector word;
  EXPECT_EQ(word.HeaderShapes(Dst("/a.doc"))["s1/primary"].at(0).Name, kMark);
  EXPECT_EQ(word.HeaderShapes(Dst("/sub/b.doc"))["s3/primary"].size(), 1u);
  EXPECT_TRUE(word.HeaderShapes(Src("/a.doc"))["s1/primary"].empty()) << "source untouched";
  EXPECT_THAT(ShapeNames("Excel.Application", Dst("/c.xls")), Contains(kMark));
  EXPECT_THAT(ShapeNames("PowerPoint.Application", Dst("/sub/d.ppt")), Contains(kMark));
  const auto log = ActionLines();
  EXPECT_EQ(log.size(), 6u);
  for (std::string f : {"/a.doc", "/c.xls", "/sub/b.doc", "/sub/d.ppt"})
    EXPECT_THAT(log, Contains("Add watermark into " + Src(f)));
  EXPECT_THAT(log, Contains("copy file:" + Src("/notes.txt") + " to:" + Dst("/notes.txt")));
}

TEST_F(OfficeRun, PdfJobPutsEachPdfAtItsDestination) {
  RunFolderJob(Settings(true, false, false, true, false));
  EXPECT_THAT(messages.Messages(), ::testing::IsEmpty());
  EXPECT_EQ(ListTree(Dst()),
            std::vector<std::string>({"a.pdf", "c.pdf", "sub/b.pdf", "sub/d.pdf"}));
  EXPECT_NE(PdfText(Dst("/a.pdf")).find("Page 1 body text."), std::string::npos);
  for (std::string pdf : {"/a.pdf", "/b.pdf", "/c.pdf", "/d.pdf"})
    EXPECT_FALSE(FileExists(pdfOutputDir + pdf)) << "left in the output folder: " << pdf;
  EXPECT_EQ(ListTree(pdfOutputDir), std::vector<std::string>{}) << "the sample page is removed";
  EXPECT_THAT(ActionLines(),
              Contains("Print Ppt file:" + Src("/sub/d.ppt") + " to PDF:" + Dst("/sub/d.pdf")));
}

// A PDF of a current-format file is printed by LibreOffice from the package the package
// engine stamped: the mark is in the PDF, the source is not changed, no stamped copy is left
// at the destination.
TEST_F(OfficeRun, CurrentFormatsArePrintedFromTheirStampedPackage) {
  const std::string corpus = STAMPWELL_CORPUS_DIR;
  fs::copy_file(corpus + "/docx/poi__ThreeColHead.docx", Src("/e.docx"));
  fs::copy_file(corpus + "/xlsx/poi__WithVariousData.xlsx", Src("/f.xlsx"));
  const std::string before = ReadFile(Src("/e.docx"));
  RJobSettings settings = Settings(true, true, false, true, false);
  settings.ModernFormats = true;
  RunFolderJob(settings);
  EXPECT_THAT(messages.Messages(), ::testing::IsEmpty());
  const auto log = ActionLines();
  for (std::string f : {"/e", "/f"}) {
    const std::string source = Src(f + (f == "/e" ? ".docx" : ".xlsx"));
    EXPECT_THAT(log, Contains("Add watermark into " + source));
    ASSERT_TRUE(FileExists(Dst(f + ".pdf"))) << f;
    // The mark is drawn, not set as text: its red shows on the first page.
    EXPECT_GT(CountPageColours(Dst(f + ".pdf"), 1).watermark, 300) << f;
  }
  EXPECT_EQ(ReadFile(Src("/e.docx")), before);
  EXPECT_FALSE(FileExists(Dst("/e.docx")));
}

// Verify on current formats: each saved package is printed by the office engine of its
// application, as its PDF would be, and the mark is found on its pages. The checks are made
// aside, by offices of their own, on any machine.
TEST_F(OfficeRun, VerifyChecksCurrentFormatsPrintedByTheirApplicationsEngine) {
  const ChecksAside aside(true);
  const std::string corpus = STAMPWELL_CORPUS_DIR;
  const std::string modern = work / "modern";
  fs::create_directories(modern);
  fs::copy_file(corpus + "/docx/poi__ThreeColHead.docx", modern + "/e.docx");
  fs::copy_file(corpus + "/xlsx/poi__WithVariousData.xlsx", modern + "/f.xlsx");
  fs::copy_file(corpus + "/pptx/poi__45541_Footer.pptx", modern + "/g.pptx");
  RJobSettings settings = Settings(true, true, true, false, false);
  settings.ModernFormats = true;
  settings.Verify = true;
  auto job = MakeJob(settings);
  job->DocSettings = JobSettings();
  job->AddItem(modern, Dst("/modern"), "Folder");
  job->Resume();
  ASSERT_TRUE(PumpUntil([&] { return window->Count(WM_JOBEND) == 1; }, 480));
  const auto log = ActionLines();
  for (std::string f : {"/e.docx", "/f.xlsx", "/g.pptx"})
    EXPECT_THAT(log, Contains(::testing::StartsWith("Verified " + modern + f + ": "))) << f;
  EXPECT_EQ(job->Counts.Verified, 3);
  EXPECT_EQ(job->Counts.Failed, 0);
  EXPECT_TRUE(!fs::exists(pdfOutputDir) || ListTree(pdfOutputDir).empty())
      << "the PDFs made to check";
}

// Verify restamping a file stamped before, whose slides are coloured: the check against the
// source's own pages must not take the source's earlier mark for the page under the new one
// (no difference would show, and a well stamped file would fail).
TEST_F(OfficeRun, VerifyFindsTheNewMarkOnColouredPagesOfAFileStampedBefore) {
  const std::string corpus = STAMPWELL_CORPUS_DIR;
  const std::string first = work / "first", again = work / "again";
  fs::create_directories(first);
  fs::copy_file(corpus + "/ppt/poi__slide_master.ppt", first + "/m.ppt");
  RJobSettings settings = Settings(false, false, true, false, false);
  settings.Verify = true;
  for (const auto& [from, to] : {std::pair{first, Dst("/first")}, std::pair{Dst("/first"), again}}) {
    SCOPED_TRACE(from);
    auto job = MakeJob(settings);
    job->DocSettings = JobSettings();
    job->AddItem(from, to, "Folder");
    const int ends = window->Count(WM_JOBEND);
    job->Resume();
    ASSERT_TRUE(PumpUntil([&] { return window->Count(WM_JOBEND) == ends + 1; }, 480));
    EXPECT_THAT(ActionLines(), Contains("Verified " + from + "/m.ppt: 3 of 3 pages"));
    EXPECT_EQ(job->Counts.Verified, 1);
    EXPECT_EQ(job->Counts.Failed, 0);
  }
  // The mark really is on the restamped file's pages, measured against the unstamped file.
  const auto plain = RenderToPdf({first + "/m.ppt"}, work / "plain");
  const auto restamped = RenderToPdf({again + "/m.ppt"}, work / "restamped");
  ASSERT_FALSE(plain[0].empty());
  ASSERT_FALSE(restamped[0].empty());
  const auto m = MeasurePdf(restamped[0], RRgb{255, 0, 0}, 0, plain[0]);
  ASSERT_TRUE(m.has_value());
  EXPECT_NEAR(m->opacity, 0.3, 0.12);
}

// Documents of one name in one folder (a.doc and a.xls) and a PDF copied along beside a
// document printed under its name (c.pdf beside c.xls): each output keeps its own file, the
// later ones under "<name> (<extension>).pdf", and the next run skips them all.
TEST_F(OfficeRun, PdfsOfOneNameEachGetTheirOwnFile) {
  fs::copy_file(Src("/c.xls"), Src("/a.xls"));
  WriteFile(Src("/c.pdf"), "%PDF-1.4 the user's own c.pdf");
  RunFolderJob(Settings(true, true, false, true, true));
  EXPECT_THAT(messages.Messages(), ::testing::IsEmpty());
  EXPECT_EQ(ReadFile(Dst("/c.pdf")), "%PDF-1.4 the user's own c.pdf");
  for (std::string pdf : {"/a.pdf", "/a (xls).pdf", "/c (xls).pdf", "/sub/b.pdf", "/sub/d.pdf"})
    EXPECT_EQ(ReadFile(Dst(pdf)).rfind("%PDF", 0), 0u) << pdf;
  EXPECT_NE(PdfText(Dst("/a.pdf")).find("Page 1 body text."), std::string::npos);
  EXPECT_EQ(PdfText(Dst("/a (xls).pdf")), PdfText(Dst("/c (xls).pdf")));  // the same workbook
  EXPECT_THAT(LogLines(), Contains(::testing::HasSubstr(
                              "PDF of " + Src("/a.xls") + " named " + Dst("/a (xls).pdf") + ": " +
                              Dst("/a.pdf") + " is another output of this run")));
  // Again: every destination is found, nothing is replaced.
  const std::string first = ReadFile(Dst("/a (xls).pdf"));
  window = std::make_shared<RecordingWindow>();
  auto again = MakeJob(Settings(true, true, false, true, true));
  again->AddItem(Src(), Dst(), "Folder");
  again->Resume();
  ASSERT_TRUE(PumpUntil([&] { return window->Count(WM_JOBEND) == 1; }, 480));
  again->WaitFor();
  EXPECT_EQ(again->Counts.Printed + again->Counts.Copied + again->Counts.Failed, 0);
  EXPECT_EQ(again->Counts.Skipped, 8);
  EXPECT_EQ(ReadFile(Dst("/a (xls).pdf")), first);
}

// The cores each office process of this program may run on, as the kernel lists them ("0",
// "0-3"), by process id. Its office processes are those whose pipe is named after it.
std::map<int, std::string> OfficeCores() {
  std::map<int, std::string> cores;
  for (int pid : OfficePids("stampwell_" + std::to_string(::getpid()) + "_")) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
      if (line.rfind("Cpus_allowed_list:", 0) == 0)
        cores[pid] = line.substr(line.find_first_not_of(" \t", 18));
  }
  return cores;
}

// Two workers, each with its own office processes: the same files as one worker, and two
// documents of one name printed at the same time each reach their own PDF. Where the machine
// has a core for each, each worker's office processes run on one core, not the other's.
TEST_F(OfficeRun, TwoWorkersStampAndPrintEachFileOnce) {
  fs::copy_file(Src("/sub/b.doc"), Src("/sub/a.doc"));  // a.doc's name, b.doc's text
  RJobSettings settings = Settings(true, true, true, true, false);
  settings.Workers = 2;
  TCoreClaim::SetCoreClaimFolder(work / "cores");  // apart from other programs' claims
  std::map<int, std::string> seen;  // every office process seen during the run
  std::atomic<bool> running{true};
  std::thread watch([&] {
    while (running) {
      for (const auto& [pid, cores] : OfficeCores()) seen[pid] = cores;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  RunFolderJob(settings);
  running = false;
  watch.join();
  TCoreClaim::SetCoreClaimFolder("");
  ASSERT_FALSE(seen.empty());
  if (TCoreClaim::Wanted(2)) {
    std::set<std::string> cores;
    for (const auto& [pid, allowed] : seen) {
      EXPECT_EQ(allowed.find_first_not_of("0123456789"), std::string::npos)
          << "office process " << pid << " may run on " << allowed;
      cores.insert(allowed);
    }
    EXPECT_LE(cores.size(), 2u) << "two workers, a core each";
  }
  EXPECT_THAT(messages.Messages(), ::testing::IsEmpty());
  EXPECT_EQ(ListTree(Dst()), std::vector<std::string>({"a.pdf", "c.pdf", "sub/a.pdf",
                                                       "sub/b.pdf", "sub/d.pdf"}));
  EXPECT_NE(PdfText(Dst("/a.pdf")).find("Page 1 body text."), std::string::npos);
  EXPECT_EQ(PdfText(Dst("/a.pdf")).find("Section three"), std::string::npos);
  EXPECT_NE(PdfText(Dst("/sub/a.pdf")).find("Section three"), std::string::npos);
  EXPECT_THAT(ListTree(pdfOutputDir), ::testing::IsEmpty()) << "nothing left behind";
  const auto log = ActionLines();
  for (std::string f : {"/a.doc", "/c.xls", "/sub/a.doc", "/sub/b.doc", "/sub/d.ppt"}) {
    const std::string pdf = ChangeFileExt(f, ".pdf");
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [&](const std::string& l) {
                              return l.find(" file:" + Src(f) + " to PDF:" + Dst(pdf)) !=
                                     std::string::npos;
                            }),
              1)
        << f;
  }
}

}  // namespace
}  // namespace stampwell::test

namespace stampwell::test {
namespace {

// Makes folder read-only for this process while it lives: by permissions for an ordinary
// user, by a read-only bind mount for root (whom permissions do not stop). Ok() is false
// when neither can be done here.
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(const std::string& folder) : folder_(folder) {
    if (::geteuid() != 0) {
      for (const auto& e : fs::recursive_directory_iterator(folder))
        fs::permissions(e.path(),
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
      fs::permissions(folder,
                      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                      fs::perm_options::remove);
      ok_ = true;
      return;
    }
    if (::mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) != 0) return;
    mounted_ = true;
    ok_ = ::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
  }
  ~ReadOnlyFolder() {
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
    if (::geteuid() != 0) {
      fs::permissions(folder_, fs::perms::owner_write, fs::perm_options::add);
      for (const auto& e : fs::recursive_directory_iterator(folder_))
        fs::permissions(e.path(), fs::perms::owner_write, fs::perm_options::add);
    }
  }
  bool Ok() const { return ok_; }

 private:
  std::string folder_;
  bool mounted_ = false;
  bool ok_ = false;
};

std::map<std::string, std::string> Digests(const std::string& root) {
  std::map<std::string, std::string> out;
  for (const std::string& f : ListTree(root)) out[f] = ReadFile(root + "/" + f);
  return out;
}

TEST_F(OfficeRun, ReadOnlySourcesAreStampedAndInPlaceOnesSayTheyCannotBeWritten) {
  const auto before = Digests(Src());
  ReadOnlyFolder readOnly(Src());
  if (!readOnly.Ok()) GTEST_SKIP() << "cannot make a read-only folder here";
  RunFolderJob(Settings(true, true, true, false, false));
  WordInspector word;
  EXPECT_EQ(word.HeaderShapes(Dst("/a.doc"))["s1/primary"].at(0).Name, kMark);
  EXPECT_THAT(ShapeNames("Excel.Application", Dst("/c.xls")), Contains(kMark));
  EXPECT_THAT(ShapeNames("PowerPoint.Application", Dst("/sub/d.ppt")), Contains(kMark));
  EXPECT_EQ(ListTree(Dst()),
            std::vector<std::string>({"a.doc", "c.xls", "sub/b.doc", "sub/d.ppt"}));

  // In place, the same files cannot be written: each says so and the run goes on.
  window = std::make_shared<RecordingWindow>();
  auto job = MakeJob(Settings(true, true, false, false, false));
  job->AddItem(Src("/a.doc"), Src("/a.doc"), "File");
  job->AddItem(Src("/c.xls"), Src("/c.xls"), "File");
  job->Resume();
  ASSERT_TRUE(PumpUntil([&] { return window->Count(WM_JOBEND) == 1; }, 480));
  const std::string why = ::geteuid() == 0 ? "read-only file system" : "permission denied";
  EXPECT_THAT(ActionLines(), Contains("Error in " + Src("/a.doc") + ":cannot write " +
                                      Src("/a.doc") + ": " + why));
  EXPECT_THAT(ActionLines(), Contains("Error in " + Src("/c.xls") + ":cannot write " +
                                      Src("/c.xls") + ": " + why));
  EXPECT_EQ(job->Counts.Failed, 2);
  EXPECT_EQ(Digests(Src()), before) << "the sources stay byte for byte";
}

// Each file of root by its size and a hash of its bytes: short enough to print on a failure.
std::map<std::string, std::string> Fingerprints(const std::string& root) {
  std::map<std::string, std::string> out;
  for (const std::string& f : ListTree(root)) {
    const std::string bytes = ReadFile(root + "/" + f);
    out[f] = std::to_string(bytes.size()) + " bytes, hash " +
             std::to_string(std::hash<std::string>{}(bytes));
  }
  return out;
}

// A small file system of its own (tmpfs) mounted on folder while it lives; only root may
// mount one, and Ok() is false where it cannot be done. Fill leaves about `room` bytes free.
class SmallFileSystem {
 public:
  SmallFileSystem(const std::string& folder, std::size_t bytes) : folder_(folder) {
    if (::geteuid() != 0) return;
    fs::create_directories(folder);
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0700";
    mounted_ = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
  }
  ~SmallFileSystem() {
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
  }
  bool Ok() const { return mounted_; }
  std::size_t Free() const { return fs::space(folder_).available; }
  // Takes all but about room bytes with a hidden filler file (which the run passes over).
  void Fill(std::size_t room) {
    const std::size_t free = Free();
    if (free > room) WriteFile(folder_ + "/.filler", std::string(free - room, 'x'));
  }
  void Empty() { fs::remove(folder_ + "/.filler"); }

 private:
  std::string folder_;
  bool mounted_ = false;
};

// Stamped in place on a file system with no room for the stamped copy: each file fails with
// the reason, and each stays byte for byte as it was (the stamped copy is written beside it
// and put in its place only once complete). With room again, the same run stamps each one,
// counted once, and leaves nothing else in the folder.
TEST_F(OfficeRun, InPlaceOnAFullFileSystemKeepsEachFileWholeAndCountsItOnce) {
  const std::string disk = work / "disk";
  SmallFileSystem small(disk, 4u << 20);
  if (!small.Ok()) GTEST_SKIP() << "cannot mount a small file system here";
  const std::vector<std::string> names = {"a.doc", "c.xls", "d.ppt"};
  for (const std::string& f : {std::string("/a.doc"), std::string("/c.xls"),
                               std::string("/sub/d.ppt")})
    fs::copy_file(Src(f), disk + "/" + ExtractFileName(f));
  const auto before = Fingerprints(disk);
  auto runInPlace = [&] {
    window = std::make_shared<RecordingWindow>();
    auto job = MakeJob(Settings(true, true, true, false, false));
    job->DocSettings = JobSettings();
    for (const std::string& name : names) job->AddItem(disk + "/" + name, disk + "/" + name, "File");
    job->Resume();
    EXPECT_TRUE(PumpUntil([&] { return window->Count(WM_JOBEND) == 1; }, 480));
    return job;
  };

  small.Fill(2048);
  auto full = runInPlace();
  EXPECT_EQ(full->Counts.Failed, 3);
  EXPECT_EQ(full->Counts.Stamped, 0);
  for (const std::string& name : names)
    EXPECT_THAT(ActionLines(), Contains("Error in " + disk + "/" + name + ":disk full writing " +
                                        disk + "/" + name));
  small.Empty();
  EXPECT_EQ(Fingerprints(disk), before) << "a file that could not be stamped is kept as it was";

  auto roomy = runInPlace();
  EXPECT_EQ(roomy->Counts.Failed, 0);
  EXPECT_EQ(roomy->Counts.Stamped, 3);
  EXPECT_EQ(ListTree(disk), std::vector<std::string>({"a.doc", "c.xls", "d.ppt"}));
  WordInspector word;
  EXPECT_EQ(word.HeaderShapes(disk + "/a.doc")["s1/primary"].at(0).Name, kMark);
  EXPECT_THAT(ShapeNames("Excel.Application", disk + "/c.xls"), Contains(kMark));
  EXPECT_THAT(ShapeNames("PowerPoint.Application", disk + "/d.ppt"), Contains(kMark));
}

// LibreOffice writes ".~lock.<name>#" beside every document it opens for writing, and leaves
// it when it dies. Watched while an in-place run and a copying run go on.
TEST_F(OfficeRun, NoLockFileOrTemporaryFileAppearsBesideTheDocuments) {
  std::atomic<bool> done{false};
  std::mutex seenMutex;
  std::set<std::string> seen;
  std::thread watcher([&] {
    while (!done) {
      for (const std::string& root : {Src(), Dst()}) {
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(root, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
          const std::string name = it->path().filename().string();
          if (name.rfind(".~lock", 0) == 0 || name.rfind("lu", 0) == 0) {
            std::lock_guard lock(seenMutex);
            seen.insert(it->path().string());
          }
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  });
  RunFolderJob(Settings(true, true, true, false, false));
  window = std::make_shared<RecordingWindow>();
  auto job = MakeJob(Settings(true, true, true, false, false));
  job->AddItem(Src(), Src(), "Folder");
  job->Resume();
  ASSERT_TRUE(PumpUntil([&] { return window->Count(WM_JOBEND) == 1; }, 480));
  done = true;
  watcher.join();
  EXPECT_THAT(seen, ::testing::IsEmpty());
  for (const std::string& root : {Src(), Dst()})
    for (const std::string& f : ListTree(root))
      EXPECT_FALSE(IsWorkFileName(ExtractFileName(f))) << f;
  EXPECT_EQ(job->Counts.Stamped, 4);
}

// Names up to the limit of 255 bytes: the temporary file beside each output stays within it.
TEST_F(OfficeRun, DocumentsWithNamesUpToTheLimitAreStampedAndPrinted) {
  fs::remove_all(Src());
  fs::create_directories(Src());
  const std::string gen = work / "gen/";
  const std::string doc = std::string(243, 'd') + ".doc";  // 247 bytes
  const std::string xls = std::string(251, 'x') + ".xls";  // 255 bytes
  fs::copy_file(gen + "a.doc", Src("/" + doc));
  fs::copy_file(gen + "c.xls", Src("/" + xls));
  RunFolderJob(Settings(true, true, false, false, false));
  EXPECT_EQ(ListTree(Dst()), std::vector<std::string>({doc, xls}));
  WordInspector word;
  EXPECT_EQ(word.HeaderShapes(Dst("/" + doc))["s1/primary"].at(0).Name, kMark);
  fs::remove_all(Dst());
  window = std::make_shared<RecordingWindow>();
  RunFolderJob(Settings(false, false, false, true, false));
  EXPECT_EQ(ListTree(Dst()),
            std::vector<std::string>({ChangeFileExt(doc, ".pdf"), ChangeFileExt(xls, ".pdf")}));
}

// A destination on a full file system: the error says so in the user's words and names the
// user's file, never the temporary one; nothing is left there.
TEST_F(OfficeRun, AFullDiskIsToldInTheUsersWords) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs a small file system of its own";
  fs::create_directories(Dst());
  if (::mount("tmpfs", Dst().c_str(), "tmpfs", 0, "size=4k") != 0)
    GTEST_SKIP() << "cannot mount a small file system here";
  struct Unmount {
    std::string path;
    ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
  } unmount{Dst()};
  RunFolderJob(Settings(true, true, false, false, false));
  EXPECT_THAT(ActionLines(),
              Contains("Error in " + Src("/a.doc") + ":disk full writing " + Dst("/a.doc")));
  EXPECT_THAT(ActionLines(),
              Contains("Error in " + Src("/c.xls") + ":disk full writing " + Dst("/c.xls")));
  for (const std::string& f : ListTree(Dst()))
    EXPECT_FALSE(IsWorkFileName(ExtractFileName(f))) << f;
  EXPECT_FALSE(FileExists(Dst("/a.doc")));
}

TEST_F(OfficeRun, EmptyAndSpecialFilesAreNotDocuments) {
  WriteFile(Src("/empty.doc"), "");
  WriteFile(Src("/empty.xls"), "");
  WriteFile(Src("/empty.ppt"), "");
  ASSERT_EQ(::mkfifo(Src("/sub/pipe.doc").c_str(), 0644), 0);
  RunFolderJob(Settings(true, true, true, false, false));
  EXPECT_THAT(ActionLines(), Contains("Error in Open world file:" + Src("/empty.doc")));
  EXPECT_THAT(ActionLines(), Contains("Passed over " + Src("/sub/pipe.doc") +
                                      ": not a regular file (a FIFO, socket or device)"));
  for (std::string f : {"/empty.doc", "/empty.xls", "/empty.ppt", "/sub/pipe.doc"})
    EXPECT_FALSE(FileExists(Dst(f))) << f;
  EXPECT_TRUE(FileExists(Dst("/a.doc")));
}

// Current formats beside legacy ones in one folder: copied as other files by a job without the
// switch, all stamped in their own formats by one job with it.
TEST_F(OfficeRun, OneJobWithTheSwitchStampsCurrentAndLegacyFilesInOneFolder) {
  const std::string gen = work / "gen/";
  for (auto [from, format] : {std::pair<std::string, std::string>{"a.fodt", "docx"},
                              {"c.fods", "ods"},
                              {"d.fodp", "pptx"}})
    ASSERT_TRUE(ConvertWithOffice({gen + from}, format, gen));
  fs::copy_file(gen + "a.docx", Src("/e.DOCX"));
  fs::copy_file(gen + "c.ods", Src("/f.ods"));
  fs::copy_file(gen + "d.pptx", Src("/sub/g.pptx"));

  RunFolderJob(Settings(true, true, true, false, true));
  for (std::string f : {"/e.DOCX", "/f.ods", "/sub/g.pptx"}) {
    EXPECT_EQ(ReadFile(Dst(f)), ReadFile(Src(f))) << "copied unchanged: " << f;
    EXPECT_THAT(ActionLines(), Contains("copy file:" + Src(f) + " to:" + Dst(f)));
  }

  fs::remove_all(Dst());
  window = std::make_shared<RecordingWindow>();  // the next run's end is counted afresh
  RJobSettings modern = Settings(true, true, true, false, true);
  modern.ModernFormats = true;
  RunFolderJob(modern);
  EXPECT_THAT(messages.Messages(), ::testing::IsEmpty());
  const auto log = ActionLines();
  for (std::string f : {"/a.doc", "/c.xls", "/sub/b.doc", "/sub/d.ppt", "/e.DOCX", "/f.ods",
                        "/sub/g.pptx"})
    EXPECT_THAT(log, Contains("Add watermark into " + Src(f)));
  WordInspector word;
  EXPECT_EQ(word.HeaderShapes(Dst("/e.DOCX"))["s1/primary"].at(0).Name, kMark);
  EXPECT_TRUE(word.HeaderShapes(Src("/e.DOCX"))["s1/primary"].empty()) << "source untouched";
  EXPECT_THAT(ShapeNames("Excel.Application", Dst("/f.ods")), Contains(kMark));
  EXPECT_THAT(ShapeNames("PowerPoint.Application", Dst("/sub/g.pptx")), Contains(kMark));
  // Each in its own format: a zip package, not the legacy binary one.
  for (std::string f : {"/e.DOCX", "/f.ods", "/sub/g.pptx"})
    EXPECT_EQ(ReadFile(Dst(f)).substr(0, 2), "PK") << f;
}

}  // namespace
}  // namespace stampwell::test
