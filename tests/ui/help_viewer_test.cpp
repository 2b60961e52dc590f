// SPDX-License-Identifier: GPL-3.0-or-later
// The web archive reader, the browser that shows an archive with its pictures, the help page
// and window, and the help document the build packs.
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QThread>
#include <QtTest>

#include "platform/paths.h"
#include "support/temp_dir.h"
#include "ui/help_window.h"
#include "ui/htm_view_frame.h"
#include "ui/mht_browser.h"
#include "ui/mhtml_archive.h"

using namespace stampwell;

namespace {

// A small PNG (2 x 1 pixels), base64, as a web archive stores it.
QByteArray TinyPng() {
  QImage image(2, 1, QImage::Format_RGB32);
  image.setPixelColor(0, 0, Qt::red);
  image.setPixelColor(1, 0, Qt::blue);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes;
}

QByteArray Archive(const QByteArray& html, const QByteArray& extraParts = QByteArray()) {
  return "MIME-Version: 1.0\r\n"
         "Content-Type: multipart/related;\r\n"
         "\tboundary=\"----=_Part_1\";\r\n"
         "\ttype=\"text/html\"\r\n"
         "\r\n"
         "preamble text\r\n"
         "------=_Part_1\r\n"
         "Content-Type: text/html; charset=\"utf-8\"\r\n"
         "Content-Transfer-Encoding: quoted-printable\r\n"
         "Content-Location: http://example.test/docs/page.html\r\n"
         "\r\n" +
         html + "\r\n" + extraParts + "------=_Part_1--\r\n";
}

QByteArray ImagePart(const QByteArray& location, const QByteArray& id = QByteArray()) {
  QByteArray part =
      "------=_Part_1\r\nContent-Type: image/png\r\n"
      "Content-Transfer-Encoding: base64\r\n";
  if (!location.isEmpty()) part += "Content-Location: " + location + "\r\n";
  if (!id.isEmpty()) part += "Content-ID: <" + id + ">\r\n";
  const QByteArray b64 = TinyPng().toBase64();
  part += "\r\n";
  for (int i = 0; i < b64.size(); i += 20) part += b64.mid(i, 20) + "\r\n";
  return part;
}

// The images the document of browser has loaded, by name.
int LoadedImages(QTextBrowser& browser) {
  int found = 0;
  for (QTextBlock b = browser.document()->begin(); b.isValid(); b = b.next()) {
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      const QTextCharFormat f = it.fragment().charFormat();
      if (!f.isImageFormat()) continue;
      const QVariant r = browser.document()->resource(QTextDocument::ImageResource,
                                                      QUrl(f.toImageFormat().name()));
      if (r.isValid() && !r.value<QImage>().isNull())
        ++found;
      else if (r.typeId() == QMetaType::QByteArray && !QImage::fromData(r.toByteArray()).isNull())
        ++found;
    }
  }
  return found;
}

}  // namespace

class HelpViewerTest : public QObject {
  Q_OBJECT

 private slots:
  // --- hostile archives ---
  // Ten thousand multiparts, each inside the one before: read without one stack frame per
  // level, the archive gives its outer parts and keeps the deepest levels as one part.
  void deeplyNestedMultipartsDoNotExhaustTheStack() {
    constexpr int kLevels = 10000;
    QByteArray data;
    for (int i = 0; i < kLevels; ++i)
      data += "Content-Type: multipart/related; boundary=\"b" + QByteArray::number(i) +
              "\"\r\n\r\n--b" + QByteArray::number(i) + "\r\n";
    data += "Content-Type: text/html\r\n\r\n<p>deep</p>\r\n";
    // On a thread with a small stack, as a reader on a worker thread may have: ten thousand
    // frames do not fit in it.
    TMhtmlArchive archive;
    std::unique_ptr<QThread> reader(QThread::create([&] { archive = TMhtmlArchive::Parse(data); }));
    reader->setStackSize(512 * 1024);
    reader->start();
    QVERIFY(reader->wait(60000));
    QVERIFY(!archive.Parts().empty());
    QVERIFY(archive.Parts().size() < size_t(kLevels));
  }

