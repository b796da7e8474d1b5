#include "flow_fixture.h"

#include <filesystem>

#include "platform/headless_dialog.h"
#include "platform/ole.h"
#include "ui/status_dialog.h"

namespace zxtest {

namespace fs = std::filesystem;

PeerProcess* FlowTest::peer_ = nullptr;

std::string mixedBytes(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  for (auto& b : bytes) {
    seed = seed * 1103515245u + 12345u;
    b = static_cast<char>(seed >> 16);
  }
  return bytes;
}

void FlowTest::SetUpTestSuite() { peer_ = new PeerProcess(); }

void FlowTest::TearDownTestSuite() {
  delete peer_;
  peer_ = nullptr;
}

void FlowTest::SetUp() {
  ControlTest::SetUp();
  // The upload goes over TLS to the server's self-signed certificate.
  fs::copy_file(peer_->certificate(), home.file("ca.pem"));
}

void FlowTest::TearDown() {
  closeCompletedDialogs();
  ControlTest::TearDown();
}

std::unique_ptr<zx::CZorvAXCtrl> FlowTest::pageControl(const std::string& url, const std::string& filename,
                                                       const std::string& dialog) {
  auto control = makeControl();
  EXPECT_EQ(put(*control, "Pubkey", peer_->publicKey()), zx::ole::S_OK);
  EXPECT_EQ(put(*control, "url", url), zx::ole::S_OK);
  EXPECT_EQ(put(*control, "Filename", filename), zx::ole::S_OK);
  EXPECT_EQ(put(*control, "dialog", dialog), zx::ole::S_OK);
  return control;
}

std::int32_t FlowTest::download(zx::CZorvAXCtrl& control, const std::string& compressed, const std::string& ciphered) {
  auto result = call(control, "download", {text("user-1"), text("session-1"), text(compressed), text(ciphered)});
  EXPECT_EQ(get(control, "ret").asInt(), result.asInt()) << "the result also goes to ret";
  return result.asInt().value_or(99);
}

std::int32_t FlowTest::upload(zx::CZorvAXCtrl& control, const std::string& compressed, const std::string& ciphered) {
  auto result = call(control, "upload", {text("user-1"), text(compressed), text(ciphered)});
  EXPECT_EQ(get(control, "ret").asInt(), result.asInt()) << "the result also goes to ret";
  return result.asInt().value_or(99);
}

int FlowTest::dialogsShown() const {
  int shown = 0;
  for (const auto& record : user->records())
    if (record.kind == "dialog" && record.templateId == zx::statusdlg::kTemplateId) ++shown;
  return shown;
}

std::vector<std::string> FlowTest::storedUploads() const {
  std::vector<std::string> stored;
  fs::path folder = peer_->stateDir() / "uploads";
  if (!fs::exists(folder)) return stored;
  for (const auto& path : peer_->uploads())
    if (path.extension() != ".form") stored.push_back(path.string());
  return stored;
}

unsigned FlowTest::requestsReceived() const {
  return fs::exists(peer_->stateDir() / "requests") ? peer_->requestCount() : 0;
}

void FlowTest::closeCompletedDialogs() {
  for (auto* view : user->liveDialogs()) user->postPress(view, zx::statusdlg::kCancelButton);
  user->queue().pump(100);
}

void expectBox(const zx::doubles::UiRecord& box, const std::string& caption, const std::string& text,
               zx::platform::Owner owner, unsigned flags) {
  EXPECT_EQ(box.kind, "box");
  EXPECT_EQ(box.caption, caption);
  EXPECT_EQ(box.text, text);
  EXPECT_EQ(box.owner, owner) << caption;
  EXPECT_EQ(box.flags, flags) << caption;
}

}  // namespace zxtest
