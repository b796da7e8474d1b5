// Throughput of the payload steps next to a reference doing the same work on the same 64 MiB
// document in the same run: Crypto++'s SEED for the decipher, coreutils' base64 for the Base64
// reader, gzip for the decompressor. Prints MiB/s and the ratio step/reference.
//
//   protect_bench [work folder] [MiB]
#include <cryptopp/base64.h>
#include <cryptopp/files.h>
#include <cryptopp/filters.h>
#include <cryptopp/gzip.h>
#include <cryptopp/modes.h>
#include <cryptopp/seed.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>

#include "platform/console_ui.h"
#include "platform/system_services.h"
#include "protect/base64_file.h"
#include "protect/gunzip.h"
#include "protect/seed_file.h"

namespace {

constexpr int kRepetitions = 3;
const std::uint8_t kKey[16] = {0x28, 0xDB, 0xC3, 0xBC, 0x49, 0xFF, 0xD8, 0x7D,
                               0xCF, 0xA5, 0x09, 0xB1, 0x1D, 0x42, 0x2B, 0xE7};

// The best of a few runs, in seconds: the machine is shared, the minimum is the cost.
double bestSeconds(const std::function<void()>& work) {
  double best = 1e30;
  for (int i = 0; i < kRepetitions; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

// Text-like content that compresses the way documents do.
std::string makeDocument(std::size_t size) {
  static const char* const kWords[] = {"document ", "exchange ", "server ", "record ", "2024-05-17 ", "amount ",
                                       "<item>", "</item>\n", "KRW ", "approved ", "pending ", "signature "};
  std::mt19937 engine(17);
  std::string document;
  document.reserve(size + 16);
  while (document.size() < size) {
    document += kWords[engine() % std::size(kWords)];
    if (engine() % 5 == 0) document += std::to_string(engine() % 100000);
  }
  document.resize(size);
  return document;
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void runCommand(const std::string& command) {
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "failed: %s\n", command.c_str());
    std::exit(1);
  }
}

void report(const char* step, const char* reference, double mib, double stepSeconds, double referenceSeconds) {
  std::printf("%-40s %8.1f MiB/s\n", step, mib / stepSeconds);
  std::printf("%-40s %8.1f MiB/s\n", reference, mib / referenceSeconds);
  std::printf("%-40s %8.2f\n\n", "ratio (step / reference)", referenceSeconds / stepSeconds);
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path folder = argc > 1 ? argv[1] : std::filesystem::temp_directory_path() / "zx-protect-bench";
  const std::size_t mib = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 64;
  std::filesystem::create_directories(folder);
  const std::string b64Path = (folder / "reply.b64").string();
  const std::string gzPath = (folder / "reply.gz").string();
  const std::string plainPath = (folder / "plain.out").string();
  const std::string referencePath = (folder / "reference.out").string();
  zx::platform::SystemSettings settings;
  settings.home = (folder / "home").string();
  zx::platform::SystemServices services(settings);
  zx::platform::ConsoleUi console;
  const zx::platform::Env env = services.env(console);

  // The server's reply: a header line, then the document padded and enciphered, as Base64 lines.
  std::string document = makeDocument(mib << 20);
  std::string padded = document + std::string(16, '\x10');
  std::string cipher(padded.size(), '\0');
  CryptoPP::ECB_Mode<CryptoPP::SEED>::Encryption(kKey, 16).ProcessData(
      reinterpret_cast<CryptoPP::byte*>(cipher.data()), reinterpret_cast<const CryptoPP::byte*>(padded.data()),
      padded.size());
  padded.clear();
  padded.shrink_to_fit();
  CryptoPP::StringSource("OK 200\n" + cipher, true,
                         new CryptoPP::Base64Encoder(new CryptoPP::FileSink(b64Path.c_str()), true, 76));
  CryptoPP::StringSource(document, true, new CryptoPP::Gzip(new CryptoPP::FileSink(gzPath.c_str())));
  std::printf("document %zu MiB; Base64 text %ju bytes; gzip %ju bytes\n\n", mib,
              static_cast<std::uintmax_t>(std::filesystem::file_size(b64Path)),
              static_cast<std::uintmax_t>(std::filesystem::file_size(gzPath)));

  std::freopen("/dev/null", "w", stderr);  // the decipher's trace line
  const double decipher = bestSeconds([&] { zx::decipherSeedFile(env, kKey, b64Path, plainPath, true); });
  if (std::filesystem::file_size(plainPath) != document.size()) return 1;
  std::string decrypted(cipher.size(), '\0');
  const double seedInMemory = bestSeconds([&] {
    CryptoPP::ECB_Mode<CryptoPP::SEED>::Decryption(kKey, 16).ProcessData(
        reinterpret_cast<CryptoPP::byte*>(decrypted.data()), reinterpret_cast<const CryptoPP::byte*>(cipher.data()),
        cipher.size());
  });
  report("decipherSeedFile (Base64 file -> file)", "Crypto++ SEED ECB in memory", static_cast<double>(mib), decipher,
         seedInMemory);

  const auto chunk = std::make_unique<std::uint8_t[]>(64 * 1024);
  const double reader = bestSeconds([&] {
    zx::CBase64File file;
    file.open(env.fs, b64Path, "r");
    while (file.readBytes(chunk.get(), 64 * 1024) > 0) {
    }
  });
  const double coreutils = bestSeconds([&] { runCommand("base64 -d '" + b64Path + "' > /dev/null"); });
  report("CBase64File reader", "base64 -d", static_cast<double>(mib), reader, coreutils);

  const double gunzip = bestSeconds([&] { zx::decompressStep(env, gzPath, plainPath, false); });
  if (std::filesystem::file_size(plainPath) != document.size()) return 1;
  const double gzip = bestSeconds([&] { runCommand("gzip -dc '" + gzPath + "' > '" + referencePath + "'"); });
  report("decompressStep (file -> file)", "gzip -dc (file -> file)", static_cast<double>(mib), gunzip, gzip);

  std::filesystem::remove_all(folder);
  return 0;
}
