// SPDX-License-Identifier: GPL-3.0-or-later
// End to end through LibreOffice: a job created on disk, run from the main window, stamps a
// real Word document and copies the other file, with the progress window and the status bar
// going through a whole run.
#include <QAction>
#include <QLabel>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <memory>

#include "jobs/profile_list.h"
#include "office/automation/automation.h"
#include "office/libreoffice/libreoffice_servers.h"
#include "office_documents.h"
#include "platform/thread.h"
#include "support/temp_dir.h"
#include "main_test_support.h"
#include "ui/main_window.h"
#include "ui/qt_ui_dispatcher.h"
#include "ui/ui_dialogs.h"
#include "watermark_checks.h"

using namespace stampwell;
using stampwell::test::ReadFile;
using stampwell::test::ScopedProgramDir;
using stampwell::test::TempDir;
using stampwell::test::WriteFile;

class OfficeRunTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TQtUiDispatcher> dispatcher_;

 private slots:
  void initTestCase() {
    dispatcher_ = std::make_unique<TQtUiDispatcher>();
    SetMainDispatcher(dispatcher_.get());
    RegisterLibreOfficeServers();
    SetOfficeHasDisplay(false);
    TUiDialogs::SetTestMode(true);
  }
  void cleanupTestCase() {
    SetMainDispatcher(nullptr);
    dispatcher_.reset();
  }

  void aWatermarkJobStampsAWordDocumentAndCopiesTheRest() {
    ScopedProgramDir dir;
    TempDir data;
    const std::string source = data.Path() + "in";
    const std::string dest = data.Path() + "out";
    WriteFile(data.Path() + "src/report.fodt", test::OneSectionText());
    std::filesystem::create_directories(source);
    QVERIFY(test::ConvertWithOffice({data.Path() + "src/report.fodt"}, "doc", source));
    QVERIFY(std::filesystem::exists(source + "/report.doc"));
    WriteFile(source + "/notes.txt", "plain notes\n");
    std::filesystem::create_directories(dest);
    WriteFile(dir.Path() + "swStamp.ini",
              "[BasicInfo]\r\nName=Stamp\r\nDoc=1\r\nXls=0\r\nPpt=0\r\nPDF=0\r\nOtherFiles=1\r\n"
              "[DocInfo]\r\nDocWaterMarkStr=Stamped Copy\r\nDocFontName=Liberation Sans\r\n"
              "DocWatermarkSize=48\r\nDocWatermarkColor=clRed\r\nTransparent=1\r\nHX=1\r\n"
              "[0]\r\nType=1\r\nSource=" +
                  source + "\r\nDest=" + dest + "\r\n");

    {
      TfrmMain w;
      w.show();
      w.JobTree->setCurrentItem(w.NodeAt(1));
      w.JobTreeClick();
      w.aRunThisJob->trigger();
      QCOMPARE(w.StatusPanels[1]->text(), QStringLiteral("Running"));
      QTRY_VERIFY_WITH_TIMEOUT(!w.Running(), 300000);
      QCOMPARE(w.StatusPanels[1]->text(), QStringLiteral("Ready"));
      QCOMPARE(w.StatusPanels[3]->text(), QStringLiteral("Completed"));
      QVERIFY(w.aRunThisJob->isEnabled());
    }
    ProfileList().clear();

    QCOMPARE(ReadFile(dest + "/notes.txt"), std::string("plain notes\n"));
    const std::string log = ReadFile(dir.Path() + "swStamp.log");
    QVERIFY2(log.find("Add watermark into " + source + "/report.doc") != std::string::npos,
             log.c_str());
    QVERIFY(log.find("copy file:" + source + "/notes.txt") != std::string::npos);
    QVERIFY(std::filesystem::exists(dest + "/report.doc"));

    test::WordInspector inspector;
    auto shapes = inspector.HeaderShapes(dest + "/report.doc")["s1/primary"];
    QCOMPARE(shapes.size(), size_t(1));
    QVERIFY(shapes[0].Name.rfind("QuillmarkWaterMarkObject", 0) == 0);
    QCOMPARE(shapes[0].Text, std::string("Stamped Copy"));
    // The source is left as it was.
    QVERIFY(inspector.HeaderShapes(source + "/report.doc")["s1/primary"].empty());
  }
};

QTEST_MAIN(OfficeRunTest)
#include "office_run_test.moc"
