#!/usr/bin/env bash
# Large files in the text window: the time from starting compare.exe under
# Wine and Xvfb to the painted result and the program's peak memory, next to
# the engine alone (native rowdump --summary, time and peak memory) on the
# same pair. One start per run; the window is closed after its first paint.
#
#   bench/window_run.sh [--pair NAME] [--runs N] [--exe PATH] [--arch win32|win64]
#
#   --pair NAME  a pair of pairs.sh (default code-4M-1%; code-10M-1% is the
#                largest, about 700 MB, made on first use)
#   --runs N     starts of the program and of rowdump (default 1)
#   --exe PATH   time this compare.exe (e.g. a copy of an earlier build)
#                instead of building the tree's own
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. bench/pairs.sh
. scripts/display.sh

pair=code-4M-1%
runs=1
exe=
arch=win32
qm_runs_i386 || arch=win64  # this machine cannot start 32-bit programs
while [ $# -gt 0 ]; do
  case $1 in
    --pair) pair=${2:?--pair needs a name}; shift ;;
    --runs) runs=${2:?--runs needs a number}; shift ;;
    --exe) exe=${2:?--exe needs a path}; shift ;;
    --arch) arch=${2:?--arch needs win32 or win64}; shift ;;
    -h|--help) sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "window_run.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
case $runs in ''|*[!0-9]*|0) echo "window_run.sh: --runs needs a positive number" >&2; exit 2 ;; esac
args=$(pair_args "$pair") || { echo "window_run.sh: no pair named $pair" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "window_run.sh: /usr/bin/time missing" >&2; exit 1; }

cmake --preset native >/dev/null
cmake --build --preset native -j 2 --target gen_pairs rowdump >/dev/null
cmake --preset "$arch" >/dev/null
if [ -z "$exe" ]; then
  cmake --build --preset "$arch" -j 2 --target compare gui_bench >/dev/null
  exe=build/$arch/bin/compare.exe
else
  cmake --build --preset "$arch" -j 2 --target gui_bench >/dev/null
fi
[ -f "$exe" ] || { echo "window_run.sh: no program at $exe" >&2; exit 2; }
generate_pair build/native/bin/gen_pairs "$pair" "$args"
left=$bench_data/$pair.left
right=$bench_data/$pair.right

work=$(mktemp -d)
median() {
  sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

# The engine alone: wall seconds and peak resident KB per run.
for ((r = 0; r < runs; r++)); do
  /usr/bin/time -f '%e %M' -o "$work/time" build/native/bin/rowdump --summary "$left" "$right" \
    >"$work/rowdump.out"
  tail -n 1 "$work/time" >>"$work/engine.runs"
done
engine_s=$(cut -d' ' -f1 "$work/engine.runs" | median)
engine_mb=$(cut -d' ' -f2 "$work/engine.runs" | median | awk '{ printf "%.0f", $1 / 1024 }')

mkdir -p "build/bench-gui-$arch"
. cmake/wine-prefix.sh "build/bench-gui-$arch" "$arch"
qm_start_display
wineserver -p
wine cmd /c exit >/dev/null 2>&1
sampler=
stop_sampler() { [ -n "$sampler" ] && kill "$sampler" 2>/dev/null; sampler=; }
trap 'stop_sampler; wineserver -k >/dev/null 2>&1 || true; qm_stop_display; rm -rf "$work"' EXIT
wine reg add 'HKCU\SOFTWARE\Ambervale\Quillmere\Settings' /v TipOfTheDay.ShowOnStartup \
  /t REG_SZ /d false /f >/dev/null 2>&1

# The program's peak resident memory: the high-water mark of the process
# of this prefix whose command line names the program (and is not the
# benchmark, which names it too), read until the process is gone.
exe_name=$(basename "$exe")
sample_peak() {
  local pid= p peak=0 hwm
  while :; do
    if [ -z "$pid" ]; then
      for p in $(pgrep -f -- "${exe_name//./\\.}" || true); do
        # A process may end between pgrep and the reads: its files are gone.
        { tr '\0' '\n' <"/proc/$p/cmdline"; } 2>/dev/null | grep -q gui_bench && continue
        { tr '\0' '\n' <"/proc/$p/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" ||
          continue
        pid=$p
      done
    elif [ -r "/proc/$pid/status" ]; then
      hwm=$(awk '$1 == "VmHWM:" { print $2 }' "/proc/$pid/status" 2>/dev/null || true)
      [ -n "$hwm" ] && [ "$hwm" -gt "$peak" ] && peak=$hwm && echo "$peak" >"$1"
    else
      pid=
    fi
    sleep 0.1
  done
}

for ((r = 0; r < runs; r++)); do
  echo 0 >"$work/peak.$r"
  sample_peak "$work/peak.$r" &
  sampler=$!
  out=$(wine "build/$arch/bin/gui_bench.exe" --runs 1 --steps 1 \
    "$(winepath -w "$exe")" "$(winepath -w "$left")" "$(winepath -w "$right")" | tr -d '\r')
  stop_sampler
  echo "$out" >&2
  awk '$1 == "first_paint_s" { print $5 }' <<<"$out" >>"$work/window.runs"
  cat "$work/peak.$r" >>"$work/window_peak.runs"
  status=$(sed -n 's/^status //p' <<<"$out")
done
window_s=$(median <"$work/window.runs")
window_mb=$(median <"$work/window_peak.runs" | awk '{ printf "%.0f", $1 / 1024 }')
input_mb=$(( ($(stat -c %s "$left") + $(stat -c %s "$right")) / 1048576 ))

echo "Pair $pair ($input_mb MB, $(wc -l <"$left") lines left), $arch, $runs run(s), program $exe;"
echo "status bar: $status. Load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)."
echo
echo "| figure | seconds | peak MB |"
echo "|---|---|---|"
echo "| engine alone (rowdump --summary, native) | $engine_s | $engine_mb |"
echo "| start to painted result (window) | $window_s | $window_mb |"
echo "| window less engine | $(awk -v w="$window_s" -v e="$engine_s" 'BEGIN { printf "%.2f", w - e }') | |"
