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
  wineserver --wait
fi
