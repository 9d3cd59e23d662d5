#!/usr/bin/env bash
# The debug log: switched on for one run by a file "Corvane.deb" in the
# program's folder.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

# The five header lines, CR LF each, in the ANSI code page (all ASCII here).
header() {
  printf "'%s\r\n" "$(printf '*%.0s' {1..84})"
  printf 'VERSION: v25.0.0\r\n'
  printf 'VERSION SHORT: 25\r\n'
  printf 'VERSION TITLE: (v25.0.0)(Win1x)\r\n'
  printf 'WINDOWS VER: 6\r\n'
}

# log_files: the dated logs in the program's folder, one per line.
log_files() { find "$PROGRAM_DIR" -maxdepth 1 -name '* Corvane.deb' -printf '%f\n' | sort; }

# A start with the switch file deletes it and writes one log named after the
# start time and the computer name (upper case) holding only the header; the
# next start, without the switch file, writes none.
switch_file() {
  scenario_begin debug_log pos3
  install_on_drive_e
  echo 1 >"$PROGRAM_DIR/Corvane.lng"
  : >"$PROGRAM_DIR/Corvane.deb"

  local before after
  before=$(date +%y%m%d-%H%M%S)
  start_program logged "$PROGRAM_PATH"
  # The log is started before the window is loaded.
  wait_main_window >/dev/null || fail "the main window did not appear"
  after=$(date +%y%m%d-%H%M%S)

  [ ! -e "$PROGRAM_DIR/Corvane.deb" ] || fail "the switch file Corvane.deb is still there"
  local logs
  logs=$(log_files)
  [ "$(wc -l <<<"$logs")" -eq 1 ] && [ -n "$logs" ] || fail "expected one log file, found: ${logs:-none}"
  [[ $logs =~ ^([0-9]{6}-[0-9]{6})\ POS3\ Corvane\.deb$ ]] || fail "log file name '$logs' is not 'YYMMDD-HHNNSS POS3 Corvane.deb'"
  local stamp=${BASH_REMATCH[1]}
  [[ ! $stamp < $before && ! $stamp > $after ]] || fail "log stamp $stamp is outside the run ($before to $after)"
  cmp <(header) "$PROGRAM_DIR/$logs" >&2 || {
    e2e_log "log content:"
    od -c "$PROGRAM_DIR/$logs" | head -20 >&2
    fail "the log does not hold exactly the five header lines"
  }

  drv close --class CorvaneFMain >/dev/null || fail "no main window to close"
  wait_exit logged 10 >/dev/null || fail "the first run did not end"

  start_program unlogged "$PROGRAM_PATH"
  wait_main_window >/dev/null || fail "the main window did not appear on the second start"
  expect_eq "$(log_files)" "$logs" "log files after a start without the switch file"
  [ ! -e "$PROGRAM_DIR/Corvane.deb" ] || fail "the second start created Corvane.deb"
  drv close --class CorvaneFMain >/dev/null || fail "no main window to close"
  wait_exit unlogged 10 >/dev/null || fail "the second run did not end"
}

case ${1:-} in
  switch_file) switch_file ;;
  *) fail "unknown case '${1:-}'" ;;
esac