  // --- body decoding ---
  void quotedPrintableDecoding() {
    QCOMPARE(TMhtmlArchive::DecodeQuotedPrintable("a=3Db=C3=A9"), QByteArray("a=b\xC3\xA9"));
    QCOMPARE(TMhtmlArchive::DecodeQuotedPrintable("long=\r\nline"), QByteArray("longline"));
    QCOMPARE(TMhtmlArchive::DecodeQuotedPrintable("soft= \nbreak"), QByteArray("softbreak"));
    QCOMPARE(TMhtmlArchive::DecodeQuotedPrintable("bad=ZZ and =4"), QByteArray("bad=ZZ and =4"));
    QCOMPARE(TMhtmlArchive::DecodeQuotedPrintable("end="), QByteArray("end"));
    QCOMPARE(TMhtmlArchive::DecodeQuotedPrintable("lower=c3=a9"), QByteArray("lower\xC3\xA9"));
  }

  void base64Decoding() {
    const QByteArray data("any carnal pleasure.\x01\xFF", 22);
    const QByteArray b64 = data.toBase64();
    QByteArray wrapped;
    for (int i = 0; i < b64.size(); i += 7) wrapped += b64.mid(i, 7) + "\r\n";
    QCOMPARE(TMhtmlArchive::DecodeBase64(wrapped), data);
    QCOMPARE(TMhtmlArchive::DecodeBase64("TWFu"), QByteArray("Man"));
    QCOMPARE(TMhtmlArchive::DecodeBase64("TWE="), QByteArray("Ma"));
    QCOMPARE(TMhtmlArchive::DecodeBase64("T*W!E"), QByteArray("Ma"));  // strays skipped
  }

  // --- archive structure ---
  void partsAreSplitAtBoundariesAndDecoded() {
    const TMhtmlArchive a = TMhtmlArchive::Parse(
        Archive("<p>caf=C3=A9 =3D ok</p>", ImagePart("images/pic.png", "pic1@x")));
    QCOMPARE(a.Parts().size(), std::size_t{2});
    const TMhtmlPart* root = a.Root();
    QVERIFY(root);
    QCOMPARE(root->contentType, QByteArray("text/html"));
    QCOMPARE(TMhtmlArchive::Text(*root), QString::fromUtf8("<p>caf\xC3\xA9 = ok</p>"));
    QCOMPARE(a.Parts()[1].body, TinyPng());
    // Without a base on the enclosing multipart a relative location is read beside the start
    // document.
    QCOMPARE(a.Parts()[1].location, QUrl("http://example.test/docs/images/pic.png"));
  }

  void relativeLocationsResolveAgainstEnclosingBase() {
    const QByteArray data =
        "Content-Type: multipart/related; boundary=b\r\n"
        "Content-Location: http://site.test/a/\r\n\r\n"
        "--b\r\nContent-Type: text/html\r\nContent-Location: page.html\r\n\r\n<p>x</p>\r\n"
        "--b\r\nContent-Type: image/png\r\nContent-Location: img/p.png\r\n\r\nPNG\r\n"
        "--b--\r\n";
    const TMhtmlArchive a = TMhtmlArchive::Parse(data);
    QCOMPARE(a.Parts().size(), std::size_t{2});
    QCOMPARE(a.Parts()[0].location, QUrl("http://site.test/a/page.html"));
    QCOMPARE(a.Parts()[1].location, QUrl("http://site.test/a/img/p.png"));
    QCOMPARE(a.Find(QUrl("img/p.png"), a.Parts()[0].location), &a.Parts()[1]);
    QVERIFY(a.Find(QUrl("p.png"), a.Parts()[0].location) == nullptr);
    // Content-Base gives the base as well.
    QByteArray withBase = data;
    withBase.replace("Content-Location: http://site.test/a/", "Content-Base: http://site.test/b/");
    QCOMPARE(TMhtmlArchive::Parse(withBase).Parts()[1].location,
             QUrl("http://site.test/b/img/p.png"));
  }

  void partsFoundByLocationAndContentId() {
    const TMhtmlArchive a = TMhtmlArchive::Parse(
        Archive("<p>x</p>", ImagePart("http://example.test/docs/images/pic.png", "pic1@x")));
    const QUrl base("http://example.test/docs/page.html");
    QCOMPARE(a.Find(QUrl("images/pic.png"), base), &a.Parts()[1]);
    QCOMPARE(a.Find(QUrl("./images/pic.png"), base), &a.Parts()[1]);
    QCOMPARE(a.Find(QUrl("http://example.test/docs/images/pic.png")), &a.Parts()[1]);
    QCOMPARE(a.Find(QUrl("cid:pic1@x")), &a.Parts()[1]);
    QCOMPARE(a.Find(QUrl("page.html#top"), base), &a.Parts()[0]);
    QVERIFY(a.Find(QUrl("images/other.png"), base) == nullptr);
    QVERIFY(a.Find(QUrl("cid:nope")) == nullptr);
  }

