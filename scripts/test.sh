#!/usr/bin/env bash
# Builds every preset and runs every test: native, native under
# AddressSanitizer and UndefinedBehaviorSanitizer, then the 32-bit and 64-bit
# Windows builds with their tests under Wine and Xvfb.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh || exit 1
. scripts/display.sh

jobs=${QM_JOBS:-2}
failed=()

step() {  # step NAME COMMAND...: run, remember a failure, go on
  local name=$1; shift
  echo "== $name"
  if ! "$@"; then failed+=("$name"); fi
}

native() {
  cmake --preset native >/dev/null && cmake --build --preset native -j "$jobs" &&
    ctest --preset native -j "$jobs"
}

sanitized() {
  cmake -S . -B build/native-asan -DCMAKE_BUILD_TYPE=Debug -DQM_SANITIZE=ON >/dev/null &&
    cmake --build build/native-asan -j "$jobs" &&
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
      ctest --test-dir build/native-asan --output-on-failure -j "$jobs" --timeout 900
}

windows() {  # windows PRESET ARCH
  local preset=$1 arch=$2 rc
  cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j "$jobs" || return 1
  (
    . cmake/wine-prefix.sh "build/$preset" "$arch"
    # Wine's background processes are started once, before the tests, so
    # that each test program starts in milliseconds.
    wineserver -p
    wine cmd /c exit >/dev/null 2>&1
    ctest --preset "$preset" -j 1
    rc=$?
    wineserver -k
    exit $rc
  )
}

build_only() {  # build_only PRESET
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j "$jobs"
}

step native native
step sanitizers sanitized
qm_start_display || exit 1
if qm_runs_i386; then
  step win32 windows win32 win32
else
  # The 32-bit build is still made, so that it cannot rot; its programs
  # cannot start on this kernel, so the Windows tests run on the 64-bit
  # build only.
  echo "== win32: this machine cannot run 32-bit programs; building only"
  step win32-build build_only win32
fi
step win64 windows win64 win64

if [ "${#failed[@]}" -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "all test suites passed"
