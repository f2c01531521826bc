#!/usr/bin/env bash
# Runs the installer and package cases (run_installer_tests.py, arguments passed on) against
# dist/ as `make package` left it, in a Wine prefix made afresh for this run and removed after
# it, on a display of their own. No network: the installed program is never asked to send.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
mkdir -p "$repo/build"

# A prefix of this run's own: another run's cleanup can never remove it under this one.
WRENQUIL_WINEPREFIX=$(mktemp -d "$repo/build/wineprefix-install.XXXXXX")
export WRENQUIL_WINEPREFIX
scratch=$(mktemp -d "$repo/build/installer-test.XXXXXX")
export WRENQUIL_INSTALLER_SCRATCH=$scratch
cleanup() {
  WINEPREFIX=$WRENQUIL_WINEPREFIX wineserver -k >/dev/null 2>&1 || true
  WINEPREFIX=$WRENQUIL_WINEPREFIX wineserver -w >/dev/null 2>&1 || true
  rm -rf "$WRENQUIL_WINEPREFIX" "$WRENQUIL_WINEPREFIX.log" "$scratch"
}
trap cleanup EXIT

# The prefix is made on the display too: Wine ties its first processes to it.
"$repo/scripts/with-display.sh" sh -c '"$1" >/dev/null && shift && exec python3 "$@"' - \
  "$repo/scripts/wine-prefix.sh" "$here/run_installer_tests.py" "$@"
