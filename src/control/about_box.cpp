#include "control/about_box.h"

#include "platform/dialog_data.h"

namespace zx {
namespace {

namespace mb = platform::mb;

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
  static const platform::DialogTemplate about = ZX_DIALOG_TEMPLATE(ZX_ABOUT_BOX);
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
