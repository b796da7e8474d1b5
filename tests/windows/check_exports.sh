#!/usr/bin/env bash
# Checks that a Windows module exports exactly the named entry points, no more and no fewer.
#   check_exports.sh OBJDUMP MODULE NAME...
set -euo pipefail
objdump=$1 module=$2
shift 2
# The export table lists each name as "[ordinal] name" under "[Ordinal/Name Pointer] Table".
actual=$("$objdump" -p "$module" |
  awk '/\[Ordinal\/Name Pointer\] Table/ { table = 1; next }
       table && /^[[:space:]]*\[ *[0-9]+\]/ { sub(/^[[:space:]]*\[ *[0-9]+\][[:space:]]*/, ""); print; next }
       table { table = 0 }' | sort)
expected=$(printf '%s\n' "$@" | sort)
if [ "$actual" != "$expected" ]; then
  echo "exports of $module:"
  printf '%s\n' "$actual"
  echo "expected:"
  printf '%s\n' "$expected"
  exit 1
fi
echo "$module exports exactly: $(echo $actual)"
