#!/usr/bin/env bash
# Runs a Windows program as wine-run.sh does, in a prefix of its own whose display is scaled
# to LOGPIXELS (192 is 200 %); that prefix's Wine server ends with the run, so it is never
# left tied to a display that has gone.
#   wine-run-scaled.sh LOGPIXELS PROGRAM [ARGUMENTS...]
set -uo pipefail
here=$(dirname "$0")
export WRENQUIL_LOGPIXELS=$1
shift
export WRENQUIL_WINEPREFIX
WRENQUIL_WINEPREFIX=$(cd "$here/.." && pwd)/build/wineprefix-$WRENQUIL_LOGPIXELS
"$here/wine-run.sh" "$@"
status=$?
WINEPREFIX=$WRENQUIL_WINEPREFIX wineserver -k >/dev/null 2>&1
exit $status
