#!/usr/bin/env bash
# Prepares (once) and exports the Wine environment of one build tree.
# Source it: . cmake/wine-prefix.sh <build-dir> <win32|win64>
# Each build tree has its own prefix, HOME and XDG folders, so tests never
# touch the user's own Wine set-up and a fresh clone starts from scratch.
qm_build=$(cd "$1" && pwd)
qm_arch=$2
export WINEPREFIX="$qm_build/wineprefix"
export WINEARCH=$qm_arch
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export HOME="$qm_build/winehome"
export XDG_DATA_HOME="$HOME/.local/share"
export XDG_CONFIG_HOME="$HOME/.config"
export XDG_CACHE_HOME="$HOME/.cache"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"

# On a kernel that cannot run 32-bit programs the packaged `wine` script
# still picks the 32-bit loader and fails. There the 64-bit loader runs the
# 64-bit builds on its own: every wine command of this environment (and the
# tools that start `wine-stable`) goes straight to it.
if ! { [ -x /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1; }; then
  qm_shim="$qm_build/wine64-only"
  mkdir -p "$qm_shim"
  for qm_name in wine wine-stable wine64; do
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$qm_shim/$qm_name"
    chmod +x "$qm_shim/$qm_name"
  done
  case ":$PATH:" in *":$qm_shim:"*) ;; *) export PATH="$qm_shim:$PATH" ;; esac
  export WINELOADER=/usr/lib/wine/wine64
fi

qm_make_prefix() {
  local here
  here=$(dirname "${BASH_SOURCE[0]}")
  wineboot -i >/dev/null 2>&1
  wineserver -w
  # A prefix whose boot failed has no registry: leave it unmarked, so that
  # the next start tries again instead of running every test in a husk.
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine-prefix: could not create the Wine prefix $WINEPREFIX" >&2
    return 1
  fi
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp -f /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
  # CJK and emoji glyphs, linked to the test faces by wine-test.reg.
  cp -f /usr/share/fonts/truetype/wqy/wqy-microhei.ttc \
    /usr/share/fonts/truetype/ancient-scripts/Symbola_hint.ttf \
    "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  wine regedit /S "$(winepath -w "$here/wine-test.reg" 2>/dev/null)" >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.qm-ready"
}

if [ ! -f "$WINEPREFIX/.qm-ready" ]; then
  mkdir -p "$qm_build"
  (
    flock 9
    [ -f "$WINEPREFIX/.qm-ready" ] || qm_make_prefix
  ) 9>"$qm_build/.wineprefix.lock"
fi
