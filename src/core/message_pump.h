#pragma once
// The bounded message pump that keeps the page and the progress dialog alive while a long
// method runs on the control's thread.
#include "platform/ui.h"

namespace zx {

// Dispatches at most `limit` queued messages of this thread without waiting; answers how many.
inline int pumpMessages(platform::Ui& ui, int limit) { return ui.queue().pump(limit); }

}  // namespace zx
