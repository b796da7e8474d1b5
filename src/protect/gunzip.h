#pragma once
// gzip for the payload: decompression of downloads with progress, compression of uploads.
#include <cryptopp/gzip.h>

#include <cstdint>
#include <string_view>

#include "platform/env.h"

namespace CryptoPP {

// Gunzip that reports each piece of decompressed data to a progress callback.
class CryptoGunzip : public Gunzip {
 public:
  using ProgressCallback = void (*)(std::uint32_t userData, std::uint32_t bytesDone, std::uint32_t range);

  CryptoGunzip(BufferedTransformation* attachment, bool repeat, int autoSignalPropagation,
               ProgressCallback progressCallback, std::uint32_t userData, std::uint32_t expectedTotal)
      : Gunzip(attachment, repeat, autoSignalPropagation),
        progressCallback_(progressCallback),
        userData_(userData),
        expectedTotal_(expectedTotal) {}

  std::uint32_t bytesDone() const { return bytesDone_; }

 protected:
  void ProcessDecompressedData(const byte* string, size_t length) override;

 private:
  ProgressCallback progressCallback_;
  std::uint32_t userData_;
  std::uint32_t bytesDone_ = 0;
  std::uint32_t expectedTotal_;
};

}  // namespace CryptoPP

namespace zx {

// Decompresses gzPath into plainPath (made by the caller): 0, or -1 after telling the user.
// Every gzip member is decoded; bytes after the last that are no member are a failure.
// deleteInput removes gzPath either way, except when it cannot be found.
std::int32_t decompressStep(const platform::Env& env, std::string_view gzPath, std::string_view plainPath,
                            bool deleteInput);

// Writes sourcePath gzip-compressed into tempPath (made by the caller): 0, -1 after telling the
// user, -2 when the user cancelled. tempPath is removed unless it holds the compressed copy.
std::int32_t compressStep(const platform::Env& env, std::string_view sourcePath, std::string_view tempPath);

}  // namespace zx
