# Sourced by the scripts that run Wine: the build tree's own prefix (never ~/.wine), no
# Mono/Gecko prompts, no debug noise, and no proxy (Wine would send https to it too).
repo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WRENQUIL_WINEPREFIX:-$repo_root/build/wineprefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY
export no_proxy=localhost,127.0.0.1
