#pragma once
// A control as the flows hand it to the exchanges: a fresh $ZORVAX_HOME that trusts the peer's
// certificate, the scripted user, the progress dialog on screen and an empty local file.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "control/zorvax_ctrl.h"
#include "peer_process.h"
#include "platform/scripted_ui.h"

namespace zxtest {

class ControlFixture : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  // url := the peer's URL for path; parseUrl must accept it.
  void pointAt(const std::string& url);
  // The boxes shown so far, as "caption|text" in UTF-8.
  std::vector<std::string> boxes() const;
  std::string localFile() const;
  // The newest request the peer recorded.
  std::string lastRequest() const { return peer().rawRequest(peer().requestCount()); }
  std::string lastNote(const std::string& key) const { return peer().requestNote(peer().requestCount(), key); }

  static PeerProcess& peer() { return *peer_; }

  std::unique_ptr<TempDir> home_;
  std::unique_ptr<ScopedEnv> homeEnv_;
  std::shared_ptr<zx::platform::ScriptedUi> ui_;
  std::unique_ptr<zx::CZorvAXCtrl> control_;
  std::string filePath_;

 private:
  static PeerProcess* peer_;
};

}  // namespace zxtest
