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

QString StaticText::shownText() const {
  QString shown;
  for (qsizetype i = 0; i < text_.size(); ++i) {
    if (text_[i] == u'&' && i + 1 < text_.size()) ++i;
    else if (text_[i] == u'&') continue;
    shown += text_[i];
  }
  return shown;
}

void StaticText::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  int flags = static_cast<int>(alignment_) | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic;
  style()->drawItemText(&painter, rect(), flags, palette(), isEnabled(), text_, QPalette::WindowText);
}

}  // namespace zx::platform::qt
