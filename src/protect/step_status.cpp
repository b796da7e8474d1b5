#include "protect/step_status.h"

#include <algorithm>
#include <limits>
#include <string>

#include "platform/codepage.h"
#include "platform/exceptions.h"
#include "ui/status_dialog.h"

namespace zx {

std::int64_t openableFileSize(platform::FileSystem& fs, std::string_view path) {
  if (!fs.open(path, "rb").isOpen()) throw FileException(ansi("파일을 열 수 없습니다.\n") + std::string(path));
  return static_cast<std::int64_t>(fs.fileSize(path).value_or(0));
}

void announceStep(std::int64_t size, std::string_view lowerLine) {
  showCurrentByteCounts(0, size);
  updateStatus(nullptr, ansi(lowerLine).c_str(), 0, progressRange(size));
}

std::int32_t progressRange(std::int64_t size) {
  return static_cast<std::int32_t>(std::min<std::int64_t>(size, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace zx
