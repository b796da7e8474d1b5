#!/usr/bin/env bash
# The main job: builds the control and shows it working from the command line.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build -j "$(nproc)" --target zorvax_host > /dev/null

zorvax=build/bin/zorvax
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT

echo "== a fresh control: Port, Package, dialog, version"
"$zorvax" --home "$home" get Port get Package get dialog call getVersion
echo "== a registry round trip in one process, read back by a second one"
"$zorvax" --home "$home" set Package DEMO call setRegisterValue greeting 안녕하세요
"$zorvax" --home "$home" set Package DEMO call getRegisterValue greeting
echo "== name lookup: locale 0 finds setRegisterValue, locale 1033 does not"
"$zorvax" --home "$home" ids setRegisterValue
"$zorvax" --home "$home" --lcid 1033 ids setRegisterValue
