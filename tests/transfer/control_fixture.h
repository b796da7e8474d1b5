#pragma once
// A control as the flows hand it to the exchanges: the scripted user and a fresh home that
// trusts the document server's certificate, the progress dialog on screen, an empty local file.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "peer_process.h"
#include "support/zx_test.h"
#include "ui/status_dialog.h"

namespace zxtest {

using zx::test::boxLines;

class ControlFixture : public zx::test::ControlTest {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  // url := the text; parseUrl must accept it.
  void pointAt(const std::string& url);
  std::vector<std::string> boxes() const { return boxLines(*user); }
  std::string localFile() const { return zx::test::readFile(filePath_); }
  // The newest request the server recorded.
  std::string lastRequest() const { return peer().rawRequest(peer().requestCount()); }
  std::string lastNote(const std::string& key) const { return peer().requestNote(peer().requestCount(), key); }

  static PeerProcess& peer() { return *peer_; }

  // The user clicks Cancel in the progress dialog once the server holds a request beyond the
  // first `before` and the bar has stood still for a while: the click waits in the queue until
  // the control pumps it, as a person's would.
  void clickCancelWhenStalled(unsigned before);
  // A second document server whose certificate, trusted like the first one's, names another
  // host than the 127.0.0.1 it is reached by.
  std::unique_ptr<PeerProcess> trustedServerNamedElsewhere();

  std::unique_ptr<zx::CZorvAXCtrl> control_;
  std::unique_ptr<zx::CStatusDlg> progress_;
  std::string filePath_;

 private:
  std::vector<std::shared_ptr<std::function<void()>>> clicks_;
  static PeerProcess* peer_;
};

}  // namespace zxtest
