#include "module/class_factory.h"

#include <atomic>
#include <new>

#include "control/zorvax_ctrl.h"
#include "module/prop_page.h"
#include "module/registration.h"

namespace zx {
namespace {

std::atomic<long> liveObjects{0};

// The module stays loaded while anything it made is alive: every object carries the count.
template <typename T>
ole::HRESULT makeCounted(const platform::Env& env, std::shared_ptr<ole::Dispatch>& object) {
  try {
    T* made = new T(env);
    ++liveObjects;
    object = std::shared_ptr<ole::Dispatch>(made, [](ole::Dispatch* released) {
      delete released;
      --liveObjects;
    });
    return ole::S_OK;
  } catch (const std::bad_alloc&) {
    object.reset();
    return ole::E_OUTOFMEMORY;
  }
}

// OLEMISC_RECOMPOSEONRESIZE | CANTLINKINSIDE | INSIDEOUT | ACTIVATEWHENVISIBLE | SETCLIENTSITEFIRST
constexpr unsigned kControlMiscStatus = 0x20191;

}  // namespace

const std::vector<Category>& safetyCategories() {
  static const std::vector<Category> categories{
      {ole::Guid::constant("{7DD95801-9882-11CF-9FA9-00AA006C42C4}"), "Controls that are safely scriptable"},
      {ole::Guid::constant("{7DD95802-9882-11CF-9FA9-00AA006C42C4}"), "Controls safely initializable from persistent data"}};
  return categories;
}

namespace ids {
const ole::Guid& IID_IUnknown() {
  static const ole::Guid g = ole::Guid::constant("{00000000-0000-0000-C000-000000000046}");
  return g;
}
const ole::Guid& IID_IClassFactory() {
  static const ole::Guid g = ole::Guid::constant("{00000001-0000-0000-C000-000000000046}");
  return g;
}
}  // namespace ids

long liveObjectCount() { return liveObjects.load(); }

ole::HRESULT CZorvAXCtrlFactory::createInstance(const platform::Env& env, std::shared_ptr<ole::Dispatch>& object) {
  return makeCounted<CZorvAXCtrl>(env, object);
}

const ole::Guid& CZorvAXCtrlFactory::classId() const { return ids::CLSID_ZorvAX(); }

ControlClass CZorvAXCtrlFactory::controlClass() const {
  return ControlClass{&classId(), progId(), "ZorvAX Control", kControlMiscStatus};
}

ole::HRESULT CZorvAXCtrlFactory::updateRegistry(platform::Registry& registry, bool registering) {
  const ControlClass control = controlClass();
  if (!registering) return unregisterControlClass(registry, control) ? ole::S_OK : ole::E_FAIL;
  const bool registered = registerControlClass(registry, control);
  // The categories never decide the result.
  for (const Category& category : safetyCategories())
    if (registerCategory(registry, category.catid, category.description))
      registerImplementedCategory(registry, classId(), category.catid);
  return registered ? ole::S_OK : ole::E_FAIL;
}

ole::HRESULT CZorvAXPropPageFactory::createInstance(const platform::Env& env, std::shared_ptr<ole::Dispatch>& object) {
  return makeCounted<CZorvAXPropPage>(env, object);
}

const ole::Guid& CZorvAXPropPageFactory::classId() const { return ids::CLSID_ZorvAXPropPage(); }

ole::HRESULT CZorvAXPropPageFactory::updateRegistry(platform::Registry& registry, bool registering) {
  const bool done = registering ? registerPropertyPageClass(registry, classId(), kTypeName)
                                : unregisterPropertyPageClass(registry, classId());
  return done ? ole::S_OK : ole::E_FAIL;
}

CZorvAXCtrlFactory& controlFactory() {
  static CZorvAXCtrlFactory factory;
  return factory;
}

CZorvAXPropPageFactory& pageFactory() {
  static CZorvAXPropPageFactory factory;
  return factory;
}

const std::vector<ClassFactory*>& moduleFactories() {
  static const std::vector<ClassFactory*> factories{&controlFactory(), &pageFactory()};
  return factories;
}

ClassFactory* factoryFor(const ole::Guid& clsid) {
  for (ClassFactory* factory : moduleFactories())
    if (factory->classId() == clsid) return factory;
  return nullptr;
}

}  // namespace zx
