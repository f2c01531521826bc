# Sourced by the runs that start the local gateway on its fixed port (the demo, the black-box
# tests, the benchmark): they take turns through a lock on file descriptor 9, and a gateway
# started by anything else (the Windows tests) is waited for. Children should be started with
# `9>&-`, so a Wine server left behind never holds the lock.
# Usage: take_gateway_port WHO   (with $repo and $port set)
take_gateway_port() {
  local who=$1
  mkdir -p "$repo/build"
  exec 9>"$repo/build/gateway-port.lock"
  flock -w 300 9 || { echo "$who: another run kept port $port for 5 minutes" >&2; exit 1; }
  if gateway_port_taken; then
    echo "$who: port $port is in use, waiting up to 3 minutes for it" >&2
    for _ in $(seq 360); do gateway_port_taken || break; sleep 0.5; done
    ! gateway_port_taken || { echo "$who: port $port is still in use" >&2; exit 1; }
  fi
}

gateway_port_taken() { (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; }
