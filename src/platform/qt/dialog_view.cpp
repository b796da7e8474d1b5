#include "platform/qt/dialog_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/qt/static_text.h"
#include "platform/qt/text.h"

namespace zx::platform::qt {
namespace {

constexpr int kIconPixels = 32;  // an icon item takes the icon's own size

Qt::Alignment alignmentOf(ItemKind kind) {
  switch (kind) {
    case ItemKind::StaticCentred:
      return Qt::AlignHCenter;
    case ItemKind::StaticRight:
      return Qt::AlignRight;
    default:
      return Qt::AlignLeft;
  }
}

QPixmap moduleIcon(const QWidget* window) {
  QIcon icon = QApplication::windowIcon();
  if (icon.isNull()) icon = window->style()->standardIcon(QStyle::SP_MessageBoxInformation);
  return icon.pixmap(kIconPixels, kIconPixels);
}

}  // namespace

DialogWindow::DialogWindow(std::function<void()> onEscape) : onEscape_(std::move(onEscape)) {
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
}

QtDialogView::QtDialogView(std::shared_ptr<Desktop> desktop, const DialogTemplate& dialogTemplate,
                           DialogHandler& handler, Owner owner)
    : desktop_(std::move(desktop)),
      templateId_(dialogTemplate.id),
      handler_(handler),
      ownerWindow_(desktop_->ownerWindow(owner)),
      font_(dialogFont(dialogTemplate)),
      units_(baseUnitsOf(font_)),
      caption_(dialogTemplate.caption),
      throttle_(desktop_->clock, [this] { syncProgressBars(); }) {
  window_ = new DialogWindow([this] { handler_.onCancel(); });
  window_->setObjectName(QStringLiteral("template%1").arg(templateId_));
  window_->setFont(font_);
  window_->setWindowTitle(fromAnsi(caption_));

  QWidget* client = window_;
  if (dialogTemplate.child) {
    client = new QWidget(window_);
    client->setObjectName(QStringLiteral("page"));
  }
  for (const DialogItem& definition : dialogTemplate.items) {
    QWidget* widget = makeItemWidget(definition, client);
    if (definition.id == -1) continue;
    widget->setObjectName(QStringLiteral("item%1").arg(definition.id));
    items_[definition.id] = Item{definition.kind, definition.text, 0, 100, 0, widget};
  }
  QSize clientSize(units_.x(dialogTemplate.width), units_.y(dialogTemplate.height));
  if (dialogTemplate.child) {
    client->setFixedSize(clientSize);
    addPropertyFrameButtons(client);
  } else {
    window_->setFixedSize(clientSize);
  }
  setOwner(window_, ownerWindow_);
  desktop_->dialogCreated(this);
}

QtDialogView::~QtDialogView() {
  desktop_->dialogDestroyed(this);
  delete window_.data();
  handler_.onDestroyed();
}

QWidget* QtDialogView::makeItemWidget(const DialogItem& definition, QWidget* parent) {
  QWidget* widget = nullptr;
  QRect geometry = units_.rect(definition.x, definition.y, definition.width, definition.height);
  switch (definition.kind) {
    case ItemKind::Static:
    case ItemKind::StaticCentred:
    case ItemKind::StaticRight: {
      auto* text = new StaticText(alignmentOf(definition.kind), parent);
      text->setText(fromAnsi(definition.text));
      widget = text;
      break;
    }
    case ItemKind::ProgressBar: {
      auto* bar = new QProgressBar(parent);
      bar->setTextVisible(false);
      bar->setRange(0, 100);
      bar->setValue(0);
      widget = bar;
      break;
    }
    case ItemKind::PushButton:
    case ItemKind::DefPushButton: {
      auto* button = new QPushButton(fromAnsi(definition.text), parent);
      button->setAutoDefault(true);
      button->setDefault(definition.kind == ItemKind::DefPushButton);
      int id = definition.id;
      QObject::connect(button, &QPushButton::clicked, [this, id] { handler_.onCommand(id); });
      widget = button;
      break;
    }
    case ItemKind::CheckBox: {
      auto* box = new QCheckBox(fromAnsi(definition.text), parent);
      int id = definition.id;
      QObject::connect(box, &QCheckBox::clicked, [this, id] { handler_.onCommand(id); });
      widget = box;
      break;
    }
    case ItemKind::Icon: {
      auto* icon = new QLabel(parent);
      icon->setPixmap(moduleIcon(window_));
      geometry.setSize(QSize(kIconPixels, kIconPixels));
      widget = icon;
      break;
    }
  }
  widget->setGeometry(geometry);
  return widget;
}

// A property page has no buttons of its own: its frame closes it with OK or Cancel.
void QtDialogView::addPropertyFrameButtons(QWidget* page) {
  auto* layout = new QVBoxLayout(window_);
  layout->setContentsMargins(units_.x(7), units_.y(7), units_.x(7), units_.y(7));
  layout->setSpacing(units_.y(7));
  layout->addWidget(page);
  auto* buttons = new QDialogButtonBox(window_);
  struct FrameButton {
    const char* utf8Label;
    int id;
  };
  for (FrameButton frame : {FrameButton{"확인", mb::IDOK}, FrameButton{"취소", mb::IDCANCEL}}) {
    QPushButton* button =
        buttons->addButton(QString::fromUtf8(frame.utf8Label),
                           frame.id == mb::IDOK ? QDialogButtonBox::AcceptRole : QDialogButtonBox::RejectRole);
    button->setObjectName(QStringLiteral("frame%1").arg(frame.id));
    button->setDefault(frame.id == mb::IDOK);
    int id = frame.id;
    QObject::connect(button, &QPushButton::clicked, [this, id] { handler_.onCommand(id); });
  }
  layout->addWidget(buttons);
  window_->setFixedSize(window_->sizeHint());
}

QtDialogView::Item* QtDialogView::item(int id) {
  auto it = items_.find(id);
  return it == items_.end() || !it->second.widget ? nullptr : &it->second;
}

const QtDialogView::Item* QtDialogView::item(int id) const {
  auto it = items_.find(id);
  return it == items_.end() || !it->second.widget ? nullptr : &it->second;
}

void QtDialogView::setCaption(std::string_view text) {
  caption_ = text;
  if (window_) window_->setWindowTitle(fromAnsi(text));
}

void QtDialogView::setItemText(int id, std::string_view text) {
  Item* i = item(id);
  if (!i) return;
  i->text = text;
  if (auto* label = dynamic_cast<StaticText*>(i->widget.data())) label->setText(fromAnsi(text));
  else if (auto* button = dynamic_cast<QAbstractButton*>(i->widget.data())) button->setText(fromAnsi(text));
}

std::string QtDialogView::itemText(int id) const {
  const Item* i = item(id);
  return i ? i->text : std::string();
}

void QtDialogView::enableItem(int id, bool enable) {
  if (Item* i = item(id)) i->widget->setEnabled(enable);
}

bool QtDialogView::isItemEnabled(int id) const {
  const Item* i = item(id);
  return i && i->widget->isEnabled();
}

void QtDialogView::setItemChecked(int id, bool checked) {
  Item* i = item(id);
  if (i && i->kind == ItemKind::CheckBox) static_cast<QCheckBox*>(i->widget.data())->setChecked(checked);
}

bool QtDialogView::isItemChecked(int id) const {
  const Item* i = item(id);
  return i && i->kind == ItemKind::CheckBox && static_cast<const QCheckBox*>(i->widget.data())->isChecked();
}

void QtDialogView::setFocus(int id) {
  if (Item* i = item(id)) i->widget->setFocus(Qt::OtherFocusReason);
}

void QtDialogView::setProgressRange(int id, int low, int high) {
  Item* i = item(id);
  if (!i) return;
  i->low = low;
  i->high = high;
  i->position = std::clamp(i->position, low, std::max(low, high));
  throttle_.request();
}

void QtDialogView::setProgressPos(int id, int position) {
  Item* i = item(id);
  if (!i) return;
  // A progress bar keeps its position inside its range.
  i->position = std::clamp(position, i->low, std::max(i->low, i->high));
  throttle_.request();
}

int QtDialogView::progressPos(int id) const {
  const Item* i = item(id);
  return i ? i->position : 0;
}

int QtDialogView::progressHigh(int id) const {
  const Item* i = item(id);
  return i ? i->high : 0;
}

// A bar repaints itself, at once, only when the change shows; text items update themselves.
void QtDialogView::syncProgressBars() {
  for (auto& [id, i] : items_)
    if (auto* bar = qobject_cast<QProgressBar*>(i.widget.data())) {
      bar->setRange(i.low, std::max(i.low, i.high));
      bar->setValue(i.position);
    }
}


// A dialog the control has not placed itself comes up centred over its owner, as the dialogs
// of the control's framework do.
void QtDialogView::placeUnlessPlaced() {
  if (!placed_) qt::centreOver(window_, ownerWindow_);
  placed_ = true;
}

void QtDialogView::show() {
  if (!window_) return;
  ended_ = false;
  syncProgressBars();
  placeUnlessPlaced();
  window_->show();
  window_->activateWindow();
}

void QtDialogView::hide() {
  if (window_) window_->hide();
}

bool QtDialogView::isVisible() const { return window_ && window_->isVisible(); }

void QtDialogView::activate() {
  if (!window_ || QApplication::activeWindow() == window_) return;
  window_->raise();
  window_->activateWindow();
}

void QtDialogView::centreOver(Owner owner) {
  if (!window_) return;
  qt::centreOver(window_, desktop_->ownerWindow(owner));
  placed_ = true;
}

Rect QtDialogView::screenRect() const {
  if (!window_) return {};
  QRect frame = window_->frameGeometry();
  return {frame.x(), frame.y(), frame.x() + frame.width(), frame.y() + frame.height()};
}

void QtDialogView::moveTo(const Rect& rect, bool topOfZOrder) {
  if (!window_) return;
  window_->move(rect.left, rect.top);
  placed_ = true;
  if (topOfZOrder) window_->raise();
}

int QtDialogView::runModal() {
  if (!window_) return -1;
  ended_ = false;
  window_->setWindowModality(modalityFor(ownerWindow_, false));
  syncProgressBars();
  placeUnlessPlaced();
  window_->show();
  window_->activateWindow();
  desktop_->runModalLoop([this] { return ended_ || !window_; });
  if (window_) {
    window_->hide();
    window_->setWindowModality(Qt::NonModal);
  }
  return result_;
}

void QtDialogView::endDialog(int result) {
  result_ = result;
  ended_ = true;
  if (window_) window_->hide();
}

}  // namespace zx::platform::qt
