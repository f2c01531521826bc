#!/usr/bin/env bash
# The benchmark (`make bench`): sets up, builds the program and the bench's own Windows
# programs, then on a display of its own, with the local test gateway on the port built into
# the demo program, measures under Wine each figure side by side with its baseline, from
# outside the programs (the probe's bench-* subcommands, tools/probe/timing.h):
#   startup  start to window shown: demo/Wrenquil.exe against minimal_dialog.exe, the same with
#            the program's imports and manifest, and main_template.exe (the program's own main
#            window template with those, and no code: the floor)
#   send     the Send click to the request at the gateway, against bare_wininet.exe (the same
#            WinINet calls in a process of their own), and the memory each keeps per send over
#            a soak
#   rest     memory at rest: the program hidden in the tray against the minimal dialog
# then bench/report.py prints the table (with the size and imports of build/windows/Wrenquil.exe)
# and records it in bench/RESULTS.md.
#
# Knobs: BENCH_STARTUP_ROUNDS, BENCH_SEND_ROUNDS, BENCH_REST_ROUNDS,
# BENCH_SOAK_ROUNDS and BENCH_SOAK_SENDS (sends per round), BENCH_ONLY (some of "startup send
# rest"), BENCH_CPU (the core Wine runs on, default the last; "none": any), BENCH_RESULTS (the
# file to record in; empty: none). Wine runs in a prefix of the bench's own
# (build/wineprefix-bench unless WRENQUIL_WINEPREFIX says otherwise).
#
# bench/run.sh --smoke (part of `make test`): every figure once through with two rounds; fails
# when a figure is missing, judges no target and records nothing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
smoke=""
if [ "${1:-}" = --smoke ]; then
  smoke=--smoke
  export BENCH_STARTUP_ROUNDS=2 BENCH_SEND_ROUNDS=2 BENCH_REST_ROUNDS=2 \
    BENCH_SOAK_ROUNDS=2 BENCH_SOAK_SENDS=5 BENCH_ONLY=""
fi
export WRENQUIL_WINEPREFIX=${WRENQUIL_WINEPREFIX:-$repo/build/wineprefix-bench}
cpu=${BENCH_CPU:-$(($(nproc) - 1))}
bin=$repo/build/windows/bench
demo_exe=$repo/build/windows/demo/Wrenquil.exe

# A Linux path as Wine's Z: drive shows it, for arguments to Windows programs.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

measure_startup() {
  echo "bench: start to window shown (${BENCH_STARTUP_ROUNDS:-20} rounds)"
  probe bench-startup "${BENCH_STARTUP_ROUNDS:-20}" "minimal=$(winpath "$bin/minimal_dialog.exe")" \
    "wrenquil=$(winpath "$demo_exe")" "imports=$(winpath "$bin/minimal_dialog_imports.exe")" \
    "floor=$(winpath "$bin/main_template.exe")" >"$out/startup.txt"
}

measure_rest() {
  echo "bench: memory at rest (${BENCH_REST_ROUNDS:-5} rounds)"
  probe bench-rest "${BENCH_REST_ROUNDS:-5}" "minimal=$(winpath "$bin/minimal_dialog.exe")" \
    "wrenquil=$(winpath "$demo_exe")" >"$out/rest.txt"
}

measure_send() {
  start_program "$demo_exe" "$out/wrenquil.log"
  probe wait-window 30 >/dev/null
  probe login bench "bench password" >/dev/null
  probe set-text IDC_MESSAGE "Running late: see you at the station at half past seven." >/dev/null
  probe set-text IDC_MOBILE 07700900123 >/dev/null
  # One send first, for the request the bare calls are to send too.
  probe click IDC_SEND
  probe wait-status 0 "OK. Message sent" 30
  local path
  path=$(tail -n 1 "$WRENQUIL_TEST_GATEWAY_LOG" | sed 's/^{"request_line": "GET \([^ ]*\) .*/\1/')
  echo "bench: Send click to request arrival (${BENCH_SEND_ROUNDS:-20} rounds), memory per" \
    "send (${BENCH_SOAK_ROUNDS:-6} rounds of ${BENCH_SOAK_SENDS:-50})"
  probe bench-send "${BENCH_SEND_ROUNDS:-20}" "${BENCH_SOAK_ROUNDS:-6}" "${BENCH_SOAK_SENDS:-50}" \
    "$(winpath "$WRENQUIL_TEST_GATEWAY_LOG")" localhost "$WRENQUIL_TEST_GATEWAY_PORT" "$path" \
    "$(winpath "$bin/bare_wininet.exe")" >"$out/send.txt"
  [ "$(probe status 0)" = "OK. Message sent" ] ||
    { echo "bench: the last send did not end in \"OK. Message sent\"" >&2 && return 1; }
  stop_program
}

if [ "${1:-}" = --inside ]; then
  # On the display, with the gateway: the measurements.
  out=$2
  source "$repo/scripts/wine-env.sh"
  # Wine on one core: every window call is a round trip to the Wine server, and on this kind
  # of virtual machine waking the server on the other core costs ten times a switch on the
  # same one, at random (see RESULTS.md). The server starts with the first Wine process.
  if [ "$cpu" != none ]; then
    wine() { taskset -c "$cpu" wine "$@"; }
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
  # A bare Xvfb has no resource database, and then Xlib reads ~/.Xdefaults afresh each time
  # Wine selects a font.
  xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "wrenquilBench.present: 1"
  trap 'stop_program' EXIT
  for part in ${BENCH_ONLY:-startup send rest}; do
    "measure_$part"
  done
  wineserver -k >/dev/null 2>&1 || true
  exit 0
fi

started=$(date +%s)
cd "$repo"
"$repo/scripts/setup.sh"
cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target wrenquil_release wrenquil_demo wrenquil_probe \
  bench_programs
out=$repo/build/bench-run${smoke:+-smoke}
rm -rf "$out"
mkdir -p "$out"
"$repo/scripts/wine-env.sh" --display --gateway "$0" --inside "$out"
exec python3 "$here/report.py" "$out" --exe "$repo/build/windows/Wrenquil.exe" $smoke \
  --results "${BENCH_RESULTS-$here/RESULTS.md}" --seconds "$(($(date +%s) - started))" \
  --wine-cpu "$cpu"
