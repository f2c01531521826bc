#!/usr/bin/env bash
# The environment of every Wine run in the build tree, in one place:
#
#   scripts/wine-env.sh [--display] [--gateway] [--own-prefix NAME] [--dpi N] COMMAND [ARG...]
#
# runs COMMAND (or one of the functions below, such as `wine_run PROGRAM`, the Windows tests'
# runner) with Wine in a prefix of the build tree (build/wineprefix, or $WRENQUIL_WINEPREFIX),
# made when missing, never ~/.wine; no Mono/Gecko prompts, no debug noise, no proxy (Wine would
# send https to it too). Options:
#   --display         a display of its own: Xvfb with openbox (without a window manager every
#                     hide or close waits ~2 s and new windows get no focus), and a keymap on
#                     which Scroll Lock is a modifier (otherwise Wine fakes a phantom press)
#   --gateway         the local HTTPS test gateways (tools/gateway/): a trusted one on
#                     $WRENQUIL_TEST_PORT (default 18443), the port built into the tests and the
#                     demo program, whose CA the prefix trusts, and one with a self-signed
#                     certificate; COMMAND gets WRENQUIL_TEST_GATEWAY_PORT, _LOG and
#                     WRENQUIL_TEST_UNTRUSTED_PORT. Runs that need the port take turns.
#   --own-prefix NAME a prefix made afresh for this run (build/wineprefix-NAME.XXXXXX), removed
#                     after it: another run's cleanup can never remove it under this one
#   --dpi N           a prefix of its own whose display is scaled to N (192 is 200 %)
# Sourced (by the demo and the benchmark, running as COMMAND), it gives the functions alone.
repo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WRENQUIL_WINEPREFIX:-$repo_root/build/wineprefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY
export no_proxy=localhost,127.0.0.1

# Runs a Windows program to its end and passes on its output and exit code. The output goes
# through files: services started by Wine would inherit a pipe and keep the caller waiting.
wine_run() {
  local out status=0
  out=$(mktemp)
  wine "$@" >"$out" 2>"$out.err" </dev/null || status=$?
  tr -d '\r' <"$out"
  tr -d '\r' <"$out.err" >&2
  rm -f "$out" "$out.err"
  return $status
}

probe() { wine_run "$repo_root/build/windows/wrenquil_probe.exe" "$@"; }

# start_program EXE LOG: runs EXE in the background until stop_program, which closes its window
# (or ends the process if it will not go); stopping twice is harmless.
app=""
start_program() {
  wine "$1" >"$2" 2>&1 </dev/null &
  app=$!
}
stop_program() {
  [ -n "$app" ] || return 0
  probe close >/dev/null 2>&1 || true
  probe wait-gone 10 >/dev/null 2>&1 || kill "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
  app=""
}

make_prefix() {
  [ ! -f "$WINEPREFIX/system.reg" ] || return 0
  echo "wine-env: creating $WINEPREFIX" >&2
  mkdir -p "$WINEPREFIX"
  local log=$WINEPREFIX.log
  if ! wineboot --init >"$log" 2>&1; then
    # Seen once on a busy machine: wineboot could not load kernel32.dll into the new prefix.
    # A second start in an emptied prefix is what a user would try.
    wineserver -k 2>/dev/null || true
    wineserver --wait
    find "$WINEPREFIX" -mindepth 1 -delete
    wineboot --init >>"$log" 2>&1 || { cat "$log" >&2; return 1; }
  fi
  wineserver --wait
  # Verdana is not installed; DejaVu Sans has the closer metrics. Wine reads the user's
  # LogPixels before the machine's.
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Verdana /d 'DejaVu Sans' /f >>"$log" 2>&1
  # A program that crashes ends, instead of waiting for ever in Wine's debugger.
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f \
    >>"$log" 2>&1
  if [ -n "${WRENQUIL_LOGPIXELS:-}" ]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
      /d "$WRENQUIL_LOGPIXELS" /f >>"$log" 2>&1
  fi
  wineserver --wait
}

start_display() {
  # Xvfb picks a free display number itself and writes it to descriptor 3.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(<"$work/display")"
  xdpyinfo >/dev/null 2>&1 || { cat "$work/xvfb.log" >&2; return 1; }
  xkbcomp "$DISPLAY" "$work/keymap.xkb" 2>/dev/null
  sed -i 's/modifier_map Mod2 { <NMLK> };/&\n    modifier_map Mod3 { <SCLK> };/' "$work/keymap.xkb"
  xkbcomp "$work/keymap.xkb" "$DISPLAY" 2>/dev/null
  # Windows never gives the notification area the focus; Wine's stand-in for it, a window of
  # its own, skips the taskbar here so that openbox never hands it the focus a hidden or closed
  # window gave up. (It would, asynchronously: Wine then makes it the foreground window after
  # a test, or the user, has already put another window in front.)
  sed 's|^<applications>$|&\n<application title="Wine System Tray"><skip_taskbar>yes</skip_taskbar></application>|' \
    /etc/xdg/openbox/rc.xml >"$work/openbox.xml"
  grep -q 'title="Wine System Tray"' "$work/openbox.xml" || { echo "wine-env: no openbox rc.xml to extend" >&2; return 1; }
  openbox --config-file "$work/openbox.xml" >"$work/openbox.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
  done
}

