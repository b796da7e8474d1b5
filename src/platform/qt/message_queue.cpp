#include "platform/qt/message_queue.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>

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

}  // namespace zx::platform::qt
