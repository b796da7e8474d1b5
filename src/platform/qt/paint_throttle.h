#pragma once
// Limits repainting to what a person can see. A transfer asks for a repaint on every progress
// update, tens of thousands of times; the window is painted at once when its last paint is at
// least one interval old, and otherwise once more when the interval is over, so the last state
// always reaches the screen.
#include <QTimer>
#include <chrono>
#include <functional>
#include <optional>

namespace zx::platform::qt {

class PaintThrottle {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  static constexpr std::chrono::milliseconds kInterval{33};  // about 30 paints a second

  PaintThrottle(Clock clock, std::function<void()> paint);

  void request();
  // A paint is owed and will happen when the interval is over.
  bool deferred() const { return timer_.isActive(); }

 private:
  void paintNow(std::chrono::steady_clock::time_point now);

  Clock clock_;
  std::function<void()> paint_;
  QTimer timer_;
  std::optional<std::chrono::steady_clock::time_point> lastPaint_;
};

}  // namespace zx::platform::qt
