#!/usr/bin/env bash
# The repair request ("DB REPAIR", or Shift+D): the shared data folder looked
# for by the computer's role, the question to try again while the main
# machine cannot be reached, the local run a developer machine is offered,
# and the duplicate check that ends the program when a kind of database is
# there twice.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

# The DB REPAIR button in twips, client coordinates of the main window (its
# panels fill the client area).
readonly REPAIR_LEFT=2340 REPAIR_TOP=3390 REPAIR_WIDTH=3555 REPAIR_HEIGHT=1005
# Panel ids of the main window: the buttons panel and the busy overlay.
readonly BUTTONS_PANEL=3 OVERLAY_PANEL=4

readonly RETRY=$'NO Hay Conexion con la Maquina \'Monitor\'!!!\rIntentamos de Nuevo?'
readonly SPANISH_RULE=$'Hay Que Rodar el Programa con UNA Base de Datos de Cada Tipo SOLA.'
readonly PORTUGUESE_RULE=$'Tem Que Rodar o Programa com UMA Base de Dados de Cada Tipo SO.'
readonly ENGLISH_RULE=$'This Program Runs with ONLY ONE DataBase of each Type.'

# ------------------------------------------------------------------ venue

# start NAME HOST LANGUAGE: Corvane on E: as HOST, with the debug log on and
# the UI language LANGUAGE ("" stores none).
start() {
  scenario_begin "repair_request_$1" "$2"
  install_on_drive_e
  install_test_engine 3.6
  [ -z "$3" ] || echo "$3" >"$PROGRAM_DIR/Corvane.lng"
  printf 'Monitor\r\n' >"$PROGRAM_DIR/MainMachine.ord"
  : >"$PROGRAM_DIR/Corvane.deb"
}

run_program() {
  start_program corvane "$PROGRAM_PATH"
  wait_main_window >/dev/null || fail "the main window did not appear"
}

# databases FOLDER NAME...: files of one line each; the scan reads only
# their names, and the contents show whether anything was written.
databases() {
  local folder=$1 name
  shift
  mkdir -p "$folder"
  for name in "$@"; do printf 'database %s\r\n' "$name" >"$folder/$name"; done
}

# A venue's shared data folder on its main machine: one database of most
# kinds, next to what the check must not count: Chronicle and KeystoneSolo
# twice (kinds it leaves out), Overwatch and Playfield (one slot, one
# database), names that miss the strict rule, a lock file and backups.
venue_with() {
  local shared="$VENUE/g/Shared"
  databases "$shared" \
    "Keystone abc 0000000001.mdb" "Overwatch abc 0000000001.mdb" "Playfield abc 0000000001.mdb" \
    "Pantry abc 0000000001.mdb" "Pantry Backlog abc 0000000001.mdb" "Cuebay abc 0000000001.mdb" \
    "Chronicle abc 0000000001.mdb" "Chronicle abc 0000000002.mdb" \
    "KeystoneSolo abc 0000000001.mdb" "KeystoneSolo abd 0000000002.mdb" \
    "staffroll abc 0000000009.mdb" "Staffroll abcd 0000000003.mdb" "Staffroll.mdb" \
    "Staffroll abc 000000000x.mdb" "Ledgers abc 0000000004.mdb.bak" "Keystone abc 0000000001.ldb" \
    "$@"
  databases "$shared/_BackUps" "Staffroll abc 0000000001 2612010400.mdb" "Staffroll abc 0000000002 2612020400.mdb"
  map_drive g "$VENUE/g"
}

# snapshot FOLDER: every file's name, size, time and content digest.
snapshot() {
  (cd "$1" && find . -printf '%p %s %T@\n' | sort && find . -type f -exec md5sum {} + | sort)
}

# ------------------------------------------------------------------ window

keys() { drv keys --class CorvaneFMain "$@" >/dev/null || fail "could not type $* into the main window"; }

twips_to_px() { echo $((($1 * $2 + 720) / 1440)); }