port_taken() { (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; }

# One run at a time holds the gateway's port, through a lock on descriptor 9 that COMMAND and
# Wine do not inherit (a Wine server left behind must never hold it).
take_gateway_port() {
  exec 9>"$repo_root/build/gateway-port.lock"
  flock -w 300 9 || { echo "wine-env: another run kept port $port for 5 minutes" >&2; return 1; }
  ! port_taken || echo "wine-env: port $port is in use, waiting up to 3 minutes for it" >&2
  for _ in $(seq 360); do port_taken || return 0; sleep 0.5; done
  echo "wine-env: port $port is still in use" >&2
  return 1
}

# start_gateway NAME [OPTION...]: a gateway whose port ends up in $work/NAME.port. It stops by
# itself after an hour should this script be killed outright.
start_gateway() {
  local name=$1
  shift
  python3 "$repo_root/tools/gateway/gateway.py" --port 0 --cert-dir "$certs" --max-seconds 3600 \
    --ready-file "$work/$name.port" "$@" >"$work/$name.out" 2>&1 </dev/null &
  pids+=($!)
  for _ in $(seq 100); do
    [ -s "$work/$name.port" ] && return 0
    kill -0 "${pids[-1]}" 2>/dev/null || break
    sleep 0.1
  done
  echo "wine-env: the $name gateway did not start" >&2
  cat "$work/$name.out" >&2
  return 1
}

start_gateways() {
  certs=$repo_root/build/test-gateway
  "$repo_root/tools/gateway/make_ca.sh" "$certs"
  # The test CA is trusted once per prefix: the key is named after its SHA-1, and Wine writes
  # it to user.reg when its server saves the registry.
  local thumbprint
  thumbprint=$(sha1sum <"$certs/ca.der" | cut -c1-40 | tr a-f A-F)
  if ! grep -qF "$thumbprint" "$WINEPREFIX/user.reg" 2>/dev/null; then
    wine_run reg import "Z:${certs//\//\\}\\trust-ca.reg" >/dev/null
  fi
  start_gateway trusted --log "$work/requests.log" --port "$port"
  start_gateway untrusted --untrusted
  export WRENQUIL_TEST_GATEWAY_PORT=$(<"$work/trusted.port")
  export WRENQUIL_TEST_UNTRUSTED_PORT=$(<"$work/untrusted.port")
  export WRENQUIL_TEST_GATEWAY_LOG=$work/requests.log
}

[ "${BASH_SOURCE[0]}" = "$0" ] || return 0

set -Eeuo pipefail
# Seen once from a fresh clone: a run ended with 1 before the prefix was made, without a word.
trap 'echo "wine-env: \"$BASH_COMMAND\" failed (line $LINENO)" >&2' ERR
display="" gateway="" own_prefix="" end_server=""
port=${WRENQUIL_TEST_PORT:-18443}
while [ $# -gt 0 ]; do
  case $1 in
  --display) display=1 end_server=1 ;;
  --gateway) gateway=1 ;;
  --own-prefix) own_prefix=$2 end_server=1 && shift ;;
  --dpi)
    export WRENQUIL_LOGPIXELS=$2 WRENQUIL_WINEPREFIX=$repo_root/build/wineprefix-$2
    export WINEPREFIX=$WRENQUIL_WINEPREFIX
    end_server=1 && shift
    ;;
  *) break ;;
  esac
  shift
done
mkdir -p "$repo_root/build"
if [ -n "$own_prefix" ]; then
  export WRENQUIL_WINEPREFIX=$(mktemp -d "$repo_root/build/wineprefix-$own_prefix.XXXXXX")
  export WINEPREFIX=$WRENQUIL_WINEPREFIX
fi

work=$(mktemp -d)
pids=()
cleanup() {
  if [ -n "$end_server" ]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  [ -z "$own_prefix" ] || rm -rf "$WINEPREFIX" "$WINEPREFIX.log"
  rm -rf "$work"
}
trap cleanup EXIT

[ -z "$gateway" ] || take_gateway_port
if [ -n "$display" ]; then
  start_display
  # A Wine server started before belongs to another display.
  wineserver -k >/dev/null 2>&1 || true
fi
make_prefix 9>&-
[ -z "$gateway" ] || start_gateways 9>&-
"$@" 9>&-
