#include <atomic>
#include <mutex>
#include <string>

#include "com/module_state.h"
#include "platform/win32/win32_windows.h"

#include <oleauto.h>

namespace zx::com {
namespace {

std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

}  // namespace

void objectCreated() { ++g_objects; }
void objectReleased() { --g_objects; }
void lockServer(bool lock) { lock ? ++g_locks : --g_locks; }
bool canUnload() { return g_objects == 0 && g_locks == 0; }

std::wstring moduleFileName() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(platform::Win32Windows::resourceModule(), path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) return path.substr(0, length);
    path.resize(path.size() * 2);
  }
}

HRESULT embeddedTypeLibrary(ITypeLib** library) {
  // Loaded on first use and kept while the module is loaded; the library object is free
  // threaded, so the controls of every apartment share it.
  static std::mutex mutex;
  static ITypeLib* loaded = nullptr;
  std::lock_guard lock(mutex);
  if (!loaded) {
    HRESULT hr = LoadTypeLibEx(moduleFileName().c_str(), REGKIND_NONE, &loaded);
    if (FAILED(hr)) return hr;
  }
  loaded->AddRef();
  *library = loaded;
  return S_OK;
}

}  // namespace zx::com
