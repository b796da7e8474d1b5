#pragma once
// A dialog without a display: it keeps every item's state so that a scripted user or a log
// can see and press what a person could. Shared by the console and scripted interfaces.
#include <map>

#include "platform/api.h"
#include "platform/ui.h"

namespace zx::platform {

class HeadlessDialogView;

// Hooks through which an interface watches its dialogs.
class ZX_API DialogObserver {
 public:
  virtual ~DialogObserver() = default;
  virtual void shown(HeadlessDialogView&) {}
  virtual void progressMoved(HeadlessDialogView&, int itemId, int position) {}
  // An item's text changed to `text`.
  virtual void textChanged(HeadlessDialogView&, int itemId, std::string_view text) {}
  // Inside runModal: act once as the user; false when there is nothing left to do.
  virtual bool modalStep(HeadlessDialogView&) { return false; }
  virtual void destroyed(HeadlessDialogView&) {}
};

class ZX_API HeadlessDialogView : public DialogView {
 public:
  HeadlessDialogView(const DialogTemplate& dialogTemplate, DialogHandler& handler, Owner owner,
                     DialogObserver* observer);
  ~HeadlessDialogView() override;

  int templateId() const override { return template_.id; }
  void setCaption(std::string_view text) override { caption_ = text; }
  std::string caption() const override { return caption_; }
  bool hasItem(int id) const override { return items_.count(id) != 0; }
  void setItemText(int id, std::string_view text) override;
  std::string itemText(int id) const override;
  void enableItem(int id, bool enable) override;
  bool isItemEnabled(int id) const override;
  void setItemChecked(int id, bool checked) override;
  bool isItemChecked(int id) const override;
  void setFocus(int id) override { focus_ = id; }
  void setProgressRange(int id, int low, int high) override;
  void setProgressPos(int id, int position) override;
  int progressPos(int id) const override;
  int progressHigh(int id) const override;
  void show() override;
  void hide() override { visible_ = false; }
  bool isVisible() const override { return visible_; }
  void activate() override { ++activations_; }
  void repaint() override { ++repaints_; }
  // Centred on a nominal 1024 x 768 screen, one pixel per dialog unit, so that a later move
  // shows in the rectangle.
  void centreOver(Owner owner) override;
  Rect screenRect() const override { return rect_; }
  void moveTo(const Rect& rect, bool topOfZOrder) override { rect_ = rect; }
  int runModal() override;
  void endDialog(int result) override;

  // What a person's click does: an enabled button's command (a check box toggles first), or
  // Esc for kDialogEscape.
  bool press(int itemId);
  int focus() const { return focus_; }
  Owner owner() const { return owner_; }
  bool ended() const { return ended_; }
  int repaints() const { return repaints_; }

 private:
  struct Item {
    DialogItem definition;
    std::string text;
    bool enabled = true;
    bool checked = false;
    int low = 0, high = 100, position = 0;
  };
  const Item* item(int id) const;
  Item* item(int id);

  DialogTemplate template_;
  DialogHandler& handler_;
  Owner owner_;
  DialogObserver* observer_;
  std::map<int, Item> items_;
  std::string caption_;
  Rect rect_;
  Owner centredOver_ = Owner::None;
  int focus_ = 0;
  bool visible_ = false;
  bool inModal_ = false;
  bool ended_ = false;
  int result_ = 0;
  int activations_ = 0;
  int repaints_ = 0;
};

}  // namespace zx::platform
