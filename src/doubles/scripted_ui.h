#pragma once
// The scripted user: records every box and dialog the control shows and answers from a
// script. Posted clicks travel through the message queue, so they run where a real click
// would: inside pumpMessages.
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/headless_dialog.h"
#include "platform/ui.h"

namespace zx::doubles {

struct UiRecord {
  std::string kind;     // "box", "file", "password", "dialog"
  platform::Owner owner = platform::Owner::None;
  std::string caption;  // UTF-8
  std::string text;     // UTF-8
  unsigned flags = 0;
  int answer = 0;
  int templateId = 0;
  platform::FileDialogRequest file;   // for "file"
  std::string renamedTo;    // for "file": the name field after a type change, UTF-8
};

class ScriptedUi : public platform::Ui, public platform::DialogObserver {
 public:
  // Progress: when the dialog's progress bar first reaches a position. Text: when one of its
  // items first shows a text.
  enum class When { Shown, Modal, Progress, Text };

  int messageBox(platform::Owner owner, std::string_view caption, std::string_view text, unsigned flags) override;
  platform::FileDialogResult fileDialog(const platform::FileDialogRequest& request) override;
  platform::PasswordAnswer passwordPrompt(platform::Owner owner, std::string_view server) override;
  std::unique_ptr<platform::DialogView> createDialog(const platform::DialogTemplate& dialogTemplate, platform::DialogHandler& handler,
                                           platform::Owner owner) override;
  platform::MessageQueue& queue() override { return queue_; }
  // A made-up handle per owner, so a test sees which window a shell request was given.
  platform::NativeWindow nativeWindow(platform::Owner owner) const override {
    return owner == platform::Owner::None ? 0 : kWindowBase + static_cast<platform::NativeWindow>(owner);
  }
  static constexpr platform::NativeWindow kWindowBase = 0x7000;

  // Answers, consumed in order by the prompts they are for. Unanswered boxes get their first
  // button, unanswered file dialogs and password prompts are cancelled.
  void answerBox(int button);
  // nullopt: Cancel. pickType: the 1-based file type chosen before confirming.
  void answerFile(std::optional<std::string> ansiPath, std::optional<int> pickType = std::nullopt);
  void answerPassword(std::optional<platform::PasswordAnswer> answer);
  // A click on a dialog's item (kDialogEscape for Esc) when the dialog of that template is
  // shown, inside its modal loop, or when its progress bar first reaches `position`.
  void press(int templateId, int itemId, When when, int position = 0);
  // A click on a dialog's item as soon as its item `textItemId` shows `ansiText`.
  void pressWhenShowing(int templateId, int itemId, int textItemId, std::string ansiText);
  // Loads answers and presses from JSON lines (see docs/host.md).
  bool loadScript(const std::string& utf8Path, std::string* error);

  const std::vector<UiRecord>& records() const { return records_; }
  // Every position a progress bar of a dialog was set to, in order.
  const std::vector<int>& progressMoves() const { return progressMoves_; }
  // Every text an item of the dialogs of a template showed, in order (UTF-8).
  std::vector<std::string> itemTexts(int templateId, int itemId) const;
  std::vector<UiRecord> boxes() const;
  // Dialogs alive now, newest last.
  std::vector<platform::HeadlessDialogView*> liveDialogs() const { return live_; }
  // Posts a click on a live dialog, as a person's click arrives: through the queue.
  void postPress(platform::HeadlessDialogView* view, int itemId);

 private:
  struct PressRule {
    int templateId;
    int itemId;
    When when;
    int position;
    bool fired = false;
    int textItemId = 0;
    std::string text;  // ANSI
  };
  struct ItemText {
    int templateId;
    int itemId;
    std::string text;  // ANSI
  };
  struct FileAnswer {
    std::optional<std::string> path;
    std::optional<int> pickType;
  };

  void shown(platform::HeadlessDialogView& view) override;
  void progressMoved(platform::HeadlessDialogView& view, int itemId, int position) override;
  void textChanged(platform::HeadlessDialogView& view, int itemId, std::string_view text) override;
  bool modalStep(platform::HeadlessDialogView& view) override;
  void destroyed(platform::HeadlessDialogView& view) override;
  bool isLive(const platform::HeadlessDialogView* view) const;

  platform::MessageQueue queue_;
  std::vector<UiRecord> records_;
  std::vector<int> progressMoves_;
  std::vector<ItemText> itemTexts_;
  std::vector<int> boxAnswers_;
  std::vector<FileAnswer> fileAnswers_;
  std::vector<std::optional<platform::PasswordAnswer>> passwordAnswers_;
  std::vector<PressRule> presses_;
  std::vector<platform::HeadlessDialogView*> live_;
};

}  // namespace zx::doubles
