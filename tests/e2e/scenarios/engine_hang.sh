#!/usr/bin/env bash
# An engine that hangs: the application's local server never answers a
# compaction, or never offers its class. Every call has a bound (shortened
# here, under Wine only, by CORVANE_WINE_PLAZOS_MS); past it the call is
# cancelled, the server's process ended (the one its window named, no
# other), the row fails saying so, and the run goes on with a new server.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

readonly NUMBER=0000000001
# The bounds of these tests, in ms: a compaction or repair, then the others.
readonly WORK_MS=15000
readonly CONTROL_MS=20000
export CORVANE_WINE_PLAZOS_MS="$WORK_MS,$CONTROL_MS"

start() {
  main_machine_begin "engine_hang_$1"
}

name() { echo "$1 abc $NUMBER.mdb"; }

run_log() { tr -d '\r' <"$PROGRAM_DIR/Corvane.log" 2>/dev/null || true; }

expect_box() {
  local title=$1 text=$2 out
  out=$(drv box --title "$title" --timeout 60) || fail "no box titled $title (expected ${text@Q})"
  expect_eq "$(field text <<<"$out")" "$text" "text of the box titled $title"
  drv answer --title "$title" --button ok >/dev/null || fail "could not answer the box"
}

# The ids the journal saw the servers start with, in order.
server_pids() { engine_journal | awk -F'\t' '$1 == "server start" { print $2 }'; }

# Keystone's compaction hangs; Staffroll's server is a new one and works.
hang_keystone() {
  random_databases Keystone Staffroll
  KEYSTONE_BEFORE=$(md5sum <"$SHARED/$(name Keystone)")
  printf '%s\r\n' "$(name Keystone)" >"$ENGINE_DIR/hang_in_compact.txt"
}

# What every hung compaction leaves: Keystone whole, no half-made copy, the
# hung server ended (its id the one its window gave), a second server that
# compacted Staffroll.
expect_keystone_hang_handled() {
  expect_eq "$(md5sum <"$SHARED/$(name Keystone)")" "$KEYSTONE_BEFORE" "Keystone after its hung compaction"
  [ ! -e "$SHARED/KeystoneC.mdb" ] || fail "the half-made copy stayed"
  journal_has $'^first\tCompactDatabase.hanging\t' || fail "the server did not hang in the compaction"
  journal_has $'^first\tCompactDatabase\t.*Staffroll.*\tok$' || fail "Staffroll was not compacted: $(engine_journal)"
  expect_eq "$(engine_journal | grep -c '^create application$')" 2 "application objects created"
  local hung
  hung=$(server_pids | head -n 1)
  grep -qF "se termino el proceso $hung del motor" < <(run_log) ||
    fail "no record of the hung server $hung being ended: $(run_log)"
  grep -qF '"Corvane - DBCOMPACT40 Keystone 2","Error: 2147549186 | el motor no respondio en 1 minuto"' \
    "$SHARED/Errors.txt" || fail "no record of the row: $(cat "$SHARED/Errors.txt" 2>/dev/null)"
}

# expect_no_server_within SECONDS WHEN: no test engine server of this prefix runs.
expect_no_server_within() {
  wait_until "$1" "the engine's servers to end" no_engine_server ||
    fail "a server of the engine stayed behind $2: $(engine_servers | paste -sd' ')"
}

# ------------------------------------------------------------------ cases

# The nightly run: Keystone's row fails at its bound, Staffroll is compacted
# by a new server, the run ends 1 with its "Fin" and leaves no run lock.
compaction() {
  start compaction
  hang_keystone
  local started elapsed
  started=$(now_ms)
  start_program corvane "$PROGRAM_PATH" /reparar /limite:1
  expect_eq "$(wait_exit corvane $((WORK_MS / 1000 + 60)))" 1 "exit code after a hung compaction"
  elapsed=$(($(now_ms) - started))
  e2e_log "the run ended $elapsed ms after its start (bound $WORK_MS ms)"
  [ "$elapsed" -ge "$WORK_MS" ] || fail "the run ended before the bound: $elapsed ms"
  expect_keystone_hang_handled
  expect_no_server_within 10 "after the run"
  [ ! -e "$SHARED/Corvane.run" ] || fail "the run lock stayed"
  grep -qF 'Error Keystone :( el motor no respondio en 1 minuto' < <(run_log) || fail "no row line: $(run_log)"
  grep -qF 'Fin: alguna base fallo (codigo de salida 1)' < <(run_log) || fail "no end record: $(run_log)"
}

