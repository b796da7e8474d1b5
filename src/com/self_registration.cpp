#include <string>

#include "com/self_registration.h"
#include "com/module_state.h"
#include "control/zorvax_ctrl.h"
#include "module/class_factory.h"
#include "module/registration.h"
#include "platform/codepage.h"
#include "platform/win32/ole_win32.h"
#include "platform/win32/registry_win32.h"

#include <comcat.h>
#include <olectl.h>
#include <oleauto.h>

namespace zx::com {
namespace {

using platform::win32::systemId;

// The categories' descriptions are in this locale.
constexpr LCID kCategoryLocale = 0x0409;
constexpr LCID kTypeLibraryLocale = 0x0409;

SYSKIND moduleSystemKind() { return sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32; }

HRESULT registerTypeLibrary() {
  ITypeLib* library = nullptr;
  HRESULT hr = embeddedTypeLibrary(&library);
  if (FAILED(hr)) return hr;
  std::wstring module = moduleFileName();
  std::wstring folder = module.substr(0, module.find_last_of(L'\\'));
  hr = RegisterTypeLib(library, module.data(), folder.data());
  library->Release();
  return hr;
}

// Each category with its description (cut to 127 characters), then the control as one that
// implements it. The categories never decide the result.
void registerCategories() {
  ICatRegister* manager = nullptr;
  if (FAILED(CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ICatRegister,
                              reinterpret_cast<void**>(&manager))))
    return;
  for (const Category& category : safetyCategories()) {
    CATEGORYINFO info{};
    info.catid = systemId(category.catid);
    info.lcid = kCategoryLocale;
    const std::u16string description = platform::ansiToUtf16(category.description);
    lstrcpynW(info.szDescription, reinterpret_cast<const wchar_t*>(description.c_str()), 128);
    if (FAILED(manager->RegisterCategories(1, &info))) continue;
    CATID implemented = systemId(category.catid);
    manager->RegisterClassImplCategories(systemId(ids::CLSID_ZorvAX()), 1, &implemented);
  }
  manager->Release();
}

// COM is there for the call whether or not the caller started it (regsvr32 does).
class ComForTheCall {
 public:
  ComForTheCall() : started_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComForTheCall() {
    if (started_) CoUninitialize();
  }

 private:
  bool started_;
};

}  // namespace

HRESULT registerServer() {
  ComForTheCall com;
  if (FAILED(registerTypeLibrary())) return SELFREG_E_TYPELIB;
  platform::Win32Registry registry;
  if (!registerControlClass(registry, controlFactory().controlClass())) return SELFREG_E_CLASS;
  registerCategories();
  if (FAILED(pageFactory().updateRegistry(registry, true))) return SELFREG_E_CLASS;
  return S_OK;
}

HRESULT unregisterServer() {
  ComForTheCall com;
  if (FAILED(UnRegisterTypeLib(systemId(ids::LIBID_ZORVAXLib()), 1, 0, kTypeLibraryLocale, moduleSystemKind())))
    return SELFREG_E_TYPELIB;
  // The control factory's own update removes the class and its ProgID and leaves the
  // categories, as the category manager's entries should stay.
  platform::Win32Registry registry;
  for (ClassFactory* factory : moduleFactories())
    if (FAILED(factory->updateRegistry(registry, false))) return SELFREG_E_CLASS;
  return S_OK;
}

}  // namespace zx::com
