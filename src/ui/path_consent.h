#pragma once
// The question asked before a page uses a path outside its scope (core/page_scope.h), template
// 302: the site, the operation, the whole path; Allow once, Always for this folder, or Deny.
#include <optional>
#include <string>
#include <string_view>

#include "core/control_state.h"
#include "core/page_scope.h"
#include "platform/env.h"
#include "platform/ui.h"
#include "ui/path_consent_data.h"

namespace zx {

namespace pathdlg {
constexpr int kTemplateId = ZX_PATH_CONSENT_ID;
constexpr int kOriginText = ZX_PATH_CONSENT_ORIGIN_TEXT, kOperationText = ZX_PATH_CONSENT_OPERATION_TEXT,
              kPathText = ZX_PATH_CONSENT_PATH_TEXT, kOnceButton = ZX_PATH_CONSENT_ONCE_BUTTON,
              kFolderButton = ZX_PATH_CONSENT_FOLDER_BUTTON, kDenyButton = ZX_PATH_CONSENT_DENY_BUTTON;
platform::DialogTemplate dialogTemplate();
}  // namespace pathdlg

enum class PathConsent { Deny, AllowOnce, AllowFolder };

// Asks modally, owned by nobody. Esc, the close box, a dialog nobody acts on (no display: the
// console's dialogs answer at once) and a dialog that cannot be made deny.
PathConsent askPathConsent(platform::Ui& ui, std::string_view origin, PageOperation operation, std::string_view path);

// The page's scope for one operation: the path the operation uses, or nullopt when it must not
// touch it. Inside the scope at once; outside only when the user allows it, "Always for this
// folder" granting the path's folder to the origin for later operations; never the reserved places.
std::optional<std::string> admitPagePath(const platform::Env& env, const ControlState& control, std::string_view path,
                                         PageOperation operation);

}  // namespace zx
