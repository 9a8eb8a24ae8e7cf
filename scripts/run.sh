#!/usr/bin/env bash
# Builds compare.exe (32-bit; 64-bit on a machine that cannot run 32-bit
# programs) and shows a comparison of the two sample files under Wine.
# With a working display the program simply runs there. Without
# one, a private Xvfb is started, the window is waited for, a screenshot is
# saved as build/run-screenshot.png and the program is ended again.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh
. scripts/display.sh
preset=win32
qm_runs_i386 || preset=win64
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j 2 --target compare

had_display=0
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then had_display=1; fi
qm_start_display
. cmake/wine-prefix.sh "build/$preset" "$preset"

left=$(winepath -w "$root/samples/left.txt" 2>/dev/null)
right=$(winepath -w "$root/samples/right.txt" 2>/dev/null)
exe=build/$preset/bin/compare.exe

if [ "$had_display" = 1 ]; then
  exec wine "$exe" "$left" "$right"
fi

shot=$root/build/run-screenshot.png
wineserver -p 2>/dev/null || true  # a server of this prefix may already run
# No one is there to close the tip of the day over the screenshot: this
# build's own prefix starts without it.
wine reg add 'HKCU\SOFTWARE\Ambervale\Quillmere\Settings' /v TipOfTheDay.ShowOnStartup \
  /t REG_SZ /d false /f >/dev/null 2>&1 || true
wine "$exe" "$left" "$right" >/dev/null 2>&1 &
program=$!
stop() { wineserver -k 2>/dev/null || true; wait "$program" 2>/dev/null || true; }
trap 'stop; qm_stop_display' EXIT

# The comparison window's title starts with the product name.
found=0
for _ in $(seq 1 150); do
  if xdotool search --name '^Quillmere - ' >/dev/null 2>&1; then found=1; break; fi
  sleep 0.2
done
if [ "$found" = 0 ]; then
  echo "run: no comparison window appeared" >&2
  exit 1
fi
sleep 1.5
import -window root "$shot"
echo "run: screenshot of the comparison saved to $shot"
