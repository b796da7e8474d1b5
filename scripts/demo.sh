#!/usr/bin/env bash
# The main job: the reference server on loopback serves a Korean-named document; the control
# downloads it (deciphering and decompressing it), checks it against the original, and uploads
# a file back. Everything it makes lives in one temporary folder that it shows and then removes.
# Then the same from a web page: the demo page in headless Chromium, through the extension and
# the browser host (browser/demo.mjs).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build -j "$(nproc)" --target zorvax_host zorvax-docserver > /dev/null

zorvax=$PWD/build/bin/zorvax
work=$(mktemp -d)
home=$work/home
docs=$work/server-docs
downloads=$work/downloads
mkdir -p "$home" "$docs" "$downloads"
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2> /dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

document="전자문서 안내.txt"
{
  echo "ZorvAX 데모 문서입니다."
  for i in $(seq 1 2000); do echo "줄 $i: 통신 보안이 적용된 전자문서 교환 - line $i of the demo document"; done
} > "$docs/$document"

echo "== starting the document server on loopback"
mkfifo "$work/server.in"
build/bin/zorvax-docserver --data "$docs" --quiet --exit-on-eof < "$work/server.in" > "$work/server.out" &
server_pid=$!
exec 3> "$work/server.in"
for _ in $(seq 1 100); do grep -q '^ready' "$work/server.out" 2> /dev/null && break; sleep 0.1; done
value() { sed -n "s/^$1 //p" "$work/server.out"; }
pubkey=$(value pubkey)
download_url=$(value download-url)
upload_url=$(value upload-url)
echo "   download: $download_url   upload: $upload_url"

echo "== downloading \"$document\" ciphered and compressed"
TMP="$downloads" "$zorvax" --home "$home" --ui=console \
  set Package DEMO set url "$download_url$document" set Pubkey "$pubkey" \
  set Filename "$document" set dialog 0 \
  call download demo-user session-1 1 1 get Filename | tee "$work/download.out"
saved=$(tail -n 1 "$work/download.out")
cmp "$docs/$document" "$saved"
echo "   the downloaded file is identical to the server's document: $saved"

echo "== uploading it back over TLS, compressed"
cp "$(value certificate)" "$home/ca.pem"
TMP="$downloads" "$zorvax" --home "$home" --ui=console \
  set url "$upload_url" set Filename "$saved" set dialog 0 \
  call upload demo-user 1 0 get size
stored=$(ls -t "$(value state)"/uploads/*-* | grep -v '\.form$' | head -n 1)
cmp "$saved" "$stored"
echo "   the server stored an identical copy: $stored"

echo "== where everything went"
echo "   settings:        $home/registry.db"
echo "   downloaded file: $saved"
echo "   server records:  $(value state)/requests/"
ls "$(value state)/requests/" | sed 's/^/     /'
echo "== stopping the server"
exec 3>&-
wait "$server_pid" 2> /dev/null || true
server_pid=""
echo "== the same from a web page, in headless Chromium"
ZX_BIN_DIR="$PWD/build/bin" node browser/demo.mjs
echo "demo finished"
