// SPDX-License-Identifier: GPL-3.0-or-later
// The folder and file list editor: the list view, add / edit / delete through the two
// dialogs, the dialogs' checks and warnings, and the browse buttons.
#include <QApplication>
#include <QMimeData>
#include <QDropEvent>
#include <QUrl>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <functional>

#include "support/temp_dir.h"
#include "ui/item_dialog.h"
#include "ui/folder_frame.h"
#include "ui/ui_dialogs.h"

using namespace stampwell;
using stampwell::test::TempDir;
using stampwell::test::WriteFile;

namespace {

RJobItem Folder(const std::string& s, const std::string& d, const std::string& c = "") {
  return RJobItem{1, s, d, c};
}
RJobItem File(const std::string& s, const std::string& d, const std::string& c = "") {
  return RJobItem{0, s, d, c};
}

// Runs act on the next modal dialog of type D once it is shown. The handler must close it.
template <typename D>
void OnNextDialog(std::function<void(D*)> act) {
  auto* timer = new QTimer(qApp);
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      act(dialog);
    }
  });
  timer->start();
}

void SelectRow(TFolderFrame& page, int row) {
  page.FolderList->setCurrentItem(page.FolderList->topLevelItem(row));
}

// The next widget that the Tab key reaches from w.
QWidget* NextTabStop(QWidget* w) {
  QWidget* next = w->nextInFocusChain();
  while (next != w && !(next->focusPolicy() & Qt::TabFocus)) next = next->nextInFocusChain();
  return next;
}

std::vector<std::string> Sources(const TFolderFrame& page) {
  std::vector<std::string> out;
  for (const RJobItem& item : page.Entries()) out.push_back(item.Source);
  return out;
}

}  // namespace

class FolderFrameTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { TUiDialogs::SetTestMode(true); }
  void init() { TUiDialogs::SetTestMode(true); }

  // --- the page ---
  void listShowsEntriesInOrderWithThreeColumns() {
    TFolderFrame page;
    page.InitEntries();
    page.LoadEntries({Folder("/src/a", "/dst/a", "first"), File("/src/b.doc", "/dst/b.pdf")});
    QCOMPARE(page.FolderList->topLevelItemCount(), 2);
    QCOMPARE(page.FolderList->topLevelItem(0)->text(0), QStringLiteral("/src/a"));
    QCOMPARE(page.FolderList->topLevelItem(0)->text(1), QStringLiteral("/dst/a"));
    QCOMPARE(page.FolderList->topLevelItem(0)->text(2), QStringLiteral("first"));
    QCOMPARE(page.FolderList->topLevelItem(1)->text(0), QStringLiteral("/src/b.doc"));
  }

  void findIndexLandsOnLastDuplicate() {
    TFolderFrame page;
    page.LoadEntries({Folder("/a", "/b", "one"), Folder("/c", "/d"), Folder("/a", "/b", "two")});
    QCOMPARE(page.FindIndex("/a", "/b"), 2);
    QCOMPARE(page.FindIndex("/c", "/d"), 1);
    QCOMPARE(page.FindIndex("/A", "/b"), -1);  // case-sensitive
    QCOMPARE(page.FindIndex("/a", "/d"), -1);
  }

  void addFolderAppendsOnOk() {
    TFolderFrame page;
    page.LoadEntries({File("/a.doc", "/b.doc")});
    OnNextDialog<TfrmAddFolder>([](TfrmAddFolder* d) {
      d->SourceDir->setText(QStringLiteral("/in"));
      d->DestDir->setText(QStringLiteral("/out"));
      d->sComments->setText(QStringLiteral("note"));
      d->btnOK->click();
    });
    page.AddFolderClick();
    QCOMPARE(page.Entries().size(), std::size_t{2});
    QVERIFY(page.Entries()[1] == Folder("/in", "/out", "note"));
    QCOMPARE(page.FolderList->topLevelItemCount(), 2);
  }

  void addFileCancelledChangesNothing() {
    TFolderFrame page;
    page.LoadEntries({File("/a.doc", "/b.doc")});
    OnNextDialog<TfrmAddFile>([](TfrmAddFile* d) {
      d->Source->setText(QStringLiteral("/x.doc"));
      d->Dest->setText(QStringLiteral("/y.doc"));
      d->btnCancel->click();
    });
    page.AddFileClick();
    QCOMPARE(page.Entries().size(), std::size_t{1});
  }

  void editWithoutSelectionTellsUser() {
    TFolderFrame page;
    page.LoadEntries({File("/a.doc", "/b.doc")});
    test::MessageRecorder messages;
    page.EdititClick();
    page.DeleteitClick();
    QCOMPARE(messages.Messages(),
             (std::vector<std::string>{"Please select the row to edit first.",
                                       "Please select the row to remove first."}));
    QCOMPARE(page.Entries().size(), std::size_t{1});
  }

  void editFolderOpensFolderDialogWithValuesAndKeepsKind() {
    TFolderFrame page;
    page.LoadEntries({File("/a.doc", "/b.doc"), Folder("/in", "/out", "keep")});
    SelectRow(page, 1);
    QString seenSource, seenDest, seenComments;
    OnNextDialog<TfrmAddFolder>([&](TfrmAddFolder* d) {
      seenSource = d->SourceDir->text();
      seenDest = d->DestDir->text();
      seenComments = d->sComments->text();
      d->DestDir->setText(QStringLiteral("/elsewhere"));
      d->btnOK->click();
    });
    page.EdititClick();
    QCOMPARE(seenSource, QStringLiteral("/in"));
    QCOMPARE(seenDest, QStringLiteral("/out"));
    QCOMPARE(seenComments, QStringLiteral("keep"));
    QVERIFY(page.Entries()[1] == Folder("/in", "/elsewhere", "keep"));
    QVERIFY(page.Entries()[0] == File("/a.doc", "/b.doc"));
  }

  void editCancelledLeavesEntry() {
    TFolderFrame page;
    page.LoadEntries({Folder("/in", "/out")});
    SelectRow(page, 0);
    OnNextDialog<TfrmAddFolder>([](TfrmAddFolder* d) {
      d->SourceDir->setText(QStringLiteral("/other"));
      d->btnCancel->click();
    });
    page.EdititClick();
    QVERIFY(page.Entries()[0] == Folder("/in", "/out"));
  }

  void doubleClickEditsFileEntryInFileDialog() {
    TFolderFrame page;
    page.LoadEntries({File("/a.doc", "/b.doc")});
    SelectRow(page, 0);
    OnNextDialog<TfrmAddFile>([](TfrmAddFile* d) {
      d->Dest->setText(QStringLiteral("/b.pdf"));
      d->btnOK->click();
    });
    QTreeWidgetItem* row = page.FolderList->topLevelItem(0);
    emit page.FolderList->itemDoubleClicked(row, 0);
    QVERIFY(page.Entries()[0] == File("/a.doc", "/b.pdf"));
  }

  void duplicatesEditAndDeleteActOnLaterEntry() {
    TFolderFrame page;
    page.LoadEntries({Folder("/a", "/b", "one"), Folder("/c", "/d"), Folder("/a", "/b", "two")});
    SelectRow(page, 0);  // the first of the two equal rows
    OnNextDialog<TfrmAddFolder>([](TfrmAddFolder* d) {
      d->sComments->setText(QStringLiteral("edited"));
      d->btnOK->click();
    });
    page.EdititClick();
    QCOMPARE(page.Entries()[0].Comments, std::string("one"));
    QCOMPARE(page.Entries()[2].Comments, std::string("edited"));

    SelectRow(page, 0);
    page.DeleteitClick();
    QCOMPARE(page.Entries().size(), std::size_t{2});
    QCOMPARE(page.Entries()[0].Comments, std::string("one"));
    QCOMPARE(Sources(page), (std::vector<std::string>{"/a", "/c"}));
  }

  void deleteAsksNothing() {
    TFolderFrame page;
    page.LoadEntries({Folder("/a", "/b"), Folder("/c", "/d")});
    SelectRow(page, 1);
    test::MessageRecorder messages;
    page.DeleteitClick();
    QVERIFY(messages.Messages().empty());
    QVERIFY(TUiDialogs::TakeRequests().empty());
    QCOMPARE(Sources(page), std::vector<std::string>{"/a"});
    QCOMPARE(page.FolderList->topLevelItemCount(), 1);
  }

  // --- the folder dialog ---
  void folderDialogRefusesMissingPaths() {
    TfrmAddFolder dialog;
    dialog.SourceDir->setText(QStringLiteral("/in"));
    test::MessageRecorder messages;
    dialog.btnOKClick();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(
        messages.Messages(),
        std::vector<std::string>{"Please enter a source folder and a destination folder first."});
  }

  void folderDialogWarnsOnSamePathButAccepts() {
    TfrmAddFolder dialog;
    dialog.SourceDir->setText(QStringLiteral("/same"));
    dialog.DestDir->setText(QStringLiteral("/same"));
    test::MessageRecorder messages;
    dialog.btnOKClick();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(messages.Messages(),
             std::vector<std::string>{"The destination is the source itself: please close its "
                                      "files in every office program before the job runs."});
    QVERIFY(dialog.Rec == Folder("/same", "/same"));
  }

  void folderDialogStartsAsFolderAndBrowses() {
    TfrmAddFolder dialog;
    QCOMPARE(int(dialog.Rec.Type), 1);
    TUiDialogs::SetNextAnswer(TUiDialogs::Kind::BrowseFolder, QStringLiteral("/picked/src"));
    TUiDialogs::SetNextAnswer(TUiDialogs::Kind::BrowseFolder, std::nullopt);  // cancelled
    dialog.DestDir->setText(QStringLiteral("/typed"));
    dialog.btnSource->click();
    dialog.btnDest->click();
    QCOMPARE(dialog.SourceDir->text(), QStringLiteral("/picked/src"));
    QCOMPARE(dialog.DestDir->text(), QStringLiteral("/typed"));
    const auto requests = TUiDialogs::TakeRequests();
    QCOMPARE(requests.size(), std::size_t{2});
    QCOMPARE(requests[0].title, QStringLiteral("Choose a folder"));
  }

  void folderDialogTabOrder() {
    TfrmAddFolder dialog;
    const std::vector<QWidget*> order{dialog.SourceDir, dialog.btnSource, dialog.DestDir,
                                      dialog.btnDest,   dialog.btnOK,     dialog.btnCancel,
                                      dialog.sComments, dialog.SourceDir};
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
      QCOMPARE(NextTabStop(order[i]), order[i + 1]);
    }
  }

  // --- the file dialog ---
  void fileDialogChecks_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("dest");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("accepted");
    const QString ext =
        "Only .doc, .xls and .ppt files can be added; the destination may also be a .pdf file.";
    const QString missing = "Please enter a source file and a destination file first.";
    QTest::newRow("upper-case .DOC") << "/a/R.DOC"
                                     << "/b/R.doc"
                                     << "" << true;
    QTest::newRow(".docx refused") << "/a/r.docx"
                                   << "/b/r.doc" << ext << false;
    QTest::newRow("bad destination speaks of source") << "/a/r.doc"
                                                      << "/b/r.txt" << ext << false;
    QTest::newRow("pdf destination") << "/a/r.ppt"
                                     << "/b/r.pdf"
                                     << "" << true;
    QTest::newRow("other office type") << "/a/r.doc"
                                       << "/b/r.xls"
                                       << "" << true;
    QTest::newRow("pdf source refused") << "/a/r.pdf"
                                        << "/b/r.pdf" << ext << false;
    QTest::newRow("no extension") << "/a/readme"
                                  << "/b/r.doc" << ext << false;
    QTest::newRow("missing source") << ""
                                    << "/b/r.doc" << missing << false;
    QTest::newRow("missing destination") << "/a/r.doc"
                                         << "" << missing << false;
  }
  void fileDialogChecks() {
    QFETCH(QString, source);
    QFETCH(QString, dest);
    QFETCH(QString, message);
    QFETCH(bool, accepted);
    TfrmAddFile dialog;
    dialog.Source->setText(source);
    dialog.Dest->setText(dest);
    test::MessageRecorder messages;
    dialog.btnOKClick();
    QCOMPARE(dialog.result() == QDialog::Accepted, accepted);
    const std::vector<std::string> expected =
        message.isEmpty() ? std::vector<std::string>{} : std::vector{message.toStdString()};
    QCOMPARE(messages.Messages(), expected);
    if (accepted) QVERIFY(dialog.Rec == File(source.toStdString(), dest.toStdString()));
  }

  // A job that also stamps the current formats: its file entries may name them, and keep the
  // legacy ones; a current source goes to a current or PDF destination.
  void fileDialogWithCurrentFormats_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("dest");
    QTest::addColumn<bool>("accepted");
    QTest::newRow(".docx to .docx") << "/a/r.docx" << "/b/r.docx" << true;
    QTest::newRow(".ODS in any case") << "/a/r.ODS" << "/b/r.ods" << true;
    QTest::newRow(".pptm to pdf") << "/a/r.pptm" << "/b/r.pdf" << true;
    QTest::newRow("legacy kept") << "/a/r.xls" << "/b/r.xls" << true;
    QTest::newRow(".docx to a text file") << "/a/r.docx" << "/b/r.txt" << false;
    QTest::newRow(".txt refused") << "/a/r.txt" << "/b/r.docx" << false;
  }
  void fileDialogWithCurrentFormats() {
    QFETCH(QString, source);
    QFETCH(QString, dest);
    QFETCH(bool, accepted);
    TfrmAddFile dialog;
    dialog.CurrentFormats = true;
    dialog.Source->setText(source);
    dialog.Dest->setText(dest);
    test::MessageRecorder messages;
    dialog.btnOKClick();
    QCOMPARE(dialog.result() == QDialog::Accepted, accepted);
    QCOMPARE(messages.Messages().size(), std::size_t(accepted ? 0 : 1));
    if (accepted) QVERIFY(dialog.Rec == File(source.toStdString(), dest.toStdString()));
  }

  // A job that also stamps PDF files: a .pdf source (any case) goes to a .pdf destination;
  // without the switch a .pdf source is refused as before.
  void fileDialogWithPdfFiles_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("dest");
    QTest::addColumn<bool>("pdfFiles");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("pdf to pdf") << "/a/r.pdf" << "/b/r.pdf" << true << true;
    QTest::newRow(".PDF in any case") << "/a/r.PDF" << "/b/r.Pdf" << true << true;
    QTest::newRow("pdf to doc") << "/a/r.pdf" << "/b/r.doc" << true << false;
    QTest::newRow("legacy kept") << "/a/r.doc" << "/b/r.pdf" << true << true;
    QTest::newRow("pdf without the switch") << "/a/r.pdf" << "/b/r.pdf" << false << false;
  }
  void fileDialogWithPdfFiles() {
    QFETCH(QString, source);
    QFETCH(QString, dest);
    QFETCH(bool, pdfFiles);
    QFETCH(bool, accepted);
    TfrmAddFile dialog;
    dialog.PdfFiles = pdfFiles;
    dialog.Source->setText(source);
    dialog.Dest->setText(dest);
    test::MessageRecorder messages;
    dialog.btnOKClick();
    QCOMPARE(dialog.result() == QDialog::Accepted, accepted);
    QCOMPARE(messages.Messages().size(), std::size_t(accepted ? 0 : 1));
    if (accepted) QVERIFY(dialog.Rec == File(source.toStdString(), dest.toStdString()));
  }

  void pageTellsTheFileDialogWhetherTheJobStampsPdfFiles() {
    TFolderFrame page;
    bool pdf = false;
    page.PdfFiles = [&pdf] { return pdf; };
    for (const bool on : {false, true}) {
      pdf = on;
      bool seen = !on;
      OnNextDialog<TfrmAddFile>([&seen](TfrmAddFile* d) {
        seen = d->PdfFiles;
        d->Source->setText(QStringLiteral("/a/r.pdf"));
        d->Dest->setText(QStringLiteral("/b/r.pdf"));
        d->btnOK->click();
        if (d->isVisible()) d->btnCancel->click();  // refused: it stays open
      });
      test::MessageRecorder messages;
      page.AddFileClick();
      QCOMPARE(seen, on);
      QCOMPARE(page.Entries().size(), std::size_t(on ? 1 : 0));
    }
  }

  void pageTellsTheFileDialogWhetherTheJobTakesCurrentFormats() {
    TFolderFrame page;
    bool current = false;
    page.CurrentFormats = [&current] { return current; };
    for (const bool on : {false, true}) {
      current = on;
      bool seen = !on;
      OnNextDialog<TfrmAddFile>([&seen](TfrmAddFile* d) {
        seen = d->CurrentFormats;
        d->Source->setText(QStringLiteral("/a/r.docx"));
        d->Dest->setText(QStringLiteral("/b/r.docx"));
        d->btnOK->click();
        if (d->isVisible()) d->btnCancel->click();  // refused: it stays open
      });
      test::MessageRecorder messages;
      page.AddFileClick();
      QCOMPARE(seen, on);
      QCOMPARE(page.Entries().size(), std::size_t(on ? 1 : 0));
    }
  }

  void fileDialogWarnsOnSamePathButAccepts() {
    TfrmAddFile dialog;
    dialog.Source->setText(QStringLiteral("/a/r.xls"));
    dialog.Dest->setText(QStringLiteral("/a/r.xls"));
    dialog.sComments->setText(QStringLiteral("in place"));
    test::MessageRecorder messages;
    dialog.btnOKClick();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(messages.Messages(),
             std::vector<std::string>{"The destination is the source itself: please close the "
                                      "file in every office program before the job runs."});
    QVERIFY(dialog.Rec == File("/a/r.xls", "/a/r.xls", "in place"));
  }

  void fileDialogBrowseButtons() {
    TfrmAddFile dialog;
    QCOMPARE(int(dialog.Rec.Type), 0);
    TUiDialogs::TakeRequests();
    TUiDialogs::SetNextAnswer(TUiDialogs::Kind::OpenFile, QStringLiteral("/docs/r.Doc"));
    TUiDialogs::SetNextAnswer(TUiDialogs::Kind::SaveFile, QStringLiteral("/out/r.pdf"));
    dialog.btnSource->click();
    dialog.btnDest->click();
    QCOMPARE(dialog.Source->text(), QStringLiteral("/docs/r.Doc"));
    QCOMPARE(dialog.Dest->text(), QStringLiteral("/out/r.pdf"));
    const auto requests = TUiDialogs::TakeRequests();
    QCOMPARE(requests.size(), std::size_t{2});
    QCOMPARE(requests[0].kind, TUiDialogs::Kind::OpenFile);
    QCOMPARE(requests[0].filter,
             QStringLiteral("Word files (*.Doc)|*.Doc|Excel files (*.Xls)|*.Xls|Powerpoint "
                            "Files(*.Ppt)|*.Ppt"));
    QCOMPARE(requests[1].kind, TUiDialogs::Kind::SaveFile);
    QVERIFY(requests[1].filter.isEmpty());
  }

  void fileFilterIgnoresCaseOfExtensions() {
    const QString qt = TUiDialogs::ToQtFilter(
        QStringLiteral("Word files (*.Doc)|*.Doc|Excel files (*.Xls)|*.Xls"));
    QCOMPARE(qt, QStringLiteral("Word files (*.Doc) (*.[dD][oO][cC]);;"
                                "Excel files (*.Xls) (*.[xX][lL][sS])"));
  }
  // Folders and files dragged from a file manager onto the list become entries with a
  // destination beside them; a file the file dialog refuses is told and left out.
  void droppedFoldersAndFilesBecomeEntries() {
    TempDir data;
    const std::string folder = data.Path() + "Reports";
    WriteFile(folder + "/a.doc", "doc");
    WriteFile(data.Path() + "offer.doc", "doc");
    WriteFile(data.Path() + "notes.txt", "text");
    TFolderFrame page;
    page.resize(520, 300);
    page.show();
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(folder)),
                  QUrl::fromLocalFile(QString::fromStdString(data.Path() + "offer.doc")),
                  QUrl::fromLocalFile(QString::fromStdString(data.Path() + "notes.txt")),
                  QUrl(QStringLiteral("https://example.org/remote.doc"))});
    QWidget* target = page.FolderList->viewport();
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    test::MessageRecorder messages;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(int(page.Entries().size()), 2);
    QVERIFY(page.Entries()[0] == Folder(folder, data.Path() + "Reports (stamped)"));
    QVERIFY(page.Entries()[1] ==
            File(data.Path() + "offer.doc", data.Path() + "offer (stamped).doc"));
    QCOMPARE(int(messages.Messages().size()), 1);  // notes.txt, said why
    QCOMPARE(page.FolderList->topLevelItemCount(), 2);
    QCOMPARE(page.FolderList->currentItem(), page.FolderList->topLevelItem(1));
    // A drag without local files is not taken.
    QMimeData text;
    text.setText(QStringLiteral("hello"));
    QDragEnterEvent other(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    other.ignore();
    QApplication::sendEvent(target, &other);
    QVERIFY(!other.isAccepted());
  }

  // The list's buttons: Add Folder and Add File open their dialogs; Edit and Remove act on the
  // chosen row and cannot be pressed without one.
  void theListsButtons() {
    TFolderFrame page;
    page.resize(520, 300);
    page.show();
    QVERIFY(page.btnAddFolder->isVisible() && page.btnAddFile->isVisible());
    QVERIFY(!page.btnEdit->isEnabled() && !page.btnRemove->isEnabled());
    OnNextDialog<TfrmAddFolder>([](TfrmAddFolder* d) {
      d->SourceDir->setText(QStringLiteral("/in"));
      d->DestDir->setText(QStringLiteral("/out"));
      d->btnOKClick();
    });
    QTest::mouseClick(page.btnAddFolder, Qt::LeftButton);
    OnNextDialog<TfrmAddFile>([](TfrmAddFile* d) {
      d->Source->setText(QStringLiteral("/in/a.doc"));
      d->Dest->setText(QStringLiteral("/out/a.doc"));
      d->btnOKClick();
    });
    QTest::mouseClick(page.btnAddFile, Qt::LeftButton);
    QCOMPARE(Sources(page), (std::vector<std::string>{"/in", "/in/a.doc"}));
    QVERIFY(!page.btnRemove->isEnabled());
    SelectRow(page, 0);
    QVERIFY(page.btnEdit->isEnabled() && page.btnRemove->isEnabled());
    QTest::mouseClick(page.btnRemove, Qt::LeftButton);
    QCOMPARE(Sources(page), std::vector<std::string>{"/in/a.doc"});
    QVERIFY(!page.btnRemove->isEnabled());  // nothing chosen after the list is rebuilt
  }

  void proposedDestinationsLieBesideTheSource() {
    QCOMPARE(TFolderFrame::ProposedDestination(QStringLiteral("/a/Reports/"), true),
             QStringLiteral("/a/Reports (stamped)"));
    QCOMPARE(TFolderFrame::ProposedDestination(QStringLiteral("/a/offer.v2.doc"), false),
             QStringLiteral("/a/offer.v2 (stamped).doc"));
    QCOMPARE(TFolderFrame::ProposedDestination(QStringLiteral("/a/README"), false),
             QStringLiteral("/a/README (stamped)"));
  }
};

QTEST_MAIN(FolderFrameTest)
#include "folder_frame_test.moc"
