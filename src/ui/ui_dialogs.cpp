// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ui_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>

#include <deque>
#include <map>
#include <mutex>

namespace stampwell {
namespace {

struct HookState {
  std::mutex mutex;
  bool testMode = false;
  std::map<TUiDialogs::Kind, std::deque<std::optional<QString>>> answers;
  std::vector<TUiDialogs::Request> requests;
};

HookState& State() {
  static HookState state;
  return state;
}

// In test mode: records the request and returns the queued answer (outer optional empty when
// not in test mode, so the caller shows the real dialog).
std::optional<std::optional<QString>> Intercept(TUiDialogs::Request request) {
  HookState& s = State();
  std::lock_guard lock(s.mutex);
  if (!s.testMode) return std::nullopt;
  auto kind = request.kind;
  s.requests.push_back(std::move(request));
  auto& queue = s.answers[kind];
  std::optional<std::optional<QString>> answer(std::in_place);
  if (!queue.empty()) {
    answer->swap(queue.front());
    queue.pop_front();
  }
  return answer;
}

// One pattern such as "*.Doc" as "*.[dD][oO][cC]", so that a case-sensitive file system
// still offers upper- and lower-case names.
QString CaseFreePattern(const QString& pattern) {
  QString out;
  for (QChar c : pattern) {
    if (c.isLetter() && c.toLower() != c.toUpper()) {
      out += '[';
      out += c.toLower();
      out += c.toUpper();
      out += ']';
    } else {
      out += c;
    }
  }
  return out;
}

std::optional<QString> RunFileDialog(QWidget* parent, const QString& title, const QString& filter,
                                     QFileDialog::AcceptMode mode) {
  QFileDialog dialog(parent, title);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                     : QFileDialog::AnyFile);
  if (!filter.isEmpty()) {
    dialog.setNameFilters(TUiDialogs::ToQtFilter(filter).split(QStringLiteral(";;")));
    // Shows the caller's captions; the case-free patterns stay out of sight.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first();
}

// The window a box without a parent of its own belongs to: the program's main window, which
// lives as long as the program. Never the active window: that may be a run's progress window,
// which the end of the run can take away while the box is open.
QWidget* BoxParent(QWidget* parent) {
  if (parent) return parent;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (qobject_cast<QMainWindow*>(w) && w->isVisible()) return w;
  return nullptr;
}

// Runs a message box that lives on the heap: should its parent go while it is open, the box
// goes with it and the caller reads the answer as "closed" instead of freeing it twice.
int ExecBox(QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons,
            QMessageBox::StandardButton defaultButton, QWidget* parent) {
  QPointer<QMessageBox> box =
      new QMessageBox(icon, QApplication::applicationName(), text, buttons, BoxParent(parent));
  if (defaultButton != QMessageBox::NoButton) box->setDefaultButton(defaultButton);
  const int result = box->exec();
  if (!box) return QMessageBox::Cancel;
  delete box.data();
  return result;
}

}  // namespace

QString TUiDialogs::ToQtFilter(const QString& filter) {
  if (filter.isEmpty()) return QString();
  const QStringList parts = filter.split('|');
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns;
    for (const QString& p : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
      patterns << CaseFreePattern(p.trimmed());
    }
    // The caption keeps the caller's text; Qt reads the patterns from the last parentheses.
    filters << QStringLiteral("%1 (%2)").arg(parts[i], patterns.join(' '));
  }
  return filters.join(QStringLiteral(";;"));
}

void TUiDialogs::Message(QWidget* parent, const QString& text) {
  if (Intercept({Kind::Message, QString(), text, QString()})) return;
  ExecBox(QMessageBox::NoIcon, text, QMessageBox::Ok, QMessageBox::NoButton, parent);
}

bool TUiDialogs::Question(QWidget* parent, const QString& text) {
  if (auto answer = Intercept({Kind::Question, QString(), text, QString()}))
    return *answer == QStringLiteral("Yes");
  return ExecBox(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No,
                 QMessageBox::No, parent) == QMessageBox::Yes;
}

std::optional<QString> TUiDialogs::OpenFile(QWidget* parent, const QString& title,
                                            const QString& filter) {
  if (auto answer = Intercept({Kind::OpenFile, title, QString(), filter})) return *answer;
  return RunFileDialog(parent, title, filter, QFileDialog::AcceptOpen);
}

std::optional<QString> TUiDialogs::SaveFile(QWidget* parent, const QString& title,
                                            const QString& filter) {
  if (auto answer = Intercept({Kind::SaveFile, title, QString(), filter})) return *answer;
  return RunFileDialog(parent, title, filter, QFileDialog::AcceptSave);
}

std::optional<QString> TUiDialogs::BrowseFolder(QWidget* parent, const QString& title) {
  if (auto answer = Intercept({Kind::BrowseFolder, title, QString(), QString()})) return *answer;
  QString path = QFileDialog::getExistingDirectory(parent, title);
  if (path.isEmpty()) return std::nullopt;
  return path;
}

std::optional<QString> TUiDialogs::InputBox(QWidget* parent, const QString& caption,
                                            const QString& prompt, const QString& value) {
  if (auto answer = Intercept({Kind::InputBox, caption, prompt, QString()})) return *answer;
  bool ok = false;
  QString text = QInputDialog::getText(parent, caption, prompt, QLineEdit::Normal, value, &ok);
  if (!ok) return std::nullopt;
  return text;
}

void TUiDialogs::SetTestMode(bool on) {
  HookState& s = State();
  std::lock_guard lock(s.mutex);
  s.testMode = on;
  s.answers.clear();
  s.requests.clear();
}

bool TUiDialogs::TestMode() {
  HookState& s = State();
  std::lock_guard lock(s.mutex);
  return s.testMode;
}

void TUiDialogs::SetNextAnswer(Kind kind, std::optional<QString> answer) {
  HookState& s = State();
  std::lock_guard lock(s.mutex);
  s.answers[kind].push_back(std::move(answer));
}

std::vector<TUiDialogs::Request> TUiDialogs::TakeRequests() {
  HookState& s = State();
  std::lock_guard lock(s.mutex);
  std::vector<Request> out;
  out.swap(s.requests);
  return out;
}

}  // namespace stampwell
