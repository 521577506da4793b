#!/usr/bin/env bash
# Installs what building, running and testing Orvane needs on Debian 12, when it is missing.
# Safe to run again: it only calls apt-get when a tool is absent.
set -euo pipefail

# command-or-file:package pairs
needs=(
  cmake:cmake
  ninja:ninja-build
  g++:g++
  make:make
  clang++:clang
  x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix
  i686-w64-mingw32-g++-posix:g++-mingw-w64-i686-posix
  x86_64-w64-mingw32-windres:binutils-mingw-w64-x86-64
  i686-w64-mingw32-windres:binutils-mingw-w64-i686
  /usr/lib/wine/wine64:wine64
  /usr/lib/wine/wineserver64:wine64
  Xvfb:xvfb
  xauth:xauth
  xdpyinfo:x11-utils
  /usr/bin/convert:imagemagick
  /usr/share/wine/fonts/tahoma.ttf:fonts-wine
  /usr/share/fonts/truetype/liberation/LiberationMono-Regular.ttf:fonts-liberation
  /usr/src/googletest/CMakeLists.txt:googletest
  /usr/lib/x86_64-linux-gnu/libgtest.a:libgtest-dev
  /usr/lib/x86_64-linux-gnu/libgmock.a:libgmock-dev
  gcab:gcab
  flock:util-linux
  /usr/bin/python3:python3
  /usr/lib/python3/dist-packages/pyftpdlib/__init__.py:python3-pyftpdlib
  /usr/lib/python3/dist-packages/cryptography/__init__.py:python3-cryptography
  mscompress:mscompress
  curl:curl
  bc:bc
)

# The 32-bit loader, to run the shipped 32-bit program (wine32 from Debian's i386 architecture).
needs32=/usr/lib/wine/wine:wine32:i386

missing=()
for pair in "${needs[@]}"; do
  what=${pair%%:*} package=${pair#*:}
  if [[ $what == /* ]]; then [ -e "$what" ] && continue
  else command -v "$what" >/dev/null 2>&1 && continue; fi
  [[ " ${missing[*]} " == *" $package "* ]] || missing+=("$package")
done
need_i386=0
[ -x "${needs32%%:*}" ] || need_i386=1
[ ${#missing[@]} -eq 0 ] && [ $need_i386 = 0 ] && exit 0

echo "bootstrap: installing ${missing[*]}$([ $need_i386 = 1 ] && echo " wine32:i386")"
export DEBIAN_FRONTEND=noninteractive
sudo_=""
[ "$(id -u)" = 0 ] || sudo_=sudo
[ $need_i386 = 1 ] && $sudo_ dpkg --add-architecture i386
# A foreign architecture's index may fail to download; what we need comes from the main one.
$sudo_ apt-get update -qq || echo "bootstrap: apt-get update reported errors; going on"
[ ${#missing[@]} -eq 0 ] || $sudo_ apt-get install -y -qq --no-install-recommends "${missing[@]}"
if [ $need_i386 = 1 ]; then
  # Without it the 32-bit tests report themselves as skipped; everything else still runs.
  $sudo_ apt-get install -y -qq --no-install-recommends "${needs32#*:}" ||
    echo "bootstrap: wine32 could not be installed; the 32-bit tests will be skipped"
fi
