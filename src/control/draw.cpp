#include "control/draw.h"

namespace zx {

void drawControl(platform::DrawingSurface& surface, const platform::Rect& bounds) {
  surface.fillRect(bounds, platform::StockBrush::White);
  surface.ellipse(bounds);
}

}  // namespace zx
