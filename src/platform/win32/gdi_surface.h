#pragma once
// The control's drawing on a GDI device context: the stock white brush, and the ellipse with
// whatever pen and brush the context holds.
#include "platform/drawing.h"
#include "platform/win32/system_headers.h"

namespace zx::platform {

class GdiSurface : public DrawingSurface {
 public:
  explicit GdiSurface(HDC dc) : dc_(dc) {}
  void fillRect(const Rect& bounds, StockBrush) override {
    RECT r{bounds.left, bounds.top, bounds.right, bounds.bottom};
    FillRect(dc_, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  void ellipse(const Rect& bounds) override { Ellipse(dc_, bounds.left, bounds.top, bounds.right, bounds.bottom); }

 private:
  HDC dc_;
};

}  // namespace zx::platform
