#pragma once
// The open and save file dialogs, drawn by Qt itself on every platform (so they look the same
// everywhere, run offscreen and can be driven by tests).
#include <QStringList>

#include "platform/qt/desktop.h"

namespace zx::platform::qt {

// Qt's form of the filter list: "description (patterns)", the description kept whole when it
// already ends with its patterns; ';' between patterns becomes a space.
QStringList qtNameFilters(const std::vector<FileFilter>& filters);

// Runs the dialog modally over `owner` and answers the chosen path as ANSI text.
FileDialogResult runFileDialog(Desktop& desktop, QWidget* owner, const FileDialogRequest& request);

}  // namespace zx::platform::qt
