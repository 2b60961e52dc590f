// SPDX-License-Identifier: GPL-3.0-or-later
// The watermark page's Word preview, against the recording automation server: the sample
// document is built in a visible Word, stamped with the page's current values, and Word is
// left running; failures show only the message of whoever failed.
#include <QComboBox>
#include <QtTest>

#include <algorithm>

#include "support/recording_server.h"
#include "support/temp_dir.h"
#include "ui/doc_set_frame.h"
#include "ui/ui_dialogs.h"
#include "ui_test_support.h"

using namespace stampwell;

namespace {

bool Contains(const std::vector<std::string>& log, const std::string& piece) {
  return std::any_of(log.begin(), log.end(), [&](const std::string& line) {
    return line.find(piece) != std::string::npos;
  });
}

// Scripts the sample document as a one-section document with a plain header.
void ScriptSample(test::RecordingServer& server) {
  server.SetValue("App.Documents", "Add", server.Object("Preview"));
  server.SetValue("Preview.Sections.Item(1).PageSetup", "DifferentFirstPageHeaderFooter", 0);
  server.SetValue("Preview.Sections.Item(1).PageSetup", "OddAndEvenPagesHeaderFooter", 0);
  server.SetValue("Preview.Sections", "Count", 1);
  server.SetShapes("App.Selection.HeaderFooter.Shapes", {});
  server.SetShapes("Preview.Shapes", {});
}

std::unique_ptr<TDocSetFrame> MakePage() {
  auto page = std::make_unique<TDocSetFrame>();
  page->wmFont->SetFontEnumerator(test::FakeFonts);
  page->wmFont->LoadFonts();
  RDocSettings d;
  d.DocWaterMarkStr = "SAMPLE";
  d.DocFontName = "FaceD";
  d.DocWatermarkSize = "72";
  d.DocWatermarkColor = 0x0000FF;
  d.HX = true;
  page->ShowSettings(d);
  return page;
}

}  // namespace

class DocPreviewTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { TUiDialogs::SetTestMode(true); }

  void previewStampsCurrentValuesInVisibleWord() {
    test::RecordingServer server;
    auto registration = server.RegisterOffice();
    ScriptSample(server);
    auto page = MakePage();
    page->wmString->setEditText(QStringLiteral("UNSAVED TEXT"));  // not saved anywhere
    test::MessageRecorder messages;
    page->ViewResultClick();
    const auto log = server.Log();
    QCOMPARE(messages.Messages(), std::vector<std::string>{});
    QVERIFY(Contains(log, "create Word.Application"));
    QVERIFY(Contains(log, "put App.Visible = Bool(-1)"));
    QVERIFY(Contains(log, "call App.Documents.Add"));
    QVERIFY(Contains(log, "AddTextEffect"));
    QVERIFY(Contains(log, "\"UNSAVED TEXT\""));
    QVERIFY(Contains(log, "\"FaceD\""));
    QVERIFY(!Contains(log, "Quit"));  // Word stays open for the user
    // The sample counts as unchanged once stamped: closing it asks nothing.
    QCOMPARE(log.back(), std::string("put Preview.Saved = Bool(-1)"));
    QCOMPARE(page->DocSettings.DocWaterMarkStr, std::string("UNSAVED TEXT"));
  }

  void emptyTextShowsPageMessageAndUnstampedSample() {
    test::RecordingServer server;
    auto registration = server.RegisterOffice();
    ScriptSample(server);
    auto page = MakePage();
    page->wmString->setEditText(QString());
    test::MessageRecorder messages;
    page->ViewResultClick();
    QCOMPARE(messages.Messages(),
             std::vector<std::string>{"Please enter the watermark text first."});
    const auto log = server.Log();
    QVERIFY(Contains(log, "call App.Documents.Add"));
    QVERIFY(!Contains(log, "AddTextEffect"));
    QVERIFY(!Contains(log, "Quit"));
    QCOMPARE(log.back(), std::string("put Preview.Saved = Bool(-1)"));
  }

  void wordThatCannotStartShowsOnlyEngineMessages() {
    test::RecordingServer server;
    auto registration = server.RegisterOffice();
    server.FailCreate("Word.Application", "no office suite");
    auto page = MakePage();
    page->wmString->setEditText(QString());  // the page's own check must not run
    test::MessageRecorder messages;
    page->ViewResultClick();
    const auto shown = messages.Messages();
    QVERIFY(!shown.empty());
    QVERIFY(std::find(shown.begin(), shown.end(), "Please enter the watermark text first.") ==
            shown.end());
    QVERIFY(!Contains(server.Log(), "AddTextEffect"));
  }

  void failingAutomationCallIsReportedNotThrown() {
    test::RecordingServer server;
    auto registration = server.RegisterOffice();
    ScriptSample(server);
    server.Fail(test::CallKind::Call, "App.Selection.HeaderFooter.Shapes", "AddTextEffect",
                "shape refused", 0);
    auto page = MakePage();
    test::MessageRecorder messages;
    page->ViewResultClick();  // must not throw out of the click
    const auto shown = messages.Messages();
    QCOMPARE(shown.size(), std::size_t{1});
    QVERIFY2(shown[0].find("shape refused") != std::string::npos, shown[0].c_str());
  }
};

QTEST_MAIN(DocPreviewTest)
#include "doc_preview_test.moc"
