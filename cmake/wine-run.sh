#!/usr/bin/env bash
# ctest's emulator for Windows test programs: wine-run.sh <build-dir> <win32|win64> <exe> [args...]
here=$(dirname "${BASH_SOURCE[0]}")
. "$here/wine-prefix.sh" "$1" "$2"
shift 2
if [ "$WINEARCH" = win64 ]; then runner=wine64; command -v wine64 >/dev/null || runner=wine; else runner=wine; fi
exec "$runner" "$@"
