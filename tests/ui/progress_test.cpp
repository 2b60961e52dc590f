// SPDX-License-Identifier: GPL-3.0-or-later
// The progress window of a run and the pictures of the run animation.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <vector>

#include "ui/images/image_list.h"
#include "ui/job_event.h"
#include "ui/progress_window.h"
#include "ui/run_display.h"
#include "ui/run_outcome.h"

using namespace stampwell;

namespace {

// Stands in for the main window: records the job messages posted to it.
class JobMessageTarget : public QWidget {
 public:
  std::vector<int> messages;

 protected:
  bool event(QEvent* e) override {
    if (e->type() < TJobEvent::WM_JOBEND || e->type() > TJobEvent::WM_JOBTERMINATE)
      return QWidget::event(e);
    messages.push_back(e->type());
    return true;
  }
};

// Pixels of the letter's red in a picture.
int RedPixels(const QPixmap& pixmap) {
  const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      count += c.alpha() > 128 && c.red() > 150 && c.green() < 90 && c.blue() < 90;
    }
  return count;
}

}  // namespace

class ProgressTest : public QObject {
  Q_OBJECT

 private slots:
  void suspendButtonAlternatesAndPostsSuspendThenContinue() {
    JobMessageTarget owner;
    TfrmProgress progress(&owner);
    progress.show();
    QCOMPARE(progress.ActionName->text(), QStringLiteral(" "));
    for (const char* caption : {"C&ontinue", "&Suspend", "C&ontinue"}) {
      QTest::mouseClick(progress.btnSuspend, Qt::LeftButton);
      QCOMPARE(progress.btnSuspend->text(), QString::fromLatin1(caption));
    }
    QVERIFY(owner.messages.empty());  // posted, not sent
    QCoreApplication::processEvents();
    QCOMPARE(owner.messages, (std::vector<int>{0x858, 0x859, 0x858}));
  }

  void cancelHidesAtOnceAndPostsTerminate() {
    JobMessageTarget owner;
    TfrmProgress progress(&owner);
    progress.show();
    QTest::mouseClick(progress.btnCancel, Qt::LeftButton);
    QVERIFY(!progress.isVisible());
    QCoreApplication::processEvents();
    QCOMPARE(owner.messages, std::vector<int>{0x85C});
  }

  void hideAndTitleBarOnlyHideEscapeStops() {
    JobMessageTarget owner;
    QPointer<TfrmProgress> progress = new TfrmProgress(&owner);
    for (int way = 0; way < 2; ++way) {
      progress->show();
      if (way == 0) QTest::mouseClick(progress->btnHide, Qt::LeftButton);
      if (way == 1) progress->close();
      QVERIFY(!progress->isVisible());
    }
    QCoreApplication::processEvents();
    QVERIFY(progress);  // only the main window destroys it
    QVERIFY(owner.messages.empty());
    // Escape stops a run that is going, as Cancel does.
    progress->show();
    QTest::keyClick(progress, Qt::Key_Escape);
    QVERIFY(!progress->isVisible());
    QCoreApplication::processEvents();
    QCOMPARE(owner.messages, std::vector<int>{0x85C});
    // Once the run has ended its buttons act on nothing, and Escape only closes.
    owner.messages.clear();
    TRunOutcome outcome;
    outcome.ended = true;
    outcome.copied = 2;
    progress->Finish(outcome);
    progress->show();
    QTest::keyClick(progress, Qt::Key_Escape);
    QTest::mouseClick(progress->btnSuspend, Qt::LeftButton);
    QTest::mouseClick(progress->btnCancel, Qt::LeftButton);
    QVERIFY(!progress->isVisible());
    QCoreApplication::processEvents();
    QVERIFY(owner.messages.empty());
    delete progress.data();
  }

