#pragma once
// Writes every box and dialog another interface shows as one JSON line each
// (kind, owner, caption, text, flags), then lets that interface answer.
#include <cstdio>
#include <memory>

#include "platform/ui.h"

namespace zx::platform {

class LoggingUi : public Ui {
 public:
  LoggingUi(std::shared_ptr<Ui> inner, std::FILE* log) : inner_(std::move(inner)), log_(log) {}
  int messageBox(Owner owner, std::string_view caption, std::string_view text, unsigned flags) override;
  FileDialogResult fileDialog(const FileDialogRequest& request) override;
  PasswordAnswer passwordPrompt(Owner owner, std::string_view server) override;
  std::unique_ptr<DialogView> createDialog(const DialogTemplate& dialogTemplate, DialogHandler& handler,
                                           Owner owner) override;
  MessageQueue& queue() override { return inner_->queue(); }

 private:
  void write(const char* kind, Owner owner, std::string_view caption, std::string_view text, unsigned flags);
  std::shared_ptr<Ui> inner_;
  std::FILE* log_;
};

}  // namespace zx::platform
