#include "control/zorvax_ctrl.h"

#include "control/about_box.h"
#include "control/dispatch_table.h"
#include "control/type_library.h"
#include "core/config_store.h"
#include "core/file_helpers.h"
#include "flows/download_flow.h"
#include "flows/local_ops.h"
#include "flows/upload_flow.h"
#include "flows/xml_flow.h"
#include "platform/version.h"
#include "protect/key_material.h"
#include "protect/self_test.h"
#include "transfer/mac_address.h"

namespace zx {

const char* const kDefaultHostname = "127.0.0.1";

namespace ids {
const ole::Guid& CLSID_ZorvAX() {
  static const ole::Guid g = ole::Guid::constant("{40B8C7BB-FD7C-44CA-BF70-5ADB0DC635CB}");
  return g;
}
const ole::Guid& LIBID_ZORVAXLib() {
  static const ole::Guid g = ole::Guid::constant("{412532B1-0C61-4900-8767-647BD63CA0C5}");
  return g;
}
const ole::Guid& IID_DZorvAX() {
  static const ole::Guid g = ole::Guid::constant("{0E5D207E-8BCD-4ED8-BBB9-3FB75793A0B2}");
  return g;
}
const ole::Guid& IID_DZorvAXEvents() {
  static const ole::Guid g = ole::Guid::constant("{0DA7FB57-54D0-4926-846F-D4906D5C2FBF}");
  return g;
}
const ole::Guid& CLSID_ZorvAXPropPage() {
  static const ole::Guid g = ole::Guid::constant("{C285A07C-EE89-4B46-8E3A-1F73D705BBEE}");
  return g;
}
}  // namespace ids

CZorvAXCtrl::CZorvAXCtrl(const platform::Env& env) : env_(env) {
  Package = "TENDRIAX";
  Hostname = kDefaultHostname;
  Port = "80";
  Filename = "";
  FileFilter = "";
  dialog = "1";
  pageOrigin = env.pageOrigin;
  m_osVersion.size = 148;
  env_.os.queryVersion(m_osVersion);
  m_isVistaOrLater = m_osVersion.majorVersion >= 6;
  // A temporary folder too long for the buffer is left out: the generator then uses its own.
  temporaryFolder = tempDirectoryOf(env_);
  (void)m_tempDir.assign(temporaryFolder);
  // What an ended process left behind there goes: nothing else would ever remove it.
  removeAbandonedIntermediates(env_, m_tempDir.view());
  m_cipher = std::make_unique<CKeyPair>(makeKeyPair());
}

CZorvAXCtrl::~CZorvAXCtrl() = default;

ole::HRESULT CZorvAXCtrl::getIDsOfNames(const ole::Guid& iid, const std::vector<std::u16string>& names,
                                        ole::LCID lcid, std::vector<ole::DISPID>& dispids) {
  // As a type library loaded by its GUID, it answers only while it is registered for the locale.
  return lookupNames(iid, names, lcid, lcid != 0 && typeLibraryLoads(env_.registry, lcid), dispids);
}

ole::HRESULT CZorvAXCtrl::invoke(ole::DISPID dispid, const ole::Guid&, ole::LCID, std::uint16_t flags,
                                 const std::vector<ole::Variant>& args, ole::Variant* result, ole::ExcepInfo*) {
  return invokeMember(*this, dispid, flags, args, result);
}

void CZorvAXCtrl::OnPortChanged() {
  writePackageValue(env_.registry, *this, "Port", Port);
  SetModifiedFlag();
}

void CZorvAXCtrl::OnPackageChanged() {
  if (openOrMakePackageKey(env_.registry, *this)) SetModifiedFlag();
}

void CZorvAXCtrl::OnHostnameChanged() {
  writePackageValue(env_.registry, *this, "Hostname", Hostname);
  SetModifiedFlag();
}

std::int32_t CZorvAXCtrl::setRegisterIfEmpty(const std::string& name, const std::string& value) {
  return zx::setRegisterIfEmpty(env_.registry, *this, name, value);
}

std::int32_t CZorvAXCtrl::setRegisterValue(const std::string& name, const std::string& value) {
  return writePackageValue(env_.registry, *this, name, value);
}

std::int32_t CZorvAXCtrl::Run() { return runCompanion(env_, *this); }

std::string CZorvAXCtrl::getRegisterValue(const std::string& name) {
  return zx::getRegisterValue(env_.registry, *this, name);
}

std::string CZorvAXCtrl::getVersion() const { return kProductVersion; }

std::int32_t CZorvAXCtrl::download(const std::string& userId, const std::string& sessionId,
                                   const std::string& compressed, const std::string& ciphered) {
  return zx::download(env_, *this, userId, sessionId, compressed, ciphered);
}

std::string CZorvAXCtrl::getPath() const { return m_filePath.str(); }

void CZorvAXCtrl::removeFile() { zx::removeFile(env_, *this); }

void CZorvAXCtrl::showFile() { zx::showFile(env_, *this); }

std::int32_t CZorvAXCtrl::saveXml(const std::shared_ptr<ole::Dispatch>& dom) {
  return ret = saveXmlDocument(env_, *this, dom, std::nullopt);
}

std::int32_t CZorvAXCtrl::upload(const std::string& userId, const std::string& compressed,
                                 const std::string& ciphered) {
  return uploadFlow(env_, *this, userId, compressed, ciphered);
}

std::string CZorvAXCtrl::getMACAddr(const std::string& showMsg) { return zx::getMACAddr(env_, showMsg); }

std::int32_t CZorvAXCtrl::saveFile(const std::string& str) { return zx::saveFile(env_, *this, str); }

std::int32_t CZorvAXCtrl::saveXmlWithStyle(const std::shared_ptr<ole::Dispatch>& dom, const std::string& stylesheet) {
  return ret = saveXmlDocument(env_, *this, dom, stylesheet);
}

void CZorvAXCtrl::AboutBox() { showAboutBox(env_.ui); }

std::int32_t CZorvAXCtrl::test_zorvax() { return runSelfTest(env_.ui, *m_cipher); }

}  // namespace zx
