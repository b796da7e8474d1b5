#pragma once
// A page driving the control: properties and methods through the dispatch table, the document
// server on loopback (one per test program), the scripted user, and the temporary folder that
// every temporary file and every download of the test lands in.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "peer_process.h"
#include "doubles/scripted_ui.h"
#include "support/zx_test.h"
#include "ui/status_dialog.h"

namespace zxtest {

using Owner = zx::platform::Owner;
using When = zx::doubles::ScriptedUi::When;
using Files = std::vector<std::string>;
namespace mb = zx::platform::mb;
namespace sd = zx::statusdlg;

// The progress dialog's question before it cancels a transfer.
inline const std::string kAskCancel = "취소 하겠습니까 ?";

// Bytes of every value from a fixed seed, so that a lost or changed byte shows.
std::string mixedBytes(std::size_t size, unsigned seed);

class FlowTest : public zx::test::ControlTest {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  static PeerProcess& peer() { return *peer_; }

  // A control as a page sets it up: Pubkey, url, Filename and dialog written by name (UTF-8).
  std::unique_ptr<zx::CZorvAXCtrl> pageControl(const std::string& url, const std::string& filename,
                                               const std::string& dialog);
  std::int32_t download(zx::CZorvAXCtrl& control, const std::string& compressed, const std::string& ciphered);
  std::int32_t upload(zx::CZorvAXCtrl& control, const std::string& compressed, const std::string& ciphered);
  std::string filenameOf(zx::CZorvAXCtrl& control) { return textOf(get(control, "Filename")); }

  // How many dialogs (choice or progress) the user has been shown.
  int dialogsShown() const;
  // The documents the server stored from uploads, oldest first.
  std::vector<std::string> storedUploads() const;
  unsigned requestsReceived() const;
  // Closes what a saved download left on screen, as the user would.
  void closeCompletedDialogs();

 private:
  static PeerProcess* peer_;
};

// A box as the user saw it: text and caption in UTF-8, owner and style.
void expectBox(const zx::doubles::UiRecord& box, const std::string& caption, const std::string& text,
               zx::platform::Owner owner, unsigned flags);

}  // namespace zxtest
