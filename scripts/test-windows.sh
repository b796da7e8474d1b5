#!/usr/bin/env bash
# Builds the Windows tree (scripts/build-windows.sh) and runs its tests under Wine: each test
# program in a throw-away Wine prefix with the Korean code page (scripts/wine-run.sh).
# Arguments go to ctest, e.g. `-R script_host` or `-V`.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build-windows.sh
ctest --test-dir build-windows -j "$(nproc)" --output-on-failure --timeout 300 "$@"
