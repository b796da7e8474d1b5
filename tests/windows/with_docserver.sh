#!/usr/bin/env bash
# Runs a command beside a fresh zorvax-docserver (the Linux build's reference server) on
# loopback, the way the Windows tests under Wine need it:
#
#   with_docserver.sh DOCSERVER -- COMMAND [ARGUMENTS...]
#
# The server's documents folder holds the test documents below. The command finds the server
# through the environment (Wine hands it on to Windows programs):
#   ZX_DOCSERVER_DOWNLOAD_URL  http://127.0.0.1:PORT/docs/
#   ZX_DOCSERVER_UPLOAD_URL    https://localhost:PORT/upload
#   ZX_DOCSERVER_PUBKEY        the page's Pubkey
#   ZX_DOCSERVER_CERT          the server's certificate (PEM), as a Windows path (Z:\...)
#   ZX_DOCSERVER_DATA          the documents folder, as a Windows path
#   ZX_DOCSERVER_STATE         the server's state folder (requests/, uploads/), as a Windows path
# and a second server whose certificate names another host (elsewhere.example) than the one it
# is reached by:
#   ZX_DOCSERVER_ELSEWHERE_UPLOAD_URL, ZX_DOCSERVER_ELSEWHERE_CERT, ZX_DOCSERVER_ELSEWHERE_STATE
# The servers end with the command (their standard input is this script's pipe).
set -euo pipefail
docserver=$1
shift
[ "${1:-}" = "--" ] && shift
if [ ! -x "$docserver" ]; then
  echo "with_docserver: $docserver is missing: build the Linux tree (ZX_LINUX_BUILD_DIR) first" >&2
  exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/zorvax-docserver.XXXXXXXX")
server_pids=()
cleanup() {
  local status=$?
  exec 3>&- 2>/dev/null || true
  for pid in "${server_pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT

mkdir -p "$work/main/data" "$work/elsewhere/data"
# A Korean-named document of mixed bytes.
python3 - "$work/main/data" <<'PY'
import sys, os
data = bytes((i * 7 + (i >> 8)) & 0xFF for i in range(300000))
open(os.path.join(sys.argv[1], "보고서 2024.hwp"), "wb").write(data)
# A text of lines, for the unprotected download (mode=lines).
open(os.path.join(sys.argv[1], "lines.txt"), "w").write("".join("QUJDREVG%d\n" % i for i in range(4000)))
PY

# Nothing goes through a proxy to reach loopback: neither the server nor Wine's WinInet.
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY
mkfifo "$work/in"
exec 3<> "$work/in"  # the servers live while this end is open
# start_server NAME [OPTION...]: a server with its files in $work/NAME, ready when it returns.
start_server() {
  local dir=$work/$1
  shift
  "$docserver" --data "$dir/data" --port 0 --upload-port 0 --exit-on-eof --quiet "$@" \
    < "$work/in" > "$dir/out" 2> "$dir/server.log" 3>&- &
  server_pids+=($!)
  for _ in $(seq 300); do
    grep -qx ready "$dir/out" 2>/dev/null && return 0
    kill -0 "${server_pids[-1]}" 2>/dev/null || break
    sleep 0.1
  done
  cat "$dir/server.log" >&2
  echo "with_docserver: the server did not start" >&2
  exit 2
}
start_server main
start_server elsewhere --tls-name elsewhere.example
value() { sed -n "s/^$2 //p" "$work/$1/out"; }
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
export ZX_DOCSERVER_DOWNLOAD_URL ZX_DOCSERVER_UPLOAD_URL ZX_DOCSERVER_PUBKEY ZX_DOCSERVER_CERT ZX_DOCSERVER_DATA \
  ZX_DOCSERVER_STATE ZX_DOCSERVER_ELSEWHERE_UPLOAD_URL ZX_DOCSERVER_ELSEWHERE_CERT ZX_DOCSERVER_ELSEWHERE_STATE
ZX_DOCSERVER_DOWNLOAD_URL=$(value main download-url)
# By name: Wine's certificate check matches no IP address entry (docs/windows.md).
ZX_DOCSERVER_UPLOAD_URL=$(value main upload-url | sed s/127.0.0.1/localhost/)
ZX_DOCSERVER_PUBKEY=$(value main pubkey)
ZX_DOCSERVER_CERT=$(windows_path "$(value main certificate)")
ZX_DOCSERVER_DATA=$(windows_path "$(value main data)")
ZX_DOCSERVER_STATE=$(windows_path "$(value main state)")
ZX_DOCSERVER_ELSEWHERE_UPLOAD_URL=$(value elsewhere upload-url)
ZX_DOCSERVER_ELSEWHERE_CERT=$(windows_path "$(value elsewhere certificate)")
ZX_DOCSERVER_ELSEWHERE_STATE=$(windows_path "$(value elsewhere state)")
"$@"
