# Helpers for the end-to-end tests, the demo and the start-up benchmark: a
# template Wine prefix made once per run and copied per scenario, drives mapped
# onto folders, Xvfb, Corvane started under a chosen computer name, waits with
# deadlines and screenshots. Source it from bash.
#
# Inputs (environment):
#   E2E_STATE   folder for this run's state (template, display, scenarios)
#   CORVANE_EXE the Corvane.exe under test
#   E2E_DRIVER  the automation driver (corvane_e2e_driver.exe)
#   E2E_HOLDER  the helper that holds a file open (corvane_holder.exe)
#   E2E_TEST_ENGINE the test database engine (corvane_test_engine.dll), for
#               install_test_engine
#   E2E_TEST_ENGINE_SERVER its application class as a local server
#               (corvane_test_engine_server.exe), for install_test_engine
#   E2E_BITS    32 or 64: the bitness of the programs under test; read from
#               CORVANE_EXE (or E2E_DRIVER) when not given
#   E2E_KEEP_TEMPLATE=1 reuses an existing template instead of making it anew
#   E2E_KEEP=1  keeps a scenario's folder even when it passes
#   E2E_TRACE=1 logs every driver command with its duration

: "${E2E_STATE:?E2E_STATE must name the folder for the state of this run}"

readonly WINE64=/usr/lib/wine/wine64
readonly WINESERVER=/usr/lib/wine/wineserver
E2E_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
readonly E2E_LIB_DIR
readonly REGISTER_TEST_ENGINE=$E2E_LIB_DIR/test_engine/register.sh
# Where every prefix of the run finds the test engine: registered in the
# template, the DLL itself copied by the scenarios that use it.
readonly TEST_ENGINE_WINDOWS_PATH='C:\TestEngine\corvane_test_engine.dll'
readonly TEST_ENGINE_SERVER_WINDOWS_PATH='C:\TestEngine\corvane_test_engine_server.exe'
# host_runs_32bit, the one test of whether this host starts 32-bit programs.
source "$E2E_LIB_DIR/../../scripts/windows-build.sh"

# pe_bits FILE: 32 or 64, the bitness a Windows program was built for (the
# machine field of its PE header).
pe_bits() {
  case $(pe_machine "$1") in
    014c) echo 32 ;;
    8664) echo 64 ;;
    *) return 1 ;;
  esac
}

if [ -z "${E2E_BITS:-}" ]; then
  for program in "${CORVANE_EXE:-}" "${E2E_DRIVER:-}"; do
    [ -f "$program" ] && E2E_BITS=$(pe_bits "$program") && break
  done
  unset program
fi
# Nothing built to read: the released bitness.
E2E_BITS=${E2E_BITS:-32}

# Wine must never ask for Mono or Gecko, never write menu entries into the
# home folder, and never stop on a crash dialog.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe="
export WINELOADER=$WINE64
# Wine links some user folders to $HOME: give it one of its own.
export HOME="$E2E_STATE/home"

e2e_log() { printf '[%s] %s\n' "$(date +%H:%M:%S.%3N)" "$*" >&2; }

fail() {
  printf 'FAIL: %s\n' "$*" >&2
  exit 1
}

# require_runnable: 32-bit programs under test on a host that cannot start
# them fail every later step with a misleading message; say the real cause.
require_runnable() {
  [ "$E2E_BITS" = 32 ] || return 0
  host_runs_32bit && return 0
  fail "this host cannot run 32-bit programs ($CORVANE_WINE32_PROBLEM), and the programs under test are 32-bit: test the 64-bit build instead (preset windows-x64; scripts/test and scripts/demo choose it by themselves on such a host)"
}

# An orphan that has ended may linger as a zombie when nothing reaps it
# (some containers' init does not): that counts as gone.
process_gone() {
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null) || return 0
  [ -z "$state" ] || [ "${state:0:1}" = Z ]
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# wait_until SECONDS WHAT COMMAND...: polls COMMAND until it succeeds.
wait_until() {
  local seconds=$1 what=$2
  shift 2
  local deadline=$(($(now_ms) + seconds * 1000))
  until "$@"; do
    [ "$(now_ms)" -lt "$deadline" ] || { e2e_log "timed out after ${seconds}s waiting for $what"; return 1; }
    sleep 0.05
  done
}

