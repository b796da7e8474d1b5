#pragma once
// What a service that waits on something outside the process (the network, a started program)
// calls while it waits, so the caller's window keeps working and the user can end the wait.
#include <functional>

namespace zx::platform {

enum class WaitAnswer { KeepWaiting, Stop };
// Called from inside a waiting call, on the caller's thread, at least every 100 ms.
using WaitHook = std::function<WaitAnswer()>;

}  // namespace zx::platform
