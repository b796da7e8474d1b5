#include "host/json_statements.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace zx::host {
namespace {

using nlohmann::json;

// A statement's words were of the wrong kind: answered as malformed, never thrown out of here.
struct Malformed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string textField(const json& statement, const char* name) {
  const auto it = statement.find(name);
  if (it == statement.end() || !it->is_string()) throw Malformed(std::string("\"") + name + "\" must be a string");
  return it->get<std::string>();
}

// Arguments are texts; numbers and other values are passed as their JSON text.
std::vector<std::string> argumentsOf(const json& statement, const char* name) {
  const auto it = statement.find(name);
  if (it == statement.end()) return {};
  if (!it->is_array()) throw Malformed(std::string("\"") + name + "\" must be an array");
  std::vector<std::string> out;
  for (const auto& v : *it) out.push_back(v.is_string() ? v.get<std::string>() : v.dump());
  return out;
}

ole::DISPID dispidField(const json& statement) {
  const auto& id = statement.at("invoke");
  if (!id.is_number_integer() || id.get<long long>() < INT32_MIN || id.get<long long>() > INT32_MAX)
    throw Malformed("\"invoke\" must be a 32-bit integer DISPID");
  return static_cast<ole::DISPID>(id.get<long long>());
}

json reply(const Outcome& outcome) {
  if (!outcome.ok) return failureReply(outcome.code);
  json j = {{"ok", true}};
  if (outcome.output) {
    if (outcome.number)
      j["result"] = *outcome.number;
    else
      j["result"] = *outcome.output;
  }
  return j;
}

// Whether the arrays and objects of `text` open deeper than kMaxStatementDepth; brackets inside
// strings do not count. Only a counter is kept, so any depth of input is safe to scan.
bool nestsTooDeep(std::string_view text) {
  int depth = 0;
  bool inString = false;
  bool escaped = false;
  for (const char c : text) {
    if (inString) {
      if (escaped)
        escaped = false;
      else if (c == '\\')
        escaped = true;
      else if (c == '"')
        inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kMaxStatementDepth) return true;
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return false;
}

using Verb = std::function<json(StatementRunner&, const json&)>;

// In the order a statement naming two verbs is read.
const std::vector<std::pair<std::string, Verb>>& verbs() {
  static const std::vector<std::pair<std::string, Verb>> table = {
      {"set", [](StatementRunner& r, const json& s) {
         const auto value = s.find("value");
         if (value != s.end() && !value->is_string()) throw Malformed("\"value\" must be a string");
         return reply(r.set(textField(s, "set"), value == s.end() ? std::string() : value->get<std::string>()));
       }},
      {"get", [](StatementRunner& r, const json& s) { return reply(r.get(textField(s, "get"))); }},
      {"call", [](StatementRunner& r, const json& s) { return reply(r.call(textField(s, "call"), argumentsOf(s, "args"))); }},
      {"invoke", [](StatementRunner& r, const json& s) { return reply(r.invoke(dispidField(s), argumentsOf(s, "args"))); }},
      {"ids", [](StatementRunner& r, const json& s) { return json{{"ok", true}, {"ids", r.ids(argumentsOf(s, "ids"))}}; }},
  };
  return table;
}

}  // namespace

json failureReply(ole::HRESULT code, const std::string& error) {
  json j = {{"ok", false}, {"code", formatCode(code)}};
  if (!error.empty()) j["error"] = error;
  return j;
}

json runJsonStatement(StatementRunner& runner, const json& statement) {
  if (!statement.is_object()) return failureReply(kBadStatement, "a statement is a JSON object");
  for (const auto& [verb, run] : verbs()) {
    if (!statement.contains(verb)) continue;
    try {
      return run(runner, statement);
    } catch (const Malformed& e) {
      return failureReply(kBadStatement, e.what());
    }
  }
  return failureReply(kBadStatement, "unknown statement");
}

std::optional<json> parseStatement(std::string_view text, std::string& why) {
  if (nestsTooDeep(text)) {
    why = "nested deeper than " + std::to_string(kMaxStatementDepth) + " levels";
    return std::nullopt;
  }
  json value = json::parse(text.begin(), text.end(), nullptr, false);
  if (value.is_discarded()) {
    why = "not JSON";
    return std::nullopt;
  }
  return value;
}

json runJsonLine(StatementRunner& runner, std::string_view line) {
  std::string why;
  const std::optional<json> statement = parseStatement(line, why);
  if (!statement) return failureReply(kBadStatement, why);
  return runJsonStatement(runner, *statement);
}

std::string replyText(const json& reply) { return reply.dump(-1, ' ', false, json::error_handler_t::replace); }

}  // namespace zx::host
