#!/usr/bin/env bash
# Fuzzes untrusted inputs under AddressSanitizer for a bounded time: the Base64 reader with the
# SEED decipher, the gzip decompress step, the gzip member rule (members decode to their
# concatenation, bytes that are no member are refused), the download's name rule, what a page
# sends the browser host (native-messaging frames with JSON statements) and what a server sends
# a download (the reply's lines, checked against the reader's rules).
#
#   scripts/fuzz.sh [seconds per target, default 60] [target ...]
#
# With targets named (base64_decipher gunzip gzip_members download_name native_messaging
# download_reply), only those are built and run, one after the other.
#
# Builds the layers with clang in build-fuzz/ (instrumented for coverage and AddressSanitizer)
# and one libFuzzer program per target. Exits non-zero when a target finds a fault; the
# reproducer is left in build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

seconds=${1:-60}
shift || true
build=build-fuzz
jobs=2
sanitize="-fsanitize=address -fno-omit-frame-pointer"

cmake -S . -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZX_BUILD_TESTS=OFF -DZX_BUILD_BENCH=OFF -DZX_BUILD_FUZZ=ON \
  -DCMAKE_CXX_FLAGS="$sanitize -fsanitize=fuzzer-no-link" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address" -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address" > /dev/null
all_targets=(base64_decipher gunzip gzip_members download_name native_messaging download_reply)
if [ $# -gt 0 ]; then targets=("$@"); else targets=("${all_targets[@]}"); fi
cmake --build "$build" -j "$jobs" --target "${targets[@]/%/_fuzz}"
for target in "${targets[@]}"; do cp "$build/tests/fuzz/${target}_fuzz" "$build/"; done

# Seeds: a well-formed reply and a well-formed gzip file, so the fuzzers start inside the formats.
seeds=$build/seeds
rm -rf "$seeds"
mkdir -p "${all_targets[@]/#/$seeds/}" "$build/findings"
{ printf '\x80'; { printf 'OK header\n'; head -c 100 /dev/urandom; } | base64 -w 76; } > "$seeds/base64_decipher/reply"
{ printf '\x01'; printf 'MTIK\r\nWFla\r\n'; } > "$seeds/base64_decipher/lines"
printf 'a document, a document, a document\n' | gzip -c > "$seeds/gunzip/doc.gz"
head -c 3000 /dev/urandom | gzip -c > "$seeds/gunzip/random.gz"
printf '\x02first\xffsecond\xff\xfftail' > "$seeds/gzip_members/two"
printf 'x\\../victim/pwned.txt' > "$seeds/download_name/escape"
printf 'C:\\docs\\\xba\xb8\xb0\xed\xbc\xad.hwp' > "$seeds/download_name/korean"
# A page's requests, one a line (the first byte asks for line framing), and the same as frames.
request_lines='{"id":1,"origin":"https://page.example","create":true}
{"id":2,"origin":"https://page.example","control":1,"set":"Package","value":"P"}
{"id":3,"origin":"https://page.example","control":1,"call":"setRegisterValue","args":["k",["v",{"a":[1]}]]}
{"id":4,"origin":"https://page.example","control":1,"invoke":14,"args":["k"]}
{"id":5,"origin":"https://page.example\n","control":1,"ids":["Port","zz\u001b"]}
{"id":6,"origin":"https://page.example","control":1,"close":true}'
{ printf '\x01'; printf '%s' "$request_lines"; } > "$seeds/native_messaging/lines"
{ printf '\x00'; printf '%s\n' "$request_lines" | while IFS= read -r line; do
    printf "$(printf '\\x%02x\\x%02x\\x00\\x00' $((${#line} % 256)) $((${#line} / 256)))"; printf '%s' "$line"; done; } \
  > "$seeds/native_messaging/frames"
printf 'HTTP/1.1 200 OK\r\nQUJD\r\n  REVG  \r\n.\r\nafter\r\n' > "$seeds/download_reply/lines"
{ head -c 1200 /dev/zero | tr '\0' 'A'; printf '\r\nB\n'; } > "$seeds/download_reply/long"
{ head -c 510 /dev/zero | tr '\0' 'A'; printf '\r'; } > "$seeds/download_reply/return-after-full-line"

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
