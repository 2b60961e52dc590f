// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QWidget>

#include <optional>
#include <vector>

namespace stampwell {

// Every modal question the pages ask the user goes through here: message boxes, the open and
// save file dialogs, the browse-for-folder dialog and the input box. In test mode nothing is
// shown: each request is recorded and answered from a queue of "next answers" that the test
// set beforehand (no queued answer means the user cancelled). Use on the UI thread only.
class TUiDialogs {
 public:
  enum class Kind { Message, Question, OpenFile, SaveFile, BrowseFolder, InputBox };

  struct Request {
    Kind kind;
    QString title;   // dialog title (message boxes: empty)
    QString text;    // message text, input-box prompt
    QString filter;  // file filter as the caller gave it ("Word files (*.Doc)|*.Doc|...")
  };

  // A single-button modal message box.
  static void Message(QWidget* parent, const QString& text);
  // A modal Yes/No question, No being the default; true for Yes. In test mode the queued
  // answer "Yes" is Yes, anything else (or none) is No.
  static bool Question(QWidget* parent, const QString& text);
  // The chosen path, or nothing when the user cancelled. filter uses the "name|pattern|..."
  // form; patterns match without regard to case.
  static std::optional<QString> OpenFile(QWidget* parent, const QString& title,
                                         const QString& filter);
  static std::optional<QString> SaveFile(QWidget* parent, const QString& title,
                                         const QString& filter);
  // File-system folders only; the full path of the chosen folder.
  static std::optional<QString> BrowseFolder(QWidget* parent, const QString& title);
  static std::optional<QString> InputBox(QWidget* parent, const QString& caption,
                                         const QString& prompt, const QString& value);

  // Test hooks.
  static void SetTestMode(bool on);
  static bool TestMode();
  // Queues the answer for the next request of that kind (std::nullopt = cancel).
  static void SetNextAnswer(Kind kind, std::optional<QString> answer);
  // The requests made since the last call, oldest first.
  static std::vector<Request> TakeRequests();

  // "Word files (*.Doc)|*.Doc|..." as a Qt name-filter list whose patterns ignore case.
  static QString ToQtFilter(const QString& filter);
};

}  // namespace stampwell
