#include "protect/step_status.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <string>

#include "control/exceptions.h"
#include "platform/codepage.h"
#include "platform/fs.h"
#include "ui/status_dialog.h"

namespace zx {

std::int64_t openableFileSize(std::string_view path) {
  std::FILE* file = platform::fs::openFile(path, "rb");
  if (!file) throw FileException(ansi("파일을 열 수 없습니다.\n") + std::string(path));
  std::fclose(file);
  return static_cast<std::int64_t>(platform::fs::fileSize(path).value_or(0));
}

void announceStep(std::int64_t size, std::string_view lowerLine) {
  showCurrentByteCounts(0, size);
  updateStatus(nullptr, ansi(lowerLine).c_str(), 0, progressRange(size));
}

std::int32_t progressRange(std::int64_t size) {
  return static_cast<std::int32_t>(std::min<std::int64_t>(size, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace zx
