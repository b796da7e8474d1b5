#include "host/browser_host.h"

#include <signal.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <thread>

#include "core/origin_list.h"
#include "host/browser_log.h"
#include "host/json_statements.h"
#include "host/native_frames.h"
#include "host/page_ui.h"
#include "ui/origin_consent.h"

namespace zx::host {
namespace {

using nlohmann::json;

// How long the idle host waits for a request before it pumps the interface's messages again.
constexpr auto kIdlePump = std::chrono::milliseconds(50);

// Frames read on a thread of their own, so that the end of the input is seen while a call runs.
class Inbox {
 public:
  void readAll(int fd) {
    for (;;) {
      Frame frame = readFrame(fd);
      const bool last = frame.kind == Frame::Kind::End || frame.kind == Frame::Kind::Truncated;
      {
        std::lock_guard lock(mutex_);
        frames_.push_back(std::move(frame));
      }
      if (last) pageGoneFlag() = true;
      arrived_.notify_one();
      if (last) return;
    }
  }

  std::optional<Frame> next(std::chrono::milliseconds wait) {
    std::unique_lock lock(mutex_);
    if (!arrived_.wait_for(lock, wait, [this] { return !frames_.empty(); })) return std::nullopt;
    Frame frame = std::move(frames_.front());
    frames_.pop_front();
    return frame;
  }

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<Frame> frames_;
};

struct HeldControl {
  std::string origin;
  StatementRunner runner;
};

// What a statement was, for the log: the verb and the member, never the values.
std::string describe(const json& request) {
  for (const char* verb : {"set", "get", "call", "invoke", "ids"}) {
    auto it = request.find(verb);
    if (it == request.end()) continue;
    std::string text = std::string(verb) + " " + (it->is_string() ? it->get<std::string>() : it->dump());
    if (auto args = request.find("args"); args != request.end() && args->is_array())
      text += " (" + std::to_string(args->size()) + " args)";
    return text;
  }
  return "unknown statement";
}

std::string outcomeText(const json& reply) {
  if (!reply.value("ok", false)) return "failed " + reply.value("code", std::string("?"));
  if (auto result = reply.find("result"); result != reply.end()) return "-> " + replyText(*result);
  return "ok";
}

class BrowserHost {
 public:
  BrowserHost(PageUi& ui, platform::Registry& registry, ControlMaker makeControl, const BrowserHostSettings& settings)
      : ui_(ui), registry_(registry), makeControl_(std::move(makeControl)), settings_(settings),
        log_(settings.logPath) {}

  json handle(const json& request) {
    if (!request.is_object()) return failureReply(kBadStatement, "a request is a JSON object");
    const std::string origin = request.value("origin", json()).is_string() ? request["origin"].get<std::string>() : "";
    if (request.contains("create")) return create(origin);
    const auto id = request.find("control");
    if (id == request.end() || !id->is_number_integer())
      return failureReply(kBadStatement, "a request names its control");
    auto held = controls_.find(id->get<long long>());
    if (held == controls_.end()) return failureReply(kNoSuchControl, "no such control");
    const std::string control = "control " + std::to_string(held->first);
    if (normaliseOrigin(origin) != held->second.origin) {
      log_.write(origin, control + " " + describe(request) + ": refused, the control is another origin's");
      return failureReply(kOriginRefused, "the control belongs to another origin");
    }
    if (request.contains("close")) {
      log_.write(held->second.origin, control + " closed");
      controls_.erase(held);
      return json{{"ok", true}};
    }
    const std::string statement = control + " " + describe(request);
    log_.write(held->second.origin, statement);
    json reply = runJsonStatement(held->second.runner, request);
    log_.write(held->second.origin, statement + " " + outcomeText(reply));
    return reply;
  }

  void logEvent(std::string_view event) { log_.write(settings_.caller, event); }
  void releaseControls() { controls_.clear(); }

