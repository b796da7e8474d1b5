// The Windows command line the companion program is started with, split back as the system
// splits it: by a reference of CommandLineToArgvW's rules here, and on Windows by the real one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/command_line.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include "platform/codepage.h"
#endif

namespace zx::platform {
namespace {

const std::string kProgram = "c:\\Program Files\\QORAX\\ZorvC\\Bin\\ZorvC.EXE";

// CommandLineToArgvW's rules: the program's name runs to the next quote when it starts with one
// (else to a blank); then arguments are separated by blanks and tabs outside quotes, 2n
// backslashes before a quote give n and the quote opens or closes, 2n+1 give n and a literal
// quote, other backslashes are literal, and inside quotes "" gives a quote.
std::vector<std::string> splitAsWindowsDoes(const std::string& line) {
  std::vector<std::string> args;
  size_t at = 0;
  std::string program;
  if (!line.empty() && line[0] == '"') {
    const size_t close = line.find('"', 1);
    program = line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    at = close == std::string::npos ? line.size() : close + 1;
  } else {
    at = line.find_first_of(" \t");
    program = line.substr(0, at);
    if (at == std::string::npos) at = line.size();
  }
  args.push_back(program);
  for (;;) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    if (at >= line.size()) break;
    std::string arg;
    bool quoted = false;
    while (at < line.size() && (quoted || (line[at] != ' ' && line[at] != '\t'))) {
      size_t backslashes = 0;
      while (at < line.size() && line[at] == '\\') ++backslashes, ++at;
      if (at < line.size() && line[at] == '"') {
        arg.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) {
          arg += '"';
        } else if (quoted && at + 1 < line.size() && line[at + 1] == '"') {
          arg += '"';
          ++at;
        } else {
          quoted = !quoted;
        }
        ++at;
      } else {
        arg.append(backslashes, '\\');
        if (at < line.size() && backslashes == 0) arg += line[at++];
      }
    }
    args.push_back(arg);
  }
  return args;
}

#ifdef _WIN32
std::vector<std::string> splitBySystem(const std::string& line) {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(reinterpret_cast<const wchar_t*>(ansiToUtf16(line).c_str()), &count);
  std::vector<std::string> args;
  for (int i = 0; i < count; ++i) args.push_back(utf16ToAnsi(reinterpret_cast<const char16_t*>(argv[i])));
  LocalFree(argv);
  return args;
}
#endif

struct Case {
  std::string package;
  std::string line;  // after the program and " -PKGNAME "
};

TEST(WindowsCommandLine, TheProgramIsQuotedAndThePackageOnlyWhenItMustBe) {
  const std::vector<Case> cases = {
      {"TENDRIAX", "TENDRIAX"},                       // an ordinary package: the line as before
      {"C:\\dir\\pkg", "C:\\dir\\pkg"},               // backslashes alone are literal
      {"P1 --evil option", "\"P1 --evil option\""},
      {"tab\there", "\"tab\there\""},
      {"", "\"\""},                                   // an empty package is still an argument
      {"say \"hi\"", "\"say \\\"hi\\\"\""},
      {"a\\\"b", "\"a\\\\\\\"b\""},                   // a backslash before a quote is doubled
      {"dir with space\\", "\"dir with space\\\\\""}, // and before the closing quote
      {"x\\\\ \\\"", "\"x\\\\ \\\\\\\"\""},
      {"\xC7\xD1\xB1\xDB \xB9\xAE\xBC\xAD", "\"\xC7\xD1\xB1\xDB \xB9\xAE\xBC\xAD\""},  // code page 949 text
  };
  for (const auto& c : cases) {
    const auto line = windowsCommandLine(kProgram, {"-PKGNAME", c.package});
    ASSERT_TRUE(line) << c.package;
    EXPECT_EQ(*line, "\"" + kProgram + "\" -PKGNAME " + c.line) << c.package;
    const std::vector<std::string> expected{kProgram, "-PKGNAME", c.package};
    EXPECT_EQ(splitAsWindowsDoes(*line), expected) << *line;
#ifdef _WIN32
    EXPECT_EQ(splitBySystem(*line), expected) << *line;
#endif
  }
}

TEST(WindowsCommandLine, EveryMixOfBlanksQuotesAndBackslashesSplitsBackToTheSameArguments) {
  const std::string alphabet = "a \\\"\t";
  for (int length = 0; length <= 5; ++length) {
    std::vector<size_t> digits(length, 0);
    for (;;) {
      std::string argument;
      for (size_t d : digits) argument += alphabet[d];
      const auto line = windowsCommandLine(kProgram, {argument, "last"});
      ASSERT_TRUE(line);
      const std::vector<std::string> expected{kProgram, argument, "last"};
      ASSERT_EQ(splitAsWindowsDoes(*line), expected) << *line;
#ifdef _WIN32
      ASSERT_EQ(splitBySystem(*line), expected) << *line;
#endif
      size_t i = 0;
      while (i < digits.size() && ++digits[i] == alphabet.size()) digits[i++] = 0;
      if (i == digits.size()) break;
    }
  }
}

TEST(WindowsCommandLine, APathWithAQuoteCannotBeNamed) {
  EXPECT_FALSE(windowsCommandLine("c:\\a\"b\\ZorvC.EXE", {"-PKGNAME", "X"}));
  EXPECT_EQ(windowsCommandLine("c:\\dir\\", {}), "\"c:\\dir\\\"") << "the program's name knows no escapes";
}

}  // namespace
}  // namespace zx::platform