# click_repair: a real mouse click in the middle of the DB REPAIR button.
click_repair() {
  local dpi
  dpi=$(drv rect --class CorvaneFMain | field dpi) || fail "no main window to click"
  drv click --class CorvaneFMain "$(twips_to_px $((REPAIR_LEFT + REPAIR_WIDTH / 2)) "$dpi")" \
    "$(twips_to_px $((REPAIR_TOP + REPAIR_HEIGHT / 2)) "$dpi")" >/dev/null || fail "could not click DB REPAIR"
}

# panel_shown ID: 1 when the main window's panel ID is visible, else 0.
panel_shown() {
  local children line
  children=$(drv children --class CorvaneFMain) || fail "no main window to inspect"
  line=$(grep -F "depth=1 id=$1 " <<<"$children") || fail "the main window has no panel $1"
  [[ $line =~ visible=([01]) ]] || fail "cannot read the panel's visibility from: $line"
  echo "${BASH_REMATCH[1]}"
}

overlay_gone() { [ "$(panel_shown "$OVERLAY_PANEL")" = 0 ] && [ "$(panel_shown "$BUTTONS_PANEL")" = 1 ]; }

expect_overlay_shown() { expect_eq "$(panel_shown "$OVERLAY_PANEL")" 1 "busy overlay shown while $1"; }

expect_overlay_gone() {
  wait_until 10 "the busy overlay to go" overlay_gone ||
    fail "after $1 the overlay is $(panel_shown "$OVERLAY_PANEL") and the buttons $(panel_shown "$BUTTONS_PANEL") (1 shown)"
}

# ------------------------------------------------------------------ boxes

# expect_box TITLE TEXT BUTTONS DEFAULT ICON: the next box titled TITLE, all
# of it as the user sees it.
expect_box() {
  local out
  out=$(drv box --title "$1") || fail "no box titled '$1' (expected text: ${2@Q})"
  expect_eq "$(field text <<<"$out")" "$2" "text of the '$1' box"
  expect_eq "$(field buttons <<<"$out")" "$3" "buttons of the '$1' box"
  expect_eq "$(field default <<<"$out")" "$4" "preselected answer of the '$1' box"
  expect_eq "$(field icon <<<"$out")" "$5" "icon of the '$1' box"
}

answer() { drv answer --title "$1" --button "$2" >/dev/null || fail "could not answer $2 to '$1'"; }

# repeated FILE...: the end of a duplicate message, kind by kind in the
# check's order; each argument is one kind's files joined by CRs.
repeated() {
  local text=$'\r\r' kind
  for kind in "$@"; do text+="$kind"$'\r\r'; done
  printf '%s' "$text"
}

# ------------------------------------------------------------------ log

records() { find "$PROGRAM_DIR" -maxdepth 1 -name '* Corvane.deb' -exec tail -n +6 {} + | tr -d '\r'; }
record_count() { records | grep -cxF "$1" || true; }
has_records() { [ "$(record_count "$1")" -ge "$2" ]; }
wait_records() { wait_until 10 "$2 records $1 in the log" has_records "$1" "$2" || fail "the log holds: $(records | paste -sd' ')"; }

# ------------------------------------------------------------------ ends

expect_ended_with_files() {
  expect_eq "$(wait_exit corvane 10)" 0 "exit code after $1"
  expect_eq "$(drv count --class CorvaneFMain --hidden | field count)" 0 "main windows after $1"
  expect_eq "$(snapshot "$2")" "$3" "the shared data folder after $1 (nothing may be touched)"
}

expect_still_running() {
  has_ended corvane && fail "the program ended after $1"
  wait_main_window 5 >/dev/null || fail "no main window after $1"
}

close_program() {
  drv close --class CorvaneFMain >/dev/null || fail "no main window to close"
  expect_eq "$(wait_exit corvane 10)" 0 "exit code after the close request"
}

# ------------------------------------------------------------------ cases

# The main machine in Spanish, the button clicked with the mouse: two
# Staffroll databases are reported, OK ends the program, nothing is touched.
duplicates_spanish() {
  start duplicates_spanish MONITOR 1
  venue_with "Staffroll abd 0000000002.mdb" "Staffroll abc 0000000001.mdb"
  local before
  before=$(snapshot "$VENUE/g/Shared")
  run_program
  click_repair
  expect_box 'ATENCION!!!' \
    $'Hay 2 Bases de Datos Repetidas en \rG:\\Shared\\\r\r'"$SPANISH_RULE"$'\r\r\rRepetidas:'"$(repeated \
      $'Staffroll abc 0000000001.mdb\rStaffroll abd 0000000002.mdb')" \
    ok ok stop
  expect_overlay_shown "the duplicate message is up"
  answer 'ATENCION!!!' ok
  expect_ended_with_files "the duplicate message" "$VENUE/g/Shared" "$before"
}

