// The progress window of a run and the pictures of the run animation.
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <vector>

#include "ui/images/image_list.h"
#include "ui/job_event.h"
#include "ui/progress_window.h"

using namespace stampwell;

namespace {

// Stands in for the main window: records the job messages posted to it.
class MessageTarget : public QWidget {
 public:
  std::vector<int> messages;

 protected:
  bool event(QEvent* e) override {
    if (e->type() >= QEvent::User && e->type() <= QEvent::MaxUser) {
      messages.push_back(static_cast<int>(e->type()));
      return true;
    }
    return QWidget::event(e);
  }
};

int RedPixels(const QPixmap& pixmap) {
  const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.alpha() > 128 && c.red() > 150 && c.green() < 90 && c.blue() < 90) ++count;
    }
  return count;
}

}  // namespace

class ProgressTest : public QObject {
  Q_OBJECT

 private slots:
  void startsWithBlankActionAndSuspendCaption() {
    MessageTarget owner;
    TfrmProgress progress(&owner);
    QCOMPARE(progress.windowTitle(), QStringLiteral("Job Progress"));
    QCOMPARE(progress.ActionName->text(), QStringLiteral(" "));
    QCOMPARE(progress.btnSuspend->text(), QStringLiteral("Suspend"));
    QCOMPARE(progress.btnHide->text(), QStringLiteral("Hide"));
    QCOMPARE(progress.btnCancel->text(), QStringLiteral("Cancel"));
    QVERIFY(progress.Timer1->isActive());
    QCOMPARE(progress.Timer1->interval(), 1000);
    QCOMPARE(progress.size(), QSize(461, 141));
    QCOMPARE(progress.JobProgressBar->geometry(), QRect(32, 88, 321, 25));
  }

  void suspendButtonAlternatesAndPostsSuspendThenContinue() {
    MessageTarget owner;
    TfrmProgress progress(&owner);
    progress.show();
    QTest::mouseClick(progress.btnSuspend, Qt::LeftButton);
    QCOMPARE(progress.btnSuspend->text(), QStringLiteral("Continue"));
    QVERIFY(!progress.SuspendToggle());
    QTest::mouseClick(progress.btnSuspend, Qt::LeftButton);
    QCOMPARE(progress.btnSuspend->text(), QStringLiteral("Suspend"));
    QTest::mouseClick(progress.btnSuspend, Qt::LeftButton);
    // Posted, not sent: nothing arrives before the event loop runs.
    QVERIFY(owner.messages.empty());
    QCoreApplication::processEvents();
    const std::vector<int> expected = {0x858, 0x859, 0x858};
    QCOMPARE(owner.messages, expected);
  }

  void cancelHidesAtOnceAndPostsTerminate() {
    MessageTarget owner;
    TfrmProgress progress(&owner);
    progress.show();
    QTest::mouseClick(progress.btnCancel, Qt::LeftButton);
    QVERIFY(!progress.isVisible());
    QCoreApplication::processEvents();
    QCOMPARE(owner.messages, std::vector<int>{TJobEvent::WM_JOBTERMINATE});
  }

  void hideAndTitleBarCloseOnlyHide() {
    MessageTarget owner;
    QPointer<TfrmProgress> progress = new TfrmProgress(&owner);
    progress->show();
    QTest::mouseClick(progress->btnHide, Qt::LeftButton);
    QVERIFY(!progress->isVisible());
    progress->show();
    progress->close();  // from the title bar: hidden, not destroyed
    QVERIFY(!progress->isVisible());
    progress->show();
    QTest::keyClick(progress, Qt::Key_Escape);
    QVERIFY(!progress->isVisible());
    QCoreApplication::processEvents();
    QVERIFY(progress);  // still alive: only the main window destroys it
    QVERIFY(owner.messages.empty());
  }

  void animationShowsFramesZeroToFourThenAgain() {
    MessageTarget owner;
    TfrmProgress progress(&owner);
    const TImageList& frames = TImageList::ProgressFrames();
    for (int tick = 0; tick < 7; ++tick) {
      QCOMPARE(progress.FrameCounter(), tick % 5);
      progress.Timer1Timer();
      QCOMPARE(progress.Image1->pixmap().toImage(), frames.Pixmap(tick % 5).toImage());
    }
  }

  void runAnimationDrawsTheLetterStepByStep() {
    const TImageList& frames = TImageList::ProgressFrames();
    QCOMPARE(frames.Count(), 5);
    QCOMPARE(RedPixels(frames.Pixmap(0)), 0);
    for (int i = 0; i < 5; ++i) QCOMPARE(frames.Pixmap(i).size(), QSize(32, 32));
    for (int i = 1; i < 5; ++i)
      QVERIFY2(RedPixels(frames.Pixmap(i)) > RedPixels(frames.Pixmap(i - 1)),
               qPrintable(QString::number(i)));
    // The tree shows the same animation at 16 pixels, as images 1 to 4 of the main list.
    const TImageList& main = TImageList::MainImages();
    for (int i = 1; i < 5; ++i) QVERIFY(RedPixels(main.Pixmap(i)) > RedPixels(main.Pixmap(i - 1)));
  }

  void mainListHoldsSeventeenDistinctPictures() {
    const TImageList& main = TImageList::MainImages();
    QCOMPARE(main.Count(), 17);
    for (int i = 0; i < 17; ++i) {
      QCOMPARE(main.Pixmap(i).size(), QSize(16, 16));
      for (int j = 0; j < i; ++j)
        QVERIFY2(main.Pixmap(i).toImage() != main.Pixmap(j).toImage(),
                 qPrintable(QStringLiteral("%1 equals %2").arg(i).arg(j)));
    }
    QVERIFY(main.Pixmap(17).isNull());
    QVERIFY(main.Pixmap(-1).isNull());
  }

  void messagesToAGoneOwnerAreDropped() {
    auto owner = std::make_unique<MessageTarget>();
    TfrmProgress progress(owner.get());
    progress.setParent(nullptr);  // outlives its owner
    owner.reset();
    progress.btnSuspendClick();
    progress.btnCancelClick();
    QCoreApplication::processEvents();  // nothing to deliver, nothing crashes
    QCOMPARE(progress.btnSuspend->text(), QStringLiteral("Continue"));
  }
};

QTEST_MAIN(ProgressTest)
#include "progress_test.moc"
