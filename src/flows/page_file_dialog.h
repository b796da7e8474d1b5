#pragma once
// The open or save dialog a method shows for the page's file: the page's Filename is the
// initial name and its FileFilter the list of types.
#include <string>
#include <utility>

#include "core/control_state.h"
#include "platform/ui.h"

namespace zx {

inline platform::FileDialogRequest pageFileDialog(const ControlState& control, bool save, std::string defaultExtension,
                                                  unsigned flags) {
  platform::FileDialogRequest request;
  request.save = save;
  request.defaultExtension = std::move(defaultExtension);
  request.initialName = control.Filename;
  request.flags = flags;
  request.filters = platform::parseFilterText(control.FileFilter);
  return request;
}

}  // namespace zx
