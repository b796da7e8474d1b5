#include "control/about_box.h"


namespace zx {
namespace {

using platform::DialogItem;
using platform::ItemKind;
namespace mb = platform::mb;

constexpr int kStaticId = -1;

class ModuleDialogHandler : public platform::DialogHandler {
 public:
  void attach(platform::DialogView& view) { view_ = &view; }
  void onCommand(int itemId) override {
    if (itemId == mb::IDOK || itemId == mb::IDCANCEL) view_->endDialog(itemId);
  }
  void onCancel() override { view_->endDialog(mb::IDCANCEL); }

 private:
  platform::DialogView* view_ = nullptr;
};

}  // namespace

const platform::DialogTemplate& aboutBoxTemplate() {
  static const platform::DialogTemplate about{
      1,
      "About ZorvAX Control",
      "MS Sans Serif",
      8,
      34,
      22,
      260,
      55,
      false,
      {DialogItem{kStaticId, ItemKind::Icon, 10, 10, 20, 20, "1"},
       DialogItem{kStaticId, ItemKind::Static, 40, 10, 170, 8, "ZorvAX Control, Version 1.0"},
       DialogItem{kStaticId, ItemKind::Static, 40, 25, 170, 8, std::string(kAboutNotice)},
       DialogItem{mb::IDOK, ItemKind::DefPushButton, 221, 7, 32, 14, "OK"}}};
  return about;
}

int runModuleDialog(platform::Ui& ui, const platform::DialogTemplate& dialogTemplate, platform::Owner owner,
                    std::string_view caption) {
  ModuleDialogHandler handler;
  std::unique_ptr<platform::DialogView> view = ui.createDialog(dialogTemplate, handler, owner);
  if (!view) return mb::IDCANCEL;
  handler.attach(*view);
  if (!caption.empty()) view->setCaption(caption);
  return view->runModal();
}

void showAboutBox(platform::Ui& ui) { runModuleDialog(ui, aboutBoxTemplate(), platform::Owner::Control); }

}  // namespace zx
