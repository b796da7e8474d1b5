#include "control/type_library.h"

#include <cstdio>
#include <string>
#include <vector>

#include "control/zorvax_ctrl.h"
#include "core/classes_root.h"
#include "core/file_helpers.h"
#include "platform/module_file.h"

namespace zx {
namespace {

namespace reg = platform::reg;

constexpr const char* kTypeLibraryHelpString = "ZorvAX ActiveX Control module";
// The type library describes itself in locale 0x0409.
constexpr const char* kTypeLibraryLocale = "409";
// Dispinterfaces are marshalled by the system's dispatch proxy.
constexpr const char* kDispatchProxy = "{00020420-0000-0000-C000-000000000046}";

std::string typeLibraryKey() { return "TypeLib\\" + ids::LIBID_ZORVAXLib().toString(); }
std::string typeLibraryVersionKey() { return typeLibraryKey() + "\\" + kTypeLibraryVersionText; }

struct DispInterface {
  const ole::Guid& iid;
  const char* name;
};

// A locale's subkey: its number in hexadecimal, as the system names it.
std::string localeKey(ole::LCID lcid) {
  char text[9];
  std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(lcid));
  return text;
}

bool registeredFor(platform::Registry& registry, std::string_view locale) {
  const auto path =
      ClassesRoot(registry).readText(typeLibraryVersionKey() + "\\" + std::string(locale) + "\\win32", "");
  return path && !path->empty();
}

std::vector<DispInterface> dispInterfaces() {
  return {{ids::IID_DZorvAX(), "_DZorvAX"}, {ids::IID_DZorvAXEvents(), "_DZorvAXEvents"}};
}

bool registerInterface(ClassesRoot& root, const DispInterface& dispInterface) {
  const std::string key = "Interface\\" + dispInterface.iid.toString();
  return root.setText(key, "", dispInterface.name) && root.setText(key + "\\ProxyStubClsid", "", kDispatchProxy) &&
         root.setText(key + "\\ProxyStubClsid32", "", kDispatchProxy) &&
         root.setText(key + "\\TypeLib", "", ids::LIBID_ZORVAXLib().toString()) &&
         root.setText(key + "\\TypeLib", "Version", kTypeLibraryVersionText);
}

}  // namespace

ole::HRESULT registerTypeLibrary(platform::Registry& registry) {
  // The library travels inside the module: without the module's name it cannot be found.
  const std::string module = platform::moduleFileName();
  if (module.empty()) return ole::TYPE_E_LIBNOTREGISTERED;
  ClassesRoot root(registry);
  const std::string key = typeLibraryVersionKey();
  bool written = root.setText(key, "", kTypeLibraryHelpString) &&
                 root.setText(key + "\\" + kTypeLibraryLocale + "\\win32", "", module) &&
                 root.setText(key + "\\FLAGS", "", "0") && root.setText(key + "\\HELPDIR", "", directoryOf(module));
  for (const DispInterface& dispInterface : dispInterfaces())
    written = written && registerInterface(root, dispInterface);
  return written ? ole::S_OK : ole::E_FAIL;
}

ole::HRESULT unregisterTypeLibrary(platform::Registry& registry) {
  ClassesRoot root(registry);
  if (long status = root.keyStatus(typeLibraryVersionKey()); status != reg::kSuccess)
    return status == reg::kFileNotFound ? ole::TYPE_E_LIBNOTREGISTERED : ole::E_FAIL;
  bool removed = root.removeTree(typeLibraryVersionKey()) && root.removeIfLeaf(typeLibraryKey());
  for (const DispInterface& dispInterface : dispInterfaces())
    removed = root.removeTree("Interface\\" + dispInterface.iid.toString()) && removed;
  return removed ? ole::S_OK : ole::E_FAIL;
}

bool isTypeLibraryRegistered(platform::Registry& registry) {
  return registeredFor(registry, kTypeLibraryLocale);
}

bool typeLibraryLoads(platform::Registry& registry, ole::LCID lcid) {
  constexpr ole::LCID kPrimaryLanguageMask = 0x3FF;
  for (ole::LCID locale : {lcid, lcid & kPrimaryLanguageMask, ole::LCID{0}})
    if (registeredFor(registry, localeKey(locale))) return true;
  return false;
}

}  // namespace zx
