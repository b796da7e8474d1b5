#include <sqlite3.h>

#include <cstdio>
#include <cstring>

#include "platform/linux/registry_sqlite.h"

#include "platform/codepage.h"
#include "platform/linux/fs_posix.h"

namespace zx::platform {
namespace {

constexpr long kKeyDeleted = 1018;
constexpr int kBusyTimeoutMs = 10000;

const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS keys("
    " id INTEGER PRIMARY KEY, hive INTEGER NOT NULL, parent INTEGER NOT NULL,"
    " name TEXT NOT NULL COLLATE NOCASE, UNIQUE(hive, parent, name));"
    "CREATE TABLE IF NOT EXISTS vals("
    " key INTEGER NOT NULL, hive INTEGER NOT NULL, name TEXT NOT NULL COLLATE NOCASE,"
    " type INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY(hive, key, name));";

std::vector<std::string> splitKeyPath(std::string_view path) {
  std::vector<std::string> parts;
  size_t i = 0;
  while (i <= path.size()) {
    size_t j = path.find('\\', i);
    if (j == std::string_view::npos) j = path.size();
    if (j > i) parts.push_back(ansiToUtf8(path.substr(i, j - i)));
    i = j + 1;
  }
  return parts;
}

// A prepared statement that finalises itself.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) { ok_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) == SQLITE_OK; }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  bool ok() const { return ok_; }
  Statement& bind(int i, std::int64_t v) {
    sqlite3_bind_int64(stmt_, i, v);
    return *this;
  }
  Statement& bind(int i, const std::string& v) {
    sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Statement& bindBlob(int i, const void* data, int size) {
    sqlite3_bind_blob(stmt_, i, size ? data : "", size, SQLITE_TRANSIENT);
    return *this;
  }
  int step() { return ok_ ? sqlite3_step(stmt_) : SQLITE_ERROR; }
  std::int64_t intColumn(int i) { return sqlite3_column_int64(stmt_, i); }
  std::string textColumn(int i) {
    auto p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i));
    return p ? std::string(p, sqlite3_column_bytes(stmt_, i)) : std::string();
  }
  std::string blobColumn(int i) {
    auto p = static_cast<const char*>(sqlite3_column_blob(stmt_, i));
    return p ? std::string(p, sqlite3_column_bytes(stmt_, i)) : std::string();
  }

 private:
  sqlite3_stmt* stmt_ = nullptr;
  bool ok_ = false;
};

}  // namespace

struct SqliteRegistry::Db {
  sqlite3* handle = nullptr;
  ~Db() { sqlite3_close(handle); }

