#pragma once
// Writes every box and dialog another interface shows as one JSON line each
// (kind, owner, caption, text, flags), then lets that interface answer.
#include <cstdio>
#include <memory>

#include "platform/ui.h"

namespace zx::doubles {

class LoggingUi : public platform::Ui {
 public:
  LoggingUi(std::shared_ptr<platform::Ui> inner, std::FILE* log) : inner_(std::move(inner)), log_(log) {}
  int messageBox(platform::Owner owner, std::string_view caption, std::string_view text, unsigned flags) override;
  platform::FileDialogResult fileDialog(const platform::FileDialogRequest& request) override;
  platform::PasswordAnswer passwordPrompt(platform::Owner owner, std::string_view server) override;
  std::unique_ptr<platform::DialogView> createDialog(const platform::DialogTemplate& dialogTemplate, platform::DialogHandler& handler,
                                           platform::Owner owner) override;
  platform::MessageQueue& queue() override { return inner_->queue(); }

 private:
  void write(const char* kind, platform::Owner owner, std::string_view caption, std::string_view text, unsigned flags);
  std::shared_ptr<platform::Ui> inner_;
  std::FILE* log_;
};

}  // namespace zx::doubles
