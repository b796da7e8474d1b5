#pragma once
// Shared by the XML output tests: a private home and temporary folder per test, documents
// made from UTF-8 text, and files read back as bytes.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>

#include "platform/codepage.h"
#include "platform/registry.h"
#include "platform/xmldom.h"

namespace zx::testing {

// A private $ZORVAX_HOME and $TMP for one test; the previous ones come back afterwards.
class ScratchFolder {
 public:
  ScratchFolder() : savedHome_(variable("ZORVAX_HOME")), savedTmp_(variable("TMP")) {
    static const std::filesystem::path base = std::filesystem::temp_directory_path();
    std::string pattern = (base / "zx-xml-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
    std::filesystem::create_directories(root_ / "home");
    std::filesystem::create_directories(root_ / "tmp");
    ::setenv("ZORVAX_HOME", (root_ / "home").c_str(), 1);
    ::setenv("TMP", (root_ / "tmp").c_str(), 1);
    platform::resetRegistry();
  }
  ~ScratchFolder() {
    restore("ZORVAX_HOME", savedHome_);
    restore("TMP", savedTmp_);
    platform::resetRegistry();
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path tmp() const { return root_ / "tmp"; }

 private:
  static std::optional<std::string> variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
  }
  static void restore(const char* name, const std::optional<std::string>& value) {
    if (value)
      ::setenv(name, value->c_str(), 1);
    else
      ::unsetenv(name);
  }

  std::optional<std::string> savedHome_, savedTmp_;
  std::filesystem::path root_;
};

inline std::string readBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A document of the DOM component loaded from UTF-8 text; fails the test when it does not load.
inline std::shared_ptr<ole::Dispatch> documentFromUtf8(const std::string& utf8) {
  std::shared_ptr<ole::Dispatch> document;
  platform::createXmlDocument(document);
  bool loaded = false;
  platform::asXmlDomDocument(document.get())->loadXml(platform::utf8ToUtf16(utf8), loaded);
  return loaded ? document : nullptr;
}

inline std::string xmlOf(ole::Dispatch& document) {
  std::u16string text;
  platform::asXmlDomDocument(&document)->getXml(text);
  return platform::utf16ToUtf8(text);
}

}  // namespace zx::testing
