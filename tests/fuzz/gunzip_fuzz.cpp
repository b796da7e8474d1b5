// A received document that claims to be gzip: the decompress step over arbitrary bytes.
#include "fuzz_files.h"
#include "platform/scripted_ui.h"
#include "protect/gunzip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Damaged input is reported in a box; a fresh scripted user takes it without printing it and
  // without keeping a record of every run.
  zx::platform::setUi(std::make_shared<zx::platform::ScriptedUi>());
  const std::string gz = zx::fuzz::writeInput("reply.gz", data, size);
  const std::string plain = (zx::fuzz::workFolder() / "plain.bin").string();
  zx::decompressStep(gz, plain, false);
  return 0;
}
