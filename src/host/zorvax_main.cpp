// zorvax: creates one control, as one object element of a page would, and runs statements
// against it in order; with --native-messaging it is the browser extension's host, and its
// origin and browser-host commands keep the origin list and install the host's manifests.
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "control/draw.h"
#include "control/zorvax_ctrl.h"
#include "doubles/emulated_os.h"
#include "doubles/logging_ui.h"
#include "doubles/scripted_ui.h"
#include "doubles/test_variables.h"
#include "host/browser_commands.h"
#include "host/browser_host.h"
#include "host/json_statements.h"
#include "host/page_ui.h"
#include "host/statement_runner.h"
#include "module/class_factory.h"
#include "module/entry_points.h"
#include "module/registration.h"
#include "platform/codepage.h"
#include "platform/console_ui.h"
#include "platform/system_services.h"
#include "platform/ui.h"
#include "platform/xmldom.h"
#ifdef ZX_WITH_QT_UI
#include "platform/qt/qt_ui_factory.h"
#endif

namespace {

using zx::host::Outcome;
using zx::host::StatementRunner;

const char* const kUsage = R"(usage: zorvax [--home DIR] [--ui=auto|qt|console|script:FILE] [--ui-log FILE] [--show-control]
              [--lcid N] STATEMENT...
       zorvax [--home DIR] [--ui=...] [--lcid N] --native-messaging [CALLER...]
       zorvax [--home DIR] allow-origin|deny-origin|forget-origin ORIGIN | origins
       zorvax [--home DIR] give-package|take-package PACKAGE ORIGIN
       zorvax [--home DIR] browser-host install|uninstall [--profile DIR]

Creates one control, as one object element of a page would, and runs the statements in order.

  set NAME VALUE         write a property by name (its change handler runs)
  get NAME               print a property's value on a line of its own
  call NAME [ARG...]     call a method by name; the arity comes from the dispatch table;
                         prints the result on a line of its own (decimal for integers, the
                         text for texts, nothing for methods without a result)
  invoke DISPID [ARG...] the same by DISPID
  ids NAME...            name lookup with the --lcid locale: prints each DISPID, or the
                         failure code as 0x%08X (for example 0x80020006)
  script FILE|-          statements as JSON lines, one reply line each
  register | unregister  the module's self-registration entry points

Browsers (docs/browser.md):
  --native-messaging     serve a browser extension's page on standard input and output
                         (the browser starts it; CALLER is what the browser passes)
  allow-origin ORIGIN    let pages of ORIGIN (https://host[:port]) create controls
  deny-origin ORIGIN     refuse them without asking
  forget-origin ORIGIN   ask again next time (with a display; refuse without one), take its
                         packages back and drop the folders granted to it
  origins                list the remembered origins, each with the packages it owns and
                         the folders granted to it
  give-package PACKAGE ORIGIN
                         let pages of ORIGIN read and write PACKAGE's values too (a page
                         reaches only the packages its origin made or was given; a package
                         nobody owns goes to the first origin that uses it)
  take-package PACKAGE ORIGIN
                         take PACKAGE away from ORIGIN
  browser-host install   write the native-messaging host manifests for Chromium, Chrome and
                         Firefox (or, with --profile DIR, for that Chromium profile only)
  browser-host uninstall remove them

Options:
  --home DIR       the configuration home (registry store, Windows directory); default
                   $ZORVAX_HOME, else $XDG_CONFIG_HOME/zorvax
  --ui=KIND        auto (default: qt when a display can be opened, else console),
                   qt (windows on the desktop), console (boxes to standard error as
                   "[caption] text"), or script:FILE (a scripted user answering from JSON lines)
  --ui-log FILE    write every box and dialog shown as one JSON line each
  --show-control   show the control's picture in a small window, as a page shows the
                   embedded object (desktop interface only)
  --lcid N         the locale of name lookups (default 0)

Arguments and output are UTF-8. A dispatch-object argument is written @xml:PATH.
Exit status: 0 when every statement ran, 2 for a usage error, 1 when a statement failed at
the dispatch boundary (its code printed to standard error).
)";

struct Statement {
  std::string verb;
  std::vector<std::string> words;
};

