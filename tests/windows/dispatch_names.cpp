// Test tool: creates the registered control by its ProgID and prints, for each name on the
// command line, what its GetIDsOfNames answers for the given locale: the DISPID, or the
// failure code as 0x%08X, one line each, the way `zorvax --lcid N ids` prints them.
//
//   dispatch_names.exe LCID NAME...
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: dispatch_names LCID NAME...\n");
    return 2;
  }
  const LCID lcid = static_cast<LCID>(std::wcstoul(argv[1], nullptr, 10));
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  CLSID clsid;
  IDispatch* control = nullptr;
  HRESULT hr = CLSIDFromProgID(L"ZORVAX.ZorvAXCtrl.1", &clsid);
  if (SUCCEEDED(hr))
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&control));
  if (FAILED(hr)) {
    std::fprintf(stderr, "the control cannot be created: 0x%08lX\n", static_cast<unsigned long>(hr));
    return 1;
  }
  for (int i = 2; i < argc; ++i) {
    DISPID dispid = DISPID_UNKNOWN;
    LPOLESTR name = argv[i];
    hr = control->GetIDsOfNames(IID_NULL, &name, 1, lcid, &dispid);
    if (SUCCEEDED(hr))
      std::printf("%ld\n", static_cast<long>(dispid));
    else
      std::printf("0x%08lX\n", static_cast<unsigned long>(hr));
  }
  control->Release();
  CoUninitialize();
  return 0;
}
