// The gzip member rule: members made from the input decode to their concatenation, and bytes
// after the last member that cannot start one are refused.
#include <zlib.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_files.h"
#include "platform/fs.h"
#include "protect/gunzip.h"

namespace {

std::string gzipMember(const std::string& plain, int level) {
  z_stream stream{};
  if (deflateInit2(&stream, level, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) std::abort();
  std::string out(deflateBound(&stream, plain.size()) + 32, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
  stream.avail_in = static_cast<uInt>(plain.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  if (deflate(&stream, Z_FINISH) != Z_STREAM_END) std::abort();
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

std::optional<std::string> gunzip(const zx::platform::Env& env, const std::string& packed, std::string& plain) {
  const std::string in = zx::fuzz::writeInput("members.gz", reinterpret_cast<const std::uint8_t*>(packed.data()),
                                              packed.size());
  const std::string outPath = (zx::fuzz::workFolder() / "members.out").string();
  zx::platform::File input = env.fs.open(in, "rb");
  zx::platform::File output = env.fs.open(outPath, "wb");
  std::optional<std::string> failure = zx::gunzipMembers(input, output, nullptr, 0, 0);
  output.close();
  zx::platform::File back = env.fs.open(outPath, "rb");
  plain.clear();
  char block[4096];
  while (std::size_t n = back.read(block, sizeof block)) plain.append(block, n);
  return failure;
}

}  // namespace

// Input: a count of members (first byte), then their texts separated by 0xFF, then after the
// last separator the bytes that follow the members.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const zx::fuzz::RunServices run;
  const int members = 1 + data[0] % 4;
  std::vector<std::string> texts(1);
  std::string tail;
  for (std::size_t i = 1; i < size; ++i) {
    if (data[i] == 0xFF && static_cast<int>(texts.size()) < members) {
      texts.emplace_back();
    } else if (static_cast<int>(texts.size()) == members && data[i] == 0xFF) {
      tail.assign(reinterpret_cast<const char*>(data + i + 1), size - i - 1);
      break;
    } else {
      texts.back() += static_cast<char>(data[i]);
    }
  }
  std::string packed, expected;
  for (std::size_t m = 0; m < texts.size(); ++m) {
    packed += gzipMember(texts[m], static_cast<int>(m % 10));
    expected += texts[m];
  }
  std::string plain;
  if (gunzip(run.env(), packed, plain) || plain != expected) std::abort();
  // A tail whose first byte cannot begin a gzip member is never taken for one.
  if (!tail.empty() && static_cast<unsigned char>(tail[0]) != 0x1F) {
    if (!gunzip(run.env(), packed + tail, plain)) std::abort();
    if (plain.size() > expected.size() || expected.compare(0, plain.size(), plain) != 0) std::abort();
  }
  return 0;
}