struct Options {
  std::string ui = "auto";
  std::string uiLog;
  bool showControl = false;
  zx::ole::LCID lcid = 0;
  std::vector<Statement> statements;
  bool nativeMessaging = false;
  std::vector<std::string> caller;          // what the browser passed the host
  std::vector<std::string> browserCommand;  // allow-origin ORIGIN, browser-host install, ...
};

[[noreturn]] void usageError(const std::string& message) {
  std::cerr << "zorvax: " << message << "\n(see zorvax --help)\n";
  std::exit(2);
}

// The whole text as a number of type T (base 10, or 16 after "0x"); nullopt for anything else,
// a number out of T's range included.
template <class T>
std::optional<T> numberOf(std::string_view text) {
  int base = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    text.remove_prefix(2);
    base = 16;
  }
  T value{};
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

zx::ole::DISPID dispidWord(const std::string& word) {
  auto id = numberOf<zx::ole::DISPID>(word);
  if (!id || word.starts_with("0x") || word.starts_with("0X"))
    usageError("'invoke' takes a decimal DISPID, not '" + word + "'");
  return *id;
}

size_t wordsFor(const std::string& verb, const std::vector<std::string>& args, size_t at) {
  auto need = [&](size_t n) {
    if (at + n > args.size()) usageError("'" + verb + "' needs " + std::to_string(n) + " more word(s)");
    return n;
  };
  if (verb == "set") return need(2);
  if (verb == "get" || verb == "script") return need(1);
  if (verb == "register" || verb == "unregister") return 0;
  if (verb == "call" || verb == "invoke") {
    need(1);
    std::optional<size_t> arity;
    if (verb == "call") {
      arity = StatementRunner::arity(args[at]);
    } else {
      arity = StatementRunner::arity(dispidWord(args[at]));
    }
    // An unknown member takes no arguments: the call itself reports it.
    return need(1 + arity.value_or(0));
  }
  if (verb == "ids") {
    size_t n = 0;
    while (at + n < args.size()) ++n;
    if (n == 0) usageError("'ids' needs at least one name");
    return n;
  }
  usageError("unknown statement '" + verb + "'");
}

Options parse(int argc, char** argv) {
  Options o;
  std::vector<std::string> args(argv + 1, argv + argc);
  size_t i = 0;
  for (; i < args.size() && args[i].rfind("--", 0) == 0; ++i) {
    const std::string& a = args[i];
    auto value = [&](const std::string& name) {
      if (a.size() > name.size() && a[name.size()] == '=') return a.substr(name.size() + 1);
      if (++i >= args.size()) usageError(name + " needs a value");
      return args[i];
    };
    if (a == "--help") {
      std::cout << kUsage;
      std::exit(0);
    } else if (a.rfind("--home", 0) == 0) {
      setenv("ZORVAX_HOME", value("--home").c_str(), 1);
    } else if (a == "--show-control") {
      o.showControl = true;
    } else if (a.rfind("--ui-log", 0) == 0) {
      o.uiLog = value("--ui-log");
    } else if (a.rfind("--ui", 0) == 0) {
      o.ui = value("--ui");
    } else if (a == "--native-messaging") {
      o.nativeMessaging = true;
      o.caller.assign(args.begin() + static_cast<long>(i) + 1, args.end());
      return o;
    } else if (a.rfind("--lcid", 0) == 0) {
      std::string text = value("--lcid");
      auto lcid = numberOf<zx::ole::LCID>(text);
      if (!lcid) usageError("--lcid takes a locale number, not '" + text + "'");
      o.lcid = *lcid;
    } else {
      usageError("unknown option " + a);
    }
  }
  if (i == args.size()) usageError("no statement");
  if (zx::host::isBrowserCommand(args[i])) {
    o.browserCommand.assign(args.begin() + static_cast<long>(i), args.end());
    return o;
  }
  while (i < args.size()) {
    std::string verb = args[i++];
    size_t n = wordsFor(verb, args, i);
    o.statements.push_back({verb, std::vector<std::string>(args.begin() + i, args.begin() + i + n)});
    i += n;
  }
  return o;
}

