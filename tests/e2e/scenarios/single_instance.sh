#!/usr/bin/env bash
# One running Corvane per computer: a later start hands over to the earlier.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

main_window_restored() { [ "$(drv state --class CorvaneFMain --timeout 5 | field iconic)" = 0 ]; }

# The second instance finds the first through its hidden window, restores
# and raises the first's main window and exits with 0 having shown nothing;
# its debug log, switched on for it alone, was started before the hand-over
# and holds the header only.
hand_over() {
  scenario_begin single_instance MONITOR
  install_on_drive_e
  echo 1 >"$PROGRAM_DIR/Corvane.lng"
  start_program first "$PROGRAM_PATH"
  local out firstPid
  out=$(wait_main_window) || fail "the first instance's main window did not appear"
  firstPid=$(field pid <<<"$out")

  # Minimised and behind another window: the hand-over must undo both.
  drv minimize --class CorvaneFMain >/dev/null || fail "could not minimise the first instance's window"
  start_program other "$E2E_MINIMAL"
  drv wait-foreground --class CorvaneMinimalWindow >/dev/null || fail "the other window did not take the foreground"

  : >"$PROGRAM_DIR/Corvane.deb"
  start_program second "$PROGRAM_PATH"
  expect_eq "$(wait_exit second 20)" 0 "exit code of the second instance"

  wait_until 10 "the first instance's window to be restored" main_window_restored ||
    fail "the first instance's main window is still minimised"
  out=$(drv wait-foreground --class CorvaneFMain --timeout 10) || fail "the first instance's main window was not raised"
  expect_eq "$(field pid <<<"$out")" "$firstPid" "process owning the raised main window"
  if has_ended first; then fail "the first instance ended"; fi
  expect_eq "$(drv count --class CorvaneFMain --hidden | field count)" 1 "main windows after the hand-over"
  expect_eq "$(drv count --class ThunderRT6Main --title Corvane --hidden | field count)" 1 "hidden 'Corvane' windows after the hand-over"

  [ ! -e "$PROGRAM_DIR/Corvane.deb" ] || fail "the second instance left the switch file"
  local logs
  logs=$(find "$PROGRAM_DIR" -maxdepth 1 -name '* MONITOR Corvane.deb')
  [ -n "$logs" ] && [ "$(wc -l <<<"$logs")" -eq 1 ] || fail "expected the second instance's log, found: ${logs:-none}"
  expect_eq "$(wc -l <"$logs")" 5 "lines in the second instance's log (the header alone)"

  drv close --class CorvaneFMain >/dev/null || fail "no main window to close"
  wait_exit first 10 >/dev/null || fail "the first instance did not end on the close request"
}

case ${1:-} in
  hand_over) hand_over ;;
  *) fail "unknown case '${1:-}'" ;;
esac
