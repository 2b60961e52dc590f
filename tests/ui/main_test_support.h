// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Helpers shared by the tests of the main window, the run control and the wizard.
#include <QSettings>
#include <QStringList>
#include <QTest>
#include <QTreeWidget>
#include <string>

#include "support/temp_dir.h"
#include "ui/main_window.h"

namespace stampwell::test {

// The main window keeps its size and splitter in the user's settings: in a test they go to a
// folder of the test's own, never to the user's, for the whole test program.
class ScopedWindowSettings {
 public:
  ScopedWindowSettings() { Use(dir_.Path()); }
  // Points the settings at folder (absolute, ending in a separator).
  static void Use(const std::string& folder) {
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(folder));
  }
  const std::string& Path() const { return dir_.Path(); }

 private:
  TempDir dir_;
};
inline ScopedWindowSettings g_windowSettings;

// The messages shown through the message sink since the last Take.
class Said {
 public:
  QStringList Take() {
    QStringList texts;
    const auto all = recorder_.Messages();
    for (size_t i = seen_; i < all.size(); ++i) texts << QString::fromStdString(all[i]);
    seen_ = all.size();
    return texts;
  }

 private:
  MessageRecorder recorder_;
  size_t seen_ = 0;
};

// A profile file as the program writes it, with one folder item /in/<name> -> /out/<name>.
inline std::string ProfileText(const std::string& name, const std::string& text = "Draft",
                               const std::string& colour = "clGray") {
  return "[BasicInfo]\r\nName=" + name +
         "\r\nAutoRun=0\r\nDoc=1\r\nXls=0\r\nPpt=0\r\nPDF=0\r\nOtherFiles=1\r\nEveryMinutes=0\r\n"
         "[DocInfo]\r\nMaxFolder=0\r\nDocWaterMarkStr=" +
         text + "\r\nDocFontName=Arial\r\nDocWatermarkSize=60\r\nDocWatermarkColor=" + colour +
         "\r\nTransparent=1\r\nHX=1\r\n[0]\r\nType=1\r\nSource=/in/" + name + "\r\nDest=/out/" +
         name + "\r\nComments=\r\n";
}

inline void WriteProfile(const std::string& dir, const std::string& name) {
  WriteFile(dir + "sw" + name + ".ini", ProfileText(name));
}

// Clicks the tree node at an absolute index (root 0) the way a user does.
inline void ClickNode(TfrmMain& w, int absoluteIndex) {
  QTreeWidgetItem* node = w.NodeAt(absoluteIndex);
  QVERIFY(node);
  w.JobTree->setCurrentItem(node);
  QTest::mouseClick(w.JobTree->viewport(), Qt::LeftButton, {},
                    w.JobTree->visualItemRect(node).center());
}

}  // namespace stampwell::test
