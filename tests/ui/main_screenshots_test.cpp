// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the main window (root page and each job tab), each wizard step, the progress
// window and the About window to PNG files in the build folder, for a person to look at, and
// checks in each what a machine can see: the picture is the window and not blank, no caption
// is clipped and no control lies over another or outside its parent, and the main window's
// areas (tool bar, job tree, job pages, status bar) are all shown, apart and inside it.
#include <QAbstractItemView>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QSet>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QTest>
#include <QTreeWidget>

#include "jobs/profile_list.h"
#include "pdf/pdf_stack.h"
#include "support/temp_dir.h"
#include "ui/about_window.h"
#include "ui/doc_set_frame.h"
#include "main_test_support.h"
#include "ui_test_support.h"
#include "ui/main_window.h"
#include "ui/new_wizard.h"
#include "ui/progress_window.h"
#include "ui/run_outcome.h"
#include "ui/sc_font_combo_box.h"
#include "ui/ui_dialogs.h"

using namespace stampwell;
using stampwell::test::ScopedProgramDir;
using stampwell::test::WriteFile;

namespace {

QString Folder() {
  const QString dir = QStringLiteral(STAMPWELL_SCREENSHOT_DIR);
  QDir().mkpath(dir);
  return dir;
}

// Saves what the window shows and checks the picture is the window's size and not blank, and
// that the window's layout is sound.
void Save(QWidget& widget, const QString& name) {
  QCoreApplication::processEvents();
  const QImage image = widget.grab().toImage();
  QCOMPARE(image.size(), widget.size());
  // A rendered window has text, frames and pictures: many colours, not one flat fill.
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); y += 3)
    for (int x = 0; x < image.width(); x += 3) colours.insert(image.pixel(x, y));
  QVERIFY2(colours.size() > 8, qPrintable(name));
  const QString path = Folder() + QLatin1Char('/') + name + QStringLiteral(".png");
  QVERIFY2(image.save(path), qPrintable(path));
  const QStringList problems = test::LayoutProblems(&widget);
  QVERIFY2(problems.isEmpty(), qPrintable(name + ": " + problems.join("; ")));
}

// The main window's areas, where they stand in it: each shown with room to use, inside the
// window, and none over another.
void CheckMainAreas(TfrmMain& w, const QString& name) {
  QCoreApplication::processEvents();
  const std::pair<const char*, QWidget*> areas[] = {{"tool bar", static_cast<QWidget*>(w.ToolBar)},
                                                    {"job tree", static_cast<QWidget*>(w.JobTree)},
                                                    {"job pages", static_cast<QWidget*>(w.JobPageControl)},
                                                    {"status bar", static_cast<QWidget*>(w.statusBar())}};
  const QRect window = w.rect();
  std::vector<std::pair<QString, QRect>> placed;
  for (const auto& [label, area] : areas) {
    const QString what = name + QStringLiteral(": ") + QLatin1String(label);
    QVERIFY2(area && area->isVisible(), qPrintable(what + QStringLiteral(" is not shown")));
    const QRect r(area->mapTo(&w, QPoint(0, 0)), area->size());
    QVERIFY2(window.contains(r), qPrintable(what + QStringLiteral(" reaches outside the window")));
    QVERIFY2(r.width() >= 100 && r.height() >= 16,
             qPrintable(what + QStringLiteral(" has no room (%1x%2)").arg(r.width()).arg(r.height())));
    for (const auto& [other, at] : placed)
      QVERIFY2(!r.intersects(at), qPrintable(what + QStringLiteral(" lies over ") + other));
    placed.emplace_back(QLatin1String(label), r);
  }
}

// The window with a pop-up drawn over it where the pop-up stands on screen.
void SaveComposite(QWidget& window, QWidget* popup, const QString& name) {
  QCoreApplication::processEvents();
  QImage image = window.grab().toImage();
  QPainter painter(&image);
  painter.drawImage(window.mapFromGlobal(popup->mapToGlobal(QPoint(0, 0))),
                    popup->grab().toImage());
  painter.end();
  const QString path = Folder() + QLatin1Char('/') + name + QStringLiteral(".png");
  QVERIFY2(image.save(path), qPrintable(path));
}

}  // namespace

class MainScreenshots : public QObject {
  Q_OBJECT

 private slots:
  void init() { TUiDialogs::SetTestMode(true); }

