#!/usr/bin/env bash
# Runs a command with two local HTTPS test gateways (tools/gateway/) and tells the Windows
# tests where they are: WRENQUIL_TEST_GATEWAY_PORT and WRENQUIL_TEST_GATEWAY_LOG (a gateway
# whose certificate the Wine prefix trusts; its scenario can be switched) and
# WRENQUIL_TEST_UNTRUSTED_PORT (a self-signed certificate). A Wine process cannot start a Linux
# one, so the gateways are started here.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh"
repo=$(cd "$here/.." && pwd)
certs=$repo/build/test-gateway
tools=$repo/tools/gateway

python3 "$tools/make_ca.py" "$certs" >/dev/null
"$here/wine-prefix.sh"

# Trust the test CA once per prefix. The key is named after the CA's SHA-1; Wine writes it
# to user.reg when its server saves the registry, and importing again is harmless.
thumbprint=$(sha1sum <"$certs/ca.der" | cut -c1-40 | tr a-f A-F)
if ! grep -qF "$thumbprint" "$WINEPREFIX/user.reg" 2>/dev/null; then
  reg_file="Z:${certs//\//\\}\\trust-ca.reg"
  wine reg import "$reg_file" >"$certs/trust-import.log" 2>&1 </dev/null ||
    { cat "$certs/trust-import.log" >&2; exit 1; }
fi

run=$(mktemp -d "$certs/run.XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$run"
}
trap cleanup EXIT

# start_gateway NAME [OPTION...]: the gateway's port ends up in $run/NAME.port.
start_gateway() {
  local name=$1
  shift
  # A safety net: the gateway stops by itself should this script be killed outright.
  python3 "$tools/gateway.py" --port 0 --cert-dir "$certs" --max-seconds 3600 \
    --ready-file "$run/$name.port" "$@" >"$run/$name.out" 2>&1 </dev/null &
  pids+=($!)
}

# wait_ready NAME PID: polls the ready file for up to 10 s.
wait_ready() {
  local name=$1 pid=$2
  for _ in $(seq 100); do
    [ -s "$run/$name.port" ] && return 0
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "with-test-gateway: the $name gateway did not start" >&2
  cat "$run/$name.out" >&2
  return 1
}

# The trusted one listens where the tests and the demo program were built to send.
start_gateway trusted --log "$run/requests.log" --port "${WRENQUIL_TEST_PORT:-18443}"
start_gateway untrusted --untrusted
wait_ready trusted "${pids[0]}"
wait_ready untrusted "${pids[1]}"

WRENQUIL_TEST_GATEWAY_PORT=$(<"$run/trusted.port")
WRENQUIL_TEST_UNTRUSTED_PORT=$(<"$run/untrusted.port")
WRENQUIL_TEST_GATEWAY_LOG=$run/requests.log
export WRENQUIL_TEST_GATEWAY_PORT WRENQUIL_TEST_UNTRUSTED_PORT WRENQUIL_TEST_GATEWAY_LOG

"$@"
