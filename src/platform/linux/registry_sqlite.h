#pragma once
// The registry stand-in on Linux: one SQLite file, safe for two processes at once (write-ahead
// log, BEGIN IMMEDIATE, a busy timeout). In a home that cannot be written the store is read
// as it stands and writes fail.
#include <mutex>

#include "platform/registry.h"

namespace zx::platform {

class SqliteRegistry : public Registry {
 public:
  // The store at `databaseFile` (ANSI path); opened lazily, so a damaged file only makes calls fail.
  explicit SqliteRegistry(std::string databaseFile);
  ~SqliteRegistry() override;

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

  const std::string& databaseFile() const { return file_; }

 private:
  struct Db;
  Db* db();
  std::unique_ptr<Db> openStore(bool readOnly) const;
  std::string file_;
  std::mutex openMutex_;
  std::unique_ptr<Db> db_;
};

}  // namespace zx::platform
