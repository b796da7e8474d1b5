#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
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

// Runs `check` in a child process that the file modes bind (as root, under the unprivileged
// user); its exit status.
int exitStatusOfUnprivileged(const std::function<int()>& check) {
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(90);
    ::_exit(check());
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}

TEST(Registry, AHomeThatCannotBeWrittenIsStillRead) {
  TempDir dir;
  const std::string home = dir.file("home"), file = home + "/registry.db";
  {
    SqliteRegistry store(file);
    auto key = store.createKey(Hive::CurrentUser, "Software\\P", reg::kKeyAllAccess);
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(store.setValue(*key, "k", reg::REG_SZ, "stored", 6), reg::kSuccess);
  }
  namespace fs = std::filesystem;
  fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::others_exec | fs::perms::group_exec);
  fs::permissions(home, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec);
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
  int status = exitStatusOfUnprivileged([&file] {
    SqliteRegistry store(file);
    auto key = store.openKey(Hive::CurrentUser, "Software\\P", reg::kMaximumAllowed);
    if (!key) return 1;
    char buffer[16] = {};
    std::uint32_t size = sizeof buffer;
    if (store.queryValue(*key, "k", buffer, &size) != reg::kSuccess || std::string(buffer, size) != "stored") return 2;
    if (store.setValue(*key, "k", reg::REG_SZ, "other", 5) == reg::kSuccess) return 3;
    if (store.createKey(Hive::CurrentUser, "Software\\Q", reg::kKeyAllAccess)) return 4;
    return 0;
  });
  fs::permissions(home, fs::perms::owner_all);
  EXPECT_EQ(status, 0) << "1: no key, 2: value not read, 3 and 4: a write went through";
  EXPECT_FALSE(fs::exists(file + "-shm"));
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
