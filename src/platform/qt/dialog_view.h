#pragma once
// A dialog built from a template: its items placed in pixels from dialog units of the
// template's font, its buttons reporting to the control's handler, modal or modeless.
#include <QDialog>
#include <QFont>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/qt/desktop.h"
#include "platform/qt/dialog_units.h"
#include "platform/qt/paint_throttle.h"
#include "platform/ui.h"

class QProgressBar;

namespace zx::platform::qt {

// The dialog's window: Esc and the caption's close box go to the handler instead of closing.
class DialogWindow : public QDialog {
 public:
  explicit DialogWindow(std::function<void()> onEscape);

 protected:
  void reject() override { onEscape_(); }

 private:
  std::function<void()> onEscape_;
};

class QtDialogView : public DialogView {
 public:
  QtDialogView(std::shared_ptr<Desktop> desktop, const DialogTemplate& dialogTemplate, DialogHandler& handler,
               Owner owner);
  ~QtDialogView() override;

  int templateId() const override { return templateId_; }
  void setCaption(std::string_view text) override;
  std::string caption() const override { return caption_; }
  bool hasItem(int id) const override { return items_.count(id) != 0; }
  void setItemText(int id, std::string_view text) override;
  std::string itemText(int id) const override;
  void enableItem(int id, bool enable) override;
  bool isItemEnabled(int id) const override;
  void setItemChecked(int id, bool checked) override;
  bool isItemChecked(int id) const override;
  void setFocus(int id) override;
  void setProgressRange(int id, int low, int high) override;
  void setProgressPos(int id, int position) override;
  int progressPos(int id) const override;
  int progressHigh(int id) const override;
  void show() override;
  void hide() override;
  bool isVisible() const override;
  void activate() override;
  void repaint() override { throttle_.request(); }
  void centreOver(Owner owner) override;
  Rect screenRect() const override;
  void moveTo(const Rect& rect, bool topOfZOrder) override;
  int runModal() override;
  void endDialog(int result) override;

  QWidget* window() const { return window_; }
  // A paint is owed to the window and will follow within the repaint interval.
  bool paintDeferred() const { return throttle_.deferred(); }

 private:
  struct Item {
    ItemKind kind = ItemKind::Static;
    std::string text;
    int low = 0, high = 100, position = 0;
    QPointer<QWidget> widget;
  };
  QWidget* makeItemWidget(const DialogItem& definition, QWidget* parent);
  void addPropertyFrameButtons(QWidget* page);
  Item* item(int id);
  const Item* item(int id) const;
  // Brings the progress bars up to the state the control gave them.
  void syncProgressBars();
  void placeUnlessPlaced();

  std::shared_ptr<Desktop> desktop_;
  int templateId_;
  DialogHandler& handler_;
  QPointer<QWidget> ownerWindow_;
  QFont font_;
  DialogUnits units_;
  QPointer<DialogWindow> window_;
  std::string caption_;
  std::map<int, Item> items_;
  PaintThrottle throttle_;
  bool placed_ = false;
  bool ended_ = false;
  int result_ = 0;
};

}  // namespace zx::platform::qt
