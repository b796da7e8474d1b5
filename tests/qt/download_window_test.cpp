// A download from the document server on the desktop, as a person sees and clicks it: the
// choice dialog, the progress dialog while the server keeps silent, the real Cancel button, the
// question, and the cancel message. The control runs on this thread; the person looks at the
// screen from a timer and clicks through posted mouse events, so every click arrives where a
// real one would: inside the control's pump or a box's own loop.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>

#include "peer_process.h"
#include "qt_test_support.h"
#include "support/zx_test.h"
#include "ui/status_dialog.h"

namespace zx::test::qt {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
namespace sd = statusdlg;

const std::string kAskCancel = "질문|취소 하겠습니까 ?";
const std::string kCancelled = "취소|다운로드 작업이 취소 되었습니다";

// The progress dialog (modeless) or the choice dialog (modal) on screen, if any.
QWidget* statusWindow(bool modal) {
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->objectName() == "template201" && window->isVisible() && window->isModal() == modal) return window;
  return nullptr;
}

QMessageBox* boxOnScreen() { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); }

std::string lineOf(QMessageBox* box) { return box->windowTitle().toStdString() + "|" + box->text().toStdString(); }

// A click that reaches the button through the event queue, after the look that decided it.
void postClick(QAbstractButton* button) {
  ASSERT_NE(button, nullptr);
  QMetaObject::invokeMethod(button, [button] { click(button); }, Qt::QueuedConnection);
}

// Someone at the screen: every 20 ms looks for what the next step waits for, and acts on it.
// Every box seen is noted; one the next step does not wait for is answered with Enter, so that
// it shows up in the test instead of holding it.
class Person {
 public:
  struct Step {
    std::string waitsFor;
    std::function<QWidget*()> find;
    std::function<void(QWidget*)> act;
  };

  Person() {
    QObject::connect(&eyes_, &QTimer::timeout, [this] { look(); });
    eyes_.start(20);
  }
  void then(std::string waitsFor, std::function<QWidget*()> find, std::function<void(QWidget*)> act) {
    steps_.push_back({std::move(waitsFor), std::move(find), std::move(act)});
  }
  // What the person still waits for, empty when every step was taken.
  std::string waitingFor() const { return steps_.empty() ? std::string() : steps_.front().waitsFor; }
  const std::vector<std::string>& boxesSeen() const { return boxes_; }

 private:
  void look() {
    QMessageBox* box = boxOnScreen();
    if (box && box != lastBox_) {
      lastBox_ = box;
      boxes_.push_back(lineOf(box));
    }
    QWidget* found = steps_.empty() ? nullptr : steps_.front().find();
    if (found) {
      auto act = std::move(steps_.front().act);
      steps_.pop_front();
      act(found);
    } else if (box && box != dismissed_) {
      dismissed_ = box;
      QMetaObject::invokeMethod(box, [box] { press(box, Qt::Key_Return); }, Qt::QueuedConnection);
    }
  }

  QTimer eyes_;
  std::deque<Step> steps_;
  std::vector<std::string> boxes_;
  QMessageBox* lastBox_ = nullptr;
  QMessageBox* dismissed_ = nullptr;
};

// The bar of the progress dialog once it has stood still for 300 ms: the server keeps silent.
class StallWatch {
 public:
  QWidget* operator()() {
    QWidget* window = statusWindow(false);
    if (!window || boxOnScreen()) return nullptr;
    int value = window->findChild<QProgressBar*>(QStringLiteral("item%1").arg(sd::kProgress))->value();
    auto now = Clock::now();
    if (value != value_) {
      value_ = value;
      since_ = now;
    }
    return value > 0 && now - since_ >= 300ms ? window : nullptr;
  }

 private:
  int value_ = -1;
  Clock::time_point since_;
};

QPushButton* button(QWidget* window, int id) {
  return window->findChild<QPushButton*>(QStringLiteral("item%1").arg(id));
}
QPushButton* answer(QWidget* box, int id) { return box->findChild<QPushButton*>(QStringLiteral("answer%1").arg(id)); }

// The box whose caption and text are `line`, when it is the one on screen.
std::function<QWidget*()> box(const std::string& line) {
  return [line]() -> QWidget* {
    QMessageBox* box = boxOnScreen();
    return box && lineOf(box) == line ? box : nullptr;
  };
}

// Yes on the cancel question, then Enter on the cancel message; `untilEnded` gets the time from
// the one to the other, `look` sees the message first.
void confirmCancel(Person& person, const std::string& questionStep, Clock::duration& untilEnded,
                   std::function<void(QWidget*)> look = [](QWidget*) {}) {
  auto yes = std::make_shared<Clock::time_point>();
  person.then(questionStep, box(kAskCancel), [yes](QWidget* question) {
    *yes = Clock::now();
    postClick(answer(question, platform::mb::IDYES));
  });
  person.then("the cancel message", box(kCancelled), [yes, &untilEnded, look](QWidget* message) {
    untilEnded = Clock::now() - *yes;
    look(message);
    QMetaObject::invokeMethod(message, [message] { press(message, Qt::Key_Return); }, Qt::QueuedConnection);
  });
}

