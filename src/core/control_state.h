#pragma once
// The control's properties and working members, in the order of its design. The control
// object holds them; the operations below it read and write the ones they are given.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fixed_text.h"
#include "platform/osinfo.h"

namespace zx {

struct ControlState {
  bool m_isVistaOrLater = false;
  std::string Port;
  std::string Package;
  std::string Hostname;
  std::string Pubkey;
  std::string Filename;
  std::string url;
  std::int32_t size = 0;
  std::string FileFilter;
  std::string dialog;
  std::int32_t ret = 0;
  std::uintptr_t m_hBrowserWnd = 0;
  std::string m_requestObject;
  std::uint16_t m_serverPort = 0;
  std::uint32_t m_serviceType = 0;
  PathText m_filePath;
  PathText m_scratchPath;
  std::uint8_t m_sessionKey[16] = {};
  PathText m_tempDir;
  platform::OsVersion m_osVersion;
  bool openChosen = false;
  // The web origin of the page driving this control, empty for a program the user runs. The
  // browser host names it when it makes the control; the Windows module's page gate when it
  // admits the page.
  std::string pageOrigin;
  // The files this control made for the page (a download's result, a saveFile output): the
  // only ones removeFile deletes.
  std::vector<std::string> producedFiles;
  // The files the user chose in this control's open and save dialogs: the page may use them.
  std::vector<std::string> pickedFiles;
  // The control's own temporary folder as it was made (m_tempDir follows a download's target).
  std::string temporaryFolder;

  void recordProduced(const std::string& path) {
    if (!isProduced(path)) producedFiles.push_back(path);
  }
  bool isProduced(std::string_view path) const {
    return std::find(producedFiles.begin(), producedFiles.end(), path) != producedFiles.end();
  }
  void forgetProduced(std::string_view path) { std::erase(producedFiles, path); }
  void recordPicked(const std::string& path) {
    if (std::find(pickedFiles.begin(), pickedFiles.end(), path) == pickedFiles.end()) pickedFiles.push_back(path);
  }
};

}  // namespace zx
