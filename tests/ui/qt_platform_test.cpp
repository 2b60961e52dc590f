// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt side of the platform layer: message boxes through the message sink (also from a
// worker thread, which waits for the box), the UI dispatcher, and the dialog test hooks.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <thread>

#include "platform/message_sink.h"
#include "ui/qt_message_sink.h"
#include "ui/qt_ui_dispatcher.h"
#include "ui/ui_dialogs.h"

using namespace stampwell;

namespace {

// Waits (processing events) until done or about five seconds have passed.
bool WaitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 500 && !done(); ++i) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(10);
  }
  return done();
}

}  // namespace

class QtPlatformTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { TUiDialogs::SetTestMode(false); }
  void cleanup() { TUiDialogs::SetTestMode(false); }

  void messageBoxHasOneOkButtonAndTheText() {
    TQtMessageSink sink;
    QString seenText;
    int buttons = -1;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box);
      seenText = box->text();
      buttons = box->buttons().size();
      box->button(QMessageBox::Ok)->click();
    });
    ShowMessage("Please select a job first.");
    QCOMPARE(seenText, QStringLiteral("Please select a job first."));
    QCOMPARE(buttons, 1);
  }

  void workerWaitsUntilBoxIsClosed() {
    TQtMessageSink sink;
    TUiDialogs::SetTestMode(true);
    std::atomic<bool> returned{false};
    std::thread worker([&] {
      ShowMessage("from the worker");
      returned = true;
    });
    // Without the UI thread running its events, the worker cannot get past the box.
    QThread::msleep(100);
    QVERIFY(!returned);
    QVERIFY(WaitFor([&] { return returned.load(); }));
    worker.join();
    const auto requests = TUiDialogs::TakeRequests();
    QCOMPARE(requests.size(), std::size_t{1});
    QCOMPARE(requests[0].text, QStringLiteral("from the worker"));
  }

  void sinkRestoresPreviousHandler() {
    std::vector<std::string> seen;
    ScopedMessageHandler outer([&](const std::string& t) { seen.push_back(t); });
    { TQtMessageSink sink; }
    ShowMessage("after");
    QCOMPARE(seen, std::vector<std::string>{"after"});
  }

  void dispatcherPostRunsLaterOnUiThread() {
    TQtUiDispatcher dispatcher;
    std::atomic<bool> ran{false};
    std::atomic<bool> onUiThread{false};
    QThread* ui = QThread::currentThread();
    std::thread worker([&] {
      dispatcher.Post([&] {
        onUiThread = QThread::currentThread() == ui;
        ran = true;
      });
    });
    worker.join();
    QVERIFY(!ran);  // queued, not run by the poster
    QVERIFY(WaitFor([&] { return ran.load(); }));
    QVERIFY(onUiThread);
  }

  void dispatcherPostAndWaitBlocksWorker() {
    TQtUiDispatcher dispatcher;
    std::atomic<int> value{0};
    std::atomic<bool> returned{false};
    std::thread worker([&] {
      dispatcher.PostAndWait([&] { value = 42; });
      // The function has run by the time PostAndWait returns.
      if (value == 42) returned = true;
    });
    QThread::msleep(50);
    QVERIFY(!returned);
    QVERIFY(WaitFor([&] { return returned.load(); }));
    worker.join();
  }

  void dispatcherDropsWorkAfterDestruction() {
    bool ran = false;
    {
      TQtUiDispatcher dispatcher;
      dispatcher.Post([&] { ran = true; });
    }
    QCoreApplication::processEvents();
    QVERIFY(!ran);
  }

  void hooksAnswerInOrderAndRecord() {
    TUiDialogs::SetTestMode(true);
    TUiDialogs::SetNextAnswer(TUiDialogs::Kind::InputBox, QStringLiteral("first"));
    TUiDialogs::SetNextAnswer(TUiDialogs::Kind::InputBox, QStringLiteral("second"));
    QCOMPARE(TUiDialogs::InputBox(nullptr, "Input Box", "Please enter another name:", "x"),
             std::optional<QString>(QStringLiteral("first")));
    QCOMPARE(TUiDialogs::InputBox(nullptr, "Input Box", "p", "x"),
             std::optional<QString>(QStringLiteral("second")));
    // No answer left: the user cancelled.
    QCOMPARE(TUiDialogs::InputBox(nullptr, "Input Box", "p", "x"), std::optional<QString>());
    QCOMPARE(TUiDialogs::BrowseFolder(nullptr, "t"), std::optional<QString>());
    const auto requests = TUiDialogs::TakeRequests();
    QCOMPARE(requests.size(), std::size_t{4});
    QCOMPARE(requests[0].title, QStringLiteral("Input Box"));
    QCOMPARE(requests[0].text, QStringLiteral("Please enter another name:"));
    QCOMPARE(requests[3].kind, TUiDialogs::Kind::BrowseFolder);
    QVERIFY(TUiDialogs::TakeRequests().empty());
  }
};

QTEST_MAIN(QtPlatformTest)
#include "qt_platform_test.moc"
