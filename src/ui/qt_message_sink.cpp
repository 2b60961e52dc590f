// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt_message_sink.h"

#include <QString>
#include <QThread>

#include "ui/ui_dialogs.h"

namespace stampwell {

TQtMessageSink::TQtMessageSink() : context_(std::make_unique<QObject>()) {
  QObject* context = context_.get();
  handler_ = std::make_unique<ScopedMessageHandler>([context](const std::string& text) {
    const QString qtext = QString::fromStdString(text);
    if (QThread::currentThread() == context->thread()) {
      TUiDialogs::Message(nullptr, qtext);
    } else {
      // Blocks the worker until the box has been closed on the UI thread.
      QMetaObject::invokeMethod(
          context, [qtext] { TUiDialogs::Message(nullptr, qtext); }, Qt::BlockingQueuedConnection);
    }
  });
}

TQtMessageSink::~TQtMessageSink() {
  handler_.reset();  // restore the previous handler before the context goes
  context_.reset();
}

}  // namespace stampwell
