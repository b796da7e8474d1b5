#pragma once
// Only pages the user allows drive the control. A browser sites the control in the page that
// hosts it and names that page through the site; a page whose web origin is not allowed in the
// origin list (the one the browser bridge keeps) is asked about once with the consent dialog,
// and refused every member when the answer, or the list, says no. A control no site names a
// page for (a script host, a desktop program's form) works for a program the user started and
// is trusted like it.
#include <string>

#include "platform/registry.h"
#include "platform/ui.h"
#include "ui/origin_consent.h"

#include "platform/win32/system_headers.h"
#include <unknwn.h>

namespace zx::com {

// The URL of the page an object on `site` sits in, as ANSI text; empty when the site names none.
// The document's own moniker comes first (IOleClientSite::GetMoniker of the container: a frame
// is judged by its own page), then the browser's location (IServiceProvider, SID_SWebBrowserApp,
// IWebBrowser2::get_LocationURL).
std::string pageUrlOf(IUnknown* site);

class PageOriginGate {
 public:
  PageOriginGate(platform::Ui& ui, platform::Registry& registry) : gatekeeper_(ui, registry, true) {}

  // True when the page on `site` (null: none) may call the control's members. Asks the user
  // at most once per site; a call made while the question is open is refused.
  bool admits(IUnknown* site);
  // The control moved to another site, maybe another page: the next call is judged afresh.
  void siteChanged() {
    verdict_ = Verdict::Unjudged;
    gatekeeper_.forgetAnswers();
  }
  // The web origin of the page admitted last; empty when no site names a page (the user's own
  // program), which no page scope limits.
  const std::string& pageOrigin() const { return origin_; }

 private:
  enum class Verdict { Unjudged, Asking, Admitted, Refused };
  Verdict judge(IUnknown* site);

  OriginGatekeeper gatekeeper_;
  Verdict verdict_ = Verdict::Unjudged;
  std::string origin_;
};

}  // namespace zx::com
