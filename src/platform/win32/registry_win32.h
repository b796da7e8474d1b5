#pragma once
// The system's registry: HKEY_CURRENT_USER and HKEY_CLASSES_ROOT themselves, shared with the
// companion program and every other process of the user.
#include "platform/registry.h"

namespace zx::platform {

class Win32Registry : public Registry {
 public:
  std::unique_ptr<RegKey> openKey(Hive hive, std::string_view path, std::uint32_t access,
                                  long* status = nullptr) override;
  std::unique_ptr<RegKey> createKey(Hive hive, std::string_view path, std::uint32_t access,
                                    long* status = nullptr) override;
  long queryValue(const RegKey& key, std::string_view name, void* buffer, std::uint32_t* size,
                  std::uint32_t* type = nullptr) override;
  long setValue(const RegKey& key, std::string_view name, std::uint32_t type, const void* data,
                std::uint32_t size) override;
  long deleteValue(const RegKey& key, std::string_view name) override;
  long deleteTree(Hive hive, std::string_view path) override;
  std::vector<std::string> subkeys(const RegKey& key) override;
  std::vector<RegValue> values(const RegKey& key) override;
};

}  // namespace zx::platform
