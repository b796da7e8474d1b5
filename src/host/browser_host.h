#pragma once
// zorvax --native-messaging: the host a browser extension starts for one page. It reads the
// page's requests as native-messaging frames, keeps one control per create(), runs the JSON
// statements against them and answers each request with one reply (or, when the reply passes
// the browser's limit, its pieces).
//
// Requests (the extension adds "origin": the browser vouches for it, not the page):
//   {"id":1,"origin":O,"create":true}                -> {"id":1,"ok":true,"control":C}
//   {"id":2,"origin":O,"control":C,"get":"Port"}      -> {"id":2,"ok":true,"result":"80"}
//   {"id":3,"origin":O,"control":C,"close":true}      -> {"id":3,"ok":true}
// and every other statement of host/json_statements.h with "control".
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "platform/ole.h"
#include "platform/registry.h"

namespace zx::host {

class PageUi;

// A create() from an origin that is not allowed, or a request about another origin's control.
constexpr ole::HRESULT kOriginRefused = ole::hr(0x80070005);
// A request naming a control this host does not hold (never made, or closed).
constexpr ole::HRESULT kNoSuchControl = ole::hr(0x80010108);

struct BrowserHostSettings {
  ole::LCID lcid = 0;
  bool canAskUser = false;  // a consent dialog can be shown (the desktop, the scripted user)
  std::string caller;       // what the browser named itself with: the extension's origin
  std::string logPath;      // UTF-8
};

// Makes a control for a page of the given (normalised) origin.
using ControlMaker = std::function<std::shared_ptr<ole::Dispatch>(const std::string& origin)>;

// Set when the page has gone: the input ended, or the browser asked the host to stop.
std::atomic<bool>& pageGoneFlag();
// SIGTERM and SIGINT set pageGoneFlag(), so that the transfer in progress is cancelled and the
// host ends; SIGPIPE is ignored (a write to a browser that has gone fails instead).
void watchStopSignals();

// Serves until the input ends or a stop signal; answers the exit status.
int runBrowserHost(int in, int out, PageUi& ui, platform::Registry& registry, ControlMaker makeControl,
                   const BrowserHostSettings& settings);

}  // namespace zx::host
