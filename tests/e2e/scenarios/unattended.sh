#!/usr/bin/env bash
# Corvane.exe /reparar, as the Task Scheduler starts it at night: the repair
# run with no window and no box, Corvane.log in the program's folder, and an
# exit code for each end.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

readonly NUMBER=0000000001

start() { main_machine_begin "unattended_$1"; }

run_log() { tr -d '\r' <"$PROGRAM_DIR/Corvane.log" 2>/dev/null || true; }

# log_has TEXT: a record of the run log holds TEXT.
log_has() { grep -qF -- "$1" < <(run_log); }

expect_log() { log_has "$1" || fail "Corvane.log lacks ${1@Q}; it holds: $(run_log)"; }

no_window_shown() {
  expect_eq "$(drv count --class CorvaneFMain --hidden | field count)" 0 "main windows of the unattended run"
  expect_eq "$(drv count --class '#32770' | field count)" 0 "boxes of the unattended run"
}

# Every database compacted, exit 0; while the run is in the middle of a
# compaction no window and no box exists; the log names the run, its steps,
# the result box as one record and the end.
main_machine() {
  start main_machine
  random_databases Keystone Staffroll Ledgers
  echo 3000 >"$ENGINE_DIR/compact_delay_ms.txt"
  start_program corvane "$PROGRAM_PATH" /reparar
  wait_engine_journal 20 $'\tCompactDatabase.started\t' || fail "the run did not start compacting"
  no_window_shown
  expect_eq "$(wait_exit corvane 60)" 0 "exit code of the unattended run"
  expect_eq "$(engine_journal | grep -c $'^first\tCompactDatabase\t.*\tok$')" 3 "compactions"
  local first last
  first=$(run_log | head -n 1)
  last=$(run_log | tail -n 1)
  [[ $first =~ ^[0-9]{4}-[0-9]{2}-[0-9]{2}\ [0-9]{2}:[0-9]{2}:[0-9]{2}\ MONITOR\ Inicio:\ /reparar,\ Corvane\ v25\.0\.0$ ]] ||
    fail "first record of Corvane.log: ${first@Q}"
  [[ $last == *" MONITOR Fin: todas las bases reparadas o compactadas (codigo de salida 0)" ]] ||
    fail "last record of Corvane.log: ${last@Q}"
  expect_log "Compactando Keystone (1 de 3)"
  expect_log 'Mensaje "Corvane": Keystone OK! | Staffroll OK! | Ledgers OK!'
}

# Two Staffroll databases: the duplicate message is a record, nothing is
# compacted, exit 2.
duplicates() {
  start duplicates
  random_databases Keystone Staffroll
  head -c 10 /dev/urandom >"$SHARED/Staffroll abd 0000000002.mdb"
  start_program corvane "$PROGRAM_PATH" /reparar
  expect_eq "$(wait_exit corvane 30)" 2 "exit code with duplicates"
  expect_log 'Mensaje "ATENCION!!!": Hay 2 Bases de Datos Repetidas en | G:\Shared\ | '
  expect_log "Fin: no se hizo nada (codigo de salida 2)"
  expect_eq "$(engine_journal | grep -c CompactDatabase || true)" 0 "compactions with duplicates"
}

# A database another program holds open: its row fails, exit 1.
held_open() {
  start held_open
  random_databases Keystone Staffroll
  hold_file staffroll "G:\\Shared\\Staffroll abc $NUMBER.mdb" exclusive
  start_program corvane "$PROGRAM_PATH" /reparar
  expect_eq "$(wait_exit corvane 30)" 1 "exit code with a database held open"
  release_file staffroll
  expect_log 'Mensaje "Corvane": Keystone OK!'
  expect_log 'Mensaje "Corvane": Error Staffroll :('
  expect_log "Fin: alguna base fallo (codigo de salida 1)"
}

# An unknown switch: nothing runs and the exit code is 64. The usage goes to
# the output the starter gave; with none (a scheduled task), to the log.
# Switches ignore case and may start with "-".
usage_error() {
  start usage_error
  random_databases Keystone
  start_program corvane "$PROGRAM_PATH" /x
  expect_eq "$(wait_exit corvane 20)" 64 "exit code of /x"
  expect_eq "$(head -n 1 "$SCENARIO_DIR/corvane.out" | tr -d '\r')" "Uso: Corvane.exe [/reparar [/limite:MIN] | /?]" \
    "first line the starter got"
  [ ! -e "$PROGRAM_DIR/Corvane.log" ] || fail "the usage went to the log although the starter could read it"

  local code=0
  "$WINE64" "$PROGRAM_PATH" /y >&- 2>&- || code=$?
  expect_eq "$code" 64 "exit code of /y with no output to write to"
  expect_log "MONITOR Uso incorrecto: /y | Uso: Corvane.exe [/reparar [/limite:MIN] | /?] | "
  expect_log "Fin: uso incorrecto (codigo de salida 64)"
  expect_eq "$(drv count --class '#32770' | field count)" 0 "boxes after a usage error"

  start_program corvane "$PROGRAM_PATH" -REPARAR
  expect_eq "$(wait_exit corvane 30)" 0 "exit code of -REPARAR"
}

