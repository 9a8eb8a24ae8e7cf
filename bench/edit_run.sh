#!/usr/bin/env bash
# Times editing in compare.exe under Wine and Xvfb on the 1-million-line
# pair with 1 % changes (bench/edit_bench.cpp): a typed key to the repainted
# pane (200 keys over the whole file, every tenth an Enter), Copy --> of a
# 1,000-line difference and its undo, and a Find Next that wraps through
# the whole file without a match.
#
#   bench/edit_run.sh [--keys N] [--steps N] [--arch win32|win64]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. bench/pairs.sh
. scripts/display.sh

pair=code-1M-1%
keys=200
steps=10
arch=win32
qm_runs_i386 || arch=win64  # this machine cannot start 32-bit programs
while [ $# -gt 0 ]; do
  case $1 in
    --keys) keys=${2:?--keys needs a number}; shift ;;
    --steps) steps=${2:?--steps needs a number}; shift ;;
    --arch) arch=${2:?--arch needs win32 or win64}; shift ;;
    -h|--help) sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "edit_run.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done

cmake --preset native >/dev/null
cmake --build --preset native -j 2 --target gen_pairs >/dev/null
cmake --preset "$arch" >/dev/null
cmake --build --preset "$arch" -j 2 --target compare edit_bench >/dev/null
generate_pair build/native/bin/gen_pairs "$pair" "$(pair_args "$pair")"
left=$bench_data/$pair.left
right=$bench_data/$pair.right
# The merge pair: the left file against itself without 1,000 lines from
# its middle, so that its one difference is a 1,000-line block.
block=$bench_data/$pair.block
if [ ! -s "$block" ] || [ "$left" -nt "$block" ]; then
  awk 'NR <= 500000 || NR > 501000' "$left" >"$block"
fi

mkdir -p "build/bench-gui-$arch"
. cmake/wine-prefix.sh "build/bench-gui-$arch" "$arch"
qm_start_display
wineserver -p
wine cmd /c exit >/dev/null 2>&1
trap 'wineserver -k >/dev/null 2>&1 || true; qm_stop_display' EXIT
settings='HKCU\SOFTWARE\Ambervale\Quillmere\Settings'
wine reg add "$settings" /v TipOfTheDay.ShowOnStartup /t REG_SZ /d false /f >/dev/null 2>&1
# Find Next looks for a text no line holds, so it wraps through everything.
wine reg add "$settings" /v FindText /t REG_SZ /d 'qm-no-such-text' /f >/dev/null 2>&1

exe=$(winepath -w "build/$arch/bin/compare.exe")
run() {
  wine "build/$arch/bin/edit_bench.exe" "$@" | tr -d '\r'
}
out=$(
  run typing --keys "$keys" "$exe" "$(winepath -w "$left")" "$(winepath -w "$right")"
  run merge --steps "$steps" "$exe" "$(winepath -w "$left")" "$(winepath -w "$block")"
  run find --steps "$steps" "$exe" "$(winepath -w "$left")" "$(winepath -w "$right")"
)
echo "$out" >&2

field() { awk -v k="$1" -v f="$2" '$1 == k { for (i = 2; i < NF; i++) if ($i == f) print $(i + 1) }' <<<"$out"; }
verdict() { awk -v v="$1" -v t="$2" 'BEGIN { print (v != "" && v <= t ? "yes" : "**no**") }'; }
row() {  # key label target-ms which(median|max)
  local m
  m=$(field "$1" "$4")
  echo "| $2 | $(field "$1" min) ms | $(field "$1" median) ms | $(field "$1" max) ms | $(field "$1" n) | ≤ $3 ms ($4) | $(verdict "$m" "$3") |"
}
echo "Pair $pair, $arch; load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)."
echo
echo "| figure | min | median | max | n | target | met |"
echo "|---|---|---|---|---|---|---|"
row key_ms "typed key to repainted pane (all keys)" 16 median
row key_ms "typed key to repainted pane (all keys)" 50 max
row type_ms "  of which plain characters" 16 median
row enter_ms "  of which Enter (layout changes)" 50 max
row copy_ms "Copy --> of a 1,000-line block" 50 median
row undo_ms "its undo" 50 median
row find_ms "Find Next wrapping through the file, no match" 500 median
