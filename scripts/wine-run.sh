#!/usr/bin/env bash
# Runs one Windows program under Debian's wine64, the way the Windows tests need it:
#
#   scripts/wine-run.sh PROGRAM.exe [ARGUMENTS...]
#
# - a throw-away Wine prefix for this run, created with wineboot and removed afterwards;
# - LC_ALL=ko_KR.UTF-8, so that Wine's ANSI code page is 949 (Korean);
# - no .NET or HTML engine (their installers would ask on the first start);
# - a private Xvfb display of its own, so programs that open windows run on a machine without a
#   screen and never reach the developer's desktop.
# The program's exit status is the script's. CTest uses this script as the cross-compiling
# emulator of the x86_64 Windows build, so `ctest` runs the .exe test programs through it.
#
# Settings from the environment:
#   ZX_WINEPREFIX=DIR    use (and keep) this prefix instead of a throw-away one, e.g. to look at
#                        the registry a test left behind; it is created when missing.
#   ZX_WINEDEBUG=CHANNELS  Wine's debug channels (default -all, i.e. quiet), e.g. +ole,+seh.
#   ZX_WINE_DISPLAY=:N   use this X display instead of starting an Xvfb.
#   ZX_WINE_SCREEN=WxHxD size of the Xvfb screen (default 1280x1024x24).
#   ZX_WINE_WINDOWS=VERSION  the Windows version the prefix reports (Wine's names: winxp64,
#                        win7, win10, ...); by default Wine's own.
set -euo pipefail

if [ $# -lt 1 ]; then
  echo "usage: $0 PROGRAM.exe [ARGUMENTS...]" >&2
  exit 2
fi

wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
for tool in "$wine" "$wineserver"; do
  if [ ! -x "$tool" ]; then
    echo "wine-run: $tool is missing; run scripts/install-deps.sh" >&2
    exit 2
  fi
done

export LC_ALL=ko_KR.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG="${ZX_WINEDEBUG:--all}"
export WINEARCH=win64

prefix_is_ours=0
xvfb_pid=""
cleanup() {
  local status=$?
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    # Give what the program left running a moment to end, then stop the prefix's processes.
    timeout 30 "$wineserver" -w 2>/dev/null || "$wineserver" -k 2>/dev/null || true
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  if [ "$prefix_is_ours" = 1 ]; then
    rm -rf "$WINEPREFIX"
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

if [ -n "${ZX_WINEPREFIX:-}" ]; then
  export WINEPREFIX="$ZX_WINEPREFIX"
else
  export WINEPREFIX
  WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/zorvax-wine.XXXXXXXX")
  prefix_is_ours=1
fi

if [ -n "${ZX_WINE_DISPLAY:-}" ]; then
  export DISPLAY="$ZX_WINE_DISPLAY"
else
  # Xvfb picks a free display number itself and writes it to the pipe (no race between runs).
  display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${ZX_WINE_SCREEN:-1280x1024x24}" -nolisten tcp 3>"$display_file" \
    >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$display_file" ] && break
    if ! kill -0 "$xvfb_pid" 2>/dev/null; then break; fi
    sleep 0.1
  done
  if [ ! -s "$display_file" ]; then
    rm -f "$display_file"
    echo "wine-run: Xvfb did not start" >&2
    exit 2
  fi
  export DISPLAY=":$(tr -d '[:space:]' < "$display_file")"
  rm -f "$display_file"
fi

# A new prefix is made complete before the program starts, so that its first-start messages and
# the time it takes stay out of the program's run.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  if ! "$wine" wineboot --init > "$WINEPREFIX.boot.log" 2>&1; then
    cat "$WINEPREFIX.boot.log" >&2
    rm -f "$WINEPREFIX.boot.log"
    echo "wine-run: wineboot failed" >&2
    exit 2
  fi
  rm -f "$WINEPREFIX.boot.log"
  "$wineserver" -w
fi
if [ -n "${ZX_WINE_WINDOWS:-}" ]; then
  "$wine" reg add 'HKCU\Software\Wine' /v Version /d "$ZX_WINE_WINDOWS" /f > /dev/null
  "$wineserver" -w
fi

"$wine" "$@"
