#!/usr/bin/env bash
# Runs the black-box cases (run_blackbox.py, arguments passed on) in a Wine prefix made
# afresh for this run and removed after it, on a display of their own, with the local test
# gateway on the port built into the demo program.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
port=18443
mkdir -p "$repo/build"

# The port is fixed: runs that start its gateway take turns (the demo takes the same lock),
# and a gateway started by anything else (the Windows tests) is waited for.
exec 9>"$repo/build/gateway-port.lock"
flock -w 300 9 || { echo "test-blackbox: another run kept port $port for 5 minutes" >&2; exit 1; }
port_taken() { (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; }
if port_taken; then
  echo "test-blackbox: port $port is in use, waiting up to 3 minutes for it" >&2
  for _ in $(seq 360); do port_taken || break; sleep 0.5; done
  ! port_taken || { echo "test-blackbox: port $port is still in use" >&2; exit 1; }
fi

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
