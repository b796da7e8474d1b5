#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the demo need, when they are missing.
# Non-interactive; safe to run again.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libcrypto++-dev libcurl4-openssl-dev libsqlite3-dev libxml2-dev
  nlohmann-json3-dev libssl-dev zlib1g-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  curl openssl gzip coreutils time xdg-utils
  clang libclang-rt-14-dev
  # The desktop interface: Qt 6 Widgets (libqt6gui6 carries the xcb and offscreen platform
  # plugins), its Korean translations, a Korean font, and a virtual X server with the tools
  # that find, answer and photograph its windows.
  qt6-base-dev libqt6gui6 qt6-translations-l10n fonts-nanum fontconfig
  xvfb xdotool imagemagick
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
