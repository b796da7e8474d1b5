#!/usr/bin/env bash
# Builds the Debian package and installs it with apt on a clean Debian 12 system made with
# debootstrap (minbase), then runs the installed command there. Needs root and Debian's archive.
#
#   scripts/check-package.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
command -v debootstrap > /dev/null || apt-get install -y -qq debootstrap > /dev/null

(cd "$build" && cpack -G DEB > /dev/null)
package=$(ls "$build"/zorvax_*.deb | head -n 1)

root=$(mktemp -d /tmp/zx-clean-XXXXXX)
cleanup() {
  umount "$root/proc" 2> /dev/null || true
  rm -rf "$root"
}
trap cleanup EXIT
mirror=$(awk '/^URIs:/ { print $2; exit }' /etc/apt/sources.list.d/debian.sources 2> /dev/null)
mirror=${mirror:-http://deb.debian.org/debian}
debootstrap --variant=minbase bookworm "$root" "$mirror" > "$root.log" 2>&1 || { tail -n 20 "$root.log"; exit 1; }
mount -t proc proc "$root/proc"
cp "$package" "$root/tmp/"
chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "/tmp/$(basename "$package")" > /dev/null
chroot "$root" zorvax --help | head -n 1
chroot "$root" sh -c 'HOME=/root zorvax --home /root/zx get Package call getVersion'
echo "installed on a clean system: $(basename "$package")"
