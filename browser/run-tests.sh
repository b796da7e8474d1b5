#!/usr/bin/env bash
# The browser tests: playwright-core from the lock file (installed when missing), then Node's
# test runner over browser/tests with Debian's Chromium. ZX_BIN_DIR names the built programs.
set -euo pipefail
cd "$(dirname "$0")"
if [ ! -f node_modules/playwright-core/package.json ]; then
  npm ci --no-audit --no-fund --loglevel=error
fi
exec node --test --test-concurrency=1 tests/
