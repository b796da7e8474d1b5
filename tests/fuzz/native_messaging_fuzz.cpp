// What a page sends the browser host: native-messaging frames carrying JSON requests, read,
// depth-checked, parsed, logged and run as statements by the host itself (runBrowserHost). The
// controls are stand-ins that answer from the control's dispatch table, so that no request
// reaches files, programs or the network.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "control/dispatch_table.h"
#include "core/origin_list.h"
#include "doubles/scripted_ui.h"
#include "fuzz_files.h"
#include "host/browser_host.h"
#include "host/page_ui.h"

namespace {

using namespace zx;

constexpr const char* kOrigin = "https://page.example";

// Names resolve through the dispatch table; every member answers a text.
class TableControl : public ole::Dispatch {
 public:
  ole::HRESULT getIDsOfNames(const ole::Guid&, const std::vector<std::u16string>& names, ole::LCID,
                             std::vector<ole::DISPID>& dispids) override {
    dispids.clear();
    for (const auto& name : names) {
      const auto dispid = memberId(name);
      if (!dispid) return ole::DISP_E_UNKNOWNNAME;
      dispids.push_back(*dispid);
    }
    return ole::S_OK;
  }
  ole::HRESULT invoke(ole::DISPID dispid, const ole::Guid&, ole::LCID, std::uint16_t, const std::vector<ole::Variant>&,
                      ole::Variant* result, ole::ExcepInfo*) override {
    if (!memberShape(dispid)) return ole::DISP_E_MEMBERNOTFOUND;
    if (result) *result = ole::Variant::fromString(u"answer");
    return ole::S_OK;
  }
};

// The first byte chooses the input's form: the host's raw input (lengths and bytes as the
// fuzzer wrote them), or lines that are each made one frame, as the extension frames a page's
// requests.
std::string hostInput(const std::uint8_t* data, std::size_t size) {
  const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  if ((data[0] & 1) == 0) return rest;
  std::string framed;
  for (size_t at = 0; at <= rest.size();) {
    const size_t end = std::min(rest.find('\n', at), rest.size());
    const auto length = static_cast<std::uint32_t>(end - at);
    framed.append(reinterpret_cast<const char*>(&length), sizeof length);
    framed.append(rest, at, end - at);
    at = end + 1;
  }
  return framed;
}

struct Host {
  Host() {
    setOriginRule(services.env().registry, kOrigin, OriginRule::Allowed);
    settings.caller = "chrome-extension://fuzz/";
    settings.logPath = "/dev/null";  // written and escaped as always, kept nowhere
  }
  fuzz::RunServices services;
  host::BrowserHostSettings settings;
  const int out = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
};

}  // namespace

// Recursion that a request can drive deep overflows the stack at a depth proportional to its
// size; a stack of 1 MiB makes that depth one a fuzzer reaches, and the host needs far less.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  rlimit stack{};
  getrlimit(RLIMIT_STACK, &stack);
  stack.rlim_cur = 1024 * 1024;
  setrlimit(RLIMIT_STACK, &stack);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static Host host;
  const std::string input = hostInput(data, size);
  const std::string path = fuzz::writeInput("frames.bin", reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
  const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  host::pageGoneFlag() = false;
  host::PageUi ui(std::make_shared<doubles::ScriptedUi>(), host::pageGoneFlag());
  host::runBrowserHost(in, host.out, ui, host.services.env().registry,
                       [](const std::string&) { return std::make_shared<TableControl>(); }, host.settings);
  ::close(in);
  return 0;
}
