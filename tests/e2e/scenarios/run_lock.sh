#!/usr/bin/env bash
# One run at a time on the shared databases, whichever machine starts it:
# the run holds Corvane.run in the shared data folder. A run that finds it
# held says who works there and touches nothing; one left by a machine that
# stopped (not held) is taken over, with a record.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

readonly NUMBER=0000000001

start() {
  scenario_begin "run_lock_$1" MONITOR
  install_on_drive_e
  install_test_engine 3.6
  echo 1 >"$PROGRAM_DIR/Corvane.lng"
  SHARED="$VENUE/g/Shared"
  mkdir -p "$SHARED"
  local kind
  for kind in Keystone Pantry; do head -c 3000 /dev/urandom >"$SHARED/$kind abc $NUMBER.mdb"; done
  map_drive g "$VENUE/g"
}

databases() { (cd "$SHARED" && md5sum -- *.mdb); }
run_log() { tr -d '\r' <"$PROGRAM_DIR/Corvane.log" 2>/dev/null || true; }

overlay_gone() {
  local children
  children=$(drv children --class CorvaneFMain) || return 1
  grep -F "depth=1 id=4 " <<<"$children" | grep -q "visible=0"
}

# repair_refused TEXT: DB REPAIR in a new copy shows TEXT in a stop box and
# comes back to the home state; the copy is then closed.
repair_refused() {
  start_program corvane "$PROGRAM_PATH"
  wait_main_window >/dev/null || fail "the main window did not appear"
  drv keys --class CorvaneFMain shift+d >/dev/null || fail "could not type Shift+D"
  local out
  out=$(drv box --title 'ATENCION!!!' --timeout 30) || fail "no box about the other run"
  expect_eq "$(field text <<<"$out")" "$1" "text of the box"
  expect_eq "$(field icon <<<"$out")" stop "icon of the box"
  drv answer --title 'ATENCION!!!' --button ok >/dev/null || fail "could not answer the box"
  wait_until 10 "the busy overlay to go" overlay_gone || fail "the busy overlay stayed"
  drv close --class CorvaneFMain >/dev/null || fail "could not close the main window"
  expect_eq "$(wait_exit corvane 10)" 0 "exit code after the close"
}

# POS1's nightly run holds the lock: DB REPAIR and /reparar here say so and
# touch nothing; a lock held so that it cannot even be read names no one.
held_by_pos1() {
  start held_by_pos1
  printf 'POS1\r\nDB REPAIR\r\n%s 04:00:00\r\n' "$(date +%F)" >"$SHARED/Corvane.run"
  hold_file pos1 'G:\Shared\Corvane.run' run-lock
  local before
  before=$(databases)
  repair_refused "Corvane ya esta trabajando en estas bases desde POS1 (DB REPAIR, desde las 04:00)"

  start_program nightly "$PROGRAM_PATH" /reparar
  expect_eq "$(wait_exit nightly 30)" 3 "exit code of the unattended run"
  grep -qF 'Mensaje "ATENCION!!!": Corvane ya esta trabajando en estas bases desde POS1 (DB REPAIR, desde las 04:00)' \
    < <(run_log) || fail "Corvane.log lacks the record: $(run_log)"
  grep -qF 'Fin: otra ejecucion trabaja en las bases (codigo de salida 3)' < <(run_log) ||
    fail "Corvane.log: $(run_log)"

  expect_eq "$(databases)" "$before" "the databases"
  expect_eq "$(engine_journal)" "" "the engine's calls"
  [ ! -e "$SHARED/Errors.txt" ] || fail "records in Errors.txt: $(cat "$SHARED/Errors.txt")"
  expect_eq "$(tr -d '\r' <"$SHARED/Corvane.run" | head -n 1)" POS1 "the lock's holder"
  release_file pos1
  [ ! -e "$SHARED/Corvane.run" ] || fail "the lock outlived its holder"

  hold_file unreadable 'G:\Shared\Corvane.run' create-exclusive
  repair_refused "Corvane ya esta trabajando en estas bases desde otro equipo"
  release_file unreadable
  expect_eq "$(databases)" "$before" "the databases"
}

# A lock left by a run whose machine stopped: taken over with a TL record;
# while the run works the lock names it and keeps any other holder out;
# afterwards it is gone.
stale() {
  start stale
  printf 'POS2\r\nRESTAURAR\r\n2026-12-04 16:20:00\r\n' >"$SHARED/Corvane.run"
  echo 3000 >"$ENGINE_DIR/compact_delay_ms.txt"
  start_program corvane "$PROGRAM_PATH"
  wait_main_window >/dev/null || fail "the main window did not appear"
  drv keys --class CorvaneFMain shift+d >/dev/null || fail "could not type Shift+D"
  wait_engine_journal 20 $'\tCompactDatabase.started\t' || fail "the run did not start compacting"
  expect_eq "$(tr -d '\r' <"$SHARED/Corvane.run" | head -n 2 | paste -sd' ')" "MONITOR DB REPAIR" "the lock during the run"
  start_program other "$E2E_HOLDER" 'G:\Shared\Corvane.run' run-lock "$SCENARIO_DIR/other.ready"
  expect_eq "$(wait_exit other 20)" 2 "exit code of another program holding the lock meanwhile"

  local out
  out=$(drv box --title Corvane --timeout 30) || fail "no result box"
  expect_eq "$(field text <<<"$out")" $'Keystone OK!\rPantry OK!\r' "the OK box"
  drv answer --title Corvane --button ok >/dev/null || fail "could not answer the OK box"
  wait_until 10 "the lock to go" test ! -e "$SHARED/Corvane.run" || fail "the lock stayed after the run"
  grep -qF '"G:\Shared\Corvane.run","Corvane - DB REPAIR","POS2, RESTAURAR, 2026-12-04 16:20:00","Quorra"' \
    "$SHARED/TL/MONITOR TL.txt" || fail "no TL record of the lock taken over: $(cat "$SHARED/TL/MONITOR TL.txt" 2>&1)"
  expect_eq "$(engine_journal | grep -c $'^first\tCompactDatabase\t.*\tok$')" 2 "compactions"
}

# A DB REPAIR result box left open on one machine: the lock went before the
# box, so the nightly run compacts and ends with 0. Sharing modes hold only
# within one Wine prefix, so the two runs share one here (and so one
# computer name: the nightly run also passes the open window by).
box_open() {
  start box_open
  db_repair_box $'Keystone OK!\rPantry OK!\r'
  [ ! -e "$SHARED/Corvane.run" ] || fail "the lock is held while the result box is open"

  start_program nightly "$PROGRAM_PATH" /reparar
  expect_eq "$(wait_exit nightly 60)" 0 "exit code of the nightly run"
  grep -qF 'Fin: todas las bases reparadas o compactadas (codigo de salida 0)' < <(run_log) ||
    fail "Corvane.log: $(run_log)"
  expect_eq "$(engine_journal | grep -c $'^first\tCompactDatabase\t.*\tok$')" 4 "compactions of both runs"
  [ ! -e "$SHARED/Corvane.run" ] || fail "the lock outlived the nightly run"

  drv answer --title Corvane --button ok >/dev/null || fail "could not answer the OK box"
  drv close --class CorvaneFMain >/dev/null || fail "could not close the main window"
  expect_eq "$(wait_exit corvane 10)" 0 "exit code after the close"
}

case ${1:-} in
  held_by_pos1 | stale | box_open) "$1" ;;
  *) fail "unknown case '${1:-}'" ;;
esac
