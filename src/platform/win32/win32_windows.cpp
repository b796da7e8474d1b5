#include "platform/win32/win32_windows.h"

#include <algorithm>

#include "platform/win32/win32_dialog_view.h"

namespace zx::platform {
namespace {

constexpr wchar_t kDialogMark[] = L"ZorvAX.Dialog";

HWND liveWindow(HWND window) { return window && IsWindow(window) ? window : nullptr; }

}  // namespace

HINSTANCE Win32Windows::resourceModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&Win32Windows::resourceModule), &module);
  return module;
}

bool Win32Windows::isControlDialog(HWND window) { return window && GetPropW(window, kDialogMark) != nullptr; }

void Win32Windows::markControlDialog(HWND window, bool mark) {
  if (mark) SetPropW(window, kDialogMark, reinterpret_cast<HANDLE>(1));
  else RemovePropW(window, kDialogMark);
}

void Win32Windows::setControlWindow(HWND control, HWND browser) {
  control_ = control;
  browser_ = browser;
}

HWND Win32Windows::controlWindow() const { return liveWindow(control_); }
HWND Win32Windows::browserWindow() const { return liveWindow(browser_); }

HWND Win32Windows::ownerOf(Owner owner) const {
  switch (owner) {
    case Owner::None:
      return nullptr;
    case Owner::Control:
      return controlWindow();
    case Owner::StatusDialog:
      for (auto it = dialogs_.rbegin(); it != dialogs_.rend(); ++it)
        if ((*it)->templateId() == kStatusDialogTemplate && (*it)->isVisible()) return (*it)->window();
      return nullptr;
    case Owner::Dialog: {
      HWND active = GetActiveWindow();
      return isControlDialog(active) ? active : nullptr;
    }
  }
  return nullptr;
}

HWND Win32Windows::centringReference(Owner owner) const {
  if (owner == Owner::Control && browserWindow()) return browserWindow();
  return ownerOf(owner);
}

void Win32Windows::dialogDestroyed(Win32DialogView* view) {
  dialogs_.erase(std::remove(dialogs_.begin(), dialogs_.end(), view), dialogs_.end());
}

void centreWindow(HWND window, HWND reference) {
  RECT own{};
  GetWindowRect(window, &own);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(reference ? reference : window, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT area = monitor.rcWork;
  RECT around = area;
  if (reference) GetWindowRect(reference, &around);
  const LONG width = own.right - own.left, height = own.bottom - own.top;
  LONG left = around.left + (around.right - around.left - width) / 2;
  LONG top = around.top + (around.bottom - around.top - height) / 2;
  left = std::max(area.left, std::min(left, area.right - width));
  top = std::max(area.top, std::min(top, area.bottom - height));
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace zx::platform
