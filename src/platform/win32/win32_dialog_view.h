#pragma once
// A dialog from the module's dialog resource of its template's id: modeless from the start
// (CreateDialogParam); a modal run disables the owner and loops over the thread's queue until
// the dialog is ended, as the control's framework runs its modal dialogs. Its buttons, Esc and
// the close box report to the control's handler.
#include <map>
#include <string>

#include "platform/ui.h"
#include "platform/win32/system_headers.h"

namespace zx::platform {

class Win32Windows;

class Win32DialogView : public DialogView {
 public:
  // Throws std::runtime_error when the module has no such dialog or the window fails.
  Win32DialogView(Win32Windows& windows, const DialogTemplate& dialogTemplate, DialogHandler& handler, Owner owner);
  ~Win32DialogView() override;
  Win32DialogView(const Win32DialogView&) = delete;
  Win32DialogView& operator=(const Win32DialogView&) = delete;

  int templateId() const override { return templateId_; }
  void setCaption(std::string_view text) override;
  std::string caption() const override;
  bool hasItem(int id) const override { return item(id) != nullptr; }
  void setItemText(int id, std::string_view text) override;
  std::string itemText(int id) const override;
  void enableItem(int id, bool enable) override;
  bool isItemEnabled(int id) const override;
  void setFocus(int id) override;
  void setProgressRange(int id, int low, int high) override;
  void setProgressPos(int id, int position) override;
  int progressPos(int id) const override;
  int progressHigh(int id) const override;
  void setItemChecked(int id, bool checked) override;
  bool isItemChecked(int id) const override;
  void show() override;
  void hide() override;
  bool isVisible() const override;
  void activate() override;
  void repaint() override;
  void centreOver(Owner owner) override;
  Rect screenRect() const override;
  void moveTo(const Rect& rect, bool topOfZOrder) override;
  int runModal() override;
  void endDialog(int result) override;

  HWND window() const { return window_; }

 private:
  static INT_PTR CALLBACK dialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
  HWND item(int id) const;
  void placeUnlessPlaced();

  // A progress bar as the control last set it. A download moves its bar once per line, and
  // every message to the bar, repaint and activation costs the window system a round trip (a
  // wineserver request under Wine): the bar is told only when its filled part changes by a
  // pixel, the dialog repaints only what was changed, and its activation is known from
  // WM_ACTIVATE instead of being asked.
  struct Bar {
    int low = 0, high = 100, position = 0;
    int width = -1;      // the bar's inner width in pixels, once measured
    int shownFill = -1;  // the filled pixels the bar shows
  };
  Bar& bar(int id, HWND control);
  static int filledPixels(const Bar& bar);

  Win32Windows& windows_;
  int templateId_;
  DialogHandler& handler_;
  HWND owner_ = nullptr;
  HWND window_ = nullptr;
  bool placed_ = false;
  bool ended_ = false;
  bool active_ = false;
  bool changed_ = false;  // something to repaint
  std::map<int, Bar> bars_;
  mutable std::map<int, HWND> items_;
  int result_ = 0;
};

}  // namespace zx::platform
