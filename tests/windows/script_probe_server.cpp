// Test fixture, not the product: a minimal in-process COM server that the script-host tests
// register with regsvr32 and create from JScript. It carries the module's resources, registers
// the module's type library from its own resource, and answers name lookups from that registered
// library, so a script that calls it goes through everything a script host does with the real
// module: ProgID, class factory, IDispatch late binding, type-library name lookup.
//
// Its one method is the library's getVersion (DISPID 15), answered from the version resource.

#include <windows.h>
#include <oleauto.h>
#include <olectl.h>

#include <atomic>
#include <new>
#include <string>

namespace {

// {B666950B-6B7A-466B-83B1-4000D1F9B117}
const CLSID kProbeClassId = {0xB666950B, 0x6B7A, 0x466B, {0x83, 0xB1, 0x40, 0x00, 0xD1, 0xF9, 0xB1, 0x17}};
const wchar_t kProbeClassKey[] = L"CLSID\\{B666950B-6B7A-466B-83B1-4000D1F9B117}";
const wchar_t kProbeClassIdText[] = L"{B666950B-6B7A-466B-83B1-4000D1F9B117}";
const wchar_t kProgId[] = L"ZorvAXTest.ScriptProbe.1";
// The module's type library and dispatch interface.
const GUID kLibId = {0x412532B1, 0x0C61, 0x4900, {0x87, 0x67, 0x64, 0x7B, 0xD6, 0x3C, 0xA0, 0xC5}};
const wchar_t kLibIdText[] = L"{412532B1-0C61-4900-8767-647BD63CA0C5}";
const GUID kDispatchId = {0x0E5D207E, 0x8BCD, 0x4ED8, {0xBB, 0xB9, 0x3F, 0xB7, 0x57, 0x93, 0xA0, 0xB2}};
constexpr LCID kLibLocale = 0x0409;
constexpr DISPID kGetVersion = 15;

HMODULE g_module = nullptr;
std::atomic<long> g_activeCount{0};  // live objects plus server locks

std::wstring modulePath() {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(g_module, path.data(), static_cast<DWORD>(path.size())));
  return path;
}

std::wstring versionFromResource() {
  const std::wstring path = modulePath();
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  if (size == 0) return L"";
  std::wstring block(size / sizeof(wchar_t) + 1, L'\0');
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data()) ||
      !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length)) {
    return L"";
  }
  return std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(fixed->dwFileVersionMS)) +
         L"." + std::to_wstring(HIWORD(fixed->dwFileVersionLS));
}

HRESULT dispatchTypeInfo(ITypeInfo** info) {
  ITypeLib* lib = nullptr;
  HRESULT hr = LoadRegTypeLib(kLibId, 1, 0, kLibLocale, &lib);
  if (FAILED(hr)) return hr;
  hr = lib->GetTypeInfoOfGuid(kDispatchId, info);
  lib->Release();
  return hr;
}

class ScriptProbe final : public IDispatch {
 public:
  ScriptProbe() { ++g_activeCount; }
  ~ScriptProbe() { --g_activeCount; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (!info) return E_POINTER;
    *info = nullptr;
    return index == 0 ? dispatchTypeInfo(info) : DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* info = nullptr;
    HRESULT hr = dispatchTypeInfo(&info);
    if (FAILED(hr)) return hr;
    hr = info->GetIDsOfNames(names, count, ids);
    info->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT*) override {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (id != kGetVersion || !(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    if (params && params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
    if (result) {
      VariantInit(result);
      V_VT(result) = VT_BSTR;
      V_BSTR(result) = SysAllocString(versionFromResource().c_str());
      if (!V_BSTR(result)) return E_OUTOFMEMORY;
    }
    return S_OK;
  }

 private:
  std::atomic<ULONG> refs_{1};
};

class ProbeFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *out = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // The factory is a static object: its references do not own it.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* probe = new (std::nothrow) ScriptProbe;
    if (!probe) return E_OUTOFMEMORY;
    const HRESULT hr = probe->QueryInterface(iid, out);
    probe->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock)
      ++g_activeCount;
    else
      --g_activeCount;
    return S_OK;
  }
};

ProbeFactory g_factory;

bool setKeyValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY handle = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LSTATUS status =
      RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
  return status == ERROR_SUCCESS;
}

bool deleteKey(const wchar_t* key) {
  const LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllCanUnloadNow() {
  return g_activeCount == 0 ? S_OK : S_FALSE;
}

STDAPI DllGetClassObject(REFCLSID classId, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualCLSID(classId, kProbeClassId)) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(iid, out);
}

STDAPI DllRegisterServer() {
  ITypeLib* lib = nullptr;
  if (FAILED(LoadTypeLibEx(modulePath().c_str(), REGKIND_REGISTER, &lib))) return SELFREG_E_TYPELIB;
  lib->Release();

  const std::wstring classKey = kProbeClassKey;
  const bool registered = setKeyValue(classKey, nullptr, L"ZorvAX script probe (test fixture)") &&
                          setKeyValue(classKey + L"\\InprocServer32", nullptr, modulePath()) &&
                          setKeyValue(classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
                          setKeyValue(classKey + L"\\ProgID", nullptr, kProgId) &&
                          setKeyValue(classKey + L"\\TypeLib", nullptr, kLibIdText) &&
                          setKeyValue(kProgId, nullptr, L"ZorvAX script probe (test fixture)") &&
                          setKeyValue(std::wstring(kProgId) + L"\\CLSID", nullptr, kProbeClassIdText);
  return registered ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer() {
  const SYSKIND system = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
  if (FAILED(UnRegisterTypeLib(kLibId, 1, 0, kLibLocale, system))) return SELFREG_E_TYPELIB;
  return deleteKey(kProbeClassKey) && deleteKey(kProgId) ? S_OK : SELFREG_E_CLASS;
}
