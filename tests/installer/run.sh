#!/usr/bin/env bash
# Runs the installer and package cases (run_installer_tests.py, arguments passed on) against
# dist/ as `make package` left it, in a Wine prefix made afresh for this run and removed after
# it, on a display of their own. No network: the installed program is never asked to send.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
mkdir -p "$repo/build"
scratch=$(mktemp -d "$repo/build/installer-test.XXXXXX")
export WRENQUIL_INSTALLER_SCRATCH=$scratch
trap 'rm -rf "$scratch"' EXIT
"$repo/scripts/wine-env.sh" --display --own-prefix install \
  python3 "$here/run_installer_tests.py" "$@"
