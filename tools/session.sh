# Starts what a test or demo run needs and stops it all on exit (sourced):
# a persistent wineserver for the build's prefix, an Xvfb display on a free
# number, and the local service when tools/service exists.
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

ORVANE_SESSION_PIDS=()
orvane_session_stop() {
  set +e
  if [ -x "$ORVANE_ROOT/tools/service" ] && [ -n "${ORVANE_SERVICE_STARTED:-}" ]; then
    "$ORVANE_ROOT/tools/service" stop >/dev/null 2>&1
  fi
  WINEPREFIX=$ORVANE_WINEPREFIX wineserver -k >/dev/null 2>&1
  for pid in "${ORVANE_SESSION_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${ORVANE_SESSION_PIDS[@]}"; do wait "$pid" 2>/dev/null; done
}
trap orvane_session_stop EXIT
trap 'exit 130' INT TERM

# Wine's own background processes (services, explorer) start with the first
# program of a session and inherit its output pipes; started here with output
# to /dev/null (and the display, when one is up), they never hold a test's pipe open after the test has ended.
# The first program with the display also sets up Wine's display devices
# from the X server (see tests/support/display-warmup.c).
orvane_start_wineserver() {
  WINEPREFIX=$ORVANE_WINEPREFIX wineserver -p
  local warmup=$BUILD_DIR/display-warmup.exe
  if [ ! -x "$warmup" ] || [ "$ORVANE_ROOT/tests/support/display-warmup.c" -nt "$warmup" ]; then
    mkdir -p "$BUILD_DIR"
    "$ORVANE_MINGW-gcc" -O1 -o "$warmup" "$ORVANE_ROOT/tests/support/display-warmup.c" || return 1
  fi
  ORVANE_WANT_DISPLAY=1 "$ORVANE_ROOT/tools/wine-run" cmd /c exit </dev/null >/dev/null 2>&1 || true
  if [ -n "${ORVANE_DISPLAY:-}" ]; then
    ORVANE_WANT_DISPLAY=1 "$ORVANE_ROOT/tools/wine-run" "$warmup" </dev/null >/dev/null 2>&1 || true
  fi
  # Holds Wine's desktop up until the session ends (see display-warmup.c);
  # wineserver -k at the end takes it down.
  ORVANE_WANT_DISPLAY=1 "$ORVANE_ROOT/tools/wine-run" "$warmup" stay </dev/null >/dev/null 2>&1 &
  ORVANE_SESSION_PIDS+=($!)
}

# Xvfb picks a free display number itself and tells it on the given fd.
orvane_start_xvfb() {
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 7 -screen 0 1280x800x24 -nolisten tcp 7>"$fifo" >/dev/null 2>&1 &
  ORVANE_SESSION_PIDS+=($!)
  local number
  read -r -t 20 number <"$fifo" || { echo "session: Xvfb did not start" >&2; rm -f "$fifo"; return 1; }
  rm -f "$fifo"
  export ORVANE_DISPLAY=":$number"
}

orvane_start_service() {
  if [ -x "$ORVANE_ROOT/tools/service" ]; then
    "$ORVANE_ROOT/tools/service" start
    ORVANE_SERVICE_STARTED=1
  fi
}
