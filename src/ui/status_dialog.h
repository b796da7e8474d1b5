#pragma once
// The status dialog (template 201) in its two roles: the modal choice dialog before a
// download, and the modeless progress dialog of a transfer. The transfer code reaches the
// progress dialog on screen only through currentStatusDlg() and the free functions below.
//
// Threads: a dialog belongs to the thread that made it; each thread has its own current
// progress dialog.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/env.h"
#include "platform/fixed_text.h"
#include "platform/ui.h"
#include "ui/status_dialog_data.h"

namespace zx {

namespace statusdlg {
constexpr int kTemplateId = ZX_STATUS_DIALOG_ID;
static_assert(kTemplateId == platform::kStatusDialogTemplate, "the dialog Owner::StatusDialog names");
constexpr int kUpperText = ZX_STATUS_DIALOG_UPPER_TEXT, kLowerText = ZX_STATUS_DIALOG_LOWER_TEXT,
              kProgress = ZX_STATUS_DIALOG_PROGRESS, kLeftFigure = ZX_STATUS_DIALOG_LEFT_FIGURE,
              kRightFigure = ZX_STATUS_DIALOG_RIGHT_FIGURE, kOpenButton = ZX_STATUS_DIALOG_OPEN_BUTTON,
              kSaveButton = ZX_STATUS_DIALOG_SAVE_BUTTON, kCancelButton = ZX_STATUS_DIALOG_CANCEL_BUTTON;
constexpr int kEndOk = 1, kEndCancel = 2;
platform::DialogTemplate dialogTemplate();
}  // namespace statusdlg

class CStatusDlg : public platform::DialogHandler {
 public:
  CStatusDlg(const platform::Env& env, bool vistaMode);
  ~CStatusDlg() override;

  // Creates the window (modeless) and clears `cancelled`.
  void Create(platform::Owner owner);
  // Runs the choice role modally; answers kEndOk or kEndCancel.
  int DoModal();

  void showByteCounts(std::int64_t done, std::int64_t total);
  void enableChoices(bool enable);

  void OnOpen();
  void OnSave();
  void OnCancel();

  // Ends the dialog: modal, the loop returns `result`; modeless, the window is hidden.
  void EndDialog(int result);
  // Pushes upperText and lowerText into the window.
  void UpdateData();
  // Turns the dialog into the completed download dialog that outlives the flow.
  void becomeCompleted(std::string_view savedPath);

  platform::DialogView* view() { return view_.get(); }
  const platform::Env& env() const { return env_; }
  void runSaveAsLoop();

  bool vistaMode = false;
  std::string title;
  std::int32_t lastRange = 99;
  bool cancelled = false;
  bool openChosen = false;
  bool progressMode = false;
  PathText path;
  std::string lowerText;
  std::string upperText;

  // DialogHandler
  void onInitDialog() override;
  void onCommand(int itemId) override;
  void onCancel() override;
  void onDestroyed() override;

 private:
  platform::Env env_;
  std::unique_ptr<platform::DialogView> view_;
  bool completed_ = false;
};

// The progress dialog this thread's transfer is updating, or nullptr.
CStatusDlg* currentStatusDlg();

// Creates and shows the progress dialog; it is the current one until its owner lets it go.
std::unique_ptr<CStatusDlg> showStatusDialog(const platform::Env& env, bool vistaMode, std::string_view title,
                                             std::string_view upperLine, std::string_view lowerLine,
                                             bool choicesEnabled);
// Leaves a completed download dialog on screen after its flow has ended: it is no longer
// current, and it is freed once the user has closed it.
void leaveOnScreen(std::unique_ptr<CStatusDlg> dialog);
// Null lines leave the text unchanged. Nothing happens without a dialog or after a cancel.
void updateStatus(const char* upperLine, const char* lowerLine, std::int32_t position, std::int32_t range);
void stepProgress(std::int32_t step);
// The decompressor's progress callback.
void reportProgress(std::uint32_t context, std::uint32_t position, std::uint32_t range);
// showByteCounts on the current dialog, when there is one.
void showCurrentByteCounts(std::int64_t done, std::int64_t total);
// True when the current dialog exists and was cancelled.
bool statusCancelled();
// In place: 1234567 -> 1,234,567; the part from the last '.' is kept.
void formatThousands(std::string& text, std::size_t capacity);

}  // namespace zx
