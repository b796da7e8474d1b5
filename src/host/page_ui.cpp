#include "host/page_ui.h"

#include <algorithm>

#include "platform/console_ui.h"

namespace zx::host {

using namespace platform;

// A dialog as the inner interface made it, known to the host while it lives.
class PageUi::TrackedView : public DialogView {
 public:
  TrackedView(PageUi& ui, std::unique_ptr<DialogView> view, DialogHandler& handler)
      : ui_(ui), view_(std::move(view)), handler_(handler) {
    ui_.live_.push_back(this);
  }
  ~TrackedView() override { ui_.live_.erase(std::remove(ui_.live_.begin(), ui_.live_.end(), this), ui_.live_.end()); }
  // Esc, once per dialog.
  void dismiss() {
    if (dismissed_) return;
    dismissed_ = true;
    handler_.onCancel();
  }

  int templateId() const override { return view_->templateId(); }
  void setCaption(std::string_view text) override { view_->setCaption(text); }
  std::string caption() const override { return view_->caption(); }
  bool hasItem(int id) const override { return view_->hasItem(id); }
  void setItemText(int id, std::string_view text) override { view_->setItemText(id, text); }
  std::string itemText(int id) const override { return view_->itemText(id); }
  void enableItem(int id, bool enable) override { view_->enableItem(id, enable); }
  bool isItemEnabled(int id) const override { return view_->isItemEnabled(id); }
  void setItemChecked(int id, bool checked) override { view_->setItemChecked(id, checked); }
  bool isItemChecked(int id) const override { return view_->isItemChecked(id); }
  void setFocus(int id) override { view_->setFocus(id); }
  void setProgressRange(int id, int low, int high) override { view_->setProgressRange(id, low, high); }
  void setProgressPos(int id, int position) override { view_->setProgressPos(id, position); }
  int progressPos(int id) const override { return view_->progressPos(id); }
  int progressHigh(int id) const override { return view_->progressHigh(id); }
  void show() override { view_->show(); }
  void hide() override { view_->hide(); }
  bool isVisible() const override { return view_->isVisible(); }
  void activate() override { view_->activate(); }
  void repaint() override { view_->repaint(); }
  void centreOver(Owner owner) override { view_->centreOver(owner); }
  Rect screenRect() const override { return view_->screenRect(); }
  void moveTo(const Rect& rect, bool topOfZOrder) override { view_->moveTo(rect, topOfZOrder); }
  // A dialog that starts waiting after the page's end gets its Esc inside its modal loop too.
  int runModal() override {
    if (ui_.pageGone()) ui_.pageWentAway();
    return view_->runModal();
  }
  void endDialog(int result) override { view_->endDialog(result); }

 private:
  PageUi& ui_;
  std::unique_ptr<DialogView> view_;
  DialogHandler& handler_;
  bool dismissed_ = false;
};

PageUi::PageUi(std::shared_ptr<Ui> inner, const std::atomic<bool>& pageGone)
    : inner_(std::move(inner)), pageGone_(pageGone) {}

int PageUi::messageBox(Owner owner, std::string_view caption, std::string_view text, unsigned flags) {
  if (!pageGone()) return inner_->messageBox(owner, caption, text, flags);
  const unsigned buttons = flags & 0xF;
  return buttons == mb::MB_YESNO || buttons == mb::MB_YESNOCANCEL ? mb::IDYES : defaultBoxAnswer(flags);
}

FileDialogResult PageUi::fileDialog(const FileDialogRequest& request) {
  if (!pageGone()) return inner_->fileDialog(request);
  return FileDialogResult{false, {}, request.filterIndex};
}

PasswordAnswer PageUi::passwordPrompt(Owner owner, std::string_view server) {
  if (!pageGone()) return inner_->passwordPrompt(owner, server);
  return {};
}

std::unique_ptr<DialogView> PageUi::createDialog(const DialogTemplate& dialogTemplate, DialogHandler& handler,
                                                 Owner owner) {
  auto view = inner_->createDialog(dialogTemplate, handler, owner);
  if (!view) return nullptr;
  return std::make_unique<TrackedView>(*this, std::move(view), handler);
}

void PageUi::dismissDialogs() {
  // A handler may end or destroy other dialogs: only those still alive get their Esc.
  std::vector<TrackedView*> pending(live_.rbegin(), live_.rend());
  for (TrackedView* view : pending)
    if (std::find(live_.begin(), live_.end(), view) != live_.end()) view->dismiss();
}

void PageUi::pageWentAway() {
  inner_->queue().postFromAnyThread([this] { dismissDialogs(); });
}

int PageUi::Queue::pump(int limit) {
  if (ui_.pageGone()) ui_.dismissDialogs();
  return ui_.inner_->queue().pump(limit);
}

}  // namespace zx::host
