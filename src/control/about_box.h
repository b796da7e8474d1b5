#pragma once
// The module's dialogs from their templates: the About box (template 1), and the modal run
// that the About box and the property page share.
#include <string_view>

#include "control/about_box_data.h"
#include "platform/ui.h"

namespace zx {

inline constexpr std::string_view kAboutNotice = ZX_ABOUT_NOTICE;

const platform::DialogTemplate& aboutBoxTemplate();

// Shows the dialog modally over `owner` until the user closes it (its OK button, Cancel, Esc
// or the close box); answers how it was closed. An empty caption keeps the template's.
int runModuleDialog(platform::Ui& ui, const platform::DialogTemplate& dialogTemplate, platform::Owner owner,
                    std::string_view caption = {});

// The About box over the control's window.
void showAboutBox(platform::Ui& ui);

}  // namespace zx
