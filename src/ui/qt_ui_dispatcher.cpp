// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt_ui_dispatcher.h"

#include <QThread>

namespace stampwell {

TQtUiDispatcher::TQtUiDispatcher() : context_(std::make_unique<QObject>()) {}

TQtUiDispatcher::~TQtUiDispatcher() = default;

void TQtUiDispatcher::Post(std::function<void()> fn) {
  QMetaObject::invokeMethod(context_.get(), std::move(fn), Qt::QueuedConnection);
}

void TQtUiDispatcher::PostAndWait(std::function<void()> fn) {
  if (QThread::currentThread() == context_->thread()) {
    fn();
    return;
  }
  QMetaObject::invokeMethod(context_.get(), std::move(fn), Qt::BlockingQueuedConnection);
}

}  // namespace stampwell
