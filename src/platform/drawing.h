#pragma once
// What the control's drawing needs of a device context: filling with a stock brush and an
// ellipse drawn with the current pen and brush. The toolkit renders it; tests record it.
//
// Threads: the thread of the window being painted.
#include "platform/ui.h"

namespace zx::platform {

enum class StockBrush { White };

class DrawingSurface {
 public:
  virtual ~DrawingSurface() = default;
  virtual void fillRect(const Rect& bounds, StockBrush brush) = 0;
  // The ellipse inscribed in `bounds`, outlined with the current pen, filled with the current brush.
  virtual void ellipse(const Rect& bounds) = 0;
};

}  // namespace zx::platform
