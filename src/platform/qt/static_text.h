#pragma once
// A static text item of a dialog: word-wrapped from the top, aligned left, centred or right,
// with '&' marking the underlined mnemonic letter and "&&" showing one '&'.
#include <QWidget>

namespace zx::platform::qt {

class StaticText : public QWidget {
 public:
  StaticText(Qt::Alignment alignment, QWidget* parent);
  void setText(const QString& text);
  const QString& text() const { return text_; }
  Qt::Alignment alignment() const { return alignment_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Qt::Alignment alignment_;
  QString text_;
};

}  // namespace zx::platform::qt
