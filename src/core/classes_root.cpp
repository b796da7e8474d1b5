#include "core/classes_root.h"

namespace zx {

namespace reg = platform::reg;
using platform::Hive;

bool ClassesRoot::setText(const std::string& keyPath, std::string_view name, std::string_view text) {
  auto key = store_.createKey(Hive::ClassesRoot, keyPath, reg::kKeyAllAccess);
  return key && store_.setValue(*key, name, reg::REG_SZ, text.data(), static_cast<std::uint32_t>(text.size())) ==
                    reg::kSuccess;
}

bool ClassesRoot::createKey(const std::string& keyPath) {
  return store_.createKey(Hive::ClassesRoot, keyPath, reg::kKeyAllAccess) != nullptr;
}

std::optional<std::string> ClassesRoot::readText(const std::string& keyPath, std::string_view name) {
  auto key = store_.openKey(Hive::ClassesRoot, keyPath, reg::kMaximumAllowed);
  if (!key) return std::nullopt;
  return platform::readKeyText(store_, *key, name);
}

bool ClassesRoot::removeTree(const std::string& keyPath) {
  long status = reg::kSuccess;
  if (!store_.openKey(Hive::ClassesRoot, keyPath, reg::kMaximumAllowed, &status)) return status == reg::kFileNotFound;
  return store_.deleteTree(Hive::ClassesRoot, keyPath) == reg::kSuccess;
}

bool ClassesRoot::removeIfLeaf(const std::string& keyPath) {
  long status = reg::kSuccess;
  auto key = store_.openKey(Hive::ClassesRoot, keyPath, reg::kMaximumAllowed, &status);
  if (!key) return status == reg::kFileNotFound;
  if (!store_.subkeys(*key).empty()) return true;
  return store_.deleteTree(Hive::ClassesRoot, keyPath) == reg::kSuccess;
}

long ClassesRoot::keyStatus(const std::string& keyPath) {
  long status = reg::kSuccess;
  store_.openKey(Hive::ClassesRoot, keyPath, reg::kMaximumAllowed, &status);
  return status;
}

}  // namespace zx
