#pragma once
// What every payload step does first: make sure its input can be opened and show its size and
// the step's own line on the progress dialog.
#include <cstdint>
#include <string_view>

#include "platform/fs.h"

namespace zx {

// The size of the file at path, or FileException when it cannot be opened for reading.
std::int64_t openableFileSize(platform::FileSystem& fs, std::string_view path);

// The progress dialog's byte scale and lower line for a step over `size` bytes; `lowerLine` is
// UTF-8 source text.
void announceStep(std::int64_t size, std::string_view lowerLine);

// A file size as a progress range, which the dialog keeps in 32 bits.
std::int32_t progressRange(std::int64_t size);

}  // namespace zx
