#pragma once
// The thread's own message queue: pumping takes whatever the system queued for the thread's
// windows (input, paint, timers, the boxes' own messages), and posted actions travel as
// messages to a message-only window of the queue, in the order they were posted.
#include "platform/ui.h"
#include "platform/win32/system_headers.h"

namespace zx::platform {

class Win32MessageQueue : public MessageQueue {
 public:
  // On the thread whose queue this is.
  Win32MessageQueue();
  ~Win32MessageQueue() override;
  Win32MessageQueue(const Win32MessageQueue&) = delete;
  Win32MessageQueue& operator=(const Win32MessageQueue&) = delete;

  void post(std::function<void()> message) override;
  // Posted actions that have not run yet.
  size_t pending() const override { return pending_; }
  // PeekMessage, then IsDialogMessage for the control's dialogs or TranslateMessage and
  // DispatchMessage, for at most `limit` messages of any of the thread's windows; never waits.
  int pump(int limit) override;

 private:
  static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND window_ = nullptr;
  size_t pending_ = 0;
};

}  // namespace zx::platform
