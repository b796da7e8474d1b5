#include "platform/qt/message_queue.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>

namespace zx::platform::qt {

int QtMessageQueue::pump(int limit) {
  QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
  int dispatched = 0;
  while (dispatched < limit) {
    bool ran = false;
    if (dispatcher && dispatcher->processEvents(QEventLoop::AllEvents)) {
      ++dispatched;
      ran = true;
    }
    if (dispatched < limit && dispatchPosted()) {
      ++dispatched;
      ran = true;
    }
    if (!ran) break;
  }
  return dispatched;
}

bool QtMessageQueue::dispatchPosted() { return MessageQueue::pump(1) == 1; }

void QtMessageQueue::postFromAnyThread(std::function<void()> message) {
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(message), Qt::QueuedConnection);
}

}  // namespace zx::platform::qt
