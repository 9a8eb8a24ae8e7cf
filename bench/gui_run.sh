#!/usr/bin/env bash
# Times compare.exe under Wine and Xvfb on the 1-million-line pair with 1 %
# changes: process start to the first painted result, and the repaint after
# Page Down and after Next Diff (bench/gui_bench.cpp). The engine's own time
# on the same pair (rowdump --summary, native) is the reference for the
# first paint.
#
#   bench/gui_run.sh [--pair NAME] [--runs N] [--steps N] [--arch win32|win64]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. bench/pairs.sh
. scripts/display.sh

pair=code-1M-1%
runs=3
steps=20
arch=win32
qm_runs_i386 || arch=win64  # this machine cannot start 32-bit programs
while [ $# -gt 0 ]; do
  case $1 in
    --pair) pair=${2:?--pair needs a name}; shift ;;
    --runs) runs=${2:?--runs needs a number}; shift ;;
    --steps) steps=${2:?--steps needs a number}; shift ;;
    --arch) arch=${2:?--arch needs win32 or win64}; shift ;;
    -h|--help) sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "gui_run.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
args=$(pair_args "$pair") || { echo "gui_run.sh: no pair named $pair" >&2; exit 2; }

cmake --preset native >/dev/null
cmake --build --preset native -j 2 --target gen_pairs rowdump >/dev/null
cmake --preset "$arch" >/dev/null
cmake --build --preset "$arch" -j 2 --target compare gui_bench >/dev/null
generate_pair build/native/bin/gen_pairs "$pair" "$args"
left=$bench_data/$pair.left
right=$bench_data/$pair.right

# The engine alone, for the first-paint target.
engine_s=$(
  for ((r = 0; r < runs; r++)); do
    start=$(date +%s%N)
    build/native/bin/rowdump --summary "$left" "$right" >/dev/null
    echo $(($(date +%s%N) - start))
  done | sort -n | awk '{ v[NR] = $1 } END { printf "%.3f", v[int((NR + 1) / 2)] / 1e9 }'
)

# A prefix of the benchmark's own, so the tests' settings stay untouched.
mkdir -p "build/bench-gui-$arch"
. cmake/wine-prefix.sh "build/bench-gui-$arch" "$arch"
qm_start_display
wineserver -p
wine cmd /c exit >/dev/null 2>&1
trap 'wineserver -k >/dev/null 2>&1 || true; qm_stop_display' EXIT
# No tip dialog before the window, no message box at the end.
wine reg add 'HKCU\SOFTWARE\Ambervale\Quillmere\Settings' /v TipOfTheDay.ShowOnStartup \
  /t REG_SZ /d false /f >/dev/null 2>&1

out=$(wine "build/$arch/bin/gui_bench.exe" --runs "$runs" --steps "$steps" \
  "$(winepath -w "build/$arch/bin/compare.exe")" \
  "$(winepath -w "$left")" "$(winepath -w "$right")" | tr -d '\r')
echo "$out" >&2

field() { awk -v k="$1" -v f="$2" '$1 == k { for (i = 2; i < NF; i++) if ($i == f) print $(i + 1) }' <<<"$out"; }
first=$(field first_paint_s median)
verdict() { awk -v v="$1" -v t="$2" 'BEGIN { print (v <= t ? "yes" : "**no**") }'; }
first_target=$(awk -v e="$engine_s" 'BEGIN { printf "%.3f", e + 1 }')

echo "Pair $pair, $arch, $runs runs of $steps steps; status bar: $(sed -n 's/^status //p' <<<"$out")."
echo "Load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)."
echo
echo "| figure | min | median | max | target | met (median) |"
echo "|---|---|---|---|---|---|"
echo "| engine alone (rowdump --summary, native) | | ${engine_s} s | | | |"
echo "| start to a visible text window | $(field window_s min) s | $(field window_s median) s | $(field window_s max) s | | |"
echo "| start to first painted result | $(field first_paint_s min) s | ${first} s | $(field first_paint_s max) s | ≤ ${first_target} s | $(verdict "$first" "$first_target") |"
echo "| observing alone (round trip, nothing to paint) | $(field observe_ms min) ms | $(field observe_ms median) ms | $(field observe_ms max) ms | | |"
for key in page_down_ms:"Page Down repaint" next_diff_ms:"Next Diff (F8) repaint"; do
  k=${key%%:*}
  echo "| ${key#*:} | $(field "$k" min) ms | $(field "$k" median) ms | $(field "$k" max) ms | ≤ 16 ms | $(verdict "$(field "$k" median)" 16) |"
done
