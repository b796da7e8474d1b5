#include "doubles/scripted_ui.h"

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>

#include "platform/codepage.h"
#include "platform/console_ui.h"

namespace zx::doubles {

using namespace platform;
namespace {

template <typename T>
std::optional<T> takeFirst(std::vector<T>& queue) {
  if (queue.empty()) return std::nullopt;
  T first = std::move(queue.front());
  queue.erase(queue.begin());
  return first;
}

int buttonFromName(const std::string& name) {
  if (name == "yes") return mb::IDYES;
  if (name == "no") return mb::IDNO;
  if (name == "cancel") return mb::IDCANCEL;
  return mb::IDOK;
}

}  // namespace

int ScriptedUi::messageBox(Owner owner, std::string_view caption, std::string_view text, unsigned flags) {
  int answer = takeFirst(boxAnswers_).value_or(defaultBoxAnswer(flags));
  records_.push_back({"box", owner, ansiToUtf8(caption), ansiToUtf8(text), flags, answer});
  return answer;
}

FileDialogResult ScriptedUi::fileDialog(const FileDialogRequest& request) {
  UiRecord record{"file", request.owner, ansiToUtf8(request.title), ansiToUtf8(request.initialName), request.flags};
  record.file = request;
  FileDialogResult result;
  result.filterIndex = request.filterIndex;
  if (auto answer = takeFirst(fileAnswers_)) {
    if (answer->pickType && request.onTypeChange && *answer->pickType >= 1 &&
        *answer->pickType <= static_cast<int>(request.filters.size())) {
      record.renamedTo = ansiToUtf8(
          request.onTypeChange(request.initialName, request.filters[*answer->pickType - 1].description));
      result.filterIndex = *answer->pickType;
    }
    if (answer->path) {
      result.ok = true;
      result.path = *answer->path;
    }
  }
  record.answer = result.ok ? mb::IDOK : mb::IDCANCEL;
  records_.push_back(std::move(record));
  return result;
}

PasswordAnswer ScriptedUi::passwordPrompt(Owner owner, std::string_view server) {
  auto answer = takeFirst(passwordAnswers_).value_or(std::nullopt);
  records_.push_back({"password", owner, "", ansiToUtf8(server), 0, answer ? mb::IDOK : mb::IDCANCEL});
  if (!answer) return {};
  PasswordAnswer retry = *answer;
  retry.retry = true;
  return retry;
}

std::unique_ptr<DialogView> ScriptedUi::createDialog(const DialogTemplate& dialogTemplate, DialogHandler& handler,
                                                     Owner owner) {
  auto view = std::make_unique<HeadlessDialogView>(dialogTemplate, handler, owner, this);
  live_.push_back(view.get());
  return view;
}

void ScriptedUi::answerBox(int button) { boxAnswers_.push_back(button); }

void ScriptedUi::answerFile(std::optional<std::string> ansiPath, std::optional<int> pickType) {
  fileAnswers_.push_back({std::move(ansiPath), pickType});
}

void ScriptedUi::answerPassword(std::optional<PasswordAnswer> answer) { passwordAnswers_.push_back(std::move(answer)); }

void ScriptedUi::press(int templateId, int itemId, When when, int position) {
  presses_.push_back({templateId, itemId, when, position});
}

void ScriptedUi::pressWhenShowing(int templateId, int itemId, int textItemId, std::string ansiText) {
  presses_.push_back({templateId, itemId, When::Text, 0, false, textItemId, std::move(ansiText)});
}

std::vector<std::string> ScriptedUi::itemTexts(int templateId, int itemId) const {
  std::vector<std::string> texts;
  for (const auto& shown : itemTexts_)
    if (shown.templateId == templateId && shown.itemId == itemId) texts.push_back(ansiToUtf8(shown.text));
  return texts;
}

std::vector<UiRecord> ScriptedUi::boxes() const {
  std::vector<UiRecord> out;
  std::copy_if(records_.begin(), records_.end(), std::back_inserter(out),
               [](const UiRecord& r) { return r.kind == "box"; });
  return out;
}

bool ScriptedUi::isLive(const HeadlessDialogView* view) const {
  return std::find(live_.begin(), live_.end(), view) != live_.end();
}

void ScriptedUi::postPress(HeadlessDialogView* view, int itemId) {
  queue_.post([this, view, itemId] {
    if (isLive(view)) view->press(itemId);
  });
}

void ScriptedUi::shown(HeadlessDialogView& view) {
  records_.push_back({"dialog", view.owner(), ansiToUtf8(view.caption()), "", 0, 0, view.templateId()});
  for (auto& rule : presses_)
    if (!rule.fired && rule.when == When::Shown && rule.templateId == view.templateId()) {
      rule.fired = true;
      postPress(&view, rule.itemId);
    }
}

void ScriptedUi::progressMoved(HeadlessDialogView& view, int, int position) {
  progressMoves_.push_back(position);
  for (auto& rule : presses_)
    if (!rule.fired && rule.when == When::Progress && rule.templateId == view.templateId() &&
        position >= rule.position) {
      rule.fired = true;
      postPress(&view, rule.itemId);
    }
}

void ScriptedUi::textChanged(HeadlessDialogView& view, int itemId, std::string_view text) {
  itemTexts_.push_back({view.templateId(), itemId, std::string(text)});
  for (auto& rule : presses_)
    if (!rule.fired && rule.when == When::Text && rule.templateId == view.templateId() && rule.textItemId == itemId &&
        rule.text == text) {
      rule.fired = true;
      postPress(&view, rule.itemId);
    }
}

bool ScriptedUi::modalStep(HeadlessDialogView& view) {
  // Clicks already queued for this dialog come first, as they would in its modal loop.
  while (queue_.pending() > 0 && !view.ended()) queue_.pump(1);
  if (view.ended()) return true;
  for (auto& rule : presses_)
    if (!rule.fired && rule.when == When::Modal && rule.templateId == view.templateId()) {
      rule.fired = true;
      view.press(rule.itemId);
      return true;
    }
  return false;
}

void ScriptedUi::destroyed(HeadlessDialogView& view) {
  live_.erase(std::remove(live_.begin(), live_.end(), &view), live_.end());
}

bool ScriptedUi::loadScript(const std::string& utf8Path, std::string* error) {
  std::ifstream in(utf8Path);
  if (!in) {
    if (error) *error = "cannot open the script " + utf8Path;
    return false;
  }
  std::string line;
  int number = 0;
  try {
    while (std::getline(in, line)) {
      ++number;
      if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
      auto j = nlohmann::json::parse(line);
      if (j.contains("box")) {
        answerBox(buttonFromName(j["box"].get<std::string>()));
      } else if (j.contains("file")) {
        std::optional<int> type;
        if (j.contains("type")) type = j["type"].get<int>();
        if (j["file"].is_null())
          answerFile(std::nullopt, type);
        else
          answerFile(utf8ToAnsi(j["file"].get<std::string>()), type);
      } else if (j.contains("password")) {
        if (j["password"].is_null())
          answerPassword(std::nullopt);
        else
          answerPassword(PasswordAnswer{true, utf8ToAnsi(j["password"].value("user", "")),
                                        utf8ToAnsi(j["password"].value("password", ""))});
      } else if (j.contains("press")) {
        int item = j["press"].get<int>();
        int dialog = j.value("dialog", 0);
        const auto& when = j.contains("when") ? j["when"] : nlohmann::json("shown");
        if (when.is_number())
          press(dialog, item, When::Progress, when.get<int>());
        else
          press(dialog, item, when.get<std::string>() == "modal" ? When::Modal : When::Shown);
      } else {
        throw std::runtime_error("unknown statement");
      }
    }
  } catch (const std::exception& e) {
    if (error) *error = utf8Path + ":" + std::to_string(number) + ": " + e.what();
    return false;
  }
  return true;
}

}  // namespace zx::doubles
