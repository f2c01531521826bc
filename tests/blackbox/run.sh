#!/usr/bin/env bash
# Runs the black-box cases (run_blackbox.py, arguments passed on) in a Wine prefix made
# afresh for this run and removed after it, on a display of their own, with the local test
# gateway on the port built into the demo program.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
port=${WRENQUIL_TEST_PORT:-18443}
mkdir -p "$repo/build"

source "$repo/scripts/gateway-port-lock.sh"
take_gateway_port test-blackbox

# A prefix of this run's own: another run's cleanup can never remove it under this one.
WRENQUIL_WINEPREFIX=$(mktemp -d "$repo/build/wineprefix-blackbox.XXXXXX")
export WRENQUIL_WINEPREFIX
cleanup() {
  WINEPREFIX=$WRENQUIL_WINEPREFIX wineserver -k >/dev/null 2>&1 || true
  WINEPREFIX=$WRENQUIL_WINEPREFIX wineserver -w >/dev/null 2>&1 || true
  rm -rf "$WRENQUIL_WINEPREFIX" "$WRENQUIL_WINEPREFIX.log" "$repo/build/blackbox"
}
trap cleanup EXIT

# Without the lock's descriptor: a Wine server left behind must not hold the lock.
"$repo/scripts/with-display.sh" "$repo/scripts/with-test-gateway.sh" \
  python3 "$here/run_blackbox.py" "$@" 9>&-
