#include "platform/qt/paint_throttle.h"

namespace zx::platform::qt {

PaintThrottle::PaintThrottle(Clock clock, std::function<void()> paint) : clock_(std::move(clock)), paint_(std::move(paint)) {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer_, &QTimer::timeout, [this] { paintNow(clock_()); });
}

void PaintThrottle::request() {
  auto now = clock_();
  if (!lastPaint_ || now - *lastPaint_ >= kInterval) {
    timer_.stop();
    paintNow(now);
    return;
  }
  if (timer_.isActive()) return;
  auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(kInterval - (now - *lastPaint_));
  timer_.start(std::max<std::chrono::milliseconds>(wait, std::chrono::milliseconds(1)));
}

void PaintThrottle::paintNow(std::chrono::steady_clock::time_point now) {
  lastPaint_ = now;
  paint_();
}

}  // namespace zx::platform::qt