  void mainWindow() {
    ScopedProgramDir dir;
    WriteFile(dir.Path() + "swWeekly reports.ini",
              "[BasicInfo]\r\nName=Weekly reports\r\nDoc=1\r\nXls=1\r\nPpt=0\r\nPDF=0\r\n"
              "OtherFiles=1\r\n[DocInfo]\r\nDocWaterMarkStr=CONFIDENTIAL\r\nDocWatermarkSize=60\r\n"
              "[0]\r\nType=1\r\nSource=/srv/reports\r\nDest=/srv/stamped\r\nComments=weekly\r\n"
              "[1]\r\nType=0\r\nSource=/srv/plan.doc\r\nDest=/srv/out/plan.doc\r\nComments=\r\n");
    WriteFile(dir.Path() + "swPrint to PDF.ini",
              "[BasicInfo]\r\nName=Print to PDF\r\nDoc=0\r\nPDF=1\r\n[DocInfo]\r\n");
    WriteFile(dir.Path() + "swWeekly reports.log",
              "2026-12-07 09:00:00 ----------------------------------------------\r\n"
              "2026-12-07 09:00:00 Job Begin\r\n"
              "2026-12-07 09:00:01 Add watermark into /srv/reports/a.doc\r\n"
              "2026-12-07 09:00:02 Job End\r\n");
    // The help page shows the program's own help document.
    if (QFile::exists(QStringLiteral(STAMPWELL_HELP_FILE)))
      QFile::copy(QStringLiteral(STAMPWELL_HELP_FILE),
                  QString::fromStdString(dir.Path() + "help.mht"));
    TfrmMain w;
    w.show();
    w.NodeAt(0)->setExpanded(true);
    Save(w, QStringLiteral("main_root"));
    w.JobTree->setCurrentItem(w.NodeAt(1));
    w.JobTreeClick();
    CheckMainAreas(w, QStringLiteral("main window"));
    const char* names[4] = {"main_tab_general", "main_tab_folders", "main_tab_watermark",
                            "main_tab_history"};
    for (int i = 0; i < 4; ++i) {
      w.JobPageControl->setCurrentIndex(i);
      Save(w, QString::fromLatin1(names[i]));
    }
    w.JobPageControl->setCurrentIndex(0);

    // Maximised, and back to normal: the status bar and the tree keep their layout.
    w.showMaximized();
    QTRY_VERIFY(w.isMaximized());
    Save(w, QStringLiteral("main_maximised"));
    CheckMainAreas(w, QStringLiteral("maximised"));
    w.showNormal();
    QTRY_VERIFY(!w.isMaximized());
    Save(w, QStringLiteral("main_normal"));
    CheckMainAreas(w, QStringLiteral("normal again"));

    // The tree's pop-up over the job under the mouse.
    QTreeWidgetItem* node = w.NodeAt(2);
    const QPoint at = w.JobTree->visualItemRect(node).center();
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at,
                                w.JobTree->viewport()->mapToGlobal(at));
    QApplication::sendEvent(w.JobTree->viewport(), &menuEvent);
    QTRY_VERIFY(w.PopupMenu->isVisible());
    Save(*w.PopupMenu, QStringLiteral("main_popup"));
    SaveComposite(w, w.PopupMenu, QStringLiteral("main_with_popup"));
    w.PopupMenu->hide();

    // The font list, open on the watermark page.
    w.JobPageControl->setCurrentIndex(2);
    QCoreApplication::processEvents();
    w.DocSetFrame->wmFont->showPopup();
    QWidget* list = w.DocSetFrame->wmFont->view()->window();
    QTRY_VERIFY(list->isVisible());
    Save(*list, QStringLiteral("font_list"));
    SaveComposite(w, list, QStringLiteral("main_with_font_list"));
    w.DocSetFrame->wmFont->hidePopup();
    ProfileList().clear();
  }

  void wizardSteps() {
    ScopedProgramDir dir;
    PDFAvailable = true;
    TfrmNewWizard wizard;
    wizard.show();
    for (int step = 1; step <= 4; ++step) {
      Save(wizard, QStringLiteral("wizard_step%1").arg(step));
      wizard.btnNextClick();
    }
    PDFAvailable = false;
  }

  void progressWindow() {
    QWidget owner;
    TfrmProgress progress(&owner);
    progress.show();
    Save(progress, QStringLiteral("progress_start"));  // as it opens, before any report
    progress.Timer1Timer();
    progress.Timer1Timer();
    progress.Timer1Timer();
    progress.SetAction(
        QStringLiteral("copy file:/srv/reports/2026/week49/department of finance/summary.txt to:"
                       "/srv/stamped/2026/week49/department of finance/summary.txt"));
    progress.JobStatus->setText(QStringLiteral("3 of 12"));
    progress.JobProgressBar->setRange(0, 12);
    progress.JobProgressBar->setValue(3);
    Save(progress, QStringLiteral("progress"));
    // The end of a run with failures: the headline and the counts.
    progress.JobProgressBar->setValue(12);
    TRunOutcome outcome;
    outcome.ended = true;
    outcome.stamped = outcome.printed = 6;
    outcome.copied = 3;
    outcome.failed = 3;
    outcome.done = outcome.total = 12;
    progress.Finish(outcome);
    QCOMPARE(progress.Headline->text(), QStringLiteral("Completed: 3 of 12 files failed"));
    Save(progress, QStringLiteral("progress_end"));
  }

  void aboutWindow() {
    TfrmAbout about;
    about.show();
    Save(about, QStringLiteral("about"));
  }
};

QTEST_MAIN(MainScreenshots)
#include "main_screenshots_test.moc"
