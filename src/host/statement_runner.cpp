#include "host/statement_runner.h"

#include <cstdio>

#include "control/dispatch_table.h"
#include "platform/codepage.h"

namespace zx::host {
namespace {

std::string render(const ole::Variant& v) {
  switch (v.type()) {
    case ole::Variant::Type::Int32:
      return std::to_string(v.intValue());
    case ole::Variant::Type::String:
      return platform::utf16ToUtf8(v.stringValue());
    default:
      return std::string();
  }
}

void keep(const ole::Variant& v, Outcome& out) {
  out.output = render(v);
  if (v.type() == ole::Variant::Type::Int32) out.number = v.intValue();
}

}  // namespace

std::string formatCode(ole::HRESULT code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
  return text;
}

StatementRunner::StatementRunner(std::shared_ptr<ole::Dispatch> control, ole::LCID lcid, ObjectMaker makeObject)
    : control_(std::move(control)), lcid_(lcid), makeObject_(std::move(makeObject)) {}

std::optional<ole::DISPID> StatementRunner::lookup(const std::string& name, ole::HRESULT& code) {
  std::vector<ole::DISPID> dispids;
  code = control_->getIDsOfNames(ole::IID_NULL(), {platform::utf8ToUtf16(name)}, lcid_, dispids);
  if (ole::failed(code)) return std::nullopt;
  return dispids.at(0);
}

ole::Variant StatementRunner::argument(const std::string& text) const {
  if (makeObject_ && text.rfind("@", 0) == 0)
    if (auto object = makeObject_(text)) return ole::Variant::fromDispatch(object);
  return ole::Variant::fromString(platform::utf8ToUtf16(text));
}

Outcome StatementRunner::set(const std::string& name, const std::string& value) {
  Outcome out;
  auto dispid = lookup(name, out.code);
  if (!dispid) return {false, out.code, {}};
  out.code = control_->invoke(*dispid, ole::IID_NULL(), lcid_, ole::DISPATCH_PROPERTYPUT,
                              {ole::Variant::fromString(platform::utf8ToUtf16(value))}, nullptr, nullptr);
  out.ok = !ole::failed(out.code);
  return out;
}

Outcome StatementRunner::get(const std::string& name) {
  Outcome out;
  auto dispid = lookup(name, out.code);
  if (!dispid) return {false, out.code, {}};
  ole::Variant value;
  out.code = control_->invoke(*dispid, ole::IID_NULL(), lcid_, ole::DISPATCH_PROPERTYGET, {}, &value, nullptr);
  out.ok = !ole::failed(out.code);
  if (out.ok) keep(value, out);
  return out;
}

Outcome StatementRunner::call(const std::string& name, const std::vector<std::string>& args) {
  ole::HRESULT code;
  auto dispid = lookup(name, code);
  if (!dispid) return {false, code, {}};
  return invoke(*dispid, args);
}

Outcome StatementRunner::invoke(ole::DISPID dispid, const std::vector<std::string>& args) {
  std::vector<ole::Variant> values;
  for (const auto& a : args) values.push_back(argument(a));
  ole::Variant result;
  Outcome out;
  out.code = control_->invoke(dispid, ole::IID_NULL(), lcid_, ole::DISPATCH_METHOD, values, &result, nullptr);
  out.ok = !ole::failed(out.code);
  const auto shape = memberShape(dispid);
  if (out.ok && shape && shape->hasResult) keep(result, out);
  return out;
}

std::vector<std::string> StatementRunner::ids(const std::vector<std::string>& names) {
  std::vector<std::string> lines;
  for (const auto& name : names) {
    ole::HRESULT code;
    auto dispid = lookup(name, code);
    lines.push_back(dispid ? std::to_string(*dispid) : formatCode(code));
  }
  return lines;
}

std::optional<size_t> StatementRunner::arity(ole::DISPID dispid) {
  const auto shape = memberShape(dispid);
  if (!shape) return std::nullopt;
  return shape->parameters;
}

std::optional<size_t> StatementRunner::arity(const std::string& name) {
  const auto dispid = memberId(platform::utf8ToUtf16(name));
  if (!dispid) return std::nullopt;
  return arity(*dispid);
}

}  // namespace zx::host
