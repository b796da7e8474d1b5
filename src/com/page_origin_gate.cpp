#include "com/page_origin_gate.h"

#include "core/origin_list.h"
#include "platform/win32/win32_text.h"

#include <exdisp.h>
#include <oleidl.h>
#include <servprov.h>
#include <shlguid.h>

namespace zx::com {
namespace {

template <typename T>
struct Held {
  T* p = nullptr;
  ~Held() {
    if (p) p->Release();
  }
  void** out() { return reinterpret_cast<void**>(&p); }
};

std::string takeText(BSTR text) {
  std::string ansi = text ? platform::ansiText(std::wstring_view(text, SysStringLen(text))) : std::string();
  SysFreeString(text);
  return ansi;
}

std::string containerMonikerUrl(IUnknown* site) {
  Held<IOleClientSite> client;
  if (FAILED(site->QueryInterface(IID_IOleClientSite, client.out()))) return {};
  Held<IMoniker> moniker;
  if (FAILED(client.p->GetMoniker(OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_CONTAINER, &moniker.p)) || !moniker.p)
    return {};
  Held<IBindCtx> context;
  if (FAILED(CreateBindCtx(0, &context.p))) return {};
  LPOLESTR name = nullptr;
  if (FAILED(moniker.p->GetDisplayName(context.p, nullptr, &name)) || !name) return {};
  std::string url = platform::ansiText(name);
  CoTaskMemFree(name);
  return url;
}

std::string browserLocation(IUnknown* site) {
  Held<IServiceProvider> services;
  if (FAILED(site->QueryInterface(IID_IServiceProvider, services.out()))) return {};
  Held<IWebBrowser2> browser;
  if (FAILED(services.p->QueryService(SID_SWebBrowserApp, IID_IWebBrowser2, browser.out())) || !browser.p) return {};
  BSTR location = nullptr;
  if (FAILED(browser.p->get_LocationURL(&location))) return {};
  return takeText(location);
}

}  // namespace

std::string pageUrlOf(IUnknown* site) {
  if (!site) return {};
  std::string url = containerMonikerUrl(site);
  return url.empty() ? browserLocation(site) : url;
}

bool PageOriginGate::admits(IUnknown* site) {
  if (verdict_ == Verdict::Unjudged) verdict_ = judge(site);
  return verdict_ == Verdict::Admitted;
}

// The origin decision the browser host makes too. A page with no web origin (a local file,
// about:blank) cannot be named or remembered, and is refused.
PageOriginGate::Verdict PageOriginGate::judge(IUnknown* site) {
  origin_.clear();
  const std::string url = pageUrlOf(site);
  if (url.empty()) return Verdict::Admitted;
  const auto origin = originOfPage(url);
  if (!origin) return Verdict::Refused;
  // The question's modal loop may run the page's script again: its calls are refused meanwhile.
  const OriginDecision decision = gatekeeper_.decide(*origin, [this] { verdict_ = Verdict::Asking; });
  if (!decision.allowed) return Verdict::Refused;
  origin_ = *origin;
  return Verdict::Admitted;
}

}  // namespace zx::com
