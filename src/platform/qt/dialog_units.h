#pragma once
// Dialog templates measure in dialog units: a quarter of the dialog font's average character
// width across, an eighth of its height down. These helpers turn them into pixels exactly as
// the dialog manager of the system the templates were written for does.
#include <QFont>
#include <QRect>
#include <QString>

#include "platform/ui.h"

namespace zx::platform::qt {

// a * b / c rounded half away from zero; -1 when c is 0 (the system's MulDiv).
int mulDiv(int a, int b, int c);

struct BaseUnits {
  int x = 0;  // average width of the 52 Latin letters, rounded
  int y = 0;  // the font's height (ascent + descent)
};
BaseUnits baseUnitsOf(const QFont& font);

class DialogUnits {
 public:
  explicit DialogUnits(BaseUnits base) : base_(base) {}
  BaseUnits base() const { return base_; }
  int x(int dlu) const { return mulDiv(dlu, base_.x, 4); }
  int y(int dlu) const { return mulDiv(dlu, base_.y, 8); }
  // Each of position and size is converted on its own, as the dialog manager does.
  QRect rect(int xDlu, int yDlu, int widthDlu, int heightDlu) const {
    return {x(xDlu), y(yDlu), x(widthDlu), y(heightDlu)};
  }

 private:
  BaseUnits base_;
};

// The face when it is installed; otherwise an installed Korean face in its place: the
// fixed-pitch one for the fixed-pitch Korean faces (their names end in 체), else the
// proportional one.
QString installedFace(const QString& face);
// The template's font (its face name is ANSI text) at its point size, on an installed face.
QFont dialogFont(const DialogTemplate& dialogTemplate);

}  // namespace zx::platform::qt
