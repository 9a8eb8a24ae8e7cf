#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12, as root.
# Quick when everything is present: it only asks dpkg.
set -euo pipefail

packages=(
  cmake make g++ clang libclang-rt-14-dev googletest libbenchmark-dev diffutils git
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-i686-dev mingw-w64-x86-64-dev
  wine wine32:i386 wine64
  xvfb xauth x11-utils xdotool imagemagick ghostscript
  fonts-wine fonts-liberation fonts-liberation2 fonts-dejavu-core fonts-wqy-microhei fonts-symbola
  python3 time util-linux procps
  nsis fp-utils
)

need_i386=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  need_i386=1
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done

if [ "$need_i386" = 1 ] || [ "${#missing[@]}" -gt 0 ]; then
  if [ "$(id -u)" != 0 ]; then
    echo "setup: missing packages (${missing[*]}); run as root to install them" >&2
    exit 1
  fi
  [ "$need_i386" = 1 ] && dpkg --add-architecture i386
  export DEBIAN_FRONTEND=noninteractive
  echo "setup: installing ${missing[*]:-the i386 architecture}" >&2
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
