#!/usr/bin/env bash
# Runs the black-box cases (run_blackbox.py, arguments passed on) in a Wine prefix made
# afresh for this run and removed after it, on a display of their own, with the local test
# gateway on the port built into the demo program; then the cases that depend on the ANSI code
# page once more under a Russian (1251) and a Japanese (932) locale, every process of the run in
# it, as on a Windows set to that language.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
trap 'rm -rf "$repo/build/blackbox"' EXIT
status=0
for locale in "" ru_RU.UTF-8 ja_JP.UTF-8; do
  (export LC_ALL=${locale:-${LC_ALL:-}}
   "$repo/scripts/wine-env.sh" --display --gateway --own-prefix "blackbox${locale:+-${locale%%_*}}" \
     python3 "$here/run_blackbox.py" "$@") || status=1
done
exit $status
