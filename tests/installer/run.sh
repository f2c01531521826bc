#!/usr/bin/env bash
# Runs the installer and package cases (run_installer_tests.py, arguments passed on) against
# dist/ as `make package` left it, in a Wine prefix made afresh for this run and removed after
# it, on a display of their own. No network: the installed program is never asked to send.
exec "$(dirname "$0")/../../scripts/wine-env.sh" --display --own-prefix install \
  python3 "$(dirname "$0")/run_installer_tests.py" "$@"
