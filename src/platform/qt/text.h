#pragma once
// The control speaks ANSI text; Qt speaks UTF-16. Every crossing goes through UTF-8 here.
#include <QString>
#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace zx::platform::qt {

inline QString fromAnsi(std::string_view ansiText) { return QString::fromStdString(ansiToUtf8(ansiText)); }
inline std::string toAnsi(const QString& text) { return utf8ToAnsi(text.toStdString()); }

}  // namespace zx::platform::qt
