#pragma once
// The user interface the control talks to: message boxes, file dialogs, the password prompt,
// dialogs built from templates, and the thread's message queue. All texts crossing this
// interface are the control's ANSI text; implementations convert for the display.
//
// Threads: a Ui, its queue and every dialog it makes belong to the one thread that shows them
// (the control's thread); boxes and modal dialogs run their own loop there until answered.
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/api.h"

namespace zx::platform {

// Who owns a box or dialog: the control's window, the progress dialog, or nobody.
enum class Owner { None, Control, StatusDialog, Dialog };
// Owner::StatusDialog is the visible dialog of this template (the status dialog's).
inline constexpr int kStatusDialogTemplate = 201;
ZX_API const char* ownerName(Owner owner);
// A system window's handle as the system's calls take it (an HWND on Windows); 0 is none.
using NativeWindow = std::uintptr_t;

namespace mb {
constexpr unsigned MB_OK = 0x0000, MB_OKCANCEL = 0x0001, MB_YESNOCANCEL = 0x0003,
                   MB_YESNO = 0x0004, MB_ICONHAND = 0x0010, MB_ICONQUESTION = 0x0020,
                   MB_TASKMODAL = 0x2000;
constexpr int IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7;
}  // namespace mb

namespace ofn {
constexpr unsigned OFN_OVERWRITEPROMPT = 0x2, OFN_HIDEREADONLY = 0x4;
}

struct FileFilter {
  std::string description;
  std::string pattern;
};

struct FileDialogRequest {
  bool save = true;
  std::string title;             // empty: the system's own
  std::string defaultExtension;
  std::string initialName;
  std::string initialFolder;     // empty: the current directory
  std::vector<FileFilter> filters;
  int filterIndex = 1;           // 1-based
  unsigned flags = 0;
  Owner owner = Owner::None;
  // The user picked another file type: given the name field and the type's description,
  // answers the new name field.
  std::function<std::string(const std::string& name, const std::string& description)> onTypeChange;
};

struct FileDialogResult {
  bool ok = false;
  std::string path;
  int filterIndex = 1;
};

// Splits a filter in the framework's text form ("desc|pattern|desc|pattern||").
ZX_API std::vector<FileFilter> parseFilterText(std::string_view text);

struct PasswordAnswer {
  bool retry = false;  // the user asked to send again with the credentials
  std::string user;
  std::string password;
};

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// A CheckBox is an automatic one: a click toggles it and then reports the click to the handler.
enum class ItemKind { Static, StaticCentred, StaticRight, ProgressBar, PushButton, DefPushButton, Icon, CheckBox };

struct DialogItem {
  int id = -1;  // -1: no id
  ItemKind kind = ItemKind::Static;
  int x = 0, y = 0, width = 0, height = 0;  // dialog units
  std::string text;
};

struct DialogTemplate {
  int id = 0;
  std::string caption;
  std::string font;
  int pointSize = 9;
  int x = 0, y = 0, width = 0, height = 0;
  bool child = false;  // a property page: no caption of its own
  std::vector<DialogItem> items;
};

// The item id a press uses for Esc or the caption's close box.
constexpr int kDialogEscape = -2;

// What a dialog tells its owner in the control. The creator runs onInitDialog once the view
// it got from createDialog is in place.
class ZX_API DialogHandler {
 public:
  virtual ~DialogHandler() = default;
  virtual void onInitDialog() {}
  virtual void onCommand(int itemId) = 0;
  virtual void onCancel() = 0;  // Esc, the close box
  virtual void onDestroyed() {}
};

class ZX_API DialogView {
 public:
  virtual ~DialogView() = default;
  virtual int templateId() const = 0;
  virtual void setCaption(std::string_view text) = 0;
  virtual std::string caption() const = 0;
  virtual bool hasItem(int id) const = 0;
  virtual void setItemText(int id, std::string_view text) = 0;
  virtual std::string itemText(int id) const = 0;
  virtual void enableItem(int id, bool enable) = 0;
  virtual bool isItemEnabled(int id) const = 0;
  // Check boxes only; other items ignore the call and answer false.
  virtual void setItemChecked(int id, bool checked) = 0;
  virtual bool isItemChecked(int id) const = 0;
  virtual void setFocus(int id) = 0;
  virtual void setProgressRange(int id, int low, int high) = 0;
  virtual void setProgressPos(int id, int position) = 0;
  virtual int progressPos(int id) const = 0;
  virtual int progressHigh(int id) const = 0;
  virtual void show() = 0;
  virtual void hide() = 0;
  virtual bool isVisible() const = 0;
  virtual void activate() = 0;
  virtual void repaint() = 0;
  virtual void centreOver(Owner owner) = 0;
  virtual Rect screenRect() const = 0;
  virtual void moveTo(const Rect& rect, bool topOfZOrder) = 0;
  // Modal dialogs: runs until endDialog and answers its value. Modeless: endDialog hides.
  virtual int runModal() = 0;
  virtual void endDialog(int result) = 0;
};

// The thread's queue of window messages: posted user actions wait here until pumped.
class ZX_API MessageQueue {
 public:
  virtual ~MessageQueue() = default;
  virtual void post(std::function<void()> message);
  virtual size_t pending() const;
  // Dispatches at most `limit` queued messages without waiting; answers how many ran.
  virtual int pump(int limit);
  // Threads: any. Runs `message` on the queue's own thread: at its next pump, or inside a modal
  // loop of the interface that waits for the system's events (which it wakes).
  virtual void postFromAnyThread(std::function<void()> message);

 private:
  std::deque<std::function<void()>> messages_;
  std::mutex foreignMutex_;
  std::deque<std::function<void()>> foreign_;
};

class ZX_API Ui {
 public:
  virtual ~Ui() = default;
  virtual int messageBox(Owner owner, std::string_view caption, std::string_view text, unsigned flags) = 0;
  virtual FileDialogResult fileDialog(const FileDialogRequest& request) = 0;
  virtual PasswordAnswer passwordPrompt(Owner owner, std::string_view server) = 0;
  virtual std::unique_ptr<DialogView> createDialog(const DialogTemplate& dialogTemplate, DialogHandler& handler,
                                                   Owner owner) = 0;
  virtual MessageQueue& queue() = 0;
  // The system window that stands for `owner`, for the system's own windows that take an owner
  // (the shell's); 0 where the interface has no system windows, or there is none now.
  virtual NativeWindow nativeWindow(Owner) const { return 0; }
};

}  // namespace zx::platform