class DesktopDownload : public DesktopControlTest {
 protected:
  // Started by the first test, so that a server that cannot start fails it instead of
  // skipping the suite.
  void SetUp() override {
    if (!peer_) peer_ = new zxtest::PeerProcess();
  }
  static void TearDownTestSuite() {
    delete peer_;
    peer_ = nullptr;
  }

  // The page's control pointed at the document with the query's switches, the choice dialog on.
  std::unique_ptr<CZorvAXCtrl> pageControl(const std::string& query) {
    std::string document;
    for (int i = 0; i < 20000; ++i) document += "QUJDREVGQUJDREVG" + std::to_string(i) + "\r\n";
    peer_->putDocument("report.txt", document);
    auto control = makeControl();
    EXPECT_EQ(put(*control, "Pubkey", peer_->publicKey()), ole::S_OK);
    EXPECT_EQ(put(*control, "url", peer_->downloadUrl("/docs/report.txt?mode=lines&" + query)), ole::S_OK);
    EXPECT_EQ(put(*control, "Filename", "report.txt"), ole::S_OK);
    EXPECT_EQ(put(*control, "dialog", "1"), ole::S_OK);
    return control;
  }
  std::int32_t download(CZorvAXCtrl& control) {
    return call(control, "download", {text("user-1"), text("session-1"), text("0"), text("0")}).asInt().value_or(99);
  }
  // The choice dialog's Open, as the first thing the person does.
  void chooseOpen(Person& person) {
    person.then("the choice dialog", [] { return statusWindow(true); },
                [](QWidget* choice) { postClick(button(choice, sd::kOpenButton)); });
  }

  static zxtest::PeerProcess* peer_;
};

zxtest::PeerProcess* DesktopDownload::peer_ = nullptr;

TEST_F(DesktopDownload, CancelAsksFirstNoGoesOnWaitingYesEndsItAndThePartialFileIsGone) {
  auto control = pageControl("stall=1");
  Person person;
  chooseOpen(person);
  StallWatch stalled;
  std::vector<std::string> filesWhileStalled;
  person.then("the progress dialog, half the body in and the server silent", std::ref(stalled), [&](QWidget* window) {
    filesWhileStalled = tmp.files();
    saveScreenshot(window, "download_stalled");
    EXPECT_TRUE(button(window, sd::kCancelButton)->isEnabled());
    postClick(button(window, sd::kCancelButton));
  });
  person.then("the cancel question", box(kAskCancel), [](QWidget* question) {
    EXPECT_EQ(question->parentWidget(), statusWindow(false)) << "over the progress dialog";
    saveScreenshot(question, "download_cancel_question");
    postClick(answer(question, platform::mb::IDNO));
  });
  StallWatch stillStalled;
  person.then("the progress dialog, still waiting after No", std::ref(stillStalled),
              [](QWidget* window) { postClick(button(window, sd::kCancelButton)); });
  Clock::duration untilEnded{};
  confirmCancel(person, "the cancel question again", untilEnded, [](QWidget* message) {
    EXPECT_EQ(statusWindow(false), nullptr) << "the progress dialog is gone";
    saveScreenshot(message, "download_cancelled");
  });

  EXPECT_EQ(download(*control), -2);
  EXPECT_EQ(person.waitingFor(), "");
  EXPECT_EQ(person.boxesSeen(), (std::vector<std::string>{kAskCancel, kAskCancel, kCancelled})) << "no error box";
  EXPECT_EQ(filesWhileStalled.size(), 1u) << "the partial file while the server kept silent";
  EXPECT_TRUE(tmp.files().empty()) << "the partial file is gone";
  EXPECT_LT(untilEnded, 5s) << "the cancel ends the wait, not the 60 s silence limit";
  EXPECT_EQ(get(*control, "ret").asInt(), -2);
}

TEST_F(DesktopDownload, AServerThatNeverAnswersIsLeftAsSoonAsTheCancelIsConfirmed) {
  services.setTimeouts({.receiveMs = 60000});
  auto control = pageControl("hang=1");
  Person person;
  chooseOpen(person);
  // Before any answer the bar stands where the dialog put it when it opened.
  person.then("the progress dialog, the server silent", StallWatch(), [](QWidget* window) {
    saveScreenshot(window, "download_waiting");
    postClick(button(window, sd::kCancelButton));
  });
  Clock::duration untilEnded{};
  confirmCancel(person, "the cancel question", untilEnded);

  auto start = Clock::now();
  EXPECT_EQ(download(*control), -2);
  EXPECT_EQ(person.waitingFor(), "");
  EXPECT_EQ(person.boxesSeen(), (std::vector<std::string>{kAskCancel, kCancelled})) << "no error box";
  EXPECT_LT(untilEnded, 5s) << "ended by the cancel, not by the 60 s silence limit";
  EXPECT_LT(Clock::now() - start, 30s);
  EXPECT_TRUE(tmp.files().empty());
}

}  // namespace
}  // namespace zx::test::qt
