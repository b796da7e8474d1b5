#include "platform/headless_dialog.h"

namespace zx::platform {

HeadlessDialogView::HeadlessDialogView(const DialogTemplate& dialogTemplate, DialogHandler& handler, Owner owner,
                                       DialogObserver* observer)
    : template_(dialogTemplate), handler_(handler), owner_(owner), observer_(observer), caption_(dialogTemplate.caption) {
  for (const auto& d : template_.items)
    if (d.id != -1) items_[d.id] = Item{d, d.text};
  // Dialog units to pixels at the usual 8/4 and 8/8 base units.
  rect_ = {template_.x * 2, template_.y * 2, (template_.x + template_.width) * 2, (template_.y + template_.height) * 2};
}

HeadlessDialogView::~HeadlessDialogView() {
  if (observer_) observer_->destroyed(*this);
}

const HeadlessDialogView::Item* HeadlessDialogView::item(int id) const {
  auto it = items_.find(id);
  return it == items_.end() ? nullptr : &it->second;
}

HeadlessDialogView::Item* HeadlessDialogView::item(int id) {
  auto it = items_.find(id);
  return it == items_.end() ? nullptr : &it->second;
}

void HeadlessDialogView::setItemText(int id, std::string_view text) {
  Item* i = item(id);
  if (!i || i->text == text) return;
  i->text = text;
  if (observer_) observer_->textChanged(*this, id, text);
}

std::string HeadlessDialogView::itemText(int id) const {
  const Item* i = item(id);
  return i ? i->text : std::string();
}

void HeadlessDialogView::enableItem(int id, bool enable) {
  if (Item* i = item(id)) i->enabled = enable;
}

bool HeadlessDialogView::isItemEnabled(int id) const {
  const Item* i = item(id);
  return i && i->enabled;
}

void HeadlessDialogView::setItemChecked(int id, bool checked) {
  Item* i = item(id);
  if (i && i->definition.kind == ItemKind::CheckBox) i->checked = checked;
}

bool HeadlessDialogView::isItemChecked(int id) const {
  const Item* i = item(id);
  return i && i->checked;
}

void HeadlessDialogView::centreOver(Owner owner) {
  constexpr int kScreenWidth = 1024, kScreenHeight = 768;
  centredOver_ = owner;
  const int width = rect_.right - rect_.left, height = rect_.bottom - rect_.top;  // centring keeps the size
  rect_.left = (kScreenWidth - width) / 2;
  rect_.top = (kScreenHeight - height) / 2;
  rect_.right = rect_.left + width;
  rect_.bottom = rect_.top + height;
}

void HeadlessDialogView::setProgressRange(int id, int low, int high) {
  if (Item* i = item(id)) {
    i->low = low;
    i->high = high;
    if (i->position < low) i->position = low;
    if (i->position > high) i->position = high;
  }
}

void HeadlessDialogView::setProgressPos(int id, int position) {
  Item* i = item(id);
  if (!i) return;
  // A progress bar clamps its position into its range.
  i->position = position < i->low ? i->low : position > i->high ? i->high : position;
  if (observer_) observer_->progressMoved(*this, id, position);
}

int HeadlessDialogView::progressPos(int id) const {
  const Item* i = item(id);
  return i ? i->position : 0;
}

int HeadlessDialogView::progressHigh(int id) const {
  const Item* i = item(id);
  return i ? i->high : 0;
}

void HeadlessDialogView::show() {
  visible_ = true;
  ended_ = false;
  if (observer_) observer_->shown(*this);
}

int HeadlessDialogView::runModal() {
  inModal_ = true;
  ended_ = false;
  visible_ = true;
  if (observer_) observer_->shown(*this);
  while (!ended_) {
    if (observer_ && observer_->modalStep(*this)) continue;
    // Nobody acts: the default button if there is one, else the dialog is dismissed.
    if (!(hasItem(1) && press(1))) handler_.onCancel();
    if (!ended_) endDialog(2);
  }
  inModal_ = false;
  visible_ = false;
  return result_;
}

void HeadlessDialogView::endDialog(int result) {
  result_ = result;
  ended_ = true;
  visible_ = false;
}

bool HeadlessDialogView::press(int itemId) {
  if (itemId == kDialogEscape) {
    handler_.onCancel();
    return true;
  }
  const Item* i = item(itemId);
  if (!i || !i->enabled) return false;
  if (i->definition.kind == ItemKind::CheckBox) item(itemId)->checked = !i->checked;
  handler_.onCommand(itemId);
  return true;
}

}  // namespace zx::platform
