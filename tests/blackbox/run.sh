#!/usr/bin/env bash
# Runs the black-box cases (run_blackbox.py, arguments passed on) in a Wine prefix made
# afresh for this run and removed after it, on a display of their own, with the local test
# gateway on the port built into the demo program.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
trap 'rm -rf "$repo/build/blackbox"' EXIT
"$repo/scripts/wine-env.sh" --display --gateway --own-prefix blackbox \
  python3 "$here/run_blackbox.py" "$@"
