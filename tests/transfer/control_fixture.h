#pragma once
// A control as the flows hand it to the exchanges: the scripted user and a fresh home that
// trusts the document server's certificate, the progress dialog on screen, an empty local file.
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

  std::unique_ptr<zx::CZorvAXCtrl> control_;
  std::unique_ptr<zx::CStatusDlg> progress_;
  std::string filePath_;

 private:
  static PeerProcess* peer_;
};

}  // namespace zxtest
