# Sourced by the scripts that need a display: without one, starts an Xvfb
# server on a free display number, exports DISPLAY and stops the server when
# the script ends.
XVFB_PID=""
cleanup() { [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true; }
trap cleanup EXIT INT TERM

if [ -z "$DISPLAY" ]; then
  # Pick the first display number without a server or a stale lock.
  n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  i=0
  until xdpyinfo >/dev/null 2>&1; do
    i=$((i + 1))
    [ $i -gt 100 ] && { echo "Xvfb did not start" >&2; exit 1; }
    sleep 0.1
  done
fi
export LIBGL_ALWAYS_SOFTWARE=1