# The same by DB REPAIR: the window paints while the call waits, and the
# error box names the database and the minutes.
interactive() {
  start interactive
  hang_keystone
  start_program corvane "$PROGRAM_PATH"
  wait_main_window >/dev/null || fail "the main window did not appear"
  drv keys --class CorvaneFMain shift+d >/dev/null || fail "could not start DB REPAIR"
  wait_engine_journal 20 $'\tCompactDatabase.hanging\t' || fail "the compaction did not start"
  # Hidden and shown again while the engine hangs: what shows then was
  # painted during the call.
  drv minimize --class CorvaneFMain >/dev/null || fail "could not minimize the main window"
  drv restore --class CorvaneFMain >/dev/null || fail "could not show the main window again"
  local out left top shot="$SCENARIO_DIR/during_hang.png"
  out=$(drv rect --class CorvaneFMain) || fail "no main window to measure"
  read -r left top <<<"$(field client_origin <<<"$out")"
  painted() { screenshot "$shot" && [ "$(pixel "$shot" $((left + 20)) $((top + 20)))" = "255 255 255" ]; }
  wait_until 10 "the main window to be painted during the call" painted ||
    fail "the main window was not painted during the call (picture: $shot)"
  journal_has $'^first\tCompactDatabase\t.*Staffroll' && fail "the window was checked after the hang"
  expect_box Corvane $'Staffroll OK!\r'
  expect_box Corvane $'Error Keystone :( el motor no respondio en 1 minuto\r'
  expect_keystone_hang_handled
  expect_eq "$(engine_servers | wc -l)" 1 "servers running while the program is open (the second only)"
  drv close --class CorvaneFMain >/dev/null || fail "could not close the main window"
  expect_eq "$(wait_exit corvane 20)" 0 "exit code after the close"
  expect_no_server_within 10 "after the program was closed"
}

# The application never offers its class: the run gives up at the creation's
# bound (or sooner, where the system's own activation gives up first) with
# the engine's message, and touches nothing.
start_hang() {
  start start
  random_databases Keystone
  local before started elapsed
  before=$(md5sum <"$SHARED/$(name Keystone)")
  : >"$ENGINE_DIR/hang_in_start.txt"
  started=$(now_ms)
  start_program corvane "$PROGRAM_PATH" /reparar
  expect_eq "$(wait_exit corvane $((CONTROL_MS / 1000 + 60)))" 2 "exit code when the engine never starts"
  elapsed=$(($(now_ms) - started))
  e2e_log "the run ended $elapsed ms after its start (creation bound $CONTROL_MS ms)"
  grep -qF 'Mensaje "ATENCION!!!": No se Puede Usar el Motor de Bases de Datos!!!' < <(run_log) ||
    fail "no message about the engine: $(run_log)"
  e2e_log "the engine's message: $(run_log | grep -F 'No se Puede Usar' | tail -n 1)"
  expect_eq "$(md5sum <"$SHARED/$(name Keystone)")" "$before" "Keystone"
  [ ! -e "$SHARED/Corvane.run" ] || fail "the run lock stayed"
  grep -qF 'Fin: no se hizo nada (codigo de salida 2)' < <(run_log) || fail "no end record: $(run_log)"
}

case ${1:-} in
  compaction | interactive) "$1" ;;
  start) start_hang ;;
  *)
    echo "usage: $0 compaction|interactive|start" >&2
    exit 2
    ;;
esac