# ------------------------------------------------------------------ template

# template_create, template_stop_server, prefix_copy: prefix.sh.
source "$E2E_LIB_DIR/prefix.sh"

# ------------------------------------------------------------------ display

# Xvfb picks its own free display number (-displayfd), so two runs on one
# machine never collide.
xvfb_start() {
  local numberFile="$E2E_STATE/display.number"
  mkdir -p "$E2E_STATE"
  xvfb_stop
  rm -f "$numberFile"
  setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -dpi 96 \
    3>"$numberFile" </dev/null >"$E2E_STATE/xvfb.log" 2>&1 &
  echo $! >"$E2E_STATE/xvfb.pid"
  wait_until 10 "Xvfb to choose a display" test -s "$numberFile" || fail "Xvfb did not start: $(cat "$E2E_STATE/xvfb.log")"
  echo ":$(head -n1 "$numberFile")" >"$E2E_STATE/display"
  wait_until 10 "display $(cat "$E2E_STATE/display") to answer" \
    xdpyinfo -display "$(cat "$E2E_STATE/display")" >/dev/null 2>&1 || fail "Xvfb does not answer"
  e2e_log "Xvfb pid $(cat "$E2E_STATE/xvfb.pid") on $(cat "$E2E_STATE/display")"
}

xvfb_stop() {
  local pidFile="$E2E_STATE/xvfb.pid" pid
  [ -f "$pidFile" ] || return 0
  pid=$(cat "$pidFile")
  # Only the Xvfb this helper started: its id, and its name to guard against reuse.
  if [ -n "$pid" ] && [ "$(ps -o comm= -p "$pid" 2>/dev/null)" = Xvfb ]; then
    kill "$pid" 2>/dev/null || true
    wait_until 10 "Xvfb $pid to end" process_gone "$pid" || kill -9 "$pid" 2>/dev/null || true
  fi
  rm -f "$pidFile" "$E2E_STATE/display"
}

# The display this run started; else the caller's own (the demo on a desktop).
use_display() {
  if [ -f "$E2E_STATE/display" ]; then
    DISPLAY=$(cat "$E2E_STATE/display")
    export DISPLAY
  fi
  [ -n "${DISPLAY:-}" ] || fail "no display: the display fixture has not run"
}

# ------------------------------------------------------------------ scenarios

# scenario_begin NAME HOSTNAME: a fresh prefix copied from the template, a
# venue folder for the drives, and a wineserver whose first client ran with
# the chosen host name (Wine takes the computer name from its first process).
scenario_begin() {
  SCENARIO_NAME=$1
  local hostName=$2
  SCENARIO_DIR="$E2E_STATE/scenarios/$SCENARIO_NAME"
  SCENARIO_STARTED=()
  [ -f "$E2E_STATE/template/system.reg" ] || fail "no template prefix: the template fixture has not run"
  trap scenario_end EXIT
  scenario_remove
  mkdir -p "$SCENARIO_DIR/venue"
  local started
  started=$(now_ms)
  prefix_copy "$E2E_STATE/template" "$SCENARIO_DIR/prefix"
  export WINEPREFIX="$SCENARIO_DIR/prefix"
  VENUE="$SCENARIO_DIR/venue"
  use_display
  # The server stays 30 s after its last client, so it survives the gaps
  # between the steps of a scenario yet never outlives an aborted one for long.
  require_runnable
  unshare --uts hostname "$hostName" 2>/dev/null ||
    fail "cannot give the scenario its own computer name $hostName: unshare --uts and hostname need root"
  # The driver's complaints go to a file: the wineserver it starts inherits
  # the streams, and a captured one would hold this step until it ends.
  local answer status=0
  answer=$(unshare --uts sh -c 'hostname "$1" && "$2" -p30 && exec "$3" "$4" computer-name' \
    sh "$hostName" "$WINESERVER" "$WINE64" "$E2E_DRIVER" 2>"$SCENARIO_DIR/begin.err") || status=$?
  [ "$status" = 0 ] ||
    fail "the automation driver did not start under Wine as $hostName (exit $status): $(tail -n 3 "$SCENARIO_DIR/begin.err")"
  local expected
  expected=$(printf '%s' "$hostName" | tr '[:lower:]' '[:upper:]')
  [ "$(field computer_name <<<"$answer")" = "$expected" ] ||
    fail "the prefix reports computer name '$(field computer_name <<<"$answer")', wanted '$expected'"
  e2e_log "scenario $SCENARIO_NAME ready as $expected in $(($(now_ms) - started)) ms"
}

