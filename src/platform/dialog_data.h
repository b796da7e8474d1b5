#pragma once
// A dialog's data is written once, as rows of macros in a header of its own (NAME_FRAME and
// NAME_ITEMS, see ui/status_dialog_data.h): the Windows module's resource script compiles the
// rows into its dialog resources, and ZX_DIALOG_TEMPLATE turns the same rows into the
// DialogTemplate every other interface builds its windows from, so the two cannot drift.
//
// Frame row: FRAME(id, role, x, y, width, height, caption, points, font), role POPUP (a
// captioned pop-up with a system menu and modal frame) or CHILD (a page without a caption).
// Item row: ITEM(kind, id, x, y, width, height, text), kind one of LTEXT, CTEXT, RTEXT,
// PROGRESS, PUSHBUTTON, DEFPUSHBUTTON, CHECKBOX (an automatic one) or ICON (whose text is the
// number of an icon resource). Texts are UTF-8; positions are dialog units.
#include <initializer_list>
#include <string_view>

#include "platform/codepage.h"
#include "platform/ui.h"

namespace zx::platform {

ZX_API DialogTemplate dialogFromRows(int id, bool child, int x, int y, int width, int height, std::string_view caption,
                                     int points, std::string_view font, std::initializer_list<DialogItem> items);

}  // namespace zx::platform

#define ZX_DIALOG_ROLE_POPUP false
#define ZX_DIALOG_ROLE_CHILD true

#define ZX_DIALOG_KIND_LTEXT ::zx::platform::ItemKind::Static
#define ZX_DIALOG_KIND_CTEXT ::zx::platform::ItemKind::StaticCentred
#define ZX_DIALOG_KIND_RTEXT ::zx::platform::ItemKind::StaticRight
#define ZX_DIALOG_KIND_PROGRESS ::zx::platform::ItemKind::ProgressBar
#define ZX_DIALOG_KIND_PUSHBUTTON ::zx::platform::ItemKind::PushButton
#define ZX_DIALOG_KIND_DEFPUSHBUTTON ::zx::platform::ItemKind::DefPushButton
#define ZX_DIALOG_KIND_ICON ::zx::platform::ItemKind::Icon
#define ZX_DIALOG_KIND_CHECKBOX ::zx::platform::ItemKind::CheckBox

// An icon item names its resource by number; every other text is a string.
#define ZX_DIALOG_TEXT_ICON(text) #text
#define ZX_DIALOG_TEXT_LTEXT(text) text
#define ZX_DIALOG_TEXT_CTEXT(text) text
#define ZX_DIALOG_TEXT_RTEXT(text) text
#define ZX_DIALOG_TEXT_PROGRESS(text) text
#define ZX_DIALOG_TEXT_PUSHBUTTON(text) text
#define ZX_DIALOG_TEXT_DEFPUSHBUTTON(text) text
#define ZX_DIALOG_TEXT_CHECKBOX(text) text

#define ZX_DIALOG_CPP_ITEM(kind, id, x, y, width, height, text) \
  ::zx::platform::DialogItem{id, ZX_DIALOG_KIND_##kind, x, y, width, height, ::zx::ansi(ZX_DIALOG_TEXT_##kind(text))},
#define ZX_DIALOG_CPP_FRAME(id, role, x, y, width, height, caption, points, font) \
  id, ZX_DIALOG_ROLE_##role, x, y, width, height, ::zx::ansi(caption), points, ::zx::ansi(font)

// The DialogTemplate of the dialog whose rows are NAME_FRAME and NAME_ITEMS.
#define ZX_DIALOG_TEMPLATE(NAME) \
  ::zx::platform::dialogFromRows(NAME##_FRAME(ZX_DIALOG_CPP_FRAME), {NAME##_ITEMS(ZX_DIALOG_CPP_ITEM)})
