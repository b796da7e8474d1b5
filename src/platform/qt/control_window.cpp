#include "platform/qt/control_window.h"

#include <QPainter>

namespace zx::platform::qt {
namespace {

// The system's rectangles leave out their right and bottom edges; Qt's outlines include them.
QRect inclusive(const Rect& bounds) {
  return QRect(bounds.left, bounds.top, bounds.right - bounds.left - 1, bounds.bottom - bounds.top - 1);
}

QColor colourOf(StockBrush brush) {
  switch (brush) {
    case StockBrush::White:
      return Qt::white;
  }
  return Qt::white;
}

}  // namespace

void PainterSurface::fillRect(const Rect& bounds, StockBrush brush) {
  painter_.fillRect(QRect(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top),
                    colourOf(brush));
}

void PainterSurface::ellipse(const Rect& bounds) { painter_.drawEllipse(inclusive(bounds)); }

ControlWindow::ControlWindow(DrawControl draw, QWidget* parent) : QWidget(parent), draw_(std::move(draw)) {
  setObjectName(QStringLiteral("controlWindow"));
  setWindowTitle(QStringLiteral("ZorvAX Control"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  resize(200, 100);
}

void ControlWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  // A fresh device context draws with the black pen and the white brush.
  painter.setPen(QPen(Qt::black, 0));
  painter.setBrush(Qt::white);
  PainterSurface surface(painter);
  draw_(surface, Rect{0, 0, width(), height()});
}

}  // namespace zx::platform::qt