scenario_end() {
  local status=$?
  local pid
  # Only this scenario's prefix, never one the caller's environment named.
  template_stop_server "$SCENARIO_DIR/prefix"
  for pid in "${SCENARIO_STARTED[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  if [ "$status" -eq 0 ] && [ "${E2E_KEEP:-}" != 1 ]; then
    scenario_remove
  else
    e2e_log "scenario folder kept: $SCENARIO_DIR"
  fi
  exit "$status"
}

scenario_remove() {
  [ -d "$SCENARIO_DIR" ] || return 0
  template_stop_server "$SCENARIO_DIR/prefix"
  rm -rf "$SCENARIO_DIR"
}

# map_drive LETTER FOLDER: "e" -> the folder is E:\.
map_drive() {
  mkdir -p "$2"
  ln -sfn "$(realpath "$2")" "$WINEPREFIX/dosdevices/${1,,}:"
}

# map_share SERVER SHARE FOLDER: the folder is \\SERVER\SHARE.
map_share() {
  mkdir -p "$3" "$WINEPREFIX/dosdevices/unc/${1,,}"
  ln -sfn "$(realpath "$3")" "$WINEPREFIX/dosdevices/unc/${1,,}/${2,,}"
}

# install_corvane FOLDER: copies the program under test into a venue folder.
install_corvane() {
  mkdir -p "$1"
  cp "$CORVANE_EXE" "$1/Corvane.exe"
}

# install_on_drive_e: Corvane in E:\Corvane, the usual place in these tests
# (drive C: is refused on this platform). Sets PROGRAM_DIR (the Linux folder)
# and PROGRAM_PATH (the Windows path to start).
install_on_drive_e() {
  map_drive e "$VENUE/e"
  PROGRAM_DIR="$VENUE/e/Corvane"
  PROGRAM_PATH='E:\Corvane\Corvane.exe'
  install_corvane "$PROGRAM_DIR"
}

# start_program TAG PATH [ARGS...]: starts a Windows program (Windows or Linux
# path) in the background; its exit code lands in $SCENARIO_DIR/TAG.exit when
# it ends.
start_program() {
  local tag=$1 path=$2
  shift 2
  rm -f "$SCENARIO_DIR/$tag.exit"
  (
    # The scenarios run under set -e, which the subshell inherits: without
    # the "||", a program that fails or is killed would leave no exit file.
    status=0
    "$WINE64" "$path" "$@" >"$SCENARIO_DIR/$tag.out" 2>&1 || status=$?
    echo "$status" >"$SCENARIO_DIR/$tag.exit.tmp"
    mv "$SCENARIO_DIR/$tag.exit.tmp" "$SCENARIO_DIR/$tag.exit"
  ) &
  SCENARIO_STARTED+=($!)
  e2e_log "started $tag: $path"
}

# wait_exit TAG SECONDS: prints the program's exit code once it has ended.
wait_exit() {
  wait_until "$2" "$1 to end" test -f "$SCENARIO_DIR/$1.exit" || return 1
  cat "$SCENARIO_DIR/$1.exit"
}

has_ended() { [ -f "$SCENARIO_DIR/$1.exit" ]; }

# ------------------------------------------------------------------ test engine

# install_test_engine, its journal, its servers: test_engine/engine.sh.
source "$E2E_LIB_DIR/test_engine/engine.sh"

# ------------------------------------------------------------------ driver

