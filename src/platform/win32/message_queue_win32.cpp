#include <memory>
#include <stdexcept>

#include "platform/win32/message_queue_win32.h"
#include "platform/win32/win32_windows.h"

namespace zx::platform {
namespace {

constexpr UINT kPostedAction = WM_APP + 0x5A;
constexpr wchar_t kWindowClass[] = L"ZorvAXPostedActions";

using Action = std::function<void()>;

}  // namespace

Win32MessageQueue::Win32MessageQueue() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = &Win32MessageQueue::windowProcedure;
  const HINSTANCE module = Win32Windows::resourceModule();
  windowClass.hInstance = module;
  windowClass.lpszClassName = kWindowClass;
  RegisterClassW(&windowClass);  // fails harmlessly when another queue registered it
  window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, nullptr);
  if (!window_) throw std::runtime_error("the message window could not be created");
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32MessageQueue::~Win32MessageQueue() {
  // Actions nobody pumped are dropped with the queue.
  MSG message;
  while (PeekMessageW(&message, window_, kPostedAction, kPostedAction, PM_REMOVE))
    delete reinterpret_cast<Action*>(message.lParam);
  DestroyWindow(window_);
}

void Win32MessageQueue::post(std::function<void()> message) {
  auto action = std::make_unique<Action>(std::move(message));
  if (!PostMessageW(window_, kPostedAction, 0, reinterpret_cast<LPARAM>(action.get())))
    throw std::runtime_error("the thread's message queue is full");
  action.release();
  ++pending_;
}

int Win32MessageQueue::pump(int limit) {
  int dispatched = 0;
  MSG message;
  while (dispatched < limit && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ++dispatched;
    // The dialogs' keys (Tab, Enter, Esc) go to the dialog manager, as in a modal loop.
    HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (Win32Windows::isControlDialog(root) && IsDialogMessageW(root, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return dispatched;
}

LRESULT CALLBACK Win32MessageQueue::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kPostedAction) return DefWindowProcW(window, message, wParam, lParam);
  std::unique_ptr<Action> action(reinterpret_cast<Action*>(lParam));
  if (auto* queue = reinterpret_cast<Win32MessageQueue*>(GetWindowLongPtrW(window, GWLP_USERDATA))) --queue->pending_;
  (*action)();
  return 0;
}

}  // namespace zx::platform
