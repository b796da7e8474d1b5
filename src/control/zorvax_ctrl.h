#pragma once
// The control a page creates from its object element and drives from script.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "control/fixed_text.h"
#include "platform/ole.h"
#include "platform/osinfo.h"

namespace zx {

struct CKeyPair;

namespace ids {
const ole::Guid& CLSID_ZorvAX();
const ole::Guid& LIBID_ZORVAXLib();
const ole::Guid& IID_DZorvAX();
const ole::Guid& IID_DZorvAXEvents();
const ole::Guid& CLSID_ZorvAXPropPage();
}  // namespace ids

class CZorvAXCtrl : public ole::Dispatch {
 public:
  CZorvAXCtrl();
  ~CZorvAXCtrl() override;
  CZorvAXCtrl(const CZorvAXCtrl&) = delete;
  CZorvAXCtrl& operator=(const CZorvAXCtrl&) = delete;

  // Dispatch
  ole::HRESULT getIDsOfNames(const ole::Guid& iid, const std::vector<std::u16string>& names, ole::LCID lcid,
                             std::vector<ole::DISPID>& dispids) override;
  ole::HRESULT invoke(ole::DISPID dispid, const ole::Guid& iid, ole::LCID lcid, std::uint16_t flags,
                      const std::vector<ole::Variant>& args, ole::Variant* result,
                      ole::ExcepInfo* excepInfo) override;

  // Property change handlers (run after a write from script).
  void OnPortChanged();
  void OnPackageChanged();
  void OnHostnameChanged();
  void SetModifiedFlag() { m_modified = true; }
  bool isModified() const { return m_modified; }

  // Script methods (ANSI text in and out).
  std::int32_t setRegisterIfEmpty(const std::string& name, const std::string& value);
  std::int32_t setRegisterValue(const std::string& name, const std::string& value);
  std::int32_t Run();
  std::string getRegisterValue(const std::string& name);
  std::string getVersion() const;
  std::int32_t download(const std::string& userId, const std::string& sessionId, const std::string& compressed,
                        const std::string& ciphered);
  std::string getPath() const;
  void removeFile();
  void showFile();
  std::int32_t saveXml(const std::shared_ptr<ole::Dispatch>& dom);
  std::int32_t upload(const std::string& userId, const std::string& compressed, const std::string& ciphered);
  std::string getMACAddr(const std::string& showMsg);
  std::int32_t saveFile(const std::string& str);
  std::int32_t saveXmlWithStyle(const std::shared_ptr<ole::Dispatch>& dom, const std::string& stylesheet);
  void AboutBox();
  std::int32_t test_zorvax();

  // Members, in the order of the design.
  std::unique_ptr<CKeyPair> m_cipher;
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

 private:
  bool m_modified = false;
};

// The default server address a fresh control carries.
extern const char* const kDefaultHostname;

}  // namespace zx
