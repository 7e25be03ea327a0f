# Shared settings of the project's scripts; sourced, not run.
# shellcheck shell=bash

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$ROOT/build}
export WINEPREFIX=${WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/updater/wine}
# The prefix of the 64-bit test build: a 64-bit prefix, which the rig's wine64 runs
# on every machine (see rig.sh). The shipped run uses a 32-bit one (use_shipped_wine).
export WINEARCH=win64
# The prefixes are Japanese (code page 932); a scenario of a Windows in another
# language sets UPDATER_WINE_LANG for a prefix of its own (scripts/e2e.py).
export LANG=${UPDATER_WINE_LANG:-ja_JP.UTF-8}
export LC_ALL=$LANG
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts when the prefix is made.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# Runs a command with its output in files, never a pipe: Wine's background
# processes inherit the descriptors and would keep a pipe open.
quiet_wine() {
  local log=${WINE_LOG:-$(dirname "$WINEPREFIX")/wine-last.log}
  "$@" >"$log" 2>&1
}

# Makes the Japanese prefix (of the width WINEARCH says) once and sets it up for
# unattended runs.
ensure_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    echo "Creating the Wine prefix $WINEPREFIX (once)..."
    quiet_wine wine wineboot -i
    quiet_wine wineserver -w
  fi
  if [ ! -f "$WINEPREFIX/.updater-configured" ]; then
    # Unmanaged windows: without a window manager Wine waits about 2 s whenever a
    # window closes.
    quiet_wine wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
    # The relay trace shows the exact arguments of every MessageBoxW call.
    quiet_wine wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /d user32.MessageBoxW /f
    quiet_wine wineserver -w
    touch "$WINEPREFIX/.updater-configured"
  fi
}

# Starts Xvfb when there is no display; stop_display stops only what was started.
XVFB_PID=
ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return; fi
  local n
  for n in $(seq 91 120); do
    # The socket folder is shared by every rig (the lock file is not: each rig has a
    # /tmp of its own), so a display another rig's run holds shows by its socket.
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 50); do
      # An Xvfb that ended found the display taken: another run's server must not
      # be taken for ours (it goes away when that run ends).
      kill -0 "$XVFB_PID" 2>/dev/null || break
      xdpyinfo >/dev/null 2>&1 && return
      sleep 0.1
    done
    kill "$XVFB_PID" 2>/dev/null; XVFB_PID=
  done
  echo "Could not start Xvfb" >&2
  return 1
}
stop_display() {
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null; wait "$XVFB_PID" 2>/dev/null; XVFB_PID=; fi
}

# Keeps one wineserver for the whole run (started with its output in a file) and
# stops it at the end.
start_wineserver() { quiet_wine wineserver -p; }
stop_wineserver() { wineserver -k >/dev/null 2>&1 || true; }

# Two builds of the same sources. The shipped updater.exe is 32-bit (dist/), with
# 32-bit builds of the end-to-end helpers beside it (SHIPPED_HELPERS_DIR) for the
# shipped run; the 64-bit build holds every test and runs on every machine, since
# the rig's wine64 needs no 32-bit Linux programs (see rig.sh). TEST_BUILD_DIR is
# where ctest runs.
export TEST_BUILD_DIR=$BUILD_DIR/x64
export SHIPPED_HELPERS_DIR=$BUILD_DIR/i686/e2e
configure_and_build() {
  local log=$BUILD_DIR/configure.log
  mkdir -p "$BUILD_DIR"
  cmake -S "$ROOT" -B "$BUILD_DIR/i686" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DUPDATER_TESTS=OFF -DUPDATER_E2E_HELPERS=ON \
        -DUPDATER_OUTPUT_DIR="$ROOT/dist" >"$log" 2>&1 \
    && cmake -S "$ROOT" -B "$TEST_BUILD_DIR" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release >>"$log" 2>&1 \
    || { cat "$log"; return 1; }
  cmake --build "$BUILD_DIR/i686" -j"$(nproc)" && cmake --build "$TEST_BUILD_DIR" -j"$(nproc)"
}

# The shipped run: dist/updater.exe in a 32-bit Japanese prefix of its own, run by
# Wine's 32-bit loader (scripts/wine32/wine). Where this machine cannot run 32-bit
# programs, shipped_wine_runs fails and the run is skipped with SHIPPED_SKIP_LINE.
SHIPPED_SKIP_LINE="e2e-shipped: skipped: this machine cannot run 32-bit programs"
use_shipped_wine() {
  export WINEPREFIX=${UPDATER_SHIPPED_PREFIX:-$WINEPREFIX-win32}
  export WINEARCH=win32
  export PATH=$ROOT/scripts/wine32:$PATH
}
# Starts the 32-bit loader itself: missing (the rig installs it only where the
# kernel runs 32-bit programs) or refused by the kernel, it fails.
shipped_wine_runs() { "$ROOT/scripts/wine32/wine" --version >/dev/null 2>&1; }
