#include "platform/qt/desktop.h"

#include <QApplication>
#include <QEventLoop>
#include <QLibraryInfo>
#include <QTranslator>
#include <QScreen>
#include <QWindow>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>

#include "platform/qt/dialog_units.h"
#include "platform/qt/dialog_view.h"

namespace zx::platform::qt {
namespace {

bool isSet(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

// The toolkit ends the process when its X display cannot be opened; asking first lets the host
// choose another interface. Without DISPLAY (a Wayland session, or a platform the environment
// names) the toolkit's own choice stands.
bool xDisplayReachable(std::string* error) {
  if (isSet("QT_QPA_PLATFORM") || !isSet("DISPLAY")) return true;
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  bool reachable = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);
  if (!reachable && error) *error = std::string("cannot open the display ") + std::getenv("DISPLAY");
  return reachable;
}

std::weak_ptr<Desktop>& openDesktop() {
  static std::weak_ptr<Desktop> desktop;
  return desktop;
}

// A host that leaves through exit() still holds the desktop; the application object must go
// before the toolkit's own statics do.
void closeOpenDesktop() {
  if (auto open = openDesktop().lock()) open->close();
}

// The status dialog's template: its windows own the cancel question and the save-as dialog.

}  // namespace

std::shared_ptr<Desktop> Desktop::open(std::string* error) {
  if (auto existing = openDesktop().lock()) return existing;
  if (!isSet("QT_QPA_PLATFORM") && !isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY")) {
    if (error) *error = "no display: set DISPLAY or WAYLAND_DISPLAY (or QT_QPA_PLATFORM=offscreen)";
    return nullptr;
  }
  if (!xDisplayReachable(error)) return nullptr;
  std::shared_ptr<Desktop> desktop(new Desktop());
  openDesktop() = desktop;
  static const int closesAtExit = std::atexit(closeOpenDesktop);
  (void)closesAtExit;
  return desktop;
}

Desktop::Desktop()
    : clock([] { return std::chrono::steady_clock::now(); }),
      application_(std::make_unique<QApplication>(argc_, argv_)) {
  QApplication::setApplicationName(QStringLiteral("ZorvAX"));
  // The control's own texts are Korean; the toolkit's dialogs and buttons speak it too.
  translator_ = std::make_unique<QTranslator>();
  if (translator_->load(QStringLiteral("qtbase_ko"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(translator_.get());
  // Boxes and file dialogs speak Korean: the system face of a Korean desktop, or its stand-in.
  QFont font(installedFace(QStringLiteral("굴림")));
  font.setPointSize(9);
  QApplication::setFont(font);
  QApplication::setQuitOnLastWindowClosed(false);
}

Desktop::~Desktop() { close(); }

void Desktop::close() {
  controlWindow_.reset();
  translator_.reset();
  application_.reset();
}

ControlWindow* Desktop::showControlWindow(DrawControl draw) {
  controlWindow_ = std::make_unique<ControlWindow>(std::move(draw));
  centreOver(controlWindow_.get(), nullptr);
  controlWindow_->show();
  return controlWindow_.get();
}

void Desktop::runModalLoop(const std::function<bool()>& done) {
  while (!done()) {
    if (queue_.dispatchPosted()) continue;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
}

QWidget* Desktop::ownerWindow(Owner owner) const {
  switch (owner) {
    case Owner::None:
      return nullptr;
    case Owner::Control:
      return controlWindow_ && controlWindow_->isVisible() ? controlWindow_.get() : nullptr;
    case Owner::StatusDialog:
      for (auto it = dialogs_.rbegin(); it != dialogs_.rend(); ++it)
        if ((*it)->templateId() == kStatusDialogTemplate && (*it)->isVisible()) return (*it)->window();
      return nullptr;
    case Owner::Dialog:
      return QApplication::activeModalWidget();
  }
  return nullptr;
}

void Desktop::dialogDestroyed(QtDialogView* view) {
  dialogs_.erase(std::remove(dialogs_.begin(), dialogs_.end(), view), dialogs_.end());
}

void setOwner(QWidget* window, QWidget* owner) {
  if (!owner) return;
  window->winId();
  owner->winId();
  window->windowHandle()->setTransientParent(owner->windowHandle());
}

void centreOver(QWidget* window, QWidget* owner) {
  // Client areas: a window's frame is not known before it is first shown. A window wider or
  // taller than its owner's surroundings allow stays on the screen, as the system's dialog
  // manager keeps it.
  QRect screen = (owner ? owner->screen() : window->screen())->availableGeometry();
  QRect placed(QPoint(0, 0), window->size());
  placed.moveCenter(owner ? owner->geometry().center() : screen.center());
  placed.moveLeft(std::max(screen.left(), std::min(placed.left(), screen.right() + 1 - placed.width())));
  placed.moveTop(std::max(screen.top(), std::min(placed.top(), screen.bottom() + 1 - placed.height())));
  window->setGeometry(placed);
}

void showCentred(QWidget* window, QWidget* owner) {
  // The toolkit's boxes settle their size while they are shown, after it has placed them.
  window->show();
  centreOver(window, owner);
}

Qt::WindowModality modalityFor(const QWidget* owner, bool taskModal) {
  return owner && !taskModal ? Qt::WindowModal : Qt::ApplicationModal;
}

}  // namespace zx::platform::qt
