#!/usr/bin/env bash
# Cross-builds the Windows module's parts and the Windows test programs with mingw-w64:
#   build-windows/        the x86_64 tree (its tests run under Wine: scripts/test-windows.sh)
#   build-windows/i686/   the i686 tree (built, not run)
#   build-windows/third_party/
#     cryptopp-<arch>/    Crypto++ from Debian's source package, cross-built once
#     googletest-<arch>/  GoogleTest from Debian's googletest sources, cross-built once
# The third-party builds are kept: a second run only rebuilds the project. Delete a
# third_party/<name>-<arch> folder to rebuild that one.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

root=$PWD
out=$root/build-windows
third_party=$out/third_party
jobs=$(nproc)
archs=(x86_64 i686)

step() { printf '== %s\n' "$*"; }
elapsed() { printf '   %s: %d s\n' "$1" "$(( SECONDS - $2 ))"; }
fail() { echo "build-windows: $*" >&2; exit 1; }

mkdir -p "$third_party/src" "$third_party/build"

# --- Crypto++ source: Debian's source package, checked against the archive's signed index ---
# apt verified the Sources index through the archive's signed Release file; the files must match
# the SHA-256 sums that index gives, and dpkg-source checks them once more against the .dsc.
fetch_cryptopp_source() {
  local dir=$third_party/src/cryptopp
  if [ -f "$dir/unpacked.stamp" ]; then return; fi
  step "Fetching Crypto++ sources (apt-get source libcrypto++)"
  rm -rf "$dir"
  mkdir -p "$dir"
  # The source package whose binary is the one the Linux build uses.
  local version
  version=$(dpkg-query -W -f='${source:Version}' libcrypto++-dev)
  [ -n "$version" ] || fail "libcrypto++-dev is not installed"
  (cd "$dir" && apt-get source --download-only -qq "libcrypto++=$version") \
    || fail "apt-get source libcrypto++=$version failed (is the deb-src index there? run scripts/install-deps.sh)"
  local sums
  sums=$(apt-cache showsrc --only-source libcrypto++ | awk -v version="$version" '
    BEGIN { RS = "" }
    {
      n = split($0, line, "\n"); ours = 0
      for (i = 1; i <= n; i++) if (line[i] == "Version: " version) ours = 1
      if (!ours) next
      for (i = 1; i <= n; i++) {
        if (line[i] ~ /^Checksums-Sha256:/) { in_sums = 1; continue }
        if (in_sums && line[i] ~ /^ /) { split(line[i], f, " "); print f[1] "  " f[3]; continue }
        in_sums = 0
      }
      exit
    }')
  [ -n "$sums" ] || fail "no SHA-256 sums for libcrypto++ $version in the source index"
  (cd "$dir" && printf '%s\n' "$sums" | sha256sum --check --strict --quiet) \
    || fail "Crypto++ source files do not match the archive's SHA-256 sums"
  local dsc
  dsc=$(cd "$dir" && ls ./*.dsc)
  # dpkg-source checks the .dsc's sums of the tarballs; it checks the .dsc's own signature too
  # when a keyring of Debian's uploaders is installed (debian-keyring), and only warns otherwise.
  (cd "$dir" && dpkg-source --no-copy -x "$dsc" source > dpkg-source.log 2>&1) \
    || { cat "$dir/dpkg-source.log" >&2; fail "dpkg-source could not unpack $dsc"; }
  if grep -qiE 'error|BAD signature' "$dir/dpkg-source.log"; then
    cat "$dir/dpkg-source.log" >&2
    fail "dpkg-source reported a failure for $dsc"
  fi
  echo "$version" > "$dir/unpacked.stamp"
}

# --- Crypto++ library, per architecture, with upstream's own makefile (it knows which files need
# which instruction-set flags) ---
build_cryptopp() {
  local arch=$1 triplet=$2
  local prefix=$third_party/cryptopp-$arch
  if [ -f "$prefix/lib/libcryptopp.a" ]; then return; fi
  step "Building Crypto++ for $arch"
  local start=$SECONDS work=$third_party/build/cryptopp-$arch
  rm -rf "$work" "$prefix"
  cp -a "$third_party/src/cryptopp/source" "$work"
  make -C "$work" -f GNUmakefile -j "$jobs" static \
    CXX="$triplet-g++-posix" AR="$triplet-ar" RANLIB="$triplet-ranlib" \
    CXXFLAGS="-DNDEBUG -O2 -D_WIN32_WINNT=0x0601" > "$third_party/build/cryptopp-$arch.log" 2>&1 \
    || { tail -40 "$third_party/build/cryptopp-$arch.log" >&2; fail "Crypto++ build for $arch failed"; }
  mkdir -p "$prefix/include/cryptopp" "$prefix/lib"
  cp "$work"/*.h "$prefix/include/cryptopp/"
  # Debian's patch names the archive libcrypto++.a; the project links it as libcryptopp.a.
  cp "$work"/libcrypto*.a "$prefix/lib/libcryptopp.a"
  rm -rf "$work"
  elapsed "Crypto++ $arch" "$start"
}

# --- GoogleTest from Debian's googletest package sources, per architecture ---
build_googletest() {
  local arch=$1
  local prefix=$third_party/googletest-$arch
  if [ -f "$prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then return; fi
  step "Building GoogleTest for $arch"
  local start=$SECONDS work=$third_party/build/googletest-$arch
  rm -rf "$work" "$prefix"
  {
    cmake -S /usr/src/googletest -B "$work" \
      --toolchain "$root/cmake/toolchains/mingw-w64-$arch.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
      -DBUILD_SHARED_LIBS=OFF
    cmake --build "$work" -j "$jobs"
    cmake --install "$work"
  } > "$third_party/build/googletest-$arch.log" 2>&1 \
    || { tail -40 "$third_party/build/googletest-$arch.log" >&2; fail "GoogleTest build for $arch failed"; }
  rm -rf "$work"
  elapsed "GoogleTest $arch" "$start"
}

# --- The project, one tree per architecture ---
build_project() {
  local arch=$1 tree=$2
  step "Building the project for $arch in ${tree#"$root"/}"
  local start=$SECONDS
  local launcher=()
  if command -v ccache > /dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  fi
  # The Windows tests run beside the Linux build's document server and zorvax command.
  cmake -S "$root" -B "$tree" --toolchain "$root/cmake/toolchains/mingw-w64-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZX_WINDOWS_THIRD_PARTY="$third_party" \
    -DZX_LINUX_BUILD_DIR="${ZX_LINUX_BUILD_DIR:-$root/build}" "${launcher[@]}" > /dev/null
  cmake --build "$tree" -j "$jobs"
  elapsed "project $arch" "$start"
}

fetch_cryptopp_source
for arch in "${archs[@]}"; do
  triplet=$arch-w64-mingw32
  build_cryptopp "$arch" "$triplet"
  build_googletest "$arch"
done
build_project x86_64 "$out"
build_project i686 "$out/i686"
step "Done: $(du -sh "$out" | cut -f1) in build-windows/ (third_party: $(du -sh "$third_party" | cut -f1))"
