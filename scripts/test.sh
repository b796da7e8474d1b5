#!/usr/bin/env bash
# Builds everything and runs every test: the Linux build, then the Windows module and its tests
# under Wine (scripts/test-windows.sh, which runs beside this Linux build's document server and
# zorvax command). With --sanitize the Linux build uses AddressSanitizer and
# UndefinedBehaviorSanitizer in its own folder, and the Windows part is left out.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

build=build
flags=()
if [ "${1:-}" = "--sanitize" ]; then
  build=build-asan
  flags=(-DZX_SANITIZE=ON -DZX_BUILD_BENCH=OFF)
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
fi

jobs=$(nproc)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZX_WERROR=ON "${flags[@]}" > /dev/null
cmake --build "$build" -j "$jobs"
ctest --test-dir "$build" -j "$jobs" --output-on-failure --timeout 300

if [ "$build" = build ]; then
  ZX_LINUX_BUILD_DIR="$PWD/$build" bash scripts/test-windows.sh
fi
