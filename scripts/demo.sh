#!/usr/bin/env bash
# The demo (`make demo`): sets up, builds, starts the local test gateway on the port built into
# the demo program (it answers "1|Message sent") and runs build/windows/demo/Wrenquil.exe under
# Wine in the build tree's prefix (scripts/wine-env.sh).
#
# With a display ($DISPLAY reachable, not under CI): opens the window and waits until you
# close it. Without one, or with WRENQUIL_DEMO_HEADLESS=1: on a private display, logs in,
# sends a message through the Login dialog and the Send button, prints what the gateway
# received, the status bar and the paths of two pictures of the window (after the send, and
# with its Message menu open), then shuts everything down. Exits non-zero unless the status
# bar says "OK. Message sent".
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
demo_exe=$repo/build/windows/demo/Wrenquil.exe
screenshot=$repo/build/demo/screenshot.png
menu_screenshot=$repo/build/demo/screenshot-menu.png
sent_status="OK. Message sent"

# The request heads the gateway logged, as they came over the wire.
print_requests() {
  python3 -c 'import json, pathlib, sys
log = pathlib.Path(sys.argv[1])
heads = [json.loads(line)["raw"] for line in log.read_text().splitlines()] if log.exists() else []
print("\n".join("  " + h.replace("\r\n", "\n").strip().replace("\n", "\n  ") for h in heads)
      or "  (nothing)")' \
    "$WRENQUIL_TEST_GATEWAY_LOG"
}

# The main window's X window (by the title the build made from the project's version), and
# the rectangle of the frame openbox put it in, as WIDTHxHEIGHT+X+Y.
demo_window() {
  local title
  title=$(sed -n 's/^#define WRENQUIL_MAIN_WINDOW_TITLE "\(.*\)"$/\1/p' \
    "$repo/build/windows/generated/wrenquil_version.h")
  xdotool search --onlyvisible --name "^${title//./\\.}\$" | head -n 1
}
window_rectangle() {
  xwininfo -id "$(xwininfo -children -id "$1" | awk '/Parent window id/ {print $4}')" | awk '
    /Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
    /Width:/ {w = $NF} /Height:/ {h = $NF} END {print w "x" h "+" x "+" y}'
}

# Saves the window (with whatever of the program lies over it, such as an open menu) as PNG,
# once two captures of it in a row are the same: Wine paints a moment after the
# program changed its text.
take_screenshot() {
  local area previous="" current
  mkdir -p "$(dirname "$1")"
  area=$(window_rectangle "$(demo_window)")
  for _ in $(seq 20); do
    import -window root -crop "$area" +repage -define png:exclude-chunks=date,time "$1"
    current=$(sha1sum <"$1")
    [ "$current" = "$previous" ] && break
    previous=$current
  done
}

# The window with its Message menu open, as a user opens it (Alt+M).
take_menu_screenshot() {
  local window
  window=$(demo_window)
  xdotool windowactivate --sync "$window" key --clearmodifiers alt+m
  # The open menu is an X window of the program's own besides the main window.
  for _ in $(seq 50); do
    [ "$(xdotool search --onlyvisible --classname '^wrenquil\.exe$' | wc -l)" -gt 1 ] && break
    sleep 0.1
  done
  take_screenshot "$1"
  xdotool key Escape Escape
}

run_interactive() {
  echo "demo: the gateway on localhost:$WRENQUIL_TEST_GATEWAY_PORT answers every message with" \
    "\"1|Message sent\"."
  echo "demo: choose Message->Login (any user name and password), type a message and a"
  echo "demo: mobile number, press Send. Close the window to end the demo."
  wine "$demo_exe" >"$work/wine.log" 2>&1 </dev/null || true
  echo "demo: the gateway received:"
  print_requests
}

run_headless() {
  start_program "$demo_exe" "$work/wine.log"
  trap 'stop_program; rm -rf "$work"' EXIT

  probe wait-window 30
  probe login demo "demo password"
  probe set-text IDC_MESSAGE "Hello from the Wrenquil demo"
  probe set-text IDC_MOBILE 07700900123
  probe click IDC_SEND
  local sent=0
  probe wait-status 0 "$sent_status" 15 || sent=1

  echo "demo: the gateway received:"
  print_requests
  echo "demo: status bar: \"$(probe status 0)\" | \"$(probe status 1)\""
  take_screenshot "$screenshot"
  take_menu_screenshot "$menu_screenshot"
  echo "demo: screenshots: $screenshot (after the send), $menu_screenshot (its menu open)"
  stop_program

  [ "$sent" -eq 0 ] ||
    { echo "demo: FAILED: the status bar does not say \"$sent_status\"" >&2 && return 1; }
  echo "demo: OK"
}

case "${1:-}" in
--interactive | --headless)
  # Inside the environment (scripts/wine-env.sh).
  source "$here/wine-env.sh"
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  if [ "$1" = --interactive ]; then run_interactive; else run_headless; fi
  exit
  ;;
esac

cd "$repo"
"$here/setup.sh"
cmake --preset windows >/dev/null
cmake --build --preset windows -j2

if [ "${WRENQUIL_DEMO_HEADLESS:-0}" != 1 ] && [ -z "${CI:-}" ] && [ -n "${DISPLAY:-}" ] &&
  xdpyinfo >/dev/null 2>&1; then
  "$here/wine-env.sh" --gateway "$0" --interactive
else
  "$here/wine-env.sh" --display --gateway "$0" --headless
fi
