#pragma once
// The thread's message queue on the desktop: the toolkit's own events (input, paint, timers)
// and the messages posted through post(). Posted messages run only where the control pumps,
// or inside a modal loop of this interface, in the order they were posted.
#include "platform/ui.h"

namespace zx::platform::qt {

class QtMessageQueue : public MessageQueue {
 public:
  // Alternates one round of pending toolkit events with one posted message until `limit` of
  // them ran or nothing waits; never waits itself. Answers how many ran.
  int pump(int limit) override;
  // Runs the oldest posted message; false when none waits.
  bool dispatchPosted();
  // Through the toolkit's own queue, which wakes its event loops from any thread.
  void postFromAnyThread(std::function<void()> message) override;
};

}  // namespace zx::platform::qt
