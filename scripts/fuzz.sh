#!/usr/bin/env bash
# Fuzzes untrusted inputs under AddressSanitizer for a bounded time: the Base64 reader with the
# SEED decipher, the gzip decompress step, the gzip member rule (members decode to their
# concatenation, bytes that are no member are refused) and the download's name rule.
#
#   scripts/fuzz.sh [seconds per target, default 60]
#
# Builds the layers with clang in build-fuzz/ (instrumented for coverage and AddressSanitizer)
# and one libFuzzer program per target. Exits non-zero when a target finds a fault; the
# reproducer is left in build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

seconds=${1:-60}
build=build-fuzz
jobs=2
sanitize="-fsanitize=address -fno-omit-frame-pointer"

cmake -S . -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZX_BUILD_TESTS=OFF -DZX_BUILD_BENCH=OFF -DZX_BUILD_FUZZ=ON \
  -DCMAKE_CXX_FLAGS="$sanitize -fsanitize=fuzzer-no-link" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address" -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address" > /dev/null
targets=(base64_decipher gunzip gzip_members download_name)
cmake --build "$build" -j "$jobs" --target "${targets[@]/%/_fuzz}"
for target in "${targets[@]}"; do cp "$build/tests/fuzz/${target}_fuzz" "$build/"; done

# Seeds: a well-formed reply and a well-formed gzip file, so the fuzzers start inside the formats.
seeds=$build/seeds
rm -rf "$seeds"
mkdir -p "$seeds/base64_decipher" "$seeds/gunzip" "$seeds/gzip_members" "$seeds/download_name" "$build/findings"
{ printf '\x80'; { printf 'OK header\n'; head -c 100 /dev/urandom; } | base64 -w 76; } > "$seeds/base64_decipher/reply"
{ printf '\x01'; printf 'MTIK\r\nWFla\r\n'; } > "$seeds/base64_decipher/lines"
printf 'a document, a document, a document\n' | gzip -c > "$seeds/gunzip/doc.gz"
head -c 3000 /dev/urandom | gzip -c > "$seeds/gunzip/random.gz"
printf '\x02first\xffsecond\xff\xfftail' > "$seeds/gzip_members/two"
printf 'x\\../victim/pwned.txt' > "$seeds/download_name/escape"
printf 'C:\\docs\\\xba\xb8\xb0\xed\xbc\xad.hwp' > "$seeds/download_name/korean"

status=0
for target in "${targets[@]}"; do
  corpus=$build/corpus/$target
  mkdir -p "$corpus"
  echo "== $target: ${seconds}s"
  if ! ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 "$build/${target}_fuzz" "$corpus" "$seeds/$target" \
      -max_total_time="$seconds" -max_len=65536 -close_fd_mask=2 -print_final_stats=1 \
      -artifact_prefix="$build/findings/${target}-" 2>&1 | tail -n 25; then
    status=1
  fi
done
exit $status
