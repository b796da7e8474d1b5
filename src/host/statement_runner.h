#pragma once
// Runs the host's statements against one control, as a page's script would: by name through
// the dispatch interface, with UTF-8 text outside and script strings inside.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/ole.h"

namespace zx::host {

struct Outcome {
  bool ok = true;
  ole::HRESULT code = ole::S_OK;
  std::optional<std::string> output;  // the line to print, UTF-8
  std::optional<std::int32_t> number; // the value itself, for a 32-bit result
};

// Builds a dispatch argument from its text (for example "@xml:PATH"); nullptr when the text
// names no object.
using ObjectMaker = std::function<std::shared_ptr<ole::Dispatch>(const std::string& utf8Text)>;

class StatementRunner {
 public:
  StatementRunner(std::shared_ptr<ole::Dispatch> control, ole::LCID lcid, ObjectMaker makeObject);

  Outcome set(const std::string& name, const std::string& value);
  Outcome get(const std::string& name);
  Outcome call(const std::string& name, const std::vector<std::string>& args);
  Outcome invoke(ole::DISPID dispid, const std::vector<std::string>& args);
  // One line per name: the DISPID, or the failure code as 0x%08X.
  std::vector<std::string> ids(const std::vector<std::string>& names);
  // The number of arguments a member takes, from the dispatch table; nullopt for no member.
  static std::optional<size_t> arity(ole::DISPID dispid);
  static std::optional<size_t> arity(const std::string& name);

 private:
  std::optional<ole::DISPID> lookup(const std::string& name, ole::HRESULT& code);
  ole::Variant argument(const std::string& text) const;

  std::shared_ptr<ole::Dispatch> control_;
  ole::LCID lcid_;
  ObjectMaker makeObject_;
};

std::string formatCode(ole::HRESULT code);

}  // namespace zx::host
