#!/usr/bin/env bash
# Builds the tools and shows a comparison of the two sample files.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native -j 2 --target rowdump
build/native/bin/rowdump "$@" samples/left.txt samples/right.txt
