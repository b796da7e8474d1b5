#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the demo need, when they are missing.
# Also prepares what the Windows cross-build needs from the system: the Korean locale Wine runs
# under and the source-package index that Crypto++'s Windows build comes from.
# Non-interactive; safe to run again.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libcrypto++-dev libcurl4-openssl-dev libsqlite3-dev libxml2-dev
  nlohmann-json3-dev libssl-dev zlib1g-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  curl openssl gzip coreutils time xdg-utils python3
  # The adapter test makes a network of its own (ip link in a new network namespace).
  iproute2
  clang libclang-rt-14-dev
  # Windows cross-build (scripts/build-windows.sh) and its tests under Wine.
  mingw-w64 mingw-w64-tools libz-mingw-w64-dev libwine-dev wine64
  xvfb xauth xdotool locales dpkg-dev fonts-nanum
  # The desktop interface: Qt 6 Widgets (libqt6gui6 carries the xcb and offscreen platform
  # plugins), its Korean translations, fontconfig and the X client library that asks whether a
  # display can be opened (fonts-nanum, xvfb and xdotool are above); ImageMagick photographs
  # the virtual X server's windows.
  qt6-base-dev libqt6gui6 qt6-translations-l10n fontconfig libxcb1-dev imagemagick
  # The browser extension's tests, demo and benchmark: Debian's Chromium driven by Playwright
  # (playwright-core from npm, browser/package-lock.json) under Node.js.
  chromium nodejs
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

# Source indexes for every binary suite of Debian's own archive, so that `apt-get source` can
# fetch Crypto++'s source package; written beside debian.sources, never into it.
deb_src_list=/etc/apt/sources.list.d/zorvax-deb-src.sources
deb_src_wanted() {
  local from=/etc/apt/sources.list.d/debian.sources
  if [ -f "$from" ]; then
    # Every stanza of binary packages again as source packages, the rest of the stanza unchanged.
    awk 'BEGIN { RS = "" }
         { n = split($0, line, "\n"); types = ""
           for (i = 1; i <= n; i++) if (line[i] ~ /^Types:/) types = line[i]
           if (types !~ /[[:space:]]deb([[:space:]]|$)/ || types ~ /deb-src/) next
           for (i = 1; i <= n; i++) print (line[i] ~ /^Types:/ ? "Types: deb-src" : line[i])
           print "" }' "$from"
  elif [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb \(.*debian.*\)$/deb-src \1/p' /etc/apt/sources.list
  fi
}
added_sources=0
wanted=$(deb_src_wanted)
if [ -z "$wanted" ]; then
  echo "install-deps: no Debian archive found in /etc/apt to take source indexes from" >&2
  exit 1
fi
if [ ! -f "$deb_src_list" ] || [ "$(cat "$deb_src_list")" != "$wanted" ]; then
  printf '%s\n' "$wanted" | $SUDO tee "$deb_src_list" > /dev/null
  added_sources=1
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ] || [ "$added_sources" = 1 ]; then
  $SUDO apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Wine takes its ANSI code page from the locale: ko_KR.UTF-8 gives code page 949.
if ! locale -a 2>/dev/null | grep -qix 'ko_KR.utf8'; then
  if ! grep -q '^ko_KR.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ko_KR.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen > /dev/null
  fi
  $SUDO locale-gen > /dev/null
fi

# npm comes with Node.js from some archives and as a package of its own from Debian's.
if ! command -v npm > /dev/null; then
  $SUDO apt-get install -y -qq --no-install-recommends npm
fi
# playwright-core exactly as the lock file names it; it downloads no browser of its own. npm ci
# empties node_modules first, so it runs only when the package is missing or the lock file has
# changed since the last install (npm records that install in node_modules/.package-lock.json).
browser=$(dirname "$0")/../browser
if [ ! -f "$browser/node_modules/playwright-core/package.json" ] \
    || [ "$browser/package-lock.json" -nt "$browser/node_modules/.package-lock.json" ]; then
  (cd "$browser" && npm ci --no-audit --no-fund --loglevel=error)
fi
