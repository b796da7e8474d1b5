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

namespace zx::platform {

struct UiRecord {
  std::string kind;     // "box", "file", "password", "dialog"
  Owner owner = Owner::None;
  std::string caption;  // UTF-8
  std::string text;     // UTF-8
  unsigned flags = 0;
  int answer = 0;
  int templateId = 0;
  FileDialogRequest file;   // for "file"
  std::string renamedTo;    // for "file": the name field after a type change, UTF-8
};

class ScriptedUi : public Ui, public DialogObserver {
 public:
  enum class When { Shown, Modal, Progress };

  int messageBox(Owner owner, std::string_view caption, std::string_view text, unsigned flags) override;
  FileDialogResult fileDialog(const FileDialogRequest& request) override;
  PasswordAnswer passwordPrompt(Owner owner, std::string_view server) override;
  std::unique_ptr<DialogView> createDialog(const DialogTemplate& dialogTemplate, DialogHandler& handler,
                                           Owner owner) override;
  MessageQueue& queue() override { return queue_; }

  // Answers, consumed in order by the prompts they are for. Unanswered boxes get their first
  // button, unanswered file dialogs and password prompts are cancelled.
  void answerBox(int button);
  // nullopt: Cancel. pickType: the 1-based file type chosen before confirming.
  void answerFile(std::optional<std::string> ansiPath, std::optional<int> pickType = std::nullopt);
  void answerPassword(std::optional<PasswordAnswer> answer);
  // A click on a dialog's item (kDialogEscape for Esc) when the dialog of that template is
  // shown, inside its modal loop, or when its progress bar first reaches `position`.
  void press(int templateId, int itemId, When when, int position = 0);
  // Loads answers and presses from JSON lines (see docs/host.md).
  bool loadScript(const std::string& utf8Path, std::string* error);

  const std::vector<UiRecord>& records() const { return records_; }
  std::vector<UiRecord> boxes() const;
  // Dialogs alive now, newest last.
  std::vector<HeadlessDialogView*> liveDialogs() const { return live_; }
  // Posts a click on a live dialog, as a person's click arrives: through the queue.
  void postPress(HeadlessDialogView* view, int itemId);

 private:
  struct PressRule {
    int templateId;
    int itemId;
    When when;
    int position;
    bool fired = false;
  };
  struct FileAnswer {
    std::optional<std::string> path;
    std::optional<int> pickType;
  };

  void shown(HeadlessDialogView& view) override;
  void progressMoved(HeadlessDialogView& view, int itemId, int position) override;
  bool modalStep(HeadlessDialogView& view) override;
  void destroyed(HeadlessDialogView& view) override;
  bool isLive(const HeadlessDialogView* view) const;

  MessageQueue queue_;
  std::vector<UiRecord> records_;
  std::vector<int> boxAnswers_;
  std::vector<FileAnswer> fileAnswers_;
  std::vector<std::optional<PasswordAnswer>> passwordAnswers_;
  std::vector<PressRule> presses_;
  std::vector<HeadlessDialogView*> live_;
};

}  // namespace zx::platform
