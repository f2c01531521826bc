#!/usr/bin/env bash
# The benchmark (`make bench`): sets up, builds the program and the bench's own Windows
# programs, then on a display of its own, with the local test gateway on the port built into
# the demo program, measures under Wine, each side by side with a baseline in the same run:
#   1. start to window shown: demo/Wrenquil.exe against bench/minimal_dialog.exe (and, to
#      tell DLL loading from the program's own start-up, the same dialog with the program's
#      imports and manifest)
#   2. Send click to the request's arrival at the gateway: the program against bare_wininet.exe
#      (the same WinINet calls), with curl's times for the same URL beside them, and the Send
#      taken apart in one process (bench_sends.exe parts)
#   3. one keystroke's recount with a 30,000-character message against an empty one
#   4. the size of build/windows/Wrenquil.exe and the DLLs it imports
#   5. memory at rest: the program hidden in the tray after start-up against the minimal
#      dialog, side by side
#   6. memory per send over a few hundred sends (bench_sends.exe soak), beside the bare calls
# prints the table and records it in bench/RESULTS.md (bench/report.py).
#
# Wine runs in a prefix of the bench's own (build/wineprefix-bench unless WRENQUIL_WINEPREFIX
# says otherwise), so a test run in the build tree's prefix neither disturbs it nor is disturbed;
# the display and the gateway are scripts/wine-env.sh's. The timings that need a Windows
# process are the probe's bench-* subcommands (tools/probe/timing.h).
# Knobs: BENCH_STARTUP_ROUNDS, BENCH_SEND_ROUNDS, BENCH_RECOUNT_BLOCKS, BENCH_REST_ROUNDS,
# BENCH_SOAK_SENDS, BENCH_ONLY (some of "startup send recount rest soak"), BENCH_CPU (the core
# Wine runs on, default the last; "none": any),
# BENCH_RESULTS (the Markdown file to record in; empty: record nothing).
#
# bench/run.sh --smoke (part of `make test`): every measurement once through with two rounds,
# so a bench that can no longer run fails the tests; it fails when a figure is missing, judges
# no target and records nothing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
smoke=""
if [ "${1:-}" = --smoke ]; then
  smoke=--smoke
  export BENCH_STARTUP_ROUNDS=2 BENCH_SEND_ROUNDS=2 BENCH_RECOUNT_BLOCKS=2 BENCH_REST_ROUNDS=1 \
    BENCH_SOAK_SENDS=5 BENCH_ONLY=""
fi
export WRENQUIL_WINEPREFIX=${WRENQUIL_WINEPREFIX:-$repo/build/wineprefix-bench}
startup_rounds=${BENCH_STARTUP_ROUNDS:-20}
send_rounds=${BENCH_SEND_ROUNDS:-20}
recount_blocks=${BENCH_RECOUNT_BLOCKS:-24}
rest_rounds=${BENCH_REST_ROUNDS:-5}
cpu=${BENCH_CPU:-$(($(nproc) - 1))}
windows=$repo/build/windows
bench_bin=$windows/bench
demo_exe=$windows/demo/Wrenquil.exe

# A Linux path as Wine's Z: drive shows it, for arguments to Windows programs.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

measure_startup() {
  echo "bench: start to window shown ($startup_rounds rounds)"
  probe bench-startup "$startup_rounds" "minimal=$(winpath "$bench_bin/minimal_dialog.exe")" \
    "wrenquil=$(winpath "$demo_exe")" \
    "imports=$(winpath "$bench_bin/minimal_dialog_imports.exe")" >"$out/startup.txt"
}

measure_rest() {
  echo "bench: memory at rest ($rest_rounds rounds)"
  probe bench-rest "$rest_rounds" "minimal=$(winpath "$bench_bin/minimal_dialog.exe")" \
    "wrenquil=$(winpath "$demo_exe")" >"$out/rest.txt"
}

