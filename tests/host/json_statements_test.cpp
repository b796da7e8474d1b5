// zorvax script: JSON statements read from a file, one reply line each.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/zx_test.h"

namespace zx {
namespace {

using test::runCommand;
using test::TempDir;

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t at = 0, nl; (nl = text.find('\n', at)) != std::string::npos; at = nl + 1) lines.push_back(text.substr(at, nl - at));
  return lines;
}

// A call of getVersion with one more member, "pad", that nests arrays; the statement object is
// the first level.
std::string paddedStatement(int levels) {
  return "{\"call\":\"getVersion\",\"pad\":" + std::string(levels - 1, '[') + std::string(levels - 1, ']') + "}";
}

TEST(ScriptStatements, NestingDeeperThan64LevelsIsRefusedBeforeParsingAndTheScriptGoesOn) {
  TempDir home;
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  test::writeFile(home.file("s.jsonl"), paddedStatement(64) + "\n" + paddedStatement(65) + "\n" +
                                            "{\"call\":\"getVersion\",\"args\":" + deep + "}\n" + deep + "\n" +
                                            "{\"call\":\"getVersion\"}\n");
  auto r = runCommand(test::binary("zorvax") + " --home " + home.path() + " script " + home.file("s.jsonl"));
  EXPECT_EQ(r.status, 1) << "the refused statements count";
  const auto lines = linesOf(r.out);
  ASSERT_EQ(lines.size(), 5u) << r.out << r.err;
  EXPECT_EQ(lines[0], "{\"ok\":true,\"result\":\"3.1.0\"}");
  for (size_t i = 1; i <= 3; ++i)
    EXPECT_EQ(lines[i], "{\"code\":\"0x80070057\",\"error\":\"nested deeper than 64 levels\",\"ok\":false}") << i;
  EXPECT_EQ(lines[4], "{\"ok\":true,\"result\":\"3.1.0\"}");
}

}  // namespace
}  // namespace zx
