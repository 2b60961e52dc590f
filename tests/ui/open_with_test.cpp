// SPDX-License-Identifier: GPL-3.0-or-later
// Paths handed to the desktop program (a file manager's "Open With", or the command line)
// become the entries of a new job in the wizard; and the window texts' translations.
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>
#include <QTreeWidget>
#include <filesystem>

#include "jobs/job_profile.h"
#include "main_test_support.h"
#include "platform/paths.h"
#include "ui/folder_frame.h"
#include "ui/new_wizard.h"
#include "ui/open_sources.h"
#include "ui/translations.h"
#include "ui/ui_dialogs.h"

using namespace stampwell;
using namespace stampwell::test;

namespace {

RJobItem Item(std::uint8_t type, const std::string& source, const std::string& dest) {
  RJobItem item;
  item.Type = type;
  item.Source = source;
  item.Dest = dest;
  return item;
}

}  // namespace

class OpenWithTest : public QObject {
  Q_OBJECT
  Said said;

 private slots:
  void init() {
    TUiDialogs::SetTestMode(true);
    said.Take();
  }

  void foldersAndDocumentsBecomeEntriesOthersAreRefused() {
    TempDir dir;
    const std::string root = dir.Path().substr(0, dir.Path().size() - 1);
    std::filesystem::create_directories(dir / "Reports/2026");
    for (const char* name : {"a.DOC", "b.xlsx", "c.pdf", "d.pptx", "notes.txt", "e.odt"})
      WriteFile(dir / name, "x");
    const auto [items, refused] = JobItemsForSources(
        {dir / "Reports/", dir / "a.DOC", dir / "b.xlsx", dir / "notes.txt", dir / "c.pdf",
         dir / "missing.doc", dir / "Reports", dir / "d.pptx", dir / "e.odt", "/"});
    const std::vector<RJobItem> expected = {
        // A trailing separator still names the folder; its destination is a sibling.
        Item(1, root + "/Reports", root + "/Reports-stamped"),
        Item(0, root + "/a.DOC", root + "/a-stamped.DOC"),
        Item(0, root + "/b.xlsx", root + "/b-stamped.xlsx"),
        Item(0, root + "/c.pdf", root + "/c-stamped.pdf"),
        Item(0, root + "/d.pptx", root + "/d-stamped.pptx"),
        Item(0, root + "/e.odt", root + "/e-stamped.odt")};
    QCOMPARE(items.size(), expected.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
      QCOMPARE(items[i].Type, expected[i].Type);
      QCOMPARE(items[i].Source, expected[i].Source);
      QCOMPARE(items[i].Dest, expected[i].Dest);
    }
    QCOMPARE(refused, (std::vector<std::string>{dir / "notes.txt", dir / "missing.doc", "/"}));
  }

  void relativePathsAreTakenFromTheCurrentFolder() {
    TempDir dir;
    WriteFile(dir / "in/x.ppt", "x");
    const QString before = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir / "in"));
    const auto items = JobItemsForSources({"x.ppt", "../in"}).Items;
    QDir::setCurrent(before);
    QCOMPARE(items.size(), std::size_t(2));
    QCOMPARE(items[0].Source, dir / "in/x.ppt");
    QCOMPARE(items[1].Source, dir / "in");
    QCOMPARE(items[1].Type, std::uint8_t(1));
  }

  void theWizardStartsWithTheSourcesAndSavesThem() {
    ScopedProgramDir programDir;
    TempDir dir;
    WriteFile(dir / "Letters/one.doc", "x");
    WriteFile(dir / "sheet.xls", "x");
    const auto items = JobItemsForSources({dir / "Letters", dir / "sheet.xls"}).Items;
    TfrmMain w;
    w.show();
    QStringList rows;
    QTimer::singleShot(0, [&rows] {
      auto* wizard = qobject_cast<TfrmNewWizard*>(QApplication::activeModalWidget());
      QVERIFY(wizard);
      for (int i = 0; i < wizard->FolderFrame->FolderList->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = wizard->FolderFrame->FolderList->topLevelItem(i);
        rows << row->text(0) + QStringLiteral(" > ") + row->text(1);
      }
      for (int i = 0; i < 3; ++i) wizard->btnNextClick();
      wizard->btnSaveClick();
    });
    w.NewJobFrom(items);
    const QString d = QString::fromStdString(dir.Path());
    QCOMPARE(rows, (QStringList{d + "Letters > " + d + "Letters-stamped",
                                d + "sheet.xls > " + d + "sheet-stamped.xls"}));
    TJobProfile saved;
    saved.FileName = "swProfile1.ini";
    QVERIFY(saved.Exists());
    saved.Load();
    QCOMPARE(saved.Items.size(), std::size_t(2));
    QCOMPARE(saved.Items[0].Source, dir / "Letters");
    QCOMPARE(saved.Items[0].Type, std::uint8_t(1));
    QCOMPARE(saved.Items[1].Dest, dir / "sheet-stamped.xls");
  }
};

QTEST_MAIN(OpenWithTest)
#include "open_with_test.moc"
