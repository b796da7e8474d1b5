#!/usr/bin/env bash
# The 64 MiB ciphered and compressed download through the Windows module under Wine (JScript in
# cscript, WinInet, MSXML-free path) against the same download through `zorvax` on Linux, from
# one document server in the same run. Rounds alternate the two; the report gives each round's
# seconds, the medians and their ratio (Wine / Linux). No threshold: it tells what WinInet and
# the rest of Windows under Wine cost.
#
#   bench/wine_download_bench.sh [ROUNDS]        (default 3)
#   ZX_BENCH_MIB=16 bench/wine_download_bench.sh 1   (a smaller document, for a quick look)
#
# Needs the Linux build (ZX_LINUX_BUILD_DIR, default build/) and the Windows build
# (build-windows/, scripts/build-windows.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
rounds=${1:-3}
linux_build=${ZX_LINUX_BUILD_DIR:-$root/build}
ocx=$root/build-windows/zorvax.ocx
for need in "$linux_build/bin/zorvax" "$linux_build/bin/zorvax-docserver" "$ocx"; do
  [ -e "$need" ] || { echo "wine_download_bench: $need is missing" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/zorvax-winebench.XXXXXXXX")
server_pid=""
cleanup() {
  exec 3>&- 2>/dev/null || true
  [ -n "$server_pid" ] && { kill "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; }
  [ -d "$work/prefix" ] && WINEPREFIX="$work/prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/data" "$work/linux" "$work/windows"
head -c $((${ZX_BENCH_MIB:-64} << 20)) /dev/urandom > "$work/data/big.bin"
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY
mkfifo "$work/in"
"$linux_build/bin/zorvax-docserver" --data "$work/data" --port 0 --upload-port 0 --exit-on-eof --quiet \
  < "$work/in" > "$work/server.out" 2>/dev/null &
server_pid=$!
exec 3> "$work/in"
until grep -qx ready "$work/server.out" 2>/dev/null; do sleep 0.1; done
url=$(sed -n 's/^download-url //p' "$work/server.out")big.bin
pubkey=$(sed -n 's/^pubkey //p' "$work/server.out")
win() { printf 'Z:%s' "${1//\//\\}"; }

cat > "$work/download.js" <<JS
var c = new ActiveXObject("ZORVAX.ZorvAXCtrl.1");
c.url = "$url"; c.Pubkey = "$pubkey"; c.dialog = "0"; c.Filename = "big.bin";
var started = new Date().getTime();
var result = c.download("bench", "bench", "1", "1");
WScript.Echo(result + " " + (new Date().getTime() - started));
JS
printf '@echo off\r\nregsvr32 /s "%s"\r\n' "$(win "$ocx")" > "$work/register.bat"
printf '@echo off\r\nset TMP=%s\r\nset TEMP=%s\r\ncscript //nologo "%s"\r\n' "$(win "$work/windows")" \
  "$(win "$work/windows")" "$(win "$work/download.js")" > "$work/download.bat"

# One prefix for every round, made and registered before the clock runs.
export ZX_WINEPREFIX=$work/prefix
scripts/wine-run.sh cmd /c "$(win "$work/register.bat")" > /dev/null 2>&1

linux_round() {
  rm -f "$work/linux/"*
  local started=$EPOCHREALTIME
  TMP=$work/linux ZORVAX_HOME=$work/home DISPLAY='' "$linux_build/bin/zorvax" --ui=console \
    set url "$url" set Pubkey "$pubkey" set dialog 0 set Filename big.bin \
    call download bench bench 1 1 > "$work/linux.out" 2>/dev/null
  local ended=$EPOCHREALTIME
  [ "$(cat "$work/linux.out")" = 0 ] && cmp -s "$work/linux/big.bin" "$work/data/big.bin" \
    || { echo "the Linux download failed" >&2; exit 1; }
  awk -v a="$started" -v b="$ended" 'BEGIN { printf "%.3f\n", b - a }' 
}

windows_round() {
  rm -f "$work/windows/"*
  local answer
  answer=$(scripts/wine-run.sh cmd /c "$(win "$work/download.bat")" 2>/dev/null | tr -d '\r' | tail -1)
  cmp -s "$work/windows/big.bin" "$work/data/big.bin" && [ "${answer%% *}" = 0 ] \
    || { echo "the download under Wine failed: $answer" >&2; exit 1; }
  awk -v ms="${answer##* }" 'BEGIN { printf "%.3f\n", ms / 1000 }' 
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

linux_times=() windows_times=()
for round in $(seq "$rounds"); do
  if [ $((round % 2)) = 1 ]; then
    linux_times+=("$(linux_round)"); windows_times+=("$(windows_round)")
  else
    windows_times+=("$(windows_round)"); linux_times+=("$(linux_round)")
  fi
  printf 'round %d: linux %s s, wine %s s\n' "$round" "${linux_times[-1]}" "${windows_times[-1]}"
done
linux_median=$(printf '%s\n' "${linux_times[@]}" | median)
windows_median=$(printf '%s\n' "${windows_times[@]}" | median)
printf 'median: linux (zorvax, whole command) %s s, wine (cscript, the download call) %s s, ratio %s\n' \
  "$linux_median" "$windows_median" "$(awk -v w="$windows_median" -v l="$linux_median" 'BEGIN { printf "%.2f", w / l }')"