  void startParameterChoosesRoot() {
    const QByteArray data =
        "Content-Type: multipart/related; boundary=b; start=\"<second>\"\r\n\r\n"
        "--b\r\nContent-Type: text/html\r\nContent-ID: <first>\r\n\r\n<p>one</p>\r\n"
        "--b\r\nContent-Type: text/html\r\nContent-ID: <second>\r\n\r\n<p>two</p>\r\n"
        "--b--\r\n";
    const TMhtmlArchive a = TMhtmlArchive::Parse(data);
    QCOMPARE(a.Parts().size(), std::size_t{2});
    QCOMPARE(a.Root()->body, QByteArray("<p>two</p>"));
  }

  void foldedHeadersAndLfOnlyLines() {
    const QByteArray data =
        "Content-Type: multipart/related;\n  boundary=\"xyz\"\n\n"
        "--xyz\nContent-Type: text/html;\n\tcharset=iso-8859-1\nContent-Location: a.html\n\n"
        "<p>\xE9t\xE9</p>\n--xyz--\n";
    const TMhtmlArchive a = TMhtmlArchive::Parse(data);
    QCOMPARE(a.Parts().size(), std::size_t{1});
    QCOMPARE(a.Parts()[0].charset, QByteArray("iso-8859-1"));
    QCOMPARE(TMhtmlArchive::Text(a.Parts()[0]), QString::fromUtf8("<p>\xC3\xA9t\xC3\xA9</p>"));
    QCOMPARE(a.Find(QUrl("a.html")), &a.Parts()[0]);
  }

  // A damaged archive shows what can be read.
  void brokenArchiveKeepsWhatItCan() {
    // The closing boundary and the end of the base64 body are missing.
    QByteArray data = Archive("<p>first</p>", ImagePart("pic.png"));
    data.chop(QByteArray("------=_Part_1--\r\n").size() + 10);
    const TMhtmlArchive a = TMhtmlArchive::Parse(data);
    QCOMPARE(a.Parts().size(), std::size_t{2});
    QCOMPARE(TMhtmlArchive::Text(*a.Root()), QStringLiteral("<p>first</p>"));
    QVERIFY(!a.Parts()[1].body.isEmpty());
    QVERIFY(TinyPng().startsWith(a.Parts()[1].body.left(8)));
  }

  void notMultipartIsOnePart() {
    const TMhtmlArchive a = TMhtmlArchive::Parse("Content-Type: text/html\r\n\r\n<p>solo</p>");
    QCOMPARE(a.Parts().size(), std::size_t{1});
    QCOMPARE(a.Root()->body, QByteArray("<p>solo</p>"));
  }

  // --- the browser ---
  void browserShowsPictureFoundByLocation() {
    TMhtBrowser browser;
    browser.ShowArchive(TMhtmlArchive::Parse(
        Archive("<p>pic: <img src=3D\"images/pic.png\"></p>", ImagePart("images/pic.png"))));
    QVERIFY(browser.toPlainText().startsWith(QStringLiteral("pic:")));
    QCOMPARE(LoadedImages(browser), 1);
  }

  void browserShowsPictureFoundByContentId() {
    TMhtBrowser browser;
    browser.ShowArchive(TMhtmlArchive::Parse(
        Archive("<img src=3D\"cid:pic1@x\">", ImagePart(QByteArray(), "pic1@x"))));
    QCOMPARE(LoadedImages(browser), 1);
  }

  void browserFetchesNothingOutsideArchive() {
    TMhtBrowser browser;
    browser.ShowArchive(TMhtmlArchive::Parse(Archive("<img src=3D\"missing.png\">")));
    QVERIFY(!browser.loadResource(QTextDocument::ImageResource, QUrl("missing.png")).isValid());
    QCOMPARE(LoadedImages(browser), 0);
  }

