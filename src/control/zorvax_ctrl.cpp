#include "control/zorvax_ctrl.h"

#include "control/config_store.h"
#include "control/file_helpers.h"
#include "protect/key_material.h"

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

CZorvAXCtrl::CZorvAXCtrl() {
  Package = "TENDRIAX";
  Hostname = kDefaultHostname;
  Port = "80";
  Filename = "";
  FileFilter = "";
  dialog = "1";
  m_osVersion.size = 148;
  platform::queryOsVersion(m_osVersion);
  m_isVistaOrLater = m_osVersion.majorVersion >= 6;
  // A temporary folder too long for the buffer is left out: the generator then uses its own.
  m_tempDir.assign(tempDirectoryOf());
  m_cipher = std::make_unique<CKeyPair>(makeKeyPair());
}

CZorvAXCtrl::~CZorvAXCtrl() = default;

void CZorvAXCtrl::OnPortChanged() {
  writePackageValue(*this, "Port", Port);
  SetModifiedFlag();
}

void CZorvAXCtrl::OnPackageChanged() {
  if (openConfigKey(&Package, true)) SetModifiedFlag();
}

void CZorvAXCtrl::OnHostnameChanged() {
  writePackageValue(*this, "Hostname", Hostname);
  SetModifiedFlag();
}

std::string CZorvAXCtrl::getVersion() const { return "3.1.0"; }

}  // namespace zx
