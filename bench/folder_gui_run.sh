#!/usr/bin/env bash
# Times the folder window of compare.exe under Wine and Xvfb on the
# 30,000-file tree of bench/folder_run.sh (300 folders, 1 % changed): start
# to the filled lists, Refresh, and a page repaint of the list
# (bench/folder_gui_bench.cpp). The trees are made by folder_run.sh, which
# also prints folderdump's own time on them, the reference for Refresh.
#
#   bench/folder_gui_run.sh [--runs N] [--steps N] [WORK]   (WORK default /tmp/qm-folder-bench)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. scripts/display.sh

runs=3
steps=5
work=/tmp/qm-folder-bench
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=${2:?--runs needs a number}; shift ;;
    --steps) steps=${2:?--steps needs a number}; shift ;;
    -h|--help) sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) work=$1 ;;
  esac
  shift
done

folderdump=build/native/bin/folderdump
[ -x "$folderdump" ] || folderdump=/bin/true
[ -d "$work/tree/b" ] || bench/folder_run.sh "$folderdump" "$work"

qm_start_display
. cmake/wine-prefix.sh build/win64 win64
wine64 build/win64/bin/folder_gui_bench.exe --runs "$runs" --steps "$steps" \
  build/win64/bin/compare.exe "Z:${work//\//\\}\\tree\\a" "Z:${work//\//\\}\\tree\\b"
