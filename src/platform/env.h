#pragma once
// Everything the control needs of the system, in one bundle that its host hands over when the
// control is made. Nothing in the bundle is swapped while a control lives: a host that wants
// other services (a test, a scripted user) builds another bundle.
//
// Threads: an Env belongs to the thread of the control it was given to; its Ui is that thread's
// interface. The other services may be shared with controls on other threads (each header
// says what its service allows).
#include <string>

namespace zx::platform {

class Ui;
class Shell;
class Registry;
class FileSystem;
class OsInfo;
class Clock;
namespace http {
class Client;
}
namespace adapters {
class AdapterSource;
}

struct Env {
  Ui& ui;
  Shell& shell;
  Registry& registry;
  FileSystem& fs;
  const http::Client& http;
  adapters::AdapterSource& adapters;
  OsInfo& os;
  Clock& clock;
  // The configuration home (ANSI path): the store, trust anchors and the Windows directory
  // stand-in live there.
  std::string home;
  // The web origin of the page that drives the control ("https://docs.example.com"); empty
  // when the user's own program does (the zorvax command, a script host, a desktop form).
  std::string pageOrigin = {};
};

}  // namespace zx::platform