// The desktop interface, when this build has one; nullptr with the reason otherwise. With
// --show-control the control's picture gets a window of its own, as in a page.
std::shared_ptr<zx::platform::Ui> openDesktop(const Options& o, std::string* error) {
#ifdef ZX_WITH_QT_UI
  zx::platform::qt::DrawControl draw;
  if (o.showControl) draw = zx::drawControl;
  return zx::platform::qt::makeQtUi(error, std::move(draw));
#else
  *error = "the desktop interface is not part of this build";
  return nullptr;
#endif
}

// The one place the interface is chosen. auto: the desktop when a display can be opened, the
// console otherwise. `canAsk`: whether a person (or the scripted one) can answer a question.
std::shared_ptr<zx::platform::Ui> makeUi(const Options& o, bool* canAsk = nullptr) {
  std::shared_ptr<zx::platform::Ui> ui;
  std::string error;
  if (o.ui == "qt") {
    ui = openDesktop(o, &error);
    if (!ui) usageError(error);
  } else if (o.ui == "auto") {
    ui = openDesktop(o, &error);
    if (!ui && o.showControl) usageError("--show-control: " + error);
    if (!ui) ui = std::make_shared<zx::platform::ConsoleUi>();
    if (canAsk) *canAsk = error.empty();
  } else if (o.showControl) {
    usageError("--show-control needs the desktop interface (--ui=qt or auto)");
  } else if (o.ui == "console") {
    ui = std::make_shared<zx::platform::ConsoleUi>();
    if (canAsk) *canAsk = false;
  } else if (o.ui.rfind("script:", 0) == 0) {
    auto scripted = std::make_shared<zx::doubles::ScriptedUi>();
    if (!scripted->loadScript(o.ui.substr(7), &error)) usageError(error);
    ui = scripted;
  } else {
    usageError("unknown interface '" + o.ui + "'");
  }
  if (o.uiLog.empty()) return ui;
  std::FILE* log = std::fopen(o.uiLog.c_str(), "a");
  if (!log) usageError("cannot write the log " + o.uiLog);
  return std::make_shared<zx::doubles::LoggingUi>(ui, log);
}

// Runs one statement; false when it failed at the dispatch boundary.
bool run(StatementRunner& runner, const Statement& s, std::ostream& out);

bool report(const Outcome& outcome, std::ostream& out) {
  if (!outcome.ok) {
    std::cerr << "zorvax: " << zx::host::formatCode(outcome.code) << "\n";
    return false;
  }
  if (outcome.output) out << *outcome.output << "\n";
  return true;
}

// Statements as JSON lines (host/json_statements.h), one reply line each.
bool runScript(StatementRunner& runner, const std::string& file, std::ostream& out) {
  std::ifstream f;
  if (file != "-") {
    f.open(file);
    if (!f) usageError("cannot open the script " + file);
  }
  std::istream& in = file == "-" ? std::cin : f;
  std::string line;
  bool allOk = true;
  while (std::getline(in, line)) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    const nlohmann::json reply = zx::host::runJsonLine(runner, line);
    out << zx::host::replyText(reply) << "\n";
    allOk = allOk && reply.value("ok", false);
  }
  return allOk;
}

bool run(StatementRunner& runner, const Statement& s, std::ostream& out) {
  const auto& w = s.words;
  if (s.verb == "set") return report(runner.set(w[0], w[1]), out);
  if (s.verb == "get") return report(runner.get(w[0]), out);
  if (s.verb == "call") return report(runner.call(w[0], {w.begin() + 1, w.end()}), out);
  if (s.verb == "invoke") return report(runner.invoke(dispidWord(w[0]), {w.begin() + 1, w.end()}), out);
  if (s.verb == "ids") {
    for (const auto& line : runner.ids(w)) out << line << "\n";
    return true;
  }
  if (s.verb == "script") return runScript(runner, w[0], out);
  zx::ole::HRESULT code = s.verb == "register" ? DllRegisterServer() : DllUnregisterServer();
  out << zx::host::formatCode(code) << "\n";
  return !zx::ole::failed(code);
}

// "@xml:PATH" builds a document object from an XML file, as a page hands one over.
zx::host::ObjectMaker documentMaker(zx::platform::FileSystem& fs) {
  return [&fs](const std::string& text) -> std::shared_ptr<zx::ole::Dispatch> {
    const std::string prefix = "@xml:";
    if (text.rfind(prefix, 0) != 0) return nullptr;
    std::string error;
    auto document =
        zx::platform::createXmlDocumentFromFile(fs, zx::platform::utf8ToAnsi(text.substr(prefix.size())), &error);
    if (!document) std::cerr << "zorvax: " << error << "\n";
    return document;
  };
}

