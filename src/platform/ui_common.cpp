#include "platform/ui.h"
#include "platform/dialog_data.h"

namespace zx::platform {

const char* ownerName(Owner owner) {
  switch (owner) {
    case Owner::None:
      return "none";
    case Owner::Control:
      return "control";
    case Owner::StatusDialog:
      return "status";
    case Owner::Dialog:
      return "dialog";
  }
  return "none";
}

DialogTemplate dialogFromRows(int id, bool child, int x, int y, int width, int height, std::string_view caption,
                              int points, std::string_view font, std::initializer_list<DialogItem> items) {
  return DialogTemplate{id, std::string(caption), std::string(font), points, x, y, width, height, child, items};
}

std::vector<FileFilter> parseFilterText(std::string_view text) {
  std::vector<FileFilter> filters;
  size_t i = 0;
  while (i < text.size()) {
    size_t bar = text.find('|', i);
    std::string description(text.substr(i, bar == std::string_view::npos ? std::string_view::npos : bar - i));
    if (description.empty()) break;
    std::string pattern;
    if (bar != std::string_view::npos) {
      size_t next = text.find('|', bar + 1);
      pattern = std::string(text.substr(bar + 1, next == std::string_view::npos ? std::string_view::npos : next - bar - 1));
      i = next == std::string_view::npos ? text.size() : next + 1;
    } else {
      i = text.size();
    }
    filters.push_back({description, pattern});
  }
  return filters;
}

void MessageQueue::post(std::function<void()> message) { messages_.push_back(std::move(message)); }

size_t MessageQueue::pending() const { return messages_.size(); }

void MessageQueue::postFromAnyThread(std::function<void()> message) {
  std::lock_guard lock(foreignMutex_);
  foreign_.push_back(std::move(message));
}

int MessageQueue::pump(int limit) {
  {
    std::lock_guard lock(foreignMutex_);
    for (auto& message : foreign_) messages_.push_back(std::move(message));
    foreign_.clear();
  }
  int dispatched = 0;
  while (dispatched < limit && !messages_.empty()) {
    auto message = std::move(messages_.front());
    messages_.pop_front();
    ++dispatched;
    message();
  }
  return dispatched;
}

}  // namespace zx::platform
