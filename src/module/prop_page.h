#pragma once
// The control's property page (template 200, caption "General"): it binds no property and
// only shows its text. Made by its class factory; reached through the Properties verb.
#include <string>
#include <vector>

#include "platform/env.h"
#include "platform/ole.h"
#include "platform/ui.h"

namespace zx {

class CZorvAXCtrl;

class CZorvAXPropPage : public ole::Dispatch {
 public:
  explicit CZorvAXPropPage(const platform::Env& env) : env_(env) {}

  static constexpr const char* kCaption = "General";
  static const platform::DialogTemplate& dialogTemplate();

  // The page in its frame over the control's window, until the user closes it.
  int show();

  // The page has no scripted members.
  ole::HRESULT getIDsOfNames(const ole::Guid& iid, const std::vector<std::u16string>& names, ole::LCID lcid,
                             std::vector<ole::DISPID>& dispids) override;
  ole::HRESULT invoke(ole::DISPID dispid, const ole::Guid& iid, ole::LCID lcid, std::uint16_t flags,
                      const std::vector<ole::Variant>& args, ole::Variant* result, ole::ExcepInfo* excepInfo) override;

 private:
  platform::Env env_;
};

// The control's property-page list: the one page above.
std::vector<ole::Guid> propertyPageIds();

// The Properties verb: makes each listed page through its factory and shows it. Answers
// false when a page could not be made.
bool showProperties(CZorvAXCtrl& control);

}  // namespace zx
