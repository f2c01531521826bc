#!/usr/bin/env bash
# Creates the build tree's Wine prefix once; later runs find it ready and return at once.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine-prefix: creating $WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  wineboot --init >"$WINEPREFIX.log" 2>&1 || { cat "$WINEPREFIX.log"; exit 1; }
  wineserver --wait
  # Verdana is not installed; DejaVu Sans has the closer metrics.
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Verdana /d 'DejaVu Sans' /f \
    >>"$WINEPREFIX.log" 2>&1
  # A prefix for a scaled display (WRENQUIL_LOGPIXELS=192 is 200 %); Wine reads the user's
  # setting before the machine's (HKCC\Software\Fonts).
  if [ -n "${WRENQUIL_LOGPIXELS:-}" ]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
      /d "$WRENQUIL_LOGPIXELS" /f >>"$WINEPREFIX.log" 2>&1
  fi
  wineserver --wait
fi
