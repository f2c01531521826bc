#!/usr/bin/env bash
# Runs a Windows program under Wine in the build tree's prefix and passes on its output and
# exit code. Wine's output goes through a file: services started by Wine would inherit a pipe
# and keep the caller waiting.
set -uo pipefail
here=$(dirname "$0")
source "$here/wine-env.sh"
"$here/wine-prefix.sh" || exit 1

log=$(mktemp)
trap 'rm -f "$log"' EXIT
wine "$@" >"$log" 2>&1 </dev/null
status=$?
tr -d '\r' <"$log"
exit $status
