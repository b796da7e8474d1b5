#include "module/prop_page.h"

#include "control/about_box.h"
#include "control/zorvax_ctrl.h"
#include "module/class_factory.h"
#include "module/prop_page_data.h"
#include "platform/dialog_data.h"

namespace zx {

const platform::DialogTemplate& CZorvAXPropPage::dialogTemplate() {
  static const platform::DialogTemplate page = ZX_DIALOG_TEMPLATE(ZX_PROP_PAGE);
  return page;
}

int CZorvAXPropPage::show() { return runModuleDialog(env_.ui, dialogTemplate(), platform::Owner::Control, kCaption); }

ole::HRESULT CZorvAXPropPage::getIDsOfNames(const ole::Guid&, const std::vector<std::u16string>& names, ole::LCID,
                                            std::vector<ole::DISPID>& dispids) {
  dispids.assign(names.size(), -1);
  return ole::DISP_E_UNKNOWNNAME;
}

ole::HRESULT CZorvAXPropPage::invoke(ole::DISPID, const ole::Guid&, ole::LCID, std::uint16_t,
                                     const std::vector<ole::Variant>&, ole::Variant*, ole::ExcepInfo*) {
  return ole::DISP_E_MEMBERNOTFOUND;
}

std::vector<ole::Guid> propertyPageIds() { return {ids::CLSID_ZorvAXPropPage()}; }

bool showProperties(CZorvAXCtrl& control) {
  for (const ole::Guid& clsid : propertyPageIds()) {
    ClassFactory* factory = factoryFor(clsid);
    std::shared_ptr<ole::Dispatch> page;
    if (!factory || ole::failed(factory->createInstance(control.env(), page))) return false;
    auto* shown = dynamic_cast<CZorvAXPropPage*>(page.get());
    if (!shown) return false;
    shown->show();
  }
  return true;
}

}  // namespace zx
