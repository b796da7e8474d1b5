#pragma once
// The module's two class factories and the live-object count behind DllCanUnloadNow.
#include <memory>
#include <vector>

#include "platform/api.h"
#include "platform/env.h"
#include "platform/ole.h"
#include "platform/registry.h"
#include "module/registration.h"

namespace zx {

namespace ids {
ZX_API const ole::Guid& IID_IUnknown();
ZX_API const ole::Guid& IID_IClassFactory();
}  // namespace ids

// A class the module makes objects of, and enters into or removes from the registry.
class ZX_API ClassFactory {
 public:
  virtual ~ClassFactory() = default;
  // A new object that uses the given services.
  virtual ole::HRESULT createInstance(const platform::Env& env, std::shared_ptr<ole::Dispatch>& object) = 0;
  virtual const ole::Guid& classId() const = 0;
  virtual const char* progId() const = 0;
  virtual ole::HRESULT updateRegistry(platform::Registry& registry, bool registering) = 0;
};

class CZorvAXCtrlFactory;
class CZorvAXPropPageFactory;

// Every factory of the module, control first.
const std::vector<ClassFactory*>& moduleFactories();
CZorvAXCtrlFactory& controlFactory();
CZorvAXPropPageFactory& pageFactory();
// The factory serving `clsid`, or nullptr.
ClassFactory* factoryFor(const ole::Guid& clsid);

// Objects made by the factories and not yet released.
long liveObjectCount();

// A component category the control declares it belongs to.
struct Category {
  ole::Guid catid;
  const char* description;
};
// Safe for scripting, and safe for initialising from persistent data.
const std::vector<Category>& safetyCategories();

class CZorvAXCtrlFactory : public ClassFactory {
 public:
  // The control class's registration values.
  ControlClass controlClass() const;
  ole::HRESULT createInstance(const platform::Env& env, std::shared_ptr<ole::Dispatch>& object) override;
  const ole::Guid& classId() const override;
  const char* progId() const override { return "ZORVAX.ZorvAXCtrl.1"; }
  // Registers the control class and its two component categories, or unregisters the class.
  ole::HRESULT updateRegistry(platform::Registry& registry, bool registering) override;
};

class CZorvAXPropPageFactory : public ClassFactory {
 public:
  static constexpr const char* kTypeName = "ZorvAX Property Page";
  ole::HRESULT createInstance(const platform::Env& env, std::shared_ptr<ole::Dispatch>& object) override;
  const ole::Guid& classId() const override;
  const char* progId() const override { return "ZORVAX.ZorvAXPropPage.1"; }
  ole::HRESULT updateRegistry(platform::Registry& registry, bool registering) override;
};

}  // namespace zx
