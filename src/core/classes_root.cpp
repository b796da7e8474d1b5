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
  std::uint32_t size = 0;
  if (store_.queryValue(*key, name, nullptr, &size) == reg::kFileNotFound) return std::nullopt;
  std::string text(size, '\0');
  if (store_.queryValue(*key, name, text.data(), &size) != reg::kSuccess) return std::nullopt;
  text.resize(size);
  // The system stores a text with its terminating zero (as the control's registry writes
  // texts on Windows); the zero is no part of the text.
  if (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
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
