#!/usr/bin/env bash
# Reads the includes of src/ and fails when a folder includes a header of a folder that is not
# below it. The layers, bottom first, must be listed in the same order in docs/architecture.md
# (its line "Layers, bottom first: ..."); the build holds the same rule through each library's
# include root, so this check also guards the folders the build does not compile.
set -euo pipefail
cd "$(dirname "$0")/.."

layers=(platform core ui protect transfer xmlout flows control module host)
# Libraries beside the stack: what each may use besides itself.
declare -A side=([doubles]="platform" [qt]="platform" [com]="platform core ui protect transfer xmlout flows control module")

documented=$( (grep -m1 -o 'Layers, bottom first: .*' docs/architecture.md || true) | sed 's/Layers, bottom first: //; s/[.`]//g; s/, / /g')
if [ "$documented" != "${layers[*]}" ]; then
  echo "docs/architecture.md lists the layers as '$documented', the check as '${layers[*]}'"
  exit 1
fi

rank() {
  local i
  for i in "${!layers[@]}"; do [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }; done
  echo -1
}

# The library a source file belongs to: its folder under src/, or qt for src/platform/qt.
owner() {
  case "$1" in
    src/platform/qt/*) echo qt ;;
    *) local rest=${1#src/}; echo "${rest%%/*}" ;;
  esac
}

allowed() {  # allowed USER USED
  local user=$1 used=$2
  [ "$user" = "$used" ] && return 0
  if [ -n "${side[$user]+x}" ]; then
    [[ " ${side[$user]} " == *" $used "* ]]
    return
  fi
  [ -n "${side[$used]+x}" ] && [ "$user" = host ] && return 0
  local a b
  a=$(rank "$user") b=$(rank "$used")
  [ "$a" -ge 0 ] && [ "$b" -ge 0 ] && [ "$b" -lt "$a" ]
}

failures=0
while IFS= read -r file; do
  user=$(owner "$file")
  while IFS= read -r line; do
    header=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/' <<<"$line")
    if [[ "$header" == ../* || "$header" == */../* ]]; then
      echo "$file: $line (a relative include goes around the layers)"
      failures=$((failures + 1))
      continue
    fi
    [[ "$header" == */* ]] || continue
    case "$header" in
      platform/qt/*) used=qt ;;
      *) used=${header%%/*} ;;
    esac
    [ "$(rank "$used")" -ge 0 ] || [ -n "${side[$used]+x}" ] || continue
    if ! allowed "$user" "$used"; then
      echo "$file: $line ($user may not use $used)"
      failures=$((failures + 1))
    fi
  done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || true)
done < <(find src -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.in' \) | sort)

if [ "$failures" -gt 0 ]; then
  echo "$failures include(s) run against the layers"
  exit 1
fi
echo "every include of src/ runs downward (${layers[*]})"