// The control comes from the class factory its ProgID names once the module is registered,
// as a browser makes it; before that straight from the module's factory.
std::shared_ptr<zx::ole::Dispatch> createControl(const zx::platform::Env& env) {
  std::shared_ptr<zx::ole::Dispatch> control;
  if (zx::clsidFromProgId(env.registry, "ZORVAX.ZorvAXCtrl.1") &&
      !zx::ole::failed(zx::createObjectByProgId(env, "ZORVAX.ZorvAXCtrl.1", control)) && control)
    return control;
  void* factory = nullptr;
  if (zx::ole::failed(DllGetClassObject(&zx::ids::CLSID_ZorvAX(), &zx::ids::IID_IClassFactory(), &factory)) ||
      zx::ole::failed(static_cast<zx::ClassFactory*>(factory)->createInstance(env, control)))
    return nullptr;
  return control;
}

// The system's services, with the test variables' stand-ins where they are set (the stand-ins
// answer as the system does while their variable is not).
class HostServices {
 public:
  explicit HostServices(zx::platform::Ui& ui)
      : variables_(zx::doubles::TestVariables::fromEnvironment()),
        system_(settings(variables_)),
        os_(variables_.osMajor.value_or(0)),
        adapters_(system_.adapters()),
        env_{ui,        system_.shell(), system_.registry(), system_.fs(), system_.http(),
             adapters_, os_,             system_.clock(),    system_.home()} {
    adapters_.set(variables_.adapters);
  }

  const zx::platform::Env& env() const { return env_; }
  zx::platform::FileSystem& fs() { return system_.fs(); }

 private:
  static zx::platform::SystemSettings settings(const zx::doubles::TestVariables& variables) {
    auto settings = zx::platform::SystemSettings::fromEnvironment();
    settings.timeouts = variables.timeouts;
    return settings;
  }

  zx::doubles::TestVariables variables_;
  zx::platform::SystemServices system_;
  zx::doubles::EmulatedOs os_;
  zx::doubles::ScenarioAdapters adapters_;
  zx::platform::Env env_;
};

}  // namespace

// The browser's side of a page: controls made on request, statements from the extension.
int serveBrowser(const Options& options) {
  zx::host::watchStopSignals();
  bool canAsk = true;
  auto ui = std::make_shared<zx::host::PageUi>(makeUi(options, &canAsk), zx::host::pageGoneFlag());
  HostServices services(*ui);
  zx::host::BrowserHostSettings settings;
  settings.lcid = options.lcid;
  settings.canAskUser = canAsk;
  for (const auto& word : options.caller) settings.caller += (settings.caller.empty() ? "" : " ") + word;
  settings.logPath = zx::platform::ansiToUtf8(services.env().home) + "/browser-host.log";
  return zx::host::runBrowserHost(STDIN_FILENO, STDOUT_FILENO, *ui, services.env().registry,
                                  [&services](const std::string& origin) {
                                    zx::platform::Env env = services.env();
                                    env.pageOrigin = origin;
                                    return createControl(env);
                                  }, settings);
}

int runBrowserCommand(const Options& options) {
  zx::platform::ConsoleUi ui;
  HostServices services(ui);
  return zx::host::runBrowserCommand(options.browserCommand, services.env().registry,
                                     zx::platform::ansiToUtf8(services.env().home), std::cout, std::cerr);
}

int main(int argc, char** argv) {
  Options options = parse(argc, argv);
  if (!options.browserCommand.empty()) return runBrowserCommand(options);
  if (options.nativeMessaging) return serveBrowser(options);
  std::shared_ptr<zx::platform::Ui> ui = makeUi(options);
  HostServices services(*ui);
  auto control = createControl(services.env());
  if (!control) {
    std::cerr << "zorvax: the module made no control\n";
    return 1;
  }
  StatementRunner runner(control, options.lcid, documentMaker(services.fs()));
  for (const auto& statement : options.statements) {
    if (!run(runner, statement, std::cout)) return 1;
    std::cout.flush();
  }
  return 0;
}