  // The time line: elapsed time, the pace and the time left from the bar's count.
  void theTimeLineGivesPaceAndTimeLeft() {
    JobMessageTarget owner;
    TfrmProgress progress(&owner);
    QCOMPARE(TfrmProgress::Duration(0), QStringLiteral("0:00"));
    QCOMPARE(TfrmProgress::Duration(65'400), QStringLiteral("1:05"));
    QCOMPARE(TfrmProgress::Duration(3'725'000), QStringLiteral("1:02:05"));
    progress.UpdateTimes(0);
    QCOMPARE(progress.Times->text(), QStringLiteral("Elapsed 0:00"));
    progress.JobProgressBar->setRange(0, 40);
    progress.JobProgressBar->setValue(10);
    progress.UpdateTimes(5000);
    QCOMPARE(progress.Times->text(),
             QStringLiteral("Elapsed 0:05 \u00b7 2.0 files per second \u00b7 about 0:15 left"));
    // Suspended time does not count.
    progress.SetSuspended(true);
    const qint64 held = progress.ElapsedMs();
    QTest::qWait(120);
    QCOMPARE(progress.ElapsedMs(), held);
    progress.SetSuspended(false);
    QTest::qWait(60);
    QVERIFY(progress.ElapsedMs() >= held + 50);
    // At the end: no time left, the pace of the whole run; the end lines show.
    TRunOutcome outcome;
    outcome.ended = true;
    outcome.failed = 3;
    outcome.copied = 27;
    progress.Finish(outcome);
    QVERIFY(!progress.Times->text().contains(QStringLiteral("left")));
    QCOMPARE(progress.Headline->text(), QStringLiteral("Completed: 3 of 30 files failed"));
    QCOMPARE(progress.Summary->text(),
             QStringLiteral("stamped 0, printed 0, copied 27, skipped 0, failed 3"));
    QCOMPARE(progress.btnHide->text(), QStringLiteral("&Close"));
    // A new run starts with none of it.
    progress.Begin();
    QVERIFY(progress.Headline->text().isEmpty() && progress.Summary->text().isEmpty());
    QCOMPARE(progress.JobStatus->text(), QStringLiteral("0 of 0"));
    QCOMPARE(progress.JobProgressBar->value(), 0);
    QVERIFY(progress.btnSuspend->isEnabled() && progress.btnCancel->isEnabled());
  }

  // The words of the end of a run.
  void theEndOfARunInWords() {
    TRunOutcome o;
    o.ended = true;
    QCOMPARE(o.Headline(), QStringLiteral("Completed"));
    o.stamped = o.printed = 4;  // four files stamped and printed
    o.copied = 1;
    o.failed = 2;
    QCOMPARE(o.Files(), 7);
    QCOMPARE(o.Headline(), QStringLiteral("Completed: 2 of 7 files failed"));
    TRunOutcome skipped;
    skipped.ended = true;
    skipped.skipped = 30;
    QCOMPARE(skipped.Headline(), QStringLiteral("Nothing to do: 30 destinations exist"));
    skipped.failed = 1;  // a failure is never "nothing to do"
    QCOMPARE(skipped.Headline(), QStringLiteral("Completed: 1 of 31 files failed"));
    TRunOutcome cancelled;
    cancelled.cancelled = true;
    cancelled.done = 7;
    cancelled.total = 30;
    cancelled.failed = 1;
    QCOMPARE(cancelled.Headline(), QStringLiteral("Cancelled after 7 of 30"));
  }

  void animationShowsFramesZeroToFourThenAgain() {
    JobMessageTarget owner;
    TfrmProgress progress(&owner);
    QCOMPARE(progress.Timer1->interval(), 1000);
    QVERIFY(progress.Timer1->isActive());
    for (int tick = 0; tick < 7; ++tick) {
      progress.Timer1Timer();
      QCOMPARE(progress.Image1->pixmap().toImage(),
               TImageList::ProgressFrames().Pixmap(tick % 5).toImage());
    }
  }

  void theFirstStateShowsAtOnceInTheWindowsFont() {
    JobMessageTarget owner;
    TfrmProgress progress(&owner);
    // Before any tick or report: the first picture and a counter.
    QCOMPARE(progress.Image1->pixmap().toImage(), TImageList::ProgressFrames().Pixmap(0).toImage());
    QCOMPARE(progress.JobStatus->text(), QStringLiteral("0 of 0"));
    QCOMPARE(progress.ActionName->font(), progress.font());
    QCOMPARE(progress.JobStatus->font(), progress.font());
  }

  void aLongActionIsCutInTheMiddleWithTheWholeInItsTooltip() {
    JobMessageTarget owner;
    TfrmProgress progress(&owner);
    progress.show();
    const QString path = QStringLiteral(
        "copy file:/srv/reports/2026/week49/department of finance/summary of the quarter.txt "
        "to:/srv/stamped/2026/week49/department of finance/summary of the quarter.txt");
    progress.SetAction(path);
    const QString shown = progress.ActionName->text();
    QVERIFY(shown.size() < path.size());
    const int cut = shown.indexOf(QChar(0x2026));
    QVERIFY(cut > 10);
    QVERIFY(path.startsWith(shown.left(cut)));
    QVERIFY(path.endsWith(shown.mid(cut + 1)));
    QVERIFY(shown.mid(cut + 1).size() > 10);
    QVERIFY(progress.ActionName->fontMetrics().horizontalAdvance(shown) <=
            progress.ActionName->width());
    QCOMPARE(progress.ActionName->toolTip(), path);
    // A short one is shown whole.
    progress.SetAction(QStringLiteral("copy file:/a to:/b"));
    QCOMPARE(progress.ActionName->text(), QStringLiteral("copy file:/a to:/b"));
  }

  void theRunDisplayGivesTheWholeActionAndTheTotalAtOnce() {
    JobMessageTarget owner;
    TfrmProgress progress(&owner);
    QLabel panel;
    TRunDisplay display(&owner, &progress, &panel, 1);
    display.SetProgressRange(0, 30);
    QCOMPARE(progress.JobStatus->text(), QStringLiteral("0 of 30"));
    const std::string whole = "copy file:/srv/a/very/long/path/that/goes/on/and/on/file.txt to:/x";
    display.SetActionText(whole);
    display.SetActionCaption(whole.substr(0, 50) + "..");
    QCOMPARE(progress.Action(), QString::fromStdString(whole));
    QCOMPARE(progress.ActionName->toolTip(), QString::fromStdString(whole));
    // A runner that gives only the cut text is shown as it comes.
    display.SetActionCaption("copy file:/b to:/c");
    QCOMPARE(progress.Action(), QStringLiteral("copy file:/b to:/c"));
  }

  void theLetterIsDrawnStepByStep() {
    // 32-pixel frames of the progress window and images 0 to 4 of the tree's list alike.
    for (const TImageList* list : {&TImageList::ProgressFrames(), &TImageList::MainImages()}) {
      QCOMPARE(RedPixels(list->Pixmap(0)), 0);
      for (int i = 1; i < 5; ++i)
        QVERIFY(RedPixels(list->Pixmap(i)) > RedPixels(list->Pixmap(i - 1)));
    }
    const TImageList& main = TImageList::MainImages();
    QCOMPARE(main.Count(), 17);
    for (int i = 0; i < 17; ++i) {
      QCOMPARE(main.Pixmap(i).size(), QSize(16, 16));
      for (int j = 0; j < i; ++j) QVERIFY(main.Pixmap(i).toImage() != main.Pixmap(j).toImage());
    }
  }
};

QTEST_MAIN(ProgressTest)
#include "progress_test.moc"