# English, Shift+D: two kinds twice each, listed kind by kind in the check's
# order (Staffroll before Ledgers), whatever order the folder lists them in.
duplicates_english() {
  start duplicates_english MONITOR 3
  venue_with "Staffroll abc 0000000001.mdb" "Staffroll abd 0000000002.mdb" \
    "Ledgers xyz 0000000002.mdb" "Ledgers abc 0000000001.mdb"
  local before
  before=$(snapshot "$VENUE/g/Shared")
  run_program
  keys shift+d
  expect_box 'ATENTION!!!' \
    $'There are 4 DataBases Repeated in \rG:\\Shared\\\r\r'"$ENGLISH_RULE"$'\r\r\rRepeated:'"$(repeated \
      $'Staffroll abc 0000000001.mdb\rStaffroll abd 0000000002.mdb' \
      $'Ledgers abc 0000000001.mdb\rLedgers xyz 0000000002.mdb')" \
    ok ok stop
  answer 'ATENTION!!!' ok
  expect_ended_with_files "the duplicate message" "$VENUE/g/Shared" "$before"
}

# No language stored: the window opens on the language panel, Shift+D asks
# first in Spanish, and the duplicate message speaks all three languages.
duplicates_no_language() {
  start duplicates_no_language MONITOR ""
  venue_with "Staffroll abc 0000000001.mdb" "Staffroll abd 0000000002.mdb"
  local before
  before=$(snapshot "$VENUE/g/Shared")
  run_program
  keys shift+d
  expect_box 'ATENCION!' 'Reparamos las Bases de Datos?' "yes no" no question
  answer 'ATENCION!' yes
  expect_box 'ATENCION!!!  -  ATENÇÃO!!!  -  ATENTION!!!' \
    $'Hay 2 Bases de Datos Repetidas en \rHa 2 Bases de Dados Repetidas em \rThere are 2 DataBases Repeated in \r'$'G:\\Shared\\\r\r'"$SPANISH_RULE"$'\r'"$PORTUGUESE_RULE"$'\r'"$ENGLISH_RULE"$'\r\r\rRepetidas:\rRepetidas:\rRepeated:'"$(repeated \
      $'Staffroll abc 0000000001.mdb\rStaffroll abd 0000000002.mdb')" \
    ok ok stop
  answer 'ATENCION!!!  -  ATENÇÃO!!!  -  ATENTION!!!' ok
  expect_ended_with_files "the duplicate message" "$VENUE/g/Shared" "$before"
  [ ! -e "$PROGRAM_DIR/Corvane.lng" ] || fail "the repair request stored a language"
}

# Another machine whose main machine cannot be reached: the question names
# it, Yes asks again (first with no server mapped at all, then with another
# one mapped: two different errors of the lookup), No leaves the program
# running with the overlay gone. Asked again with the mouse, the share now
# there, Yes goes on to the scan of \\Monitor\G\Shared.
main_machine_unreachable() {
  start main_machine_unreachable POS1 1
  run_program
  keys shift+d
  expect_box 'ATENCION!!!' "$RETRY" "yes no" no question
  expect_overlay_shown "the main machine is asked for"
  map_share caja9 g "$VENUE/caja9"
  answer 'ATENCION!!!' yes
  expect_box 'ATENCION!!!' "$RETRY" "yes no" no question
  answer 'ATENCION!!!' no
  expect_overlay_gone "No to trying again"
  expect_still_running "No to trying again"
  expect_eq "$(records | paste -sd' ')" "" "log records after No (no scan ran)"

  click_repair
  expect_box 'ATENCION!!!' "$RETRY" "yes no" no question
  mkdir -p "$VENUE/monitor/Shared"
  map_share monitor g "$VENUE/monitor"
  answer 'ATENCION!!!' yes
  wait_records '"DBRepair: 0 bases de datos en \\Monitor\G\Shared"' 1
  expect_overlay_gone "the scan"
  expect_eq "$(drv count --class '#32770' | field count)" 0 "boxes shown after the scan of an empty folder"
  close_program
}

