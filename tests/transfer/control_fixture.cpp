#include "control_fixture.h"

#include <filesystem>

#include "transfer/url_parsing.h"
#include "ui/status_dialog.h"

namespace zxtest {

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

}  // namespace zxtest