measure_send() {
  echo "bench: Send click to request arrival ($send_rounds rounds)"
  start_program "$demo_exe" "$out/wrenquil.log"
  probe wait-window 30 >/dev/null
  probe login bench "bench password" >/dev/null
  probe set-text IDC_MESSAGE "Running late: see you at the station at half past seven." \
    >/dev/null
  probe set-text IDC_MOBILE 07700900123 >/dev/null
  # One send first, for the URL that the bare calls are to send too.
  probe click IDC_SEND
  probe wait-status 0 "OK. Message sent" 30
  local url
  url=https://localhost:$WRENQUIL_TEST_GATEWAY_PORT$(python3 -c 'import json, sys
print(json.loads(open(sys.argv[1]).read().splitlines()[-1])["request_line"].split()[1])' \
    "$WRENQUIL_TEST_GATEWAY_LOG")
  probe bench-send "$send_rounds" "$(winpath "$WRENQUIL_TEST_GATEWAY_LOG")" "$url" \
    "$(winpath "$bench_bin/bare_wininet.exe")" >"$out/send.txt"
  local status
  status=$(probe status 0)
  stop_program
  if [ "$status" != "OK. Message sent" ]; then
    echo "bench: after the sends the status bar says \"$status\", not \"OK. Message sent\"" >&2
    return 1
  fi

  # Where the program's time goes: its window and its parts in one process, timed inside it.
  wine_run "$bench_bin/bench_sends.exe" parts "$send_rounds" >"$out/send_parts.txt"

  # curl for reference: the same GET from Linux, its own times (no process start in them).
  : >"$out/curl.txt"
  for _ in $(seq "$send_rounds"); do
    curl -sS -o /dev/null --cacert "$repo/build/test-gateway/ca.pem" \
      -w 'curl %{time_pretransfer} %{time_total}\n' "$url" >>"$out/curl.txt"
  done
}

measure_soak() {
  echo "bench: memory per send (${BENCH_SOAK_SENDS:-300} sends)"
  wine_run "$bench_bin/bench_sends.exe" soak "${BENCH_SOAK_SENDS:-300}" >"$out/send_soak.txt"
}

measure_recount() {
  echo "bench: recount per keystroke ($recount_blocks blocks)"
  wine_run "$bench_bin/bench_recount.exe" 30000 25 "$recount_blocks" >"$out/recount.txt"
}

case "${1:-}" in
--inside)
  # On the display, with the gateway: the measurements.
  out=$2
  source "$repo/scripts/wine-env.sh"
  # Wine on one core: every window call is a round trip to the Wine server, and on this kind
  # of virtual machine waking the server on the other core costs ~50 µs where a switch on the
  # same core costs ~5 µs; unpinned, which of the two a call gets varies from moment to
  # moment and swamps the figures (see RESULTS.md). The gateway and curl are not pinned.
  if [ "$cpu" != none ]; then
    wine() { taskset -c "$cpu" wine "$@"; }
    # The server and Wine's services start with the first Wine process, pinned with it.
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
  # A desktop session has a resource database on its display (xrdb); a bare Xvfb has none, and
  # then Xlib reads ~/.Xdefaults afresh each time Wine selects a font into a device context.
  xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "wrenquilBench.present: 1"
  trap 'stop_program' EXIT
  for part in ${BENCH_ONLY:-startup send recount rest soak}; do
    "measure_$part"
  done
  wineserver -k >/dev/null 2>&1 || true
  exit 0
  ;;
esac

started=$(date +%s)
cd "$repo"
"$repo/scripts/setup.sh"
if ! command -v curl >/dev/null; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends curl
fi
cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target wrenquil_release wrenquil_demo wrenquil_probe \
  bench_programs

out=$repo/build/bench-run${smoke:+-smoke}
rm -rf "$out"
mkdir -p "$out"
"$repo/scripts/wine-env.sh" --display --gateway "$0" --inside "$out"

if [ -n "$smoke" ]; then
  exec python3 "$here/report.py" "$out" --exe "$windows/Wrenquil.exe" --smoke
fi
python3 "$here/report.py" "$out" --exe "$windows/Wrenquil.exe" \
  --results "${BENCH_RESULTS-$here/RESULTS.md}" --seconds "$(($(date +%s) - started))" \
  --wine-cpu "$cpu"
