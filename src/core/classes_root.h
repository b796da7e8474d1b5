#pragma once
// The classes root of a store (HKEY_CLASSES_ROOT), in the calls that registration and the
// type library's lookup make of it.
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace zx {

class ClassesRoot {
 public:
  explicit ClassesRoot(platform::Registry& store) : store_(store) {}

  // Creates the key when needed and writes a REG_SZ value.
  bool setText(const std::string& keyPath, std::string_view name, std::string_view text);
  bool createKey(const std::string& keyPath);
  std::optional<std::string> readText(const std::string& keyPath, std::string_view name);
  // A key that is not there needs no removing; only a store that fails is a failure.
  bool removeTree(const std::string& keyPath);
  // Removes the key only when nothing is left below it, as a plain key deletion does.
  bool removeIfLeaf(const std::string& keyPath);
  // kSuccess, kFileNotFound, or the store's failure.
  long keyStatus(const std::string& keyPath);

 private:
  platform::Registry& store_;
};

}  // namespace zx
