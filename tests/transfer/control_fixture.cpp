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
  home_ = std::make_unique<TempDir>();
  homeEnv_ = std::make_unique<ScopedEnv>("ZORVAX_HOME", home_->path().string());
  std::filesystem::copy_file(peer_->certificate(), home_->path() / "ca.pem");
  ui_ = std::make_shared<zx::platform::ScriptedUi>();
  zx::platform::setUi(ui_);
  control_ = std::make_unique<zx::CZorvAXCtrl>();
  control_->Pubkey = peer_->publicKey();
  filePath_ = (home_->path() / "received.tmp").string();
  writeFile(filePath_, "");
  ASSERT_TRUE(control_->m_filePath.assign(filePath_));
  zx::showStatusDialog(*control_, "DOWNLOAD", "upper", "lower", true);
}

void ControlFixture::TearDown() {
  delete zx::currentStatusDlg;
  control_.reset();
  zx::platform::setUi(nullptr);
  homeEnv_.reset();
  home_.reset();
}

void ControlFixture::pointAt(const std::string& url) {
  control_->url = url;
  ASSERT_EQ(zx::parseUrl(*control_), 0);
}

std::vector<std::string> ControlFixture::boxes() const {
  std::vector<std::string> shown;
  for (const auto& box : ui_->boxes()) shown.push_back(box.caption + "|" + box.text);
  return shown;
}

std::string ControlFixture::localFile() const { return readFile(filePath_); }

}  // namespace zxtest