 private:
  json create(const std::string& origin) {
    const auto normal = normaliseOrigin(origin);
    std::string why;
    if (!normal) {
      why = "not a web origin";
    } else if (!allowed(*normal, why)) {
    } else if (auto control = makeControl_(*normal)) {
      const long long id = ++lastId_;
      controls_.emplace(id, HeldControl{*normal, StatementRunner(control, settings_.lcid, nullptr)});
      log_.write(*normal, "create control " + std::to_string(id));
      return json{{"ok", true}, {"control", id}};
    } else {
      log_.write(*normal, "create: the module made no control");
      return failureReply(ole::E_FAIL, "the module made no control");
    }
    log_.write(origin, "create refused (" + why + ") " + formatCode(kOriginRefused));
    return failureReply(kOriginRefused, why);
  }

  bool allowed(const std::string& origin, std::string& why) {
    const OriginDecision decision = gatekeeper_.decide(origin);
    if (decision.asked)
      log_.write(origin, std::string("consent: ") + (decision.asked->allowed ? "allowed" : "denied") +
                             (decision.asked->remember ? ", remembered" : ""));
    why = decision.why;
    return decision.allowed;
  }

  PageUi& ui_;
  platform::Registry& registry_;
  ControlMaker makeControl_;
  BrowserHostSettings settings_;
  BrowserLog log_;
  std::map<long long, HeldControl> controls_;
  OriginGatekeeper gatekeeper_{ui_, registry_, settings_.canAskUser};
  long long lastId_ = 0;
};

// The reply to a frame that carries no readable request.
json frameFailure(const Frame& frame) {
  switch (frame.kind) {
    case Frame::Kind::TooLong:
      return failureReply(kBadStatement, "a message of " + std::to_string(frame.length) + " bytes passes the limit of " +
                                             std::to_string(kMaxIncomingMessage));
    case Frame::Kind::Truncated:
      return failureReply(kBadStatement, "the input ended inside a message");
    default:
      return failureReply(kBadStatement, "not JSON");
  }
}

bool send(int out, json reply, const json& id) {
  reply["id"] = id;
  for (const auto& message : messagesForReply(replyText(reply), replyText(id)))
    if (!writeFrame(out, message)) return false;
  return true;
}

std::atomic<bool>& stopFlag() {
  static std::atomic<bool> stop{false};
  return stop;
}

bool stopSignalled() { return stopFlag().load(); }

void onStopSignal(int) {
  stopFlag() = true;
  pageGoneFlag() = true;
}

}  // namespace

std::atomic<bool>& pageGoneFlag() {
  static std::atomic<bool> gone{false};
  return gone;
}

void watchStopSignals() {
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);
}

int runBrowserHost(int in, int out, PageUi& ui, platform::Registry& registry, ControlMaker makeControl,
                   const BrowserHostSettings& settings) {
  BrowserHost host(ui, registry, std::move(makeControl), settings);
  host.logEvent("host started");
  // The reader outlives this function when a stop signal ends the host while it waits on input.
  auto inbox = std::make_shared<Inbox>();
  std::thread([inbox, in] { inbox->readAll(in); }).detach();
  // The reader and the stop signal only set the flag: a dialog waiting for the user in the
  // interface's modal loop hears of the page's end from here.
  std::jthread watcher([&ui](std::stop_token stop) {
    while (!stop.stop_requested()) {
      if (pageGoneFlag()) return ui.pageWentAway();
      std::this_thread::sleep_for(kIdlePump);
    }
  });
  for (;;) {
    std::optional<Frame> frame = inbox->next(kIdlePump);
    if (!frame) {
      if (stopSignalled()) break;
      ui.queue().pump(100);
      continue;
    }
    if (frame->kind == Frame::Kind::End) break;
    json id;
    json reply;
    if (frame->kind == Frame::Kind::Message) {
      std::string why;
      const std::optional<json> request = parseStatement(frame->text, why);
      if (!request) {
        reply = failureReply(kBadStatement, why);
      } else {
        if (request->is_object() && request->contains("id")) id = (*request)["id"];
        reply = host.handle(*request);
      }
    } else {
      reply = frameFailure(*frame);
    }
    if (!send(out, std::move(reply), id) || frame->kind == Frame::Kind::Truncated || stopSignalled()) break;
  }
  host.releaseControls();
  host.logEvent("host ended");
  return 0;
}

}  // namespace zx::host
