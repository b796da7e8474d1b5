// Runs a Windows program from a test and collects what it printed, for tests that drive the
// system's own tools (regsvr32, reg, cscript) the way an installer or a person would.
#pragma once

#include <string>

namespace zx::wintest {

struct ChildRun {
  unsigned long exitCode = 0;
  std::string output;  // standard output and standard error, as written
  bool timedOut = false;
};

// Starts `commandLine` (the program is looked up as CreateProcess does), waits at most
// `timeoutMs` for it to end and kills it if it does not.
ChildRun runChild(const std::wstring& commandLine, unsigned long timeoutMs = 60000);

// The folder of the running test program, with a trailing backslash.
std::wstring programFolder();

// `text` between double quotes, for a command line.
std::wstring quoted(const std::wstring& text);

}  // namespace zx::wintest
