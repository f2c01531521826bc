#!/usr/bin/env bash
# wine-run-scaled.sh LOGPIXELS PROGRAM [ARGUMENTS...]: the Windows tests once more on a display
# scaled to LOGPIXELS (192 is 200 %), in a prefix of their own (wine-env.sh --dpi).
exec "$(dirname "$0")/wine-env.sh" --dpi "$1" wine_run "${@:2}"
