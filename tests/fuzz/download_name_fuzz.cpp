// A page's Filename: whatever name the download rule lets through stays one name in its folder.
#include <cstdlib>
#include <string>

#include "core/file_helpers.h"
#include "fuzz_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const zx::fuzz::RunServices run;
  const std::string filename(reinterpret_cast<const char*>(data), size);
  const std::optional<std::string> name = zx::downloadNameOf(run.env().fs, filename);
  if (!name) return 0;
  // The name the system sees: no separator, no step out of the folder, no control character,
  // and something a file can be called.
  const std::string system = run.env().fs.systemPath(*name);
  if (system.empty() || system == "." || system == ".." || system.size() > 255) std::abort();
  for (unsigned char c : system)
    if (c == '/' || c == '\\' || c < 0x20 || c == 0x7F) std::abort();
  // It is the end of what the page gave.
  if (!filename.ends_with(*name)) std::abort();
  return 0;
}
