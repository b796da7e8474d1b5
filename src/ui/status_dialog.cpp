#include "ui/status_dialog.h"

#include <algorithm>
#include <vector>

#include "core/file_helpers.h"
#include "core/message_pump.h"
#include "platform/codepage.h"
#include "platform/dialog_data.h"
#include "platform/shell.h"

namespace zx {

namespace mb = platform::mb;
using platform::Owner;

namespace {

// The progress dialogs of one thread: the one its transfer updates, and the completed ones left
// on screen for the user.
struct ThreadDialogs {
  CStatusDlg* current = nullptr;
  std::vector<std::unique_ptr<CStatusDlg>> onScreen;
};

ThreadDialogs& threadDialogs() {
  thread_local ThreadDialogs dialogs;
  return dialogs;
}

// A completed dialog whose window has gone.
void release(CStatusDlg* dialog) {
  auto& kept = threadDialogs().onScreen;
  std::erase_if(kept, [dialog](const std::unique_ptr<CStatusDlg>& d) { return d.get() == dialog; });
}

}  // namespace

CStatusDlg* currentStatusDlg() { return threadDialogs().current; }

namespace statusdlg {

platform::DialogTemplate dialogTemplate() { return ZX_DIALOG_TEMPLATE(ZX_STATUS_DIALOG); }

}  // namespace statusdlg

using namespace statusdlg;

CStatusDlg::CStatusDlg(const platform::Env& env, bool vista) : vistaMode(vista), env_(env) {}

CStatusDlg::~CStatusDlg() {
  if (threadDialogs().current == this) threadDialogs().current = nullptr;
}

void CStatusDlg::Create(Owner owner) {
  view_ = env_.ui.createDialog(dialogTemplate(), *this, owner);
  cancelled = false;
  onInitDialog();
}

int CStatusDlg::DoModal() {
  view_ = env_.ui.createDialog(dialogTemplate(), *this, Owner::Control);
  onInitDialog();
  return view_->runModal();
}

void CStatusDlg::onInitDialog() {
  UpdateData();
  view_->setCaption(title);
  showByteCounts(0, 0);
}

void CStatusDlg::UpdateData() {
  view_->setItemText(kUpperText, upperText);
  view_->setItemText(kLowerText, lowerText);
}

void CStatusDlg::showByteCounts(std::int64_t done, std::int64_t total) {
  if (total <= 0) {
    view_->setItemText(kLeftFigure, "");
    view_->setItemText(kRightFigure, "");
    return;
  }
  std::string right = std::to_string(total);
  formatThousands(right, 20);
  view_->setItemText(kLeftFigure, std::to_string(done));
  view_->setItemText(kRightFigure, right);
}

void CStatusDlg::enableChoices(bool enable) {
  for (int id : {kOpenButton, kSaveButton})
    if (view_->hasItem(id)) view_->enableItem(id, enable);
}

void CStatusDlg::OnOpen() {
  openChosen = true;
  // Disabled before the opener runs: the shell pumps messages while it waits, and a second
  // click would start the opener again.
  enableChoices(false);
  if (progressMode) env_.shell.open(path.view(), env_.ui.nativeWindow(Owner::StatusDialog), keepPumping(env_.ui));
  EndDialog(kEndOk);
}

void CStatusDlg::OnSave() {
  openChosen = false;
  if (progressMode) {
    enableChoices(false);
    env_.shell.openFolder(directoryOf(path.view()), env_.ui.nativeWindow(Owner::StatusDialog),
                          keepPumping(env_.ui));
    EndDialog(kEndOk);
  } else if (!vistaMode) {
    runSaveAsLoop();
  } else {
    enableChoices(false);
    EndDialog(kEndOk);
  }
}

void CStatusDlg::OnCancel() {
  std::string label = view_->itemText(kCancelButton);
  cancelled = true;
  if (progressMode && label == ansi("취소(&C)")) {
    int answer = env_.ui.messageBox(Owner::StatusDialog, ansi("질문"), ansi("취소 하겠습니까 ?"), mb::MB_YESNOCANCEL);
    if (answer != mb::IDYES) {
      cancelled = false;
      return;
    }
  }
  EndDialog(kEndCancel);
}

void CStatusDlg::EndDialog(int result) {
  view_->endDialog(result);
  // The completed download dialog goes once its window has gone, after the handler that ended
  // it has returned.
  if (completed_) {
    completed_ = false;
    env_.ui.queue().post([this] { release(this); });
  }
}

void CStatusDlg::becomeCompleted(std::string_view savedPath) {
  (void)path.assign(savedPath);  // the path of a placed file fits
  view_->enableItem(kOpenButton, true);
  view_->setItemText(kOpenButton, ansi("파일열기(&O)"));
  view_->setFocus(kOpenButton);
  view_->enableItem(kSaveButton, true);
  view_->setItemText(kSaveButton, ansi("폴더열기(&D)"));
  view_->setItemText(kCancelButton, ansi("닫기(&C)"));
  view_->activate();
  completed_ = true;
}

void CStatusDlg::onCommand(int itemId) {
  if (itemId == kOpenButton) OnOpen();
  else if (itemId == kSaveButton) OnSave();
  else if (itemId == kCancelButton) OnCancel();
}

void CStatusDlg::onCancel() { OnCancel(); }

void CStatusDlg::onDestroyed() {}

std::unique_ptr<CStatusDlg> showStatusDialog(const platform::Env& env, bool vistaMode, std::string_view title,
                                             std::string_view upperLine, std::string_view lowerLine,
                                             bool choicesEnabled) {
  auto dlg = std::make_unique<CStatusDlg>(env, vistaMode);
  threadDialogs().current = dlg.get();
  dlg->title = title;
  dlg->progressMode = true;
  dlg->Create(Owner::Control);
  dlg->enableChoices(choicesEnabled);
  auto* view = dlg->view();
  view->centreOver(Owner::Control);
  view->show();
  platform::Rect rect = view->screenRect();
  int height = rect.bottom - rect.top;
  rect.top = std::max(0, rect.top - 40);
  rect.bottom = rect.top + height;
  view->moveTo(rect, true);
  pumpMessages(env.ui, 100);
  std::string upper(upperLine), lower(lowerLine);
  updateStatus(upper.c_str(), lower.c_str(), 0, 100);
  stepProgress(5);
  return dlg;
}

void leaveOnScreen(std::unique_ptr<CStatusDlg> dialog) {
  ThreadDialogs& dialogs = threadDialogs();
  if (dialogs.current == dialog.get()) dialogs.current = nullptr;
  dialogs.onScreen.push_back(std::move(dialog));
}

void updateStatus(const char* upperLine, const char* lowerLine, std::int32_t position, std::int32_t range) {
  CStatusDlg* dlg = currentStatusDlg();
  if (!dlg || dlg->cancelled) return;
  if (upperLine) dlg->upperText = upperLine;
  if (lowerLine) dlg->lowerText = lowerLine;
  auto* view = dlg->view();
  if (range != dlg->lastRange) {
    view->setProgressPos(kProgress, 0);
    view->setProgressRange(kProgress, 0, range);
    dlg->lastRange = range;
  }
  view->setProgressPos(kProgress, position);
  // The text lines change only here: with neither given there is nothing new to push.
  if (upperLine || lowerLine) dlg->UpdateData();
  view->repaint();
  view->activate();
  pumpMessages(dlg->env().ui, 100);
}

void stepProgress(std::int32_t step) {
  CStatusDlg* dlg = currentStatusDlg();
  if (!dlg || dlg->cancelled) return;
  auto* view = dlg->view();
  std::int64_t next = static_cast<std::int64_t>(view->progressPos(kProgress)) + step;
  view->setProgressPos(kProgress, static_cast<std::int32_t>(std::min<std::int64_t>(dlg->lastRange, next)));
  dlg->UpdateData();
  view->activate();
  pumpMessages(dlg->env().ui, 100);
}

void reportProgress(std::uint32_t, std::uint32_t position, std::uint32_t range) {
  updateStatus(nullptr, nullptr, static_cast<std::int32_t>(position), static_cast<std::int32_t>(range));
}

void showCurrentByteCounts(std::int64_t done, std::int64_t total) {
  if (CStatusDlg* dlg = currentStatusDlg()) dlg->showByteCounts(done, total);
}

bool statusCancelled() {
  CStatusDlg* dlg = currentStatusDlg();
  return dlg && dlg->cancelled;
}

void formatThousands(std::string& text, std::size_t capacity) {
  size_t b = text.find_first_not_of(" \t\r\n\v\f");
  size_t e = text.find_last_not_of(" \t\r\n\v\f");
  std::string t = b == std::string::npos ? std::string() : text.substr(b, e - b + 1);
  size_t point = t.rfind('.');
  std::string digits = t.substr(0, point), rest = point == std::string::npos ? std::string() : t.substr(point);
  std::string out;
  size_t lead = digits.size() % 3;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && i >= lead && (i - lead) % 3 == 0) out += ',';
    out += digits[i];
  }
  out += rest;
  if (capacity > 0 && out.size() > capacity - 1) out.resize(capacity - 1);
  text = out;
}

}  // namespace zx
