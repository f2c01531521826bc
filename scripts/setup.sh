#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build and the tests need and is missing.
# Safe to run again: it installs only what is absent.
set -euo pipefail

packages=(
  cmake make g++ googletest libgtest-dev clang-format
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth openbox xdotool x11-utils x11-xkb-utils
  python3 openssl imagemagick librsvg2-bin icoutils
  nsis zip locales tinyproxy
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "setup: installing ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The black-box runs take the program through a Russian and a Japanese Windows, whose ANSI code
# pages Wine takes from each process's locale.
for locale in ru_RU.UTF-8 ja_JP.UTF-8; do
  if ! locale -a 2>/dev/null | grep -qix "${locale/UTF-8/utf8}"; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "setup: generating the locale $locale"
    $sudo sed -i "s/^# *\($locale UTF-8\)/\1/" /etc/locale.gen
    $sudo locale-gen >/dev/null
  fi
done
