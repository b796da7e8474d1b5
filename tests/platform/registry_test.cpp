#include <gtest/gtest.h>

#include <thread>

#include "platform/linux/registry_sqlite.h"
#include "support/zx_test.h"

namespace zx::platform {
namespace {

using test::TempDir;

TEST(Registry, KeysAreCaseInsensitiveAndValuesKeepTypeAndBytes) {
  TempDir dir;
  SqliteRegistry store(dir.file("r.db"));
  EXPECT_EQ(store.openKey(Hive::CurrentUser, "Software\\A", reg::kMaximumAllowed), nullptr);
  auto created = store.createKey(Hive::CurrentUser, "Software\\A\\B", reg::kKeyAllAccess);
  ASSERT_NE(created, nullptr);
  auto opened = store.openKey(Hive::CurrentUser, "software\\a\\b\\", reg::kMaximumAllowed);
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->id(), created->id());
  EXPECT_EQ(store.openKey(Hive::ClassesRoot, "Software\\A\\B", reg::kMaximumAllowed), nullptr);

  const char data[] = {'a', 'b', '\0', 'c'};
  EXPECT_EQ(store.setValue(*opened, "V", reg::REG_BINARY, data, 4), reg::kSuccess);
  char buffer[8] = {};
  std::uint32_t size = sizeof buffer, type = 0;
  EXPECT_EQ(store.queryValue(*created, "v", buffer, &size, &type), reg::kSuccess);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(type, reg::REG_BINARY);
  EXPECT_EQ(std::string(buffer, 4), std::string(data, 4));

  // A value larger than the caller's buffer is not copied at all.
  std::uint32_t small = 3;
  char tiny[3] = {'x', 'x', 'x'};
  EXPECT_EQ(store.queryValue(*created, "V", tiny, &small), reg::kMoreData);
  EXPECT_EQ(small, 4u);
  EXPECT_EQ(std::string(tiny, 3), "xxx");
  EXPECT_EQ(store.queryValue(*created, "missing", buffer, &size), reg::kFileNotFound);

  EXPECT_EQ(store.deleteTree(Hive::CurrentUser, "Software\\A"), reg::kSuccess);
  EXPECT_EQ(store.queryValue(*created, "V", buffer, &size), 1018);
  EXPECT_EQ(store.setValue(*created, "V", reg::REG_SZ, "x", 1), 1018);
}

TEST(Registry, ConcurrentWritersLoseNothing) {
  TempDir dir;
  const std::string file = dir.file("shared.db");
  {
    SqliteRegistry first(file);
    first.createKey(Hive::CurrentUser, "K", reg::kKeyAllAccess);
  }
  auto writer = [&file](int who) {
    SqliteRegistry store(file);
    auto key = store.openKey(Hive::CurrentUser, "K", reg::kMaximumAllowed);
    ASSERT_NE(key, nullptr);
    for (int i = 0; i < 150; ++i) {
      std::string name = "w" + std::to_string(who) + "-" + std::to_string(i);
      ASSERT_EQ(store.setValue(*key, name, reg::REG_SZ, name.data(), static_cast<std::uint32_t>(name.size())),
                reg::kSuccess);
    }
  };
  std::thread a(writer, 1), b(writer, 2), c(writer, 3);
  a.join();
  b.join();
  c.join();
  SqliteRegistry reader(file);
  auto key = reader.openKey(Hive::CurrentUser, "K", reg::kMaximumAllowed);
  EXPECT_EQ(reader.values(*key).size(), 450u);
}

TEST(Registry, ADamagedFileMakesCallsFailWithoutCrashing) {
  TempDir dir;
  test::writeFile(dir.file("bad.db"), std::string(4096, '\x5A'));
  SqliteRegistry store(dir.file("bad.db"));
  long status = 0;
  EXPECT_EQ(store.createKey(Hive::CurrentUser, "Software", reg::kKeyAllAccess, &status), nullptr);
  EXPECT_NE(status, reg::kSuccess);
  EXPECT_EQ(store.openKey(Hive::CurrentUser, "Software", reg::kMaximumAllowed), nullptr);
  EXPECT_EQ(store.deleteTree(Hive::CurrentUser, "Software"), reg::kBadDatabase);
}

}  // namespace
}  // namespace zx::platform