  bool exec(const char* sql) { return sqlite3_exec(handle, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

  // One transaction per operation; BEGIN IMMEDIATE takes the write lock up front, so two
  // processes queue on the busy timeout instead of failing halfway.
  class Transaction {
   public:
    Transaction(Db& db, bool write) : db_(db) { ok_ = db_.exec(write ? "BEGIN IMMEDIATE" : "BEGIN"); }
    ~Transaction() {
      if (ok_ && !done_) db_.exec("ROLLBACK");
    }
    bool ok() const { return ok_; }
    bool commit() {
      done_ = true;
      return db_.exec("COMMIT");
    }

   private:
    Db& db_;
    bool ok_ = false;
    bool done_ = false;
  };

  std::optional<std::int64_t> child(Hive hive, std::int64_t parent, const std::string& name) {
    Statement s(handle, "SELECT id FROM keys WHERE hive=?1 AND parent=?2 AND name=?3");
    s.bind(1, static_cast<int>(hive)).bind(2, parent).bind(3, name);
    if (s.step() == SQLITE_ROW) return s.intColumn(0);
    return std::nullopt;
  }

  std::optional<std::int64_t> find(Hive hive, const std::vector<std::string>& parts) {
    std::int64_t id = 0;
    for (const auto& p : parts) {
      auto next = child(hive, id, p);
      if (!next) return std::nullopt;
      id = *next;
    }
    return id;
  }

  bool keyExists(Hive hive, std::int64_t id) {
    if (id == 0) return true;
    Statement s(handle, "SELECT 1 FROM keys WHERE id=?1 AND hive=?2");
    s.bind(1, id).bind(2, static_cast<int>(hive));
    return s.step() == SQLITE_ROW;
  }

  void deleteBelow(Hive hive, std::int64_t id) {
    std::vector<std::int64_t> children;
    {
      Statement s(handle, "SELECT id FROM keys WHERE hive=?1 AND parent=?2");
      s.bind(1, static_cast<int>(hive)).bind(2, id);
      while (s.step() == SQLITE_ROW) children.push_back(s.intColumn(0));
    }
    for (auto c : children) deleteBelow(hive, c);
    Statement v(handle, "DELETE FROM vals WHERE hive=?1 AND key=?2");
    v.bind(1, static_cast<int>(hive)).bind(2, id).step();
    Statement k(handle, "DELETE FROM keys WHERE id=?1");
    k.bind(1, id).step();
  }
};

SqliteRegistry::SqliteRegistry(std::string databaseFile) : file_(std::move(databaseFile)) {}
SqliteRegistry::~SqliteRegistry() = default;

namespace {

// "file:" URI of a path, for the open that needs URI parameters.
std::string fileUri(const std::string& systemPath) {
  std::string uri = "file:";
  for (unsigned char c : systemPath) {
    if (c == '%' || c == '?' || c == '#' || c < 0x20 || c >= 0x7F) {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      uri += escaped;
    } else {
      uri += static_cast<char>(c);
    }
  }
  return uri;
}

}  // namespace

// Read and write, the store made when missing; or read-only when the home cannot be written
// (its write-ahead log needs a shared-memory file beside the store): reads work, writes fail.
std::unique_ptr<SqliteRegistry::Db> SqliteRegistry::openStore(bool readOnly) const {
  auto db = std::make_unique<Db>();
  const std::string path = posix::systemPath(file_);
  if (!readOnly) {
    if (sqlite3_open_v2(path.c_str(), &db->handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK)
      return nullptr;
    sqlite3_busy_timeout(db->handle, kBusyTimeoutMs);
    // A damaged file fails here; the store then answers every call with an error.
    if (!db->exec("PRAGMA journal_mode=WAL") || !db->exec(kSchema)) return nullptr;
    return db;
  }
  // Without a shared-memory file nobody can be writing: the file is read as it stands.
  for (const std::string& uri : {fileUri(path) + "?mode=ro", fileUri(path) + "?immutable=1"}) {
    db = std::make_unique<Db>();
    if (sqlite3_open_v2(uri.c_str(), &db->handle, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK)
      continue;
    sqlite3_busy_timeout(db->handle, kBusyTimeoutMs);
    if (db->exec("SELECT count(*) FROM keys")) return db;
  }
  return nullptr;
}

SqliteRegistry::Db* SqliteRegistry::db() {
  std::lock_guard<std::mutex> lock(openMutex_);
  if (db_) return db_.get();
  std::string dir = file_.substr(0, file_.find_last_of('/'));
  if (!dir.empty()) posix::makeDirectories(dir);
  db_ = openStore(false);
  if (!db_ && posix::exists(file_)) db_ = openStore(true);
  return db_.get();
}

std::unique_ptr<RegKey> SqliteRegistry::openKey(Hive hive, std::string_view path, std::uint32_t, long* status) {
  long rc = reg::kBadDatabase;
  std::unique_ptr<RegKey> key;
  if (Db* d = db()) {
    Db::Transaction t(*d, false);
    auto id = t.ok() ? d->find(hive, splitKeyPath(path)) : std::nullopt;
    rc = !t.ok() ? reg::kBadDatabase : id ? reg::kSuccess : reg::kFileNotFound;
    if (id) key = std::make_unique<RegKey>(hive, *id, std::string(path));
    if (t.ok()) t.commit();
  }
  if (status) *status = rc;
  return key;
}

std::unique_ptr<RegKey> SqliteRegistry::createKey(Hive hive, std::string_view path, std::uint32_t, long* status) {
  long rc = reg::kBadDatabase;
  std::unique_ptr<RegKey> key;
  if (Db* d = db()) {
    Db::Transaction t(*d, true);
    if (t.ok()) {
      std::int64_t id = 0;
      bool ok = true;
      for (const auto& part : splitKeyPath(path)) {
        auto next = d->child(hive, id, part);
        if (!next) {
          Statement ins(d->handle, "INSERT INTO keys(hive, parent, name) VALUES(?1, ?2, ?3)");
          ins.bind(1, static_cast<int>(hive)).bind(2, id).bind(3, part);
          if (ins.step() != SQLITE_DONE) {
            ok = false;
            break;
          }
          next = sqlite3_last_insert_rowid(d->handle);
        }
        id = *next;
      }
      if (ok && t.commit()) {
        rc = reg::kSuccess;
        key = std::make_unique<RegKey>(hive, id, std::string(path));
      } else {
        rc = reg::kAccessDenied;
      }
    }
  }
  if (status) *status = rc;
  return key;
}

long SqliteRegistry::queryValue(const RegKey& key, std::string_view name, void* buffer, std::uint32_t* size,
                          std::uint32_t* type) {
  Db* d = db();
  if (!d) return reg::kBadDatabase;
  Db::Transaction t(*d, false);
  if (!t.ok()) return reg::kBadDatabase;
  if (!d->keyExists(key.hive(), key.id())) return kKeyDeleted;
  Statement s(d->handle, "SELECT type, data FROM vals WHERE hive=?1 AND key=?2 AND name=?3");
  s.bind(1, static_cast<int>(key.hive())).bind(2, key.id()).bind(3, ansiToUtf8(name));
  if (s.step() != SQLITE_ROW) return reg::kFileNotFound;
  std::uint32_t storedType = static_cast<std::uint32_t>(s.intColumn(0));
  std::string data = s.blobColumn(1);
  t.commit();
  if (type) *type = storedType;
  if (!size) return reg::kSuccess;
  std::uint32_t capacity = *size;
  *size = static_cast<std::uint32_t>(data.size());
  if (!buffer) return reg::kSuccess;
  if (data.size() > capacity) return reg::kMoreData;
  if (!data.empty()) std::memcpy(buffer, data.data(), data.size());
  return reg::kSuccess;
}

long SqliteRegistry::setValue(const RegKey& key, std::string_view name, std::uint32_t type, const void* data,
                        std::uint32_t size) {
  Db* d = db();
  if (!d) return reg::kBadDatabase;
  Db::Transaction t(*d, true);
  if (!t.ok()) return reg::kBadDatabase;
  if (!d->keyExists(key.hive(), key.id())) return kKeyDeleted;
  Statement s(d->handle, "INSERT OR REPLACE INTO vals(hive, key, name, type, data) VALUES(?1, ?2, ?3, ?4, ?5)");
  s.bind(1, static_cast<int>(key.hive())).bind(2, key.id()).bind(3, ansiToUtf8(name)).bind(4, type);
  s.bindBlob(5, data, static_cast<int>(size));
  if (s.step() != SQLITE_DONE) return reg::kAccessDenied;
  return t.commit() ? reg::kSuccess : reg::kAccessDenied;
}

long SqliteRegistry::deleteValue(const RegKey& key, std::string_view name) {
  Db* d = db();
  if (!d) return reg::kBadDatabase;
  Db::Transaction t(*d, true);
  if (!t.ok()) return reg::kBadDatabase;
  Statement s(d->handle, "DELETE FROM vals WHERE hive=?1 AND key=?2 AND name=?3");
  s.bind(1, static_cast<int>(key.hive())).bind(2, key.id()).bind(3, ansiToUtf8(name));
  if (s.step() != SQLITE_DONE) return reg::kAccessDenied;
  bool removed = sqlite3_changes(d->handle) > 0;
  if (!t.commit()) return reg::kAccessDenied;
  return removed ? reg::kSuccess : reg::kFileNotFound;
}

long SqliteRegistry::deleteTree(Hive hive, std::string_view path) {
  Db* d = db();
  if (!d) return reg::kBadDatabase;
  Db::Transaction t(*d, true);
  if (!t.ok()) return reg::kBadDatabase;
  auto parts = splitKeyPath(path);
  if (parts.empty()) return reg::kAccessDenied;
  auto id = d->find(hive, parts);
  if (!id) return reg::kFileNotFound;
  d->deleteBelow(hive, *id);
  return t.commit() ? reg::kSuccess : reg::kAccessDenied;
}

std::vector<std::string> SqliteRegistry::subkeys(const RegKey& key) {
  std::vector<std::string> names;
  Db* d = db();
  if (!d) return names;
  Statement s(d->handle, "SELECT name FROM keys WHERE hive=?1 AND parent=?2 ORDER BY name");
  s.bind(1, static_cast<int>(key.hive())).bind(2, key.id());
  while (s.step() == SQLITE_ROW) names.push_back(utf8ToAnsi(s.textColumn(0)));
  return names;
}

std::vector<RegValue> SqliteRegistry::values(const RegKey& key) {
  std::vector<RegValue> out;
  Db* d = db();
  if (!d) return out;
  Statement s(d->handle, "SELECT name, type, data FROM vals WHERE hive=?1 AND key=?2 ORDER BY name");
  s.bind(1, static_cast<int>(key.hive())).bind(2, key.id());
  while (s.step() == SQLITE_ROW)
    out.push_back({utf8ToAnsi(s.textColumn(0)), static_cast<std::uint32_t>(s.intColumn(1)), s.blobColumn(2)});
  return out;
}

}  // namespace zx::platform
