#pragma once
// The control a page creates from its object element and drives from script. Its script
// methods hand each call to the flow or operation that does the work.
//
// Threads: a control is made, called and destroyed on one thread (its apartment).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/control_state.h"
#include "platform/api.h"
#include "platform/env.h"
#include "platform/ole.h"

namespace zx {

struct CKeyPair;

namespace ids {
ZX_API const ole::Guid& CLSID_ZorvAX();
ZX_API const ole::Guid& LIBID_ZORVAXLib();
ZX_API const ole::Guid& IID_DZorvAX();
ZX_API const ole::Guid& IID_DZorvAXEvents();
ZX_API const ole::Guid& CLSID_ZorvAXPropPage();
}  // namespace ids

class CZorvAXCtrl : public ole::Dispatch, public ControlState {
 public:
  explicit CZorvAXCtrl(const platform::Env& env);
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
  // The persistent state changed since it was last loaded or saved (what a container asks
  // before it saves the page).
  void SetModifiedFlag() { m_modified = true; }
  void clearModifiedFlag() { m_modified = false; }
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

  const platform::Env& env() const { return env_; }

  // The control's own RSA key pair, used only by the self-test.
  std::unique_ptr<CKeyPair> m_cipher;

 private:
  platform::Env env_;
  bool m_modified = false;
};

// The default server address a fresh control carries.
extern const char* const kDefaultHostname;

}  // namespace zx
