#include "platform/qt/static_text.h"

#include <QPainter>
#include <QStyle>

namespace zx::platform::qt {

StaticText::StaticText(Qt::Alignment alignment, QWidget* parent) : QWidget(parent), alignment_(alignment) {
  setFocusPolicy(Qt::NoFocus);
}

void StaticText::setText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  update();
}

void StaticText::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  int flags = static_cast<int>(alignment_) | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic;
  style()->drawItemText(&painter, rect(), flags, palette(), isEnabled(), text_, QPalette::WindowText);
}

}  // namespace zx::platform::qt
