#!/usr/bin/env bash
# Runs a command on a display of its own: Xvfb with the openbox window manager (without one
# every hide or close waits ~2 s and new windows get no focus), and a keymap on which Scroll
# Lock is a modifier (otherwise Wine fakes a phantom Scroll Lock press).
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"

number=
for n in $(seq 91 140); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then number=$n; break; fi
done
[ -n "$number" ] || { echo "with-display: no free display number" >&2; exit 1; }
export DISPLAY=":$number"

work=$(mktemp -d)
pids=()
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || { cat "$work/xvfb.log" >&2; exit 1; }

xkbcomp "$DISPLAY" "$work/keymap.xkb" 2>/dev/null
sed -i 's/modifier_map Mod2 { <NMLK> };/&\n    modifier_map Mod3 { <SCLK> };/' "$work/keymap.xkb"
xkbcomp "$work/keymap.xkb" "$DISPLAY" 2>/dev/null

openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done

# A Wine server started here belongs to this display.
wineserver -k >/dev/null 2>&1 || true
"$@"