  void browserFollowsLinkToOtherPart() {
    const QByteArray second =
        "------=_Part_1\r\nContent-Type: text/html\r\nContent-Location: other.html\r\n\r\n"
        "<p>second page</p>\r\n";
    TMhtBrowser browser;
    browser.ShowArchive(TMhtmlArchive::Parse(Archive("<a href=3D\"other.html\">go</a>", second)));
    browser.setSource(QUrl("other.html"));
    QCOMPARE(browser.toPlainText(), QStringLiteral("second page"));
    QCOMPARE(browser.CurrentLocation(), QUrl("http://example.test/docs/other.html"));
    browser.setSource(QUrl("page.html"));
    QCOMPARE(browser.toPlainText(), QStringLiteral("go"));
    // A click on a link to an archived page with a web address stays in the archive.
    browser.ShowArchive(TMhtmlArchive::Parse(
        Archive("<a href=3D\"http://example.test/docs/other.html\">go</a>", second)));
    browser.show();
    const QRect link = browser.cursorRect(browser.document()->find(QStringLiteral("go")));
    QTest::mouseClick(browser.viewport(), Qt::LeftButton, {}, link.center() - QPoint(4, 0));
    QCOMPARE(browser.toPlainText(), QStringLiteral("second page"));
  }

  // --- help page and window ---
  void helpPageLoadsHelpFromProgramDir() {
    test::ScopedProgramDir dir;
    test::WriteFile(dir.Path() + "help.mht",
                    Archive("<h1>Local help</h1>", ImagePart("pic.png")).toStdString());
    THtmViewFrame page;
    page.Init();
    QVERIFY(page.HtmBrowser->toPlainText().contains(QStringLiteral("Local help")));
  }

  void helpPageWithoutDocumentStaysBlank() {
    test::ScopedProgramDir dir;
    THtmViewFrame page;
    page.Init();
    QVERIFY(page.HtmBrowser->toPlainText().isEmpty());
  }

  void helpWindowIsHiddenNonModalAndHidesOnClose() {
    test::ScopedProgramDir dir;
    test::WriteFile(dir.Path() + "help.mht", Archive("<p>window help</p>").toStdString());
    QWidget mainWindow;
    mainWindow.setGeometry(100, 100, 800, 600);
    TfrmHelp help(&mainWindow);
    QCOMPARE(help.windowTitle(), QStringLiteral("Stampwell Help"));
    QVERIFY(!help.isVisible());
    QVERIFY(help.HtmViewFrame->HtmBrowser->toPlainText().contains(QStringLiteral("window help")));
    help.ShowHelp();
    QVERIFY(help.isVisible());
    QVERIFY(!help.isModal());
    // Centred on the main window.
    QVERIFY(
        (help.frameGeometry().center() - mainWindow.frameGeometry().center()).manhattanLength() <=
        4);
    help.close();
    QVERIFY(!help.isVisible());
    help.ShowHelp();
    QVERIFY(help.isVisible());
  }

  // The help document the build places next to the executables.
  void builtHelpDocumentHasPdfHeadingAndPicture() {
    const QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/help.mht");
    QVERIFY2(QFile::exists(path), qPrintable(path));
    TMhtBrowser browser;
    browser.resize(600, 400);
    QVERIFY(browser.Navigate(QUrl::fromLocalFile(path).toString()));
    const QString text = browser.toPlainText();
    QVERIFY(
        text.contains(QStringLiteral("Printing to PDF files")));
    for (const char* topic :
         {"Creating a job", "Editing a job", "Running a job", "Export and import", "Job types"}) {
      QVERIFY2(text.contains(QString::fromLatin1(topic)), topic);
    }
    QCOMPARE(LoadedImages(browser), 1);
    // The help speaks of this program on this system, in the windows' own words.
    for (const char* wrong : {"registry", "Distiller", "Adobe", "WaterMark", "in Word",
                              "Copy other type", "Save As Profile", "Folders/Files Of Job"})
      QVERIFY2(!text.contains(QString::fromLatin1(wrong)), wrong);
    for (const char* shown : {"Preview in LibreOffice", "Ctrl+N", "Nothing to do: 30 "
                              "destinations exist", "Replace existing destinations", "Cancelled after 7 of 30"})
      QVERIFY2(text.contains(QString::fromLatin1(shown)), shown);
    // The wizard's link lands on that heading.
    browser.show();
    browser.scrollToAnchor(QString::fromLatin1(kPdfHelpAnchor));
    QVERIFY(browser.verticalScrollBar()->value() > 0);
    const QTextCursor heading = browser.document()->find(
        QStringLiteral("Printing to PDF files"));
    QVERIFY(!heading.isNull());
    QVERIFY(browser.cursorRect(heading).top() >= -2);
    QVERIFY(browser.cursorRect(heading).top() < browser.viewport()->height());
  }
};

QTEST_MAIN(HelpViewerTest)
#include "help_viewer_test.moc"