# A second /reparar while the first waits on a lock file meets the first
# one's run lock and ends with 3; the first goes on once the lock file is gone.
second_run() {
  start second_run
  random_databases Keystone
  printf 'POS1' >"$SHARED/Keystone abc $NUMBER.ldb"
  : >"$PROGRAM_DIR/Corvane.deb"
  start_program first "$PROGRAM_PATH" /reparar
  waiting() { grep -qF 'TrafficLight: esperando' "$PROGRAM_DIR/"*' MONITOR Corvane.deb' 2>/dev/null; }
  wait_until 20 "the first run to wait on the lock file" waiting || fail "the first run did not wait"
  start_program second "$PROGRAM_PATH" /reparar
  expect_eq "$(wait_exit second 20)" 3 "exit code of the second run"
  expect_log "Corvane ya esta trabajando en estas bases desde MONITOR (/reparar, desde las "
  expect_log "Fin: otra ejecucion trabaja en las bases (codigo de salida 3)"
  rm "$SHARED/Keystone abc $NUMBER.ldb"
  expect_eq "$(wait_exit first 30)" 0 "exit code of the first run"
}

# waiting_on_lock: the run's debug log says it waits on a lock file.
waiting_on_lock() { grep -qF 'TrafficLight: esperando' "$PROGRAM_DIR/"*' MONITOR Corvane.deb' 2>/dev/null; }

# A close request (what taskkill without /F and a shutdown send) to the run's
# only window during a wait: the run ends with its own exit code and its Fin
# record, the database untouched.
close_during_wait() {
  start close_during_wait
  random_databases Keystone
  printf 'POS1' >"$SHARED/Keystone abc $NUMBER.ldb"
  : >"$PROGRAM_DIR/Corvane.deb"
  local before
  before=$(md5sum <"$SHARED/Keystone abc $NUMBER.mdb")
  start_program corvane "$PROGRAM_PATH" /reparar
  wait_until 20 "the run to wait on the lock file" waiting_on_lock || fail "the run did not wait"
  drv close --class ThunderRT6Main --title 'Corvane /reparar' --hidden >/dev/null ||
    fail "could not send the close request"
  expect_eq "$(wait_exit corvane 20)" 4 "exit code of a run asked to close"
  expect_log "Fin: interrumpido (codigo de salida 4)"
  expect_eq "$(md5sum <"$SHARED/Keystone abc $NUMBER.mdb")" "$before" "the database after the close request"
  expect_eq "$(engine_journal | grep -c CompactDatabase || true)" 0 "compactions after the close request"
}

# Corvane started by hand while the nightly run works: the run has no
# window to hand over to, so the copy opens; its DB REPAIR meets the run
# lock's message naming the nightly run, and the nightly run goes on to its end.
start_during_night() {
  start start_during_night
  random_databases Keystone
  printf 'POS1' >"$SHARED/Keystone abc $NUMBER.ldb"
  : >"$PROGRAM_DIR/Corvane.deb"
  start_program night "$PROGRAM_PATH" /reparar
  wait_until 20 "the run to wait on the lock file" waiting_on_lock || fail "the run did not wait"
  start_program byhand "$PROGRAM_PATH"
  wait_main_window >/dev/null || fail "the copy started by hand did not open its window"
  drv keys --class CorvaneFMain shift+d >/dev/null || fail "could not type Shift+D"
  local out
  out=$(drv box --title 'ATENCION!!!' --timeout 20) || fail "no box for the DB REPAIR by hand"
  case $(field text <<<"$out") in
    "Corvane ya esta trabajando en estas bases desde MONITOR (/reparar, desde las "*) ;;
    *) fail "text of the box: $(field text <<<"$out")" ;;
  esac
  drv answer --title 'ATENCION!!!' --button ok >/dev/null || fail "could not answer the box"
  drv close --class CorvaneFMain >/dev/null || fail "could not close the main window"
  expect_eq "$(wait_exit byhand 20)" 0 "exit code of the start by hand"
  rm "$SHARED/Keystone abc $NUMBER.ldb"
  expect_eq "$(wait_exit night 30)" 0 "exit code of the nightly run"
}

# An idle window left open on the nightly machine costs no night: the run
# compacts and ends with 0, and the window stays as it was.
window_open() {
  start window_open
  random_databases Keystone Pantry
  start_program idle "$PROGRAM_PATH"
  wait_main_window >/dev/null || fail "the main window did not appear"
  start_program night "$PROGRAM_PATH" /reparar
  expect_eq "$(wait_exit night 60)" 0 "exit code of the nightly run"
  expect_log "Fin: todas las bases reparadas o compactadas (codigo de salida 0)"
  expect_eq "$(engine_journal | grep -c $'^first\tCompactDatabase\t.*\tok$')" 2 "compactions"
  if has_ended idle; then fail "the idle copy ended"; fi
  drv close --class CorvaneFMain >/dev/null || fail "could not close the idle window"
  expect_eq "$(wait_exit idle 10)" 0 "exit code of the idle copy"
}

case ${1:-} in
  main_machine | duplicates | held_open | usage_error | second_run | close_during_wait | start_during_night | \
    window_open) "$1" ;;
  *)
    echo "usage: $0 main_machine|duplicates|held_open|usage_error|second_run|close_during_wait|start_during_night|window_open" >&2
    exit 2
    ;;
esac
