#pragma once
// Boxes the protection code shows, recorded in UTF-8 so tests can read them.
#include <memory>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/ui.h"

namespace zx::test {

struct RecordedBox {
  platform::Owner owner;
  std::string caption;
  std::string text;
  unsigned flags;
};

class RecordingUi : public platform::Ui {
 public:
  int messageBox(platform::Owner owner, std::string_view caption, std::string_view text, unsigned flags) override {
    boxes.push_back({owner, platform::ansiToUtf8(caption), platform::ansiToUtf8(text), flags});
    return platform::mb::IDOK;
  }
  platform::FileDialogResult fileDialog(const platform::FileDialogRequest&) override { return {}; }
  platform::PasswordAnswer passwordPrompt(platform::Owner, std::string_view) override { return {}; }
  std::unique_ptr<platform::DialogView> createDialog(const platform::DialogTemplate&, platform::DialogHandler&,
                                                     platform::Owner) override {
    return nullptr;
  }
  platform::MessageQueue& queue() override { return queue_; }

  std::vector<RecordedBox> boxes;

 private:
  platform::MessageQueue queue_;
};

// Installs a fresh recorder for one test and restores the default interface afterwards.
class UiRecorder {
 public:
  UiRecorder() : ui_(std::make_shared<RecordingUi>()) { platform::setUi(ui_); }
  ~UiRecorder() { platform::setUi(nullptr); }
  const std::vector<RecordedBox>& boxes() const { return ui_->boxes; }

 private:
  std::shared_ptr<RecordingUi> ui_;
};

}  // namespace zx::test
