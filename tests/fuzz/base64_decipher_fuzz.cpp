// The received text of a download: the Base64 reader in every mix of its three reads, then the
// whole decipher of the same file.
#include <cstring>

#include "fuzz_files.h"
#include "protect/base64_file.h"
#include "protect/seed_file.h"

namespace {

// The first input byte chooses how the reader is driven; the rest is the file.
void readInMixedSteps(zx::platform::FileSystem& fs, const std::string& path, std::uint8_t plan) {
  zx::CBase64File reader;
  if (!reader.open(fs, path, "r")) return;
  std::uint8_t buffer[64];
  for (int step = 0;; ++step) {
    const int size = 1 + ((plan >> (step % 4)) & 0x1F);
    switch ((plan + step) % 3) {
      case 0:
        if (reader.readByte() < 0) return;
        break;
      case 1:
        if (!reader.readLine(buffer, size) && reader.readByte() < 0) return;
        break;
      default:
        if (reader.readBytes(buffer, size) == 0) return;
        break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const zx::fuzz::RunServices run;
  const std::string path = zx::fuzz::writeInput("reply.txt", data + 1, size - 1);
  readInMixedSteps(run.env().fs, path, data[0]);
  static const std::uint8_t kKey[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  const std::string plain = (zx::fuzz::workFolder() / "plain.bin").string();
  zx::decipherSeedFile(run.env(), kKey, path, plain, (data[0] & 0x80) != 0);
  return 0;
}
