#include "platform/qt/dialog_units.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>
#include <cstdint>

#include "platform/qt/text.h"

namespace zx::platform::qt {

int mulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  std::int64_t product = static_cast<std::int64_t>(a) * b;
  bool negative = (product < 0) != (c < 0);
  std::int64_t magnitude = product < 0 ? -product : product;
  std::int64_t divisor = c < 0 ? -static_cast<std::int64_t>(c) : c;
  std::int64_t quotient = (magnitude + divisor / 2) / divisor;
  return static_cast<int>(negative ? -quotient : quotient);
}

BaseUnits baseUnitsOf(const QFont& font) {
  QFontMetrics metrics(font);
  int width = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  // The width of the 52 letters halved twice over, with the system's own rounding.
  return {(width / 26 + 1) / 2, metrics.height()};
}

QString installedFace(const QString& face) {
  const QStringList installed = QFontDatabase::families();
  if (installed.contains(face, Qt::CaseInsensitive)) return face;
  QStringList substitutes;
  if (face.endsWith(QChar(0xCCB4))) substitutes << QStringLiteral("NanumGothicCoding");
  substitutes << QStringLiteral("NanumGothic") << QStringLiteral("NanumGothicCoding");
  for (const QString& substitute : substitutes)
    if (installed.contains(substitute, Qt::CaseInsensitive)) return substitute;
  return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

QFont dialogFont(const DialogTemplate& dialogTemplate) {
  QFont font(installedFace(fromAnsi(dialogTemplate.font)));
  font.setPointSize(dialogTemplate.pointSize > 0 ? dialogTemplate.pointSize : 9);
  return font;
}

}  // namespace zx::platform::qt
