#!/usr/bin/env bash
# Runs a command beside a fresh zorvax-docserver (the Linux build's reference server) on
# loopback, the way the Windows tests under Wine need it:
#
#   with_docserver.sh DOCSERVER -- COMMAND [ARGUMENTS...]
#
# The server's documents folder holds the test documents below. The command finds the server
# through the environment (Wine hands it on to Windows programs):
#   ZX_DOCSERVER_DOWNLOAD_URL  http://127.0.0.1:PORT/docs/
#   ZX_DOCSERVER_UPLOAD_URL    https://127.0.0.1:PORT/upload
#   ZX_DOCSERVER_PUBKEY        the page's Pubkey
#   ZX_DOCSERVER_CERT          the server's certificate (PEM), as a Windows path (Z:\...)
#   ZX_DOCSERVER_DATA          the documents folder, as a Windows path
#   ZX_DOCSERVER_STATE         the server's state folder (requests/, uploads/), as a Windows path
# The server ends with the command (its standard input is this script's pipe).
set -euo pipefail
docserver=$1
shift
[ "${1:-}" = "--" ] && shift
if [ ! -x "$docserver" ]; then
  echo "with_docserver: $docserver is missing: build the Linux tree (ZX_LINUX_BUILD_DIR) first" >&2
  exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/zorvax-docserver.XXXXXXXX")
server_pid=""
cleanup() {
  local status=$?
  exec 3>&- 2>/dev/null || true
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT

mkdir -p "$work/data"
# A Korean-named document of mixed bytes.
python3 - "$work/data" <<'PY'
import sys, os
data = bytes((i * 7 + (i >> 8)) & 0xFF for i in range(300000))
open(os.path.join(sys.argv[1], "보고서 2024.hwp"), "wb").write(data)
PY

# Nothing goes through a proxy to reach loopback: neither the server nor Wine's WinInet.
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY
mkfifo "$work/in"
"$docserver" --data "$work/data" --port 0 --upload-port 0 --exit-on-eof --quiet \
  < "$work/in" > "$work/out" 2> "$work/server.log" &
server_pid=$!
exec 3> "$work/in"  # the server lives while this end is open
for _ in $(seq 300); do
  grep -qx ready "$work/out" 2>/dev/null && break
  kill -0 "$server_pid" 2>/dev/null || break
  sleep 0.1
done
if ! grep -qx ready "$work/out" 2>/dev/null; then
  cat "$work/server.log" >&2
  echo "with_docserver: the server did not start" >&2
  exit 2
fi
value() { sed -n "s/^$1 //p" "$work/out"; }
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
export ZX_DOCSERVER_DOWNLOAD_URL ZX_DOCSERVER_UPLOAD_URL ZX_DOCSERVER_PUBKEY ZX_DOCSERVER_CERT ZX_DOCSERVER_DATA \
  ZX_DOCSERVER_STATE
ZX_DOCSERVER_DOWNLOAD_URL=$(value download-url)
ZX_DOCSERVER_UPLOAD_URL=$(value upload-url)
ZX_DOCSERVER_PUBKEY=$(value pubkey)
ZX_DOCSERVER_CERT=$(windows_path "$(value certificate)")
ZX_DOCSERVER_DATA=$(windows_path "$(value data)")
ZX_DOCSERVER_STATE=$(windows_path "$(value state)")
"$@"
