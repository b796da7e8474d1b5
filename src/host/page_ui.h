#pragma once
// The interface a browser host gives its controls: the desktop's or the console's, until the
// page goes away (its input ends, or the browser asks the host to stop). From then on nobody
// is left to answer: every dialog of ours gets Esc at the next pump, so a transfer in progress
// ends as a user's cancel ends it (its partial files removed); boxes are answered unseen, Yes
// to a question (the only one is whether to cancel), OK otherwise; file dialogs and password
// prompts are declined; a dialog waiting for an answer in the desktop's modal loop gets its Esc
// there (pageWentAway), also one that starts waiting after the end. A box of the desktop's own
// notices the end only once it returns.
#include <atomic>
#include <memory>
#include <vector>

#include "platform/ui.h"

namespace zx::host {

class PageUi : public platform::Ui {
 public:
  // `pageGone` is set by whoever notices the page's end (another thread, a signal handler).
  PageUi(std::shared_ptr<platform::Ui> inner, const std::atomic<bool>& pageGone);

  int messageBox(platform::Owner owner, std::string_view caption, std::string_view text, unsigned flags) override;
  platform::FileDialogResult fileDialog(const platform::FileDialogRequest& request) override;
  platform::PasswordAnswer passwordPrompt(platform::Owner owner, std::string_view server) override;
  std::unique_ptr<platform::DialogView> createDialog(const platform::DialogTemplate& dialogTemplate,
                                                     platform::DialogHandler& handler, platform::Owner owner) override;
  platform::MessageQueue& queue() override { return queue_; }

  bool pageGone() const { return pageGone_.load(); }
  // Threads: any, once the page has gone. Every live dialog gets its Esc on the interface's own
  // thread, inside a modal loop that waits for events too.
  void pageWentAway();

 private:
  class Queue : public platform::MessageQueue {
   public:
    explicit Queue(PageUi& ui) : ui_(ui) {}
    void post(std::function<void()> message) override { ui_.inner_->queue().post(std::move(message)); }
    void postFromAnyThread(std::function<void()> message) override {
      ui_.inner_->queue().postFromAnyThread(std::move(message));
    }
    size_t pending() const override { return ui_.inner_->queue().pending(); }
    int pump(int limit) override;

   private:
    PageUi& ui_;
  };
  class TrackedView;
  friend class TrackedView;

  // Esc on every live dialog not yet given one, newest first.
  void dismissDialogs();

  std::shared_ptr<platform::Ui> inner_;
  const std::atomic<bool>& pageGone_;
  Queue queue_{*this};
  std::vector<TrackedView*> live_;
};

}  // namespace zx::host
