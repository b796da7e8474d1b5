#include "platform/win32/win32_dialog_view.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

#include "platform/codepage.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_windows.h"

namespace zx::platform {
namespace {

// The progress bar's window class is registered by the common controls library.
void registerCommonControls() {
  static const bool registered = [] {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    return InitCommonControlsEx(&controls) != FALSE;
  }();
  (void)registered;
}

// Wakes a modal loop waiting in GetMessage so that it sees the dialog ended.
constexpr UINT kWake = WM_NULL;

}  // namespace

Win32DialogView::Win32DialogView(Win32Windows& windows, const DialogTemplate& dialogTemplate, DialogHandler& handler,
                                 Owner owner)
    : windows_(windows), templateId_(dialogTemplate.id), handler_(handler), owner_(windows.ownerOf(owner)) {
  registerCommonControls();
  window_ = CreateDialogParamW(Win32Windows::resourceModule(), MAKEINTRESOURCEW(templateId_), owner_,
                               &Win32DialogView::dialogProcedure, reinterpret_cast<LPARAM>(this));
  if (!window_)
    throw std::runtime_error("dialog " + std::to_string(templateId_) + " could not be created (" +
                             std::to_string(GetLastError()) + ")");
  Win32Windows::markControlDialog(window_, true);
  windows_.dialogCreated(this);
}

Win32DialogView::~Win32DialogView() {
  windows_.dialogDestroyed(this);
  if (HWND window = window_) {
    window_ = nullptr;
    SetWindowLongPtrW(window, DWLP_USER, 0);
    Win32Windows::markControlDialog(window, false);
    DestroyWindow(window);
  }
  handler_.onDestroyed();
}

INT_PTR CALLBACK Win32DialogView::dialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    reinterpret_cast<Win32DialogView*>(lParam)->window_ = window;
    return TRUE;
  }
  auto* view = reinterpret_cast<Win32DialogView*>(GetWindowLongPtrW(window, DWLP_USER));
  return view ? view->handle(message, wParam, lParam) : FALSE;
}

INT_PTR Win32DialogView::handle(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) return FALSE;
      // Esc and the system menu's Close arrive as IDCANCEL, which no item of the templates uses.
      if (LOWORD(wParam) == IDCANCEL) handler_.onCancel();
      else handler_.onCommand(LOWORD(wParam));
      return TRUE;
    case WM_CLOSE:
      handler_.onCancel();
      return TRUE;
    case WM_ACTIVATE:
      active_ = LOWORD(wParam) != WA_INACTIVE;
      return FALSE;
    case WM_NCDESTROY:
      window_ = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

// The items are the template's for the dialog's life; looking one up asks the window system.
HWND Win32DialogView::item(int id) const {
  if (!window_ || id == -1) return nullptr;
  auto known = items_.find(id);
  if (known == items_.end()) known = items_.emplace(id, GetDlgItem(window_, id)).first;
  return known->second;
}

void Win32DialogView::setCaption(std::string_view text) {
  if (window_) SetWindowTextW(window_, wideText(text).c_str());
  changed_ = true;
}

std::string Win32DialogView::caption() const { return window_ ? windowText(window_) : std::string(); }

void Win32DialogView::setItemText(int id, std::string_view text) {
  if (HWND i = item(id)) SetWindowTextW(i, wideText(text).c_str());
  changed_ = true;
}

std::string Win32DialogView::itemText(int id) const {
  HWND i = item(id);
  return i ? windowText(i) : std::string();
}

void Win32DialogView::enableItem(int id, bool enable) {
  if (HWND i = item(id)) EnableWindow(i, enable);
  changed_ = true;
}

bool Win32DialogView::isItemEnabled(int id) const {
  HWND i = item(id);
  return i && IsWindowEnabled(i);
}

void Win32DialogView::setFocus(int id) {
  // The dialog manager moves the default-button look along with the focus.
  if (HWND i = item(id)) SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(i), TRUE);
  changed_ = true;
}

Win32DialogView::Bar& Win32DialogView::bar(int id, HWND control) {
  Bar& b = bars_[id];
  if (b.width < 0) {
    RECT inner{};
    GetClientRect(control, &inner);
    b.width = inner.right - inner.left;
  }
  return b;
}

int Win32DialogView::filledPixels(const Bar& b) {
  if (b.high <= b.low) return 0;
  return MulDiv(b.position - b.low, b.width, b.high - b.low);
}

