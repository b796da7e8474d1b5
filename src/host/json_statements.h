#pragma once
// Statements as JSON objects, the one form that `zorvax script` and the browser host share:
//   {"set": NAME, "value": TEXT}     {"get": NAME}
//   {"call": NAME, "args": [...]}    {"invoke": DISPID, "args": [...]}    {"ids": [NAME, ...]}
// Each answers one reply object: {"ok":true} with "result" (a number for 32-bit results, a
// string for texts) or "ids", or {"ok":false,"code":"0x%08X"} with "error" for malformed input.
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "host/statement_runner.h"

namespace zx::host {

// The code a malformed statement (not JSON, not an object, no known verb, wrong types) answers.
constexpr ole::HRESULT kBadStatement = ole::E_INVALIDARG;

nlohmann::json failureReply(ole::HRESULT code, const std::string& error = {});
nlohmann::json runJsonStatement(StatementRunner& runner, const nlohmann::json& statement);
// Parses one line of text first; text that is not JSON gets the malformed-statement reply.
nlohmann::json runJsonLine(StatementRunner& runner, std::string_view line);
// The reply as one line of UTF-8 JSON; bytes that are not UTF-8 are replaced, never thrown on.
std::string replyText(const nlohmann::json& reply);

}  // namespace zx::host
