// A received document that claims to be gzip: the decompress step over arbitrary bytes.
#include "fuzz_files.h"
#include "protect/gunzip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const zx::fuzz::RunServices run;
  const std::string gz = zx::fuzz::writeInput("reply.gz", data, size);
  const std::string plain = (zx::fuzz::workFolder() / "plain.bin").string();
  zx::decompressStep(run.env(), gz, plain, false);
  return 0;
}
