#include "com/class_objects.h"
#include "com/dispatch_object.h"
#include "com/module_state.h"
#include "module/class_factory.h"
#include "platform/win32/ole_win32.h"

#include <unknwn.h>

namespace zx::com {
namespace {

// A class object is static; a client's reference to it keeps the module loaded.
class ClassObject : public IClassFactory {
 public:
  explicit ClassObject(ClassFactory& factory) : factory_(factory) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    objectCreated();
    return 2;
  }
  ULONG STDMETHODCALLTYPE Release() override {
    objectReleased();
    return 1;
  }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return DispatchObject::create(factory_, iid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    lockServer(lock != FALSE);
    return S_OK;
  }

 private:
  ClassFactory& factory_;
};

ClassObject* classObjectFor(ClassFactory& factory) {
  static ClassObject control(*moduleFactories()[0]);
  static ClassObject page(*moduleFactories()[1]);
  return &factory == moduleFactories()[0] ? &control : &page;
}

}  // namespace

HRESULT getClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  ClassFactory* factory = factoryFor(platform::win32::ourId(clsid));
  if (!factory) return CLASS_E_CLASSNOTAVAILABLE;
  return classObjectFor(*factory)->QueryInterface(iid, object);
}

}  // namespace zx::com
