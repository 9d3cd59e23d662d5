#!/usr/bin/env bash
# The database application in a process of its own, as on a venue's machine:
# the test engine's local server serves it. The invoke helper's own tests
# against it; a server that dies in the middle of a compaction, once and
# twice in a row; a server that takes 5 s to start; a close request while
# the server works. No server outlives a program that ended in order.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

readonly NUMBER=0000000001
# RPC_S_CALL_FAILED, what the call answers when its server dies (measured).
readonly CALL_FAILED=2147944126

start() {
  main_machine_begin "engine_process_$1"
}

name() { echo "$1 abc $NUMBER.mdb"; }

run_program() {
  start_program corvane "$PROGRAM_PATH" "$@"
  [ $# -gt 0 ] || wait_main_window >/dev/null || fail "the main window did not appear"
}

keys() { drv keys --class CorvaneFMain "$@" >/dev/null || fail "could not type $* into the main window"; }

expect_box() {
  local title=$1 text=$2 out
  out=$(drv box --title "$title" --timeout 40) || fail "no box titled $title (expected ${text@Q})"
  expect_eq "$(field text <<<"$out")" "$text" "text of the box titled $title"
  drv answer --title "$title" --button ok >/dev/null || fail "could not answer the box"
}

run_log() { tr -d '\r' <"$PROGRAM_DIR/Corvane.log" 2>/dev/null || true; }

# expect_no_server_within SECONDS WHEN: no test engine server of this prefix runs.
expect_no_server_within() {
  wait_until "$1" "the engine's server to end" no_engine_server ||
    fail "a server of the engine stayed behind $2: $(engine_servers | paste -sd' ')"
}

# ------------------------------------------------------------------ cases

# The invoke helper against the server: numbers and texts, a fill-in that
# cannot cross, a server that dies or starts slowly, Quit, the message filter.
invoke_helper() {
  start invoke_helper
  : "${E2E_ENGINE_PROCESS_TEST:?E2E_ENGINE_PROCESS_TEST must name the test program}"
  local status=0
  "$WINE64" "$E2E_ENGINE_PROCESS_TEST" --gtest_brief=0 >"$SCENARIO_DIR/tests.out" 2>&1 || status=$?
  cat "$SCENARIO_DIR/tests.out" >&2
  expect_eq "$status" 0 "exit code of the engine's tests against the server"
  expect_no_server_within 10 "after the tests"
}

# The server dies in the middle of Keystone's compaction: that row fails and
# is recorded, Keystone is whole, no half-made copy stays, and the next row
# starts a new server and compacts. Once the program is closed, no server runs.
server_dies() {
  start server_dies
  random_databases Keystone Staffroll Pantry
  local before
  before=$(md5sum <"$SHARED/$(name Keystone)")
  printf '%s\r\n' "$(name Keystone)" >"$ENGINE_DIR/die_in_compact.txt"
  : >"$PROGRAM_DIR/Corvane.deb"
  run_program
  keys shift+d
  expect_box Corvane $'Staffroll OK!\rPantry OK!\r'
  expect_box Corvane $'Error Keystone :(\r'
  journal_has $'^first\tCompactDatabase.dying\t' || fail "the server did not die in the compaction"
  expect_eq "$(md5sum <"$SHARED/$(name Keystone)")" "$before" "Keystone after its server died"
  [ ! -e "$SHARED/KeystoneC.mdb" ] || fail "the half-made copy stayed"
  grep -qF "\"Corvane - DBCOMPACT40 Keystone 2\",\"Error: $CALL_FAILED | " "$SHARED/Errors.txt" ||
    fail "no record of the row: $(cat "$SHARED/Errors.txt" 2>/dev/null)"
  expect_eq "$(engine_journal | grep -c '^create application$')" 2 "application objects created"
  drv close --class CorvaneFMain >/dev/null || fail "could not close the main window"
  expect_eq "$(wait_exit corvane 20)" 0 "exit code after the close"
  expect_no_server_within 10 "after the program was closed"
  journal_has $'^first\tQuit\t2\tok$' || fail "the application was not asked to quit"
}

# Two deaths in a row in the unattended run: one message, the run stops,
# Pantry is never touched, exit 1 (some failed).
server_dies_twice() {
  start server_dies_twice
  random_databases Keystone Staffroll Pantry
  local before
  before=$(md5sum <"$SHARED/$(name Pantry)")
  printf '%s\r\n%s\r\n' "$(name Keystone)" "$(name Staffroll)" >"$ENGINE_DIR/die_in_compact.txt"
  run_program /reparar
  expect_eq "$(wait_exit corvane 60)" 1 "exit code after two deaths"
  grep -qF 'Mensaje "ATENCION!!!": El Motor de Bases de Datos se Cerro Dos Veces Seguidas' < <(run_log) ||
    fail "no message about the engine: $(run_log)"
  grep -qF 'Mensaje "Corvane": Error Keystone :( | Error Staffroll :(' < <(run_log) ||
    fail "no error summary: $(run_log)"
  expect_eq "$(engine_journal | grep -c $'\tCompactDatabase\t' || true)" 0 "compactions that reached their end"
  expect_eq "$(md5sum <"$SHARED/$(name Pantry)")" "$before" "Pantry, not reached"
  expect_eq "$(find "$SHARED" -name '*C.mdb' | wc -l)" 0 "half-made copies left"
  expect_no_server_within 10 "after the unattended run"
}

# A server that takes 5 s to start: the status line says so meanwhile, and
# the run goes on once it is there.
slow_start() {
  start slow_start
  random_databases Keystone
  echo 5000 >"$ENGINE_DIR/start_delay_ms.txt"
  run_program /reparar
  expect_eq "$(wait_exit corvane 60)" 0 "exit code after a slow start"
  expect_eq "$(run_log | sed -n 's/^.* MONITOR //p' | grep -E '^(Iniciando|Compactando)')" \
    $'Iniciando el motor de bases de datos...\nCompactando Keystone (1 de 1)' "the status lines of the run"
  expect_no_server_within 10 "after the unattended run"
}

# A close request while the server compacts: the program ends at once; the
# database stays whole under its own name. The server, busy, cannot be asked
# to quit: it finishes its call into the temporary file (which the next run
# removes) and, under Wine, stays (reported, not asserted).
close_during_call() {
  start close_during_call
  random_databases Keystone
  local before
  before=$(md5sum <"$SHARED/$(name Keystone)")
  echo 5000 >"$ENGINE_DIR/compact_delay_ms.txt"
  run_program
  keys shift+d
  wait_engine_journal 20 $'\tCompactDatabase.started\t' || fail "the compaction did not start"
  local asked
  asked=$(now_ms)
  drv close --class CorvaneFMain >/dev/null || fail "could not close the main window"
  expect_eq "$(wait_exit corvane 15)" 0 "exit code after a close during the call"
  e2e_log "the program ended $(($(now_ms) - asked)) ms after the close request"
  expect_eq "$(md5sum <"$SHARED/$(name Keystone)")" "$before" "Keystone after the close"
  wait_engine_journal 20 $'^first\tCompactDatabase\t' || fail "the server did not finish its call"
  if wait_until 15 "the busy server to end" no_engine_server; then
    e2e_log "the server ended after its call"
  else
    e2e_log "the server stays after its call: $(engine_servers | paste -sd' ')"
  fi
  expect_eq "$(md5sum <"$SHARED/$(name Keystone)")" "$before" "Keystone after the server's call ended"
}

case ${1:-} in
  invoke_helper | server_dies | server_dies_twice | slow_start | close_during_call) "$1" ;;
  *)
    echo "usage: $0 invoke_helper|server_dies|server_dies_twice|slow_start|close_during_call" >&2
    exit 2
    ;;
esac
