# Shared settings of the project's scripts (sourced, not run).
#
# The build's target: the product is the 32-bit program, built and tested as
# i686 wherever this machine can run 32-bit programs. Some machines cannot run
# any 32-bit Linux program (so not Wine's 32-bit loader either); there the same
# code is built and tested for x86_64 under Wine's 64-bit loader, and behaves as
# the 32-bit product does on 64-bit Windows. ORVANE_ARCH=i686|x86_64 overrides
# the choice. Each target has its own build folder and Wine prefix.
# ORVANE_COMPILE_ONLY=1 allows i686 where it cannot run, for compiling alone.
#
# Every local server's port is named here and nowhere else; the scripts, the
# service, ctest's tests and the benches read these variables. ORVANE_PORT_BASE
# moves them all, so two checkouts can run their tests side by side.
ORVANE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ORVANE_WINE32_LOADER=/usr/lib/wine/wine
ORVANE_WINE64_LOADER=/usr/lib/wine/wine64

# True when a 32-bit program runs here: Wine's own 32-bit loader is tried,
# since that is the program the i686 build needs.
orvane_runs_32bit() {
  [ -x "$ORVANE_WINE32_LOADER" ] && "$ORVANE_WINE32_LOADER" --version >/dev/null 2>&1
}

if [ -z "${ORVANE_ARCH:-}" ]; then
  if orvane_runs_32bit; then
    ORVANE_ARCH=i686 ORVANE_RUNS_32BIT=1
    ORVANE_ARCH_REASON="this machine runs 32-bit programs: testing the 32-bit build, the product itself"
  else
    ORVANE_ARCH=x86_64
    ORVANE_ARCH_REASON="this machine cannot run 32-bit programs: testing the 64-bit build of the same code"
  fi
elif [ -z "${ORVANE_ARCH_REASON:-}" ]; then
  case "$ORVANE_ARCH" in
    i686) ORVANE_ARCH_REASON="ORVANE_ARCH=i686: the 32-bit build, the product itself" ;;
    x86_64) ORVANE_ARCH_REASON="ORVANE_ARCH=x86_64: the 64-bit build of the same code" ;;
    *) echo "env: ORVANE_ARCH must be i686 or x86_64, not '$ORVANE_ARCH'" >&2; return 2 2>/dev/null || exit 2 ;;
  esac
fi
ORVANE_MINGW=$ORVANE_ARCH-w64-mingw32

BUILD_DIR=$(realpath -m "${BUILD_DIR:-$ORVANE_ROOT/build/$ORVANE_ARCH}")
ORVANE_PORT_BASE=${ORVANE_PORT_BASE:-18400}
ORVANE_API_PORT=$((ORVANE_PORT_BASE + 43))
ORVANE_STORAGE_PORT=$((ORVANE_PORT_BASE + 44))
ORVANE_FAULT_PORT=$((ORVANE_PORT_BASE + 45))
ORVANE_DEAD_PORT=$((ORVANE_PORT_BASE + 46))
ORVANE_PROXY_PORT=$((ORVANE_PORT_BASE + 47))
# Kept free: nothing listens there, so connections to it are refused.
ORVANE_CLOSED_PORT=$((ORVANE_PORT_BASE + 48))
# A real proxy (tinyproxy) that the tests which need one start themselves.
ORVANE_TINYPROXY_PORT=$((ORVANE_PORT_BASE + 49))
export ORVANE_ROOT ORVANE_ARCH ORVANE_ARCH_REASON ORVANE_RUNS_32BIT ORVANE_MINGW BUILD_DIR
export ORVANE_PORT_BASE ORVANE_API_PORT ORVANE_STORAGE_PORT ORVANE_FAULT_PORT ORVANE_DEAD_PORT
export ORVANE_PROXY_PORT ORVANE_CLOSED_PORT ORVANE_TINYPROXY_PORT
export ORVANE_SOURCE_DIR=$ORVANE_ROOT ORVANE_BINARY_DIR=$BUILD_DIR
export ORVANE_WINEPREFIX=$BUILD_DIR/wineprefix
export WINEPREFIX=$ORVANE_WINEPREFIX
export ORVANE_SERVICE_DIR=$BUILD_DIR/service

# Debian's wine wrapper (and wineboot, regedit, winepath, reg through it) takes
# the 32-bit loader whenever that file is executable, runnable or not. The
# x86_64 build puts wrappers that call the 64-bit loader first in PATH.
if [ "$ORVANE_ARCH" = x86_64 ]; then
  export WINELOADER=$ORVANE_WINE64_LOADER
  case ":$PATH:" in
    *":$ORVANE_ROOT/tools/wine64-bin:"*) ;;
    *) export PATH="$ORVANE_ROOT/tools/wine64-bin:$PATH" ;;
  esac
elif [ "${ORVANE_COMPILE_ONLY:-0}" != 1 ] && [ -z "${ORVANE_RUNS_32BIT:-}" ] && ! orvane_runs_32bit; then
  echo "env: ORVANE_ARCH=i686, but this machine cannot run 32-bit programs ($ORVANE_WINE32_LOADER does not start); use ORVANE_ARCH=x86_64" >&2
  return 2 2>/dev/null || exit 2
fi
