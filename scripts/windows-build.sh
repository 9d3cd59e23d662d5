# Which Windows build this host can run under Wine, and building it: sourced
# by bootstrap, test, demo, screenshots and every bench script, so the choice
# lives here alone.
#
# The release is the 32-bit program (preset windows): the in-process database
# engine it drives at a venue exists only as 32-bit. Some hosts' kernels run
# no 32-bit x86 code at all, and there Wine's 32-bit loader cannot start; the
# same sources built for x86_64 (preset windows-x64, a test build never
# shipped) run under wine64 instead.
#
#   windows_host_choose        sets CORVANE_WINDOWS_PRESET (windows or
#                              windows-x64) and CORVANE_WINDOWS_WHY
#   windows_host_line          one line saying which, and why
#   windows_build TARGET...    bootstraps, configures and builds the chosen
#                              preset's TARGETs; sets $build and exports the
#                              paths of the programs under test
#
# Environment:
#   CORVANE_FORCE_X64=1     the x64 path even where 32-bit programs run
#   CORVANE_WINE32_LOADER   the 32-bit loader to try (default /usr/lib/wine/wine)
#   CORVANE_BUILD_DIR       another build folder of the chosen preset

CORVANE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# host_runs_32bit: true when Wine's 32-bit loader starts here. On a kernel
# without 32-bit support the loader itself fails with "Exec format error";
# the reason is left in CORVANE_WINE32_PROBLEM.
host_runs_32bit() {
  local loader=${CORVANE_WINE32_LOADER:-/usr/lib/wine/wine} output
  CORVANE_WINE32_PROBLEM=
  if [ ! -x "$loader" ]; then
    CORVANE_WINE32_PROBLEM="Wine's 32-bit loader $loader is not installed"
    return 1
  fi
  if ! output=$("$loader" --version 2>&1); then
    CORVANE_WINE32_PROBLEM="Wine's 32-bit loader cannot run here ($(head -n 1 <<<"$output"))"
    return 1
  fi
}

# pe_machine FILE: the machine field of a Windows program's PE header, in hex:
# 014c for 32-bit x86, 8664 for x86_64.
pe_machine() {
  local offset
  offset=$(od -An -t u4 -j 60 -N 4 "$1" 2>/dev/null | tr -d ' ') && [ -n "$offset" ] || return 1
  od -An -t x2 -j $((offset + 4)) -N 2 "$1" 2>/dev/null | tr -d ' '
}

windows_host_choose() {
  if [ "${CORVANE_FORCE_X64:-}" = 1 ]; then
    CORVANE_WINDOWS_PRESET=windows-x64
    CORVANE_WINDOWS_WHY="forced by CORVANE_FORCE_X64=1"
  elif host_runs_32bit; then
    CORVANE_WINDOWS_PRESET=windows
    CORVANE_WINDOWS_WHY="this host runs 32-bit programs"
  else
    CORVANE_WINDOWS_PRESET=windows-x64
    CORVANE_WINDOWS_WHY="this host cannot run 32-bit programs: $CORVANE_WINE32_PROBLEM"
  fi
}

windows_host_line() {
  [ -n "${CORVANE_WINDOWS_PRESET:-}" ] || windows_host_choose
  if [ "$CORVANE_WINDOWS_PRESET" = windows ]; then
    echo "windows build: 32-bit (preset windows), as released; $CORVANE_WINDOWS_WHY"
  else
    echo "windows build: 64-bit test build (preset windows-x64); $CORVANE_WINDOWS_WHY"
  fi
}

# windows_build TARGET...: quiet unless the build fails.
windows_build() {
  "$CORVANE_ROOT/scripts/bootstrap"
  [ -n "${CORVANE_WINDOWS_PRESET:-}" ] || windows_host_choose
  build=${CORVANE_BUILD_DIR:-$CORVANE_ROOT/build/$CORVANE_WINDOWS_PRESET}
  local log="$build/windows-build.log"
  mkdir -p "$build"
  if ! { cmake --preset "$CORVANE_WINDOWS_PRESET" -B "$build" &&
         cmake --build "$build" --target "$@" -- -j"$(nproc)"; } >"$log" 2>&1; then
    tail -n 30 "$log" >&2
    echo "windows-build: the $CORVANE_WINDOWS_PRESET targets $* do not build (log: $log)" >&2
    return 1
  fi
  export CORVANE_EXE="$build/bin/Corvane.exe"
  export E2E_DRIVER="$build/tests/e2e/corvane_e2e_driver.exe"
  export E2E_TEST_ENGINE="$build/tests/e2e/corvane_test_engine.dll"
  export E2E_TEST_ENGINE_SERVER="$build/tests/e2e/corvane_test_engine_server.exe"
  export E2E_MINIMAL="$build/tests/e2e/corvane_minimal_window.exe"
  export E2E_SCREENS="$build/tests/e2e/corvane_screens.exe"
  export E2E_HOLDER="$build/tests/e2e/corvane_holder.exe"
  case $CORVANE_WINDOWS_PRESET in windows) export E2E_BITS=32 ;; *) export E2E_BITS=64 ;; esac
}
