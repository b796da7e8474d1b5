#pragma once
// The registry: a hierarchical store of typed values shared with other processes (the
// companion program). Key paths use backslashes; names compare without regard to ASCII case.
//
// Threads: any; every call is one transaction of its own.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/api.h"

namespace zx::platform {

enum class Hive { CurrentUser, ClassesRoot };

namespace reg {
constexpr std::uint32_t kMaximumAllowed = 0x02000000;
constexpr std::uint32_t kKeyAllAccess = 0x000F003F;
constexpr std::uint32_t REG_NONE = 0, REG_SZ = 1, REG_EXPAND_SZ = 2, REG_BINARY = 3,
                        REG_DWORD = 4, REG_MULTI_SZ = 7;
// Result codes as the registry gives them.
constexpr long kSuccess = 0;
constexpr long kFileNotFound = 2;
constexpr long kAccessDenied = 5;
constexpr long kInvalidHandle = 6;
constexpr long kMoreData = 234;
constexpr long kBadDatabase = 1009;
}  // namespace reg

struct RegValue {
  std::string name;
  std::uint32_t type = reg::REG_NONE;
  std::string data;  // raw bytes
};

// An open key. Closing is the destructor's job.
class ZX_API RegKey {
 public:
  RegKey(Hive hive, std::int64_t id, std::string path) : hive_(hive), id_(id), path_(std::move(path)) {}
  virtual ~RegKey() = default;
  Hive hive() const { return hive_; }
  // The store's own handle of the key.
  std::int64_t id() const { return id_; }
  const std::string& path() const { return path_; }

 private:
  Hive hive_;
  std::int64_t id_;
  std::string path_;
};

class ZX_API Registry {
 public:
  virtual ~Registry() = default;

  virtual std::unique_ptr<RegKey> openKey(Hive hive, std::string_view path, std::uint32_t access,
                                          long* status = nullptr) = 0;
  virtual std::unique_ptr<RegKey> createKey(Hive hive, std::string_view path, std::uint32_t access,
                                            long* status = nullptr) = 0;

  // Copies the value's data into buffer (capacity *size); on kMoreData nothing is copied.
  // *size receives the data length, *type the stored type.
  virtual long queryValue(const RegKey& key, std::string_view name, void* buffer, std::uint32_t* size,
                          std::uint32_t* type = nullptr) = 0;
  virtual long setValue(const RegKey& key, std::string_view name, std::uint32_t type, const void* data,
                        std::uint32_t size) = 0;
  virtual long deleteValue(const RegKey& key, std::string_view name) = 0;
  // Deletes the key at path with everything below it.
  virtual long deleteTree(Hive hive, std::string_view path) = 0;
  virtual std::vector<std::string> subkeys(const RegKey& key) = 0;
  virtual std::vector<RegValue> values(const RegKey& key) = 0;
};

// A value of an open key as a text of at most `limit` characters (the whole of it without a
// limit): nothing when it is missing or longer. The text ends at the first NUL or the data's end.
std::optional<std::string> readKeyText(Registry& registry, const RegKey& key, std::string_view name,
                                       std::size_t limit);
std::optional<std::string> readKeyText(Registry& registry, const RegKey& key, std::string_view name);

}  // namespace zx::platform