# drv COMMAND ARGS...: runs the automation driver in the scenario's prefix;
# its output on stdout, its complaints on stderr.
# E2E_TRACE=1 logs each command and how long it took.
# A driver that ends without a word of its own (a crash, Wine failing to
# start it) still leaves its command and exit status in the test's output.
drv() {
  local started status=0
  started=$(now_ms)
  "$WINE64" "$E2E_DRIVER" "$@" || status=$?
  if [ "${E2E_TRACE:-}" = 1 ] || [ "$status" -gt 2 ]; then
    e2e_log "driver $* -> $status in $(($(now_ms) - started)) ms"
  fi
  return "$status"
}

# wait_main_window [SECONDS]: the driver's report on Corvane's main window
# once it is shown; on a timeout, what windows there are instead.
wait_main_window() {
  drv wait-window --class CorvaneFMain --timeout "${1:-20}" && return 0
  e2e_log "windows shown instead:"
  drv list >&2 || true
  return 1
}

# db_repair_box TEXT: Corvane started from $PROGRAM_PATH, DB REPAIR asked
# by its hot key, and its first result box found reading TEXT (left open).
db_repair_box() {
  start_program corvane "$PROGRAM_PATH"
  wait_main_window >/dev/null || fail "the main window did not appear"
  drv keys --class CorvaneFMain shift+d >/dev/null || fail "could not type Shift+D"
  local out
  out=$(drv box --title Corvane --timeout 30) || fail "no result box"
  expect_eq "$(field text <<<"$out")" "$1" "the OK box"
}

# field KEY < driver-output: the value of one output line, unescaped.
field() {
  local key=$1 line
  while IFS= read -r line; do
    if [ "${line%%$'\t'*}" = "$key" ]; then
      printf '%b' "${line#*$'\t'}"
      return 0
    fi
  done
  return 1
}

# ------------------------------------------------------------------ files

# wait_file PATH SECONDS
wait_file() { wait_until "$2" "file $1" test -e "$1"; }

# hold_file TAG WINPATH MODE: another program of the prefix holds the file
# open (MODE: exclusive, readwrite, read, create-exclusive, run-lock; see holder.cpp)
# until release_file TAG. Returns once the file is held; fails the scenario
# if the holder could not open it.
hold_file() {
  local tag=$1 path=$2 mode=$3
  local ready="$SCENARIO_DIR/$tag.ready"
  rm -f "$ready" "$SCENARIO_DIR/$tag.stop"
  start_program "$tag" "$E2E_HOLDER" "$path" "$mode" "$ready" "$SCENARIO_DIR/$tag.stop"
  wait_until 20 "$tag to hold $path" holder_settled "$tag" ||
    fail "$tag did not hold $path ($mode) within 20 s: $(cat "$SCENARIO_DIR/$tag.out" 2>/dev/null)"
  [ -e "$ready" ] ||
    fail "$tag could not hold $path ($mode), exit $(cat "$SCENARIO_DIR/$tag.exit"): $(cat "$SCENARIO_DIR/$tag.out")"
}

holder_settled() { [ -e "$SCENARIO_DIR/$1.ready" ] || has_ended "$1"; }

# release_file TAG: the holder closes the file and ends.
release_file() {
  local tag=$1 code
  : >"$SCENARIO_DIR/$tag.stop"
  code=$(wait_exit "$tag" 20) || fail "$tag did not end after its stop file"
  [ "$code" = 0 ] || fail "$tag ended with $code: $(cat "$SCENARIO_DIR/$tag.out")"
}

# ------------------------------------------------------------------ pictures

# screenshot PNG: the whole screen.
screenshot() { import -display "$DISPLAY" -window root "$1"; }

# pixel PNG X Y: "R G B" of one pixel, 0..255.
pixel() {
  convert "$1" -format "%[fx:int(255*p{$2,$3}.r+0.5)] %[fx:int(255*p{$2,$3}.g+0.5)] %[fx:int(255*p{$2,$3}.b+0.5)]" info:
}

# ------------------------------------------------------------------ checks

expect_eq() {
  local actual=$1 expected=$2 what=$3
  [ "$actual" = "$expected" ] && return 0
  printf 'FAIL: %s\n  expected: %s\n  actual:   %s\n' "$what" "${expected@Q}" "${actual@Q}" >&2
  exit 1
}
