#pragma once
// The module's two class factories and the live-object count behind DllCanUnloadNow.
#include <memory>
#include <vector>

#include "platform/ole.h"

namespace zx {

namespace ids {
const ole::Guid& IID_IUnknown();
const ole::Guid& IID_IClassFactory();
}  // namespace ids

// Every factory of the module, control first.
const std::vector<ole::ClassFactory*>& moduleFactories();
// The factory serving `clsid`, or nullptr.
ole::ClassFactory* factoryFor(const ole::Guid& clsid);

// Objects made by the factories and not yet released.
long liveObjectCount();

class CZorvAXCtrlFactory : public ole::ClassFactory {
 public:
  ole::HRESULT createInstance(std::shared_ptr<ole::Dispatch>& object) override;
  const ole::Guid& classId() const override;
  const char* progId() const override { return "ZORVAX.ZorvAXCtrl.1"; }
  // Registers the control class and its two component categories, or unregisters the class.
  ole::HRESULT updateRegistry(bool registering) override;
};

class CZorvAXPropPageFactory : public ole::ClassFactory {
 public:
  ole::HRESULT createInstance(std::shared_ptr<ole::Dispatch>& object) override;
  const ole::Guid& classId() const override;
  const char* progId() const override { return "ZORVAX.ZorvAXPropPage.1"; }
  ole::HRESULT updateRegistry(bool registering) override;
};

}  // namespace zx
