#pragma once
// The one command line a Windows program is started with. The system hands the program that
// line, and its C runtime (or CommandLineToArgvW) splits it into arguments again; the line is
// built so that the split gives back exactly the program and the arguments given. Pure and
// portable: the Windows launcher starts programs with it, and callers on every system measure
// the line the same way.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zx::platform {

// The program path in quotes (unquoted, the system would try each prefix that ends before a
// blank as a program: "c:\Program.exe" before "c:\Program Files\..."), then each argument after a
// space, quoted only when the split would otherwise change it (empty, or holding a blank, tab,
// line end or quote). Inside quotes a quote is escaped with a backslash, and backslashes
// are doubled where they come before a quote or the closing one. Texts are 8-bit: code page
// 949's second bytes are never a quote, a backslash or a blank, so bytes are read one by one.
// nullopt when the path holds a quote, which no command line can name.
std::optional<std::string> windowsCommandLine(std::string_view program, const std::vector<std::string>& arguments);

}  // namespace zx::platform
