#include "control_fixture.h"

#include <chrono>
#include <filesystem>
#include <fstream>

#include "platform/headless_dialog.h"

#include "transfer/url_parsing.h"
#include "ui/status_dialog.h"

namespace zxtest {

namespace {

struct StallWatch {
  bool stalled(int position) {
    auto now = std::chrono::steady_clock::now();
    if (position != last) {
      last = position;
      since = now;
    }
    return now - since >= std::chrono::milliseconds(300);
  }
  int last = -1;
  std::chrono::steady_clock::time_point since;
};

}  // namespace

PeerProcess* ControlFixture::peer_ = nullptr;

void ControlFixture::SetUpTestSuite() { peer_ = new PeerProcess(); }

void ControlFixture::TearDownTestSuite() {
  delete peer_;
  peer_ = nullptr;
}

void ControlFixture::SetUp() {
  ControlTest::SetUp();
  std::filesystem::copy_file(peer_->certificate(), home.file("ca.pem"));
  control_ = makeControl();
  control_->Pubkey = peer_->publicKey();
  filePath_ = tmp.file("received.tmp");
  zx::test::writeFile(filePath_, "");
  ASSERT_TRUE(control_->m_filePath.assign(filePath_));
  progress_ = zx::showStatusDialog(env(), true, "DOWNLOAD", "upper", "lower", true);
}

void ControlFixture::TearDown() {
  progress_.reset();
  control_.reset();
  ControlTest::TearDown();
}

void ControlFixture::pointAt(const std::string& url) {
  control_->url = url;
  ASSERT_EQ(zx::parseUrl(*user, *control_), 0);
}

std::unique_ptr<PeerProcess> ControlFixture::trustedServerNamedElsewhere() {
  auto server = std::make_unique<PeerProcess>(std::vector<std::string>{"--tls-name", "elsewhere.example"});
  std::ofstream(home.file("ca.pem"), std::ios::app) << zx::test::readFile(server->certificate().string());
  return server;
}

void ControlFixture::clickCancelWhenStalled(unsigned before) {
  auto* dialog = static_cast<zx::platform::HeadlessDialogView*>(progress_->view());
  auto watch = std::make_shared<StallWatch>();
  auto click = std::make_shared<std::function<void()>>();
  *click = [this, before, dialog, watch, again = std::weak_ptr(click)] {
    if (watch->stalled(dialog->progressPos(zx::statusdlg::kProgress)) && peer().requestCount() > before)
      dialog->press(zx::statusdlg::kCancelButton);
    else if (auto next = again.lock())
      user->queue().post(*next);
  };
  clicks_.push_back(click);
  user->queue().post(*click);
}

}  // namespace zxtest