# The main machine's folder goes away after a first request found it: the
# next request keeps the root, cannot list the folder, says so and stays; a
# request after the folder is back scans it again.
folder_vanished() {
  start folder_vanished MONITOR 1
  mkdir -p "$VENUE/g/Shared"
  map_drive g "$VENUE/g"
  run_program
  keys shift+d
  wait_records '"DBRepair: 0 bases de datos en G:\Shared"' 1
  expect_overlay_gone "the first scan"

  rm -rf "$VENUE/g/Shared"
  keys shift+d
  local out text
  out=$(drv box --title 'ATENCION!!!') || fail "no message about the folder that went away"
  text=$(field text <<<"$out")
  [[ $text == $'No se Puede Leer la Carpeta de las Bases de Datos\rG:\\Shared\r\r'*' (Error '[0-9]*')' ]] ||
    fail "message about the folder that went away: ${text@Q}"
  expect_eq "$(field buttons <<<"$out")" ok "buttons of the message"
  expect_eq "$(field icon <<<"$out")" stop "icon of the message"
  local code=${text##*(Error }
  code=${code%)}
  answer 'ATENCION!!!' ok
  expect_overlay_gone "the message about the folder"
  expect_still_running "the message about the folder"
  [ "$(records | grep -c "^\"DBRepair: G:\\\\Shared Error: $code | " || true)" = 1 ] ||
    fail "no log record of the failed listing with error $code: $(records | paste -sd' ')"

  mkdir -p "$VENUE/g/Shared"
  keys shift+d
  wait_records '"DBRepair: 0 bases de datos en G:\Shared"' 2
  close_program
}

# A developer machine keeping its own name: D:\Shared is missing, so the
# main machine is asked for; D: is mapped only then, and No to trying again
# offers the local run. No to it ends the program; Yes scans D:\Shared.
local_run() {
  start "local_run_$1" dev-k305 1
  start_program corvane "$PROGRAM_PATH"
  expect_box Pregunta $'Usamos el Nombre Original de esta Maquina?\r\rDEV-K305' "cancel yes no" yes question
  answer Pregunta yes
  wait_main_window >/dev/null || fail "the main window did not appear"
  click_repair
  expect_box 'ATENCION!!!' "$RETRY" "yes no" no question
  databases "$VENUE/d/Shared" "Keystone xyz 0000000002.mdb" "Keystone abc 0000000001.mdb" "Pantry abc 0000000001.mdb"
  map_drive d "$VENUE/d"
  local before
  before=$(snapshot "$VENUE/d/Shared")
  answer 'ATENCION!!!' no
  expect_box ':)' "Rodamos en Modo 'LOCAL'?" "yes no" yes question
  expect_overlay_shown "the local run is offered"
  if [ "$1" = declined ]; then
    answer ':)' no
    expect_ended_with_files "No to the local run" "$VENUE/d/Shared" "$before"
    expect_eq "$(records | paste -sd' ')" "" "log records after No to the local run (no scan ran)"
    return
  fi
  answer ':)' yes
  expect_box 'ATENCION!!!' \
    $'Hay 2 Bases de Datos Repetidas en \rD:\\Shared\\\r\r'"$SPANISH_RULE"$'\r\r\rRepetidas:'"$(repeated \
      $'Keystone abc 0000000001.mdb\rKeystone xyz 0000000002.mdb')" \
    ok ok stop
  answer 'ATENCION!!!' ok
  expect_ended_with_files "the duplicate message" "$VENUE/d/Shared" "$before"
}

case ${1:-} in
  duplicates_spanish) duplicates_spanish ;;
  duplicates_english) duplicates_english ;;
  duplicates_no_language) duplicates_no_language ;;
  main_machine_unreachable) main_machine_unreachable ;;
  folder_vanished) folder_vanished ;;
  local_run_declined) local_run declined ;;
  local_run_duplicates) local_run duplicates ;;
  *) fail "unknown case '${1:-}'" ;;
esac
