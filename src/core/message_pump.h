#pragma once
// The bounded message pump that keeps the page and the progress dialog alive while a long
// method runs on the control's thread.
#include "platform/ui.h"
#include "platform/wait.h"

namespace zx {

// Dispatches at most `limit` queued messages of this thread without waiting; answers how many.
inline int pumpMessages(platform::Ui& ui, int limit) { return ui.queue().pump(limit); }

// For a service's wait that only the outside world ends (a started program deciding): the
// window keeps working meanwhile.
inline platform::WaitHook keepPumping(platform::Ui& ui) {
  return [&ui] {
    pumpMessages(ui, 100);
    return platform::WaitAnswer::KeepWaiting;
  };
}

}  // namespace zx
