# Sourced: gives the caller an X display. Uses $DISPLAY when it answers,
# else starts a private Xvfb and stops it when the calling shell exits.
qm_start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local n
  for n in $(seq 91 140); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    QM_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 1 50); do
      xdpyinfo >/dev/null 2>&1 && break
      sleep 0.1
    done
    if xdpyinfo >/dev/null 2>&1; then
      trap 'qm_stop_display' EXIT
      return 0
    fi
    kill "$QM_XVFB_PID" 2>/dev/null || true
  done
  echo "display: could not start Xvfb" >&2
  return 1
}

qm_stop_display() {
  [ -n "${QM_XVFB_PID:-}" ] && kill "$QM_XVFB_PID" 2>/dev/null
  QM_XVFB_PID=
}

# True when this machine can run 32-bit x86 programs (and so the 32-bit
# Wine that runs win32 builds). Some kernels are built or booted without
# that support; there only the 64-bit builds can run.
qm_runs_i386() {
  [ -x /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1
}
