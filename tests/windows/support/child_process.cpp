#include "support/child_process.h"

#include <windows.h>

#include <thread>

namespace zx::wintest {
namespace {

struct Handle {
  HANDLE h = nullptr;
  ~Handle() {
    if (h) CloseHandle(h);
  }
};

}  // namespace

ChildRun runChild(const std::wstring& commandLine, unsigned long timeoutMs) {
  ChildRun run;
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  Handle readEnd, writeEnd;
  if (!CreatePipe(&readEnd.h, &writeEnd.h, &inheritable, 0)) {
    run.exitCode = ~0ul;
    run.output = "CreatePipe failed";
    return run;
  }
  SetHandleInformation(readEnd.h, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = writeEnd.h;
  startup.hStdError = writeEnd.h;
  PROCESS_INFORMATION process{};
  std::wstring mutableLine = commandLine;
  if (!CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &process)) {
    run.exitCode = ~0ul;
    run.output = "CreateProcess failed with error " + std::to_string(GetLastError());
    return run;
  }
  Handle processHandle{process.hProcess}, threadHandle{process.hThread};
  CloseHandle(writeEnd.h);
  writeEnd.h = nullptr;

  // The pipe is drained while the child runs, so a chatty child never blocks on a full pipe.
  std::thread reader([&] {
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd.h, buffer, sizeof buffer, &got, nullptr) && got > 0) {
      run.output.append(buffer, got);
    }
  });
  if (WaitForSingleObject(process.hProcess, timeoutMs) != WAIT_OBJECT_0) {
    run.timedOut = true;
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, INFINITE);
  }
  reader.join();
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  run.exitCode = code;
  return run;
}

std::wstring programFolder() {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

std::wstring quoted(const std::wstring& text) {
  return L"\"" + text + L"\"";
}

}  // namespace zx::wintest
