#pragma once
// The control's picture on the desktop: a drawing surface over QPainter, and the small window
// that shows the control when it sits in a page as an embedded object.
#include <QWidget>
#include <functional>

#include "platform/drawing.h"
#include "platform/qt/qt_ui_factory.h"

class QPainter;

namespace zx::platform::qt {

class PainterSurface : public DrawingSurface {
 public:
  explicit PainterSurface(QPainter& painter) : painter_(painter) {}
  void fillRect(const Rect& bounds, StockBrush brush) override;
  void ellipse(const Rect& bounds) override;

 private:
  QPainter& painter_;
};

class ControlWindow : public QWidget {
 public:
  explicit ControlWindow(DrawControl draw, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  DrawControl draw_;
};

}  // namespace zx::platform::qt
