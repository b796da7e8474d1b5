#pragma once
// The control's picture.
#include "platform/drawing.h"

namespace zx {

// White bounds with the ellipse inscribed in them, at any size.
ZX_API void drawControl(platform::DrawingSurface& surface, const platform::Rect& bounds);

}  // namespace zx