void Win32DialogView::setProgressRange(int id, int low, int high) {
  HWND control = item(id);
  if (!control) return;
  Bar& b = bar(id, control);
  b.low = low;
  b.high = high;
  b.position = std::clamp(b.position, low, std::max(low, high));
  SendMessageW(control, PBM_SETRANGE32, static_cast<WPARAM>(low), static_cast<LPARAM>(high));
  b.shownFill = filledPixels(b);
  changed_ = true;
}

void Win32DialogView::setProgressPos(int id, int position) {
  HWND control = item(id);
  if (!control) return;
  Bar& b = bar(id, control);
  b.position = std::clamp(position, b.low, std::max(b.low, b.high));
  const int fill = filledPixels(b);
  if (fill == b.shownFill) return;
  SendMessageW(control, PBM_SETPOS, static_cast<WPARAM>(b.position), 0);
  b.shownFill = fill;
  changed_ = true;
}

int Win32DialogView::progressPos(int id) const {
  if (auto b = bars_.find(id); b != bars_.end()) return b->second.position;
  HWND i = item(id);
  return i ? static_cast<int>(SendMessageW(i, PBM_GETPOS, 0, 0)) : 0;
}

int Win32DialogView::progressHigh(int id) const {
  if (auto b = bars_.find(id); b != bars_.end()) return b->second.high;
  HWND i = item(id);
  return i ? static_cast<int>(SendMessageW(i, PBM_GETRANGE, FALSE, 0)) : 0;
}

void Win32DialogView::setItemChecked(int id, bool checked) {
  if (HWND i = item(id)) SendMessageW(i, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  changed_ = true;
}

bool Win32DialogView::isItemChecked(int id) const {
  HWND i = item(id);
  return i && SendMessageW(i, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// A dialog the control has not placed itself comes up centred over its owner, as the dialogs
// of the control's framework do: the owner the system gave the pop-up, which is the top-level
// window of the child window it was given (the browser, for the control's window).
void Win32DialogView::placeUnlessPlaced() {
  if (!placed_ && window_) centreWindow(window_, GetWindow(window_, GW_OWNER));
  placed_ = true;
}

void Win32DialogView::show() {
  if (!window_) return;
  ended_ = false;
  placeUnlessPlaced();
  ShowWindow(window_, SW_SHOW);
}

void Win32DialogView::hide() {
  if (window_) ShowWindow(window_, SW_HIDE);
}

bool Win32DialogView::isVisible() const { return window_ && IsWindowVisible(window_); }

void Win32DialogView::activate() {
  if (window_ && !active_) SetActiveWindow(window_);
}

// What the control changed is painted now; the rest paints when the queue is pumped.
void Win32DialogView::repaint() {
  if (window_ && changed_) RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  changed_ = false;
}

void Win32DialogView::centreOver(Owner owner) {
  if (!window_) return;
  centreWindow(window_, windows_.centringReference(owner));
  placed_ = true;
}

Rect Win32DialogView::screenRect() const {
  RECT r{};
  if (window_) GetWindowRect(window_, &r);
  return {r.left, r.top, r.right, r.bottom};
}

void Win32DialogView::moveTo(const Rect& rect, bool topOfZOrder) {
  if (!window_) return;
  SetWindowPos(window_, topOfZOrder ? HWND_TOP : nullptr, rect.left, rect.top, 0, 0,
               SWP_NOSIZE | (topOfZOrder ? 0 : SWP_NOZORDER));
  placed_ = true;
}

int Win32DialogView::runModal() {
  if (!window_) return -1;
  ended_ = false;
  // The owner takes no input while the dialog runs; it gets the activation back afterwards.
  const bool disabledOwner = owner_ && IsWindowEnabled(owner_);
  if (disabledOwner) EnableWindow(owner_, FALSE);
  placeUnlessPlaced();
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  MSG message;
  while (!ended_ && window_) {
    BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));  // the thread's loop ends after us
      break;
    }
    if (got < 0) break;
    if (IsDialogMessageW(window_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (disabledOwner) EnableWindow(owner_, TRUE);
  if (window_) ShowWindow(window_, SW_HIDE);
  if (owner_ && IsWindow(owner_)) SetActiveWindow(owner_);
  return ended_ ? result_ : -1;
}

void Win32DialogView::endDialog(int result) {
  result_ = result;
  ended_ = true;
  if (window_) {
    ShowWindow(window_, SW_HIDE);
    PostMessageW(window_, kWake, 0, 0);
  }
}

}  // namespace zx::platform
