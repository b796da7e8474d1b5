#include "platform/win32/registry_win32.h"

#include "platform/win32/system_headers.h"

namespace zx::platform {
namespace {

HKEY rootOf(Hive hive) { return hive == Hive::ClassesRoot ? HKEY_CLASSES_ROOT : HKEY_CURRENT_USER; }

// An open key of the system; the handle is closed with the key.
class Win32Key : public RegKey {
 public:
  Win32Key(Hive hive, HKEY handle, std::string path)
      : RegKey(hive, static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(handle)), std::move(path)) {}
  ~Win32Key() override { RegCloseKey(handleOf(*this)); }
  static HKEY handleOf(const RegKey& key) { return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(key.id())); }
};

std::unique_ptr<RegKey> opened(LONG result, Hive hive, HKEY handle, std::string_view path, long* status) {
  if (status) *status = result;
  if (result != ERROR_SUCCESS) return nullptr;
  return std::make_unique<Win32Key>(hive, handle, std::string(path));
}

}  // namespace

std::unique_ptr<RegKey> Win32Registry::openKey(Hive hive, std::string_view path, std::uint32_t access,
                                               long* status) {
  HKEY handle = nullptr;
  LONG result = RegOpenKeyExA(rootOf(hive), std::string(path).c_str(), 0, access, &handle);
  return opened(result, hive, handle, path, status);
}

std::unique_ptr<RegKey> Win32Registry::createKey(Hive hive, std::string_view path, std::uint32_t access,
                                                 long* status) {
  HKEY handle = nullptr;
  LONG result = RegCreateKeyExA(rootOf(hive), std::string(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                nullptr, &handle, nullptr);
  return opened(result, hive, handle, path, status);
}

long Win32Registry::queryValue(const RegKey& key, std::string_view name, void* buffer, std::uint32_t* size,
                               std::uint32_t* type) {
  DWORD length = size ? *size : 0;
  DWORD storedType = 0;
  LONG result = RegQueryValueExA(Win32Key::handleOf(key), std::string(name).c_str(), nullptr, &storedType,
                                 static_cast<BYTE*>(buffer), size ? &length : nullptr);
  if (size) *size = length;
  if (type) *type = storedType;
  return result;
}

// A text value is kept with its terminating zero, as readers of the shared keys expect. The
// system counts the zero itself when the byte after the given data is one, so without this the
// stored bytes would depend on what happens to follow the text in the caller's memory.
long Win32Registry::setValue(const RegKey& key, std::string_view name, std::uint32_t type, const void* data,
                             std::uint32_t size) {
  const std::string valueName(name);
  const HKEY handle = Win32Key::handleOf(key);
  const char* bytes = static_cast<const char*>(data);
  if ((type == REG_SZ || type == REG_EXPAND_SZ) && size > 0 && bytes[size - 1] != '\0') {
    const std::string terminated(bytes, size);
    return RegSetValueExA(handle, valueName.c_str(), 0, type, reinterpret_cast<const BYTE*>(terminated.c_str()),
                          size + 1);
  }
  return RegSetValueExA(handle, valueName.c_str(), 0, type, static_cast<const BYTE*>(data), size);
}

long Win32Registry::deleteValue(const RegKey& key, std::string_view name) {
  return RegDeleteValueA(Win32Key::handleOf(key), std::string(name).c_str());
}

long Win32Registry::deleteTree(Hive hive, std::string_view path) {
  // RegDeleteTree empties the key; the key itself goes with RegDeleteKey.
  HKEY handle = nullptr;
  LONG result = RegOpenKeyExA(rootOf(hive), std::string(path).c_str(), 0, KEY_ALL_ACCESS, &handle);
  if (result != ERROR_SUCCESS) return result;
  result = RegDeleteTreeA(handle, nullptr);
  RegCloseKey(handle);
  if (result != ERROR_SUCCESS) return result;
  return RegDeleteKeyA(rootOf(hive), std::string(path).c_str());
}

std::vector<std::string> Win32Registry::subkeys(const RegKey& key) {
  std::vector<std::string> names;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = sizeof name;
    if (RegEnumKeyExA(Win32Key::handleOf(key), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    names.emplace_back(name, length);
  }
  return names;
}

std::vector<RegValue> Win32Registry::values(const RegKey& key) {
  std::vector<RegValue> found;
  HKEY handle = Win32Key::handleOf(key);
  DWORD maxName = 0, maxData = 0;
  if (RegQueryInfoKeyA(handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName, &maxData,
                       nullptr, nullptr) != ERROR_SUCCESS)
    return found;
  std::string name(maxName + 1, '\0');
  std::string data(maxData, '\0');
  for (DWORD i = 0;; ++i) {
    DWORD nameLength = maxName + 1, dataLength = maxData, type = 0;
    if (RegEnumValueA(handle, i, name.data(), &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                      &dataLength) != ERROR_SUCCESS)
      break;
    found.push_back({name.substr(0, nameLength), type, data.substr(0, dataLength)});
  }
  return found;
}

}  // namespace zx::platform
