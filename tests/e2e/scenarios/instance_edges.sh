#!/usr/bin/env bash
# The single-instance rule at its edges: an earlier copy with no main window,
# an earlier copy whose mutex this one may not open, one in another session
# (no window of it reachable), and a close request that reaches the hidden
# owner window instead of the main window.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

start_venue() {
  scenario_begin "instance_edges_$1" MONITOR
  install_on_drive_e
  echo 1 >"$PROGRAM_DIR/Corvane.lng"
}

unrelated_iconic() { [ "$(drv state --class CorvaneUnrelatedWindow --timeout 5 | field iconic)" = 1 ]; }

# start_earlier_copy [deny-all]: the stand-in earlier copy, once its hidden
# window stands right under the minimised window of the other program.
start_earlier_copy() {
  start_program earlier "$E2E_EARLIER_COPY" "$@"
  drv wait-window --class CorvaneUnrelatedWindow >/dev/null || fail "the other program's window did not appear"
  wait_until 10 "the other program's window to be minimised" unrelated_iconic ||
    fail "the other program's window is not minimised"
  local out
  out=$(drv above --class ThunderRT6Main --title Corvane --hidden) || fail "nothing above the earlier copy's hidden window"
  expect_eq "$(field class <<<"$out")" CorvaneUnrelatedWindow "window just above the earlier copy's hidden window"
  expect_eq "$(drv state --class CorvaneUnrelatedWindow | field foreground)" 0 "other program in the foreground before the start"
}

# The later copy hands over (ends with 0, shows nothing) and leaves the
# other program's window as it was: minimised and in the background.
expect_hand_over_leaves_other_alone() {
  start_program corvane "$PROGRAM_PATH"
  expect_eq "$(wait_exit corvane 20 || echo 'still running')" 0 "exit code of the later copy"
  local out
  out=$(drv state --class CorvaneUnrelatedWindow) || fail "the other program's window is gone"
  expect_eq "$(field iconic <<<"$out")" 1 "other program's window still minimised"
  expect_eq "$(field foreground <<<"$out")" 0 "other program's window in the foreground"
  expect_eq "$(drv count --class CorvaneFMain --hidden | field count)" 0 "main windows of the later copy"
  if has_ended earlier; then fail "the earlier copy ended"; fi
}

# Found the earlier copy's hidden window but no window it owns: the window
# just above it belongs to another program and is not raised.
hand_over_without_main_window() {
  start_venue hand_over_without_main_window
  start_earlier_copy
  expect_hand_over_leaves_other_alone
}

# The earlier copy's mutex refuses this copy (it runs elevated): that copy is
# running all the same, so this one hands over rather than opening a window.
denied_mutex() {
  start_venue denied_mutex
  start_earlier_copy deny-all
  expect_hand_over_leaves_other_alone
}

# A copy in another session (a scheduled run): its global mutex is seen but
# none of its windows. The window copy goes on as the only one, with no box;
# the unattended one never looks (no shared folder here: it ends with 2
# after the start-up, not with 3).
other_session() {
  start_venue other_session
  start_program earlier "$E2E_EARLIER_COPY" other-session
  drv wait-window --class CorvaneUnrelatedWindow >/dev/null || fail "the earlier copy did not start"
  expect_eq "$(drv count --class ThunderRT6Main --title Corvane --hidden | field count)" 0 "windows of the other session's copy"

  start_program corvane "$PROGRAM_PATH"
  wait_main_window >/dev/null || fail "the later copy did not open its window"
  expect_eq "$(drv count --class '#32770' | field count)" 0 "boxes of the later copy"
  drv close --class CorvaneFMain >/dev/null || fail "could not close the main window"
  expect_eq "$(wait_exit corvane 20 || echo 'still running')" 0 "exit code of the later copy"

  start_program nightly "$PROGRAM_PATH" /reparar
  expect_eq "$(wait_exit nightly 60 || echo 'still running')" 2 "exit code of an unattended run"
  grep -qF 'NO Hay Conexion' "$PROGRAM_DIR/Corvane.log" ||
    fail "the unattended run did not look for the shared folder"
  if has_ended earlier; then fail "the earlier copy ended"; fi
}

# WM_CLOSE to the hidden owner (a task manager's "end task") ends the
# program with 0 at once, as the main window's close does, instead of
# destroying both windows and leaving an invisible process behind.
close_hidden_owner() {
  start_venue close_hidden_owner
  start_program corvane "$PROGRAM_PATH"
  wait_main_window >/dev/null || fail "the main window did not appear"
  drv close --class ThunderRT6Main --title Corvane --hidden >/dev/null || fail "no hidden 'Corvane' window to close"
  expect_eq "$(wait_exit corvane 10 || echo 'still running')" 0 "exit code after the close request to the hidden window"
}

case ${1:-} in
  hand_over_without_main_window) hand_over_without_main_window ;;
  denied_mutex) denied_mutex ;;
  other_session) other_session ;;
  close_hidden_owner) close_hidden_owner ;;
  *) fail "unknown case '${1:-}'" ;;
esac
