#pragma once
// Statements as JSON objects, the one form that `zorvax script` and the browser host share:
//   {"set": NAME, "value": TEXT}     {"get": NAME}
//   {"call": NAME, "args": [...]}    {"invoke": DISPID, "args": [...]}    {"ids": [NAME, ...]}
// Each answers one reply object: {"ok":true} with "result" (a number for 32-bit results, a
// string for texts) or "ids", or {"ok":false,"code":"0x%08X"} with "error" for malformed input.
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "host/statement_runner.h"

namespace zx::host {

// The code a malformed statement (not JSON, not an object, no known verb, wrong types) answers.
constexpr ole::HRESULT kBadStatement = ole::E_INVALIDARG;

// The deepest nesting of arrays and objects a statement may have (the statement itself is the
// first level). The parsed value is copied, printed and freed by code that recurses once per
// level, so deeper text is refused before it is parsed.
constexpr int kMaxStatementDepth = 64;

nlohmann::json failureReply(ole::HRESULT code, const std::string& error = {});
// The JSON value of a statement's or request's text; nullopt with `why` set when the text is not
// JSON or nests deeper than kMaxStatementDepth (checked first, without recursion).
std::optional<nlohmann::json> parseStatement(std::string_view text, std::string& why);
nlohmann::json runJsonStatement(StatementRunner& runner, const nlohmann::json& statement);
// Parses one line of text first; text that parseStatement refuses gets the malformed-statement reply.
nlohmann::json runJsonLine(StatementRunner& runner, std::string_view line);
// The reply as one line of UTF-8 JSON; bytes that are not UTF-8 are replaced, never thrown on.
std::string replyText(const nlohmann::json& reply);

}  // namespace zx::host
