#include "platform/command_line.h"

namespace zx::platform {
namespace {

bool needsQuotes(std::string_view argument) {
  return argument.empty() || argument.find_first_of(" \t\n\v\"") != std::string_view::npos;
}

void appendArgument(std::string& line, std::string_view argument) {
  if (!needsQuotes(argument)) {
    line += argument;
    return;
  }
  line += '"';
  size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes are literal unless a quote follows them: then each one is doubled, and one
    // more escapes the quote itself.
    line.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    line += c;
    backslashes = 0;
  }
  // Before the closing quote the same holds.
  line.append(2 * backslashes, '\\');
  line += '"';
}

}  // namespace

std::optional<std::string> windowsCommandLine(std::string_view program, const std::vector<std::string>& arguments) {
  // The program's own name is read up to the next quote, without escapes.
  if (program.find('"') != std::string_view::npos) return std::nullopt;
  std::string line = "\"" + std::string(program) + "\"";
  for (const auto& argument : arguments) {
    line += ' ';
    appendArgument(line, argument);
  }
  return line;
}

}  // namespace zx::platform
