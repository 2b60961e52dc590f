// SPDX-License-Identifier: GPL-3.0-or-later
// Renders every page and dialog offscreen into PNG files for a visual check, and checks
// what a machine can see in them (test::LayoutProblems): every caption fits its control,
// every control lies inside its parent, and no two controls of one parent overlap.
#include <QToolButton>
#include <QTimer>
#include <QColorDialog>
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include "pdf/pdf_stack.h"
#include "support/temp_dir.h"
#include "ui/item_dialog.h"
#include "ui/doc_set_frame.h"
#include "ui/folder_frame.h"
#include "ui/form_example_font.h"
#include "ui/help_window.h"
#include "ui/history_frame.h"
#include "ui/htm_view_frame.h"
#include "ui/mht_browser.h"
#include "ui/sc_font_combo_box.h"
#include "ui/setting_frame.h"
#include "ui/ui_dialogs.h"
#include "ui_test_support.h"

using namespace stampwell;

namespace {

QString OutputDir() {
  const QString dir = QStringLiteral(STAMPWELL_SCREENSHOT_DIR);
  QDir().mkpath(dir);
  return dir;
}

void Save(QWidget* widget, const QString& name) {
  const QString path = OutputDir() + '/' + name + QStringLiteral(".png");
  QVERIFY2(widget->grab().save(path), qPrintable(path));
}

void Check(QWidget* widget, const QString& name) {
  widget->show();
  QCoreApplication::processEvents();
  Save(widget, name);
  const QStringList problems = test::LayoutProblems(widget);
  QVERIFY2(problems.isEmpty(), qPrintable(name + ": " + problems.join("; ")));
}

}  // namespace

class ScreenshotsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { TUiDialogs::SetTestMode(true); }

  void settingFrame() {
    PDFAvailable = true;
    TSettingFrame page;
    RJobSettings s;
    s.Name = "Weekly reports";
    s.Doc = s.Ppt = s.OtherFiles = true;
    page.ShowSettings(s);
    Check(&page, QStringLiteral("setting_frame"));
  }

  void docSetFrame() {
    TDocSetFrame page;
    page.DefaultValue();
    page.ShowSettings();
    Check(&page, QStringLiteral("doc_set_frame"));
    // The colour dialog beside the colour list, as it opens at the shown colour.
    bool saved = false;
    QTimer::singleShot(0, [&saved] {
      auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      Save(dialog, QStringLiteral("colour_dialog"));
      saved = true;
      dialog->reject();
    });
    QTest::mouseClick(page.wmColorPick, Qt::LeftButton);
    QVERIFY(saved);
  }

  void folderFrame() {
    TFolderFrame page;
    page.LoadEntries({{1, "/home/anna/Reports", "/home/anna/Stamped", "monthly"},
                      {0, "/home/anna/Offer.doc", "/home/anna/Out/Offer.pdf", ""}});
    Check(&page, QStringLiteral("folder_frame"));
    page.PopupMenu1->popup(page.mapToGlobal(QPoint(40, 40)));
    QCoreApplication::processEvents();
    Save(page.PopupMenu1, QStringLiteral("folder_frame_menu"));
    page.PopupMenu1->hide();
  }

  void addFolderDialog() {
    TfrmAddFolder dialog;
    dialog.Rec = {1, "/home/anna/Reports", "/home/anna/Stamped", "monthly"};
    Check(&dialog, QStringLiteral("add_folder_dialog"));
    QCOMPARE(dialog.size(), QSize(486, 171));
  }

  void addFileDialog() {
    TfrmAddFile dialog;
    dialog.Rec = {0, "/home/anna/Offer.doc", "/home/anna/Out/Offer.pdf", ""};
    Check(&dialog, QStringLiteral("add_file_dialog"));
    QCOMPARE(dialog.size(), QSize(489, 178));
  }

  void historyFrame() {
    test::ScopedProgramDir dir;
    test::WriteFile(dir.Path() + "swWeekly.log",
                    "2026-03-07 09:05:03 ----------------------------------------------\r\n"
                    "2026-03-07 09:05:03 Job Begin\r\n"
                    "2026-03-07 09:05:05 /home/anna/Reports/a.doc added watermark\r\n"
                    "2026-03-07 09:05:09 Job End\r\n");
    THistoryFrame page;
    page.LoadHistory("Weekly");
    Check(&page, QStringLiteral("history_frame"));
  }

  void helpPageAndWindow() {
    const QString built = QCoreApplication::applicationDirPath() + QStringLiteral("/help.mht");
    test::ScopedProgramDir dir;
    QVERIFY(QFile::copy(built, QString::fromStdString(dir.Path()) + "help.mht"));
    THtmViewFrame page;
    page.resize(640, 420);
    page.Init();
    Check(&page, QStringLiteral("htm_view_frame"));
    TfrmHelp help;
    help.ShowHelp(QString::fromLatin1(kPdfHelpAnchor));
    QCoreApplication::processEvents();
    Save(&help, QStringLiteral("help_window_pdf_notes"));
  }

  void fontPickerOpen() {
    QWidget host;
    host.resize(420, 330);
    auto* picker = new TscFontComboBox(&host);
    picker->setGeometry(20, 20, 200, 24);
    picker->LoadFonts();
    host.show();
    picker->SetFontName(picker->itemText(3).section('=', 0, 0));
    picker->SetFontName(picker->itemText(picker->count() - 1).section('=', 0, 0));
    picker->showPopup();
    QCoreApplication::processEvents();
    emit picker->highlighted(2);
    Save(picker->view()->window(), QStringLiteral("font_picker_list"));
    Save(picker->Preview(), QStringLiteral("font_picker_preview"));
    picker->hidePopup();
    QCoreApplication::processEvents();
    Save(&host, QStringLiteral("font_picker_closed"));
  }
};

QTEST_MAIN(ScreenshotsTest)
#include "screenshots_test.moc"
