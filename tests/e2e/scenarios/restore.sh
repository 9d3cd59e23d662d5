#!/usr/bin/env bash
# The restore screen under Wine: Shift+R puts it in the main window's place,
# a kind's backups are listed newest first, a chosen one is put over the
# live database under its own name (the replaced one kept in _Reemplazadas),
# and Esc or the back button bring the main window back.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

readonly LIVE="Keystone 12345 0000000001.mdb"
# Places on the screen at 96 dpi, client coordinates of the restore screen:
# its panel stands 90 twips above the client area.
readonly RESTORE_X=564 RESTORE_Y=538 BACK_X=88 BACK_Y=518 FIRST_ROW_X=520 FIRST_ROW_Y=26 ROW_HEIGHT=18

# database FILE FILL: a whole database file of the newer format, one page of
# the engine's header and two more of FILL.
database() {
  mkdir -p "$(dirname "$1")"
  {
    printf '\000\001\000\000Standard Jet DB\000\001'
    head -c $((4096 - 21)) /dev/zero
    head -c 8192 /dev/zero | tr '\0' "$2"
  } >"$1"
}

start() {
  scenario_begin "restore_$1" MONITOR
  install_on_drive_e
  echo 1 >"$PROGRAM_DIR/Corvane.lng"
  printf 'Monitor\r\n' >"$PROGRAM_DIR/MainMachine.ord"
  : >"$PROGRAM_DIR/Corvane.deb"
  SHARED="$VENUE/g/Shared"
  database "$SHARED/$LIVE" L
  database "$SHARED/_BackUps/Keystone 12345 0000000001 261201-0400.mdb" A
  database "$SHARED/_BackUps/Keystone 12345 0000000001 261203-0400.mdb" C
  database "$SHARED/_BackUps/Keystone 12345 0000000001 261202-0400Z.mdb" B
  database "$SHARED/_BackUps/Pantry 12345 0000000001 261203-0400.mdb" P
  database "$SHARED/Pantry 12345 0000000001.mdb" Q
  # Listed under Pantry too (its name holds "Pantry"), and the newest there.
  database "$SHARED/_BackUps/Pantry Backlog 12345 0000000001 261204-0400.mdb" K
  map_drive g "$VENUE/g"
  start_program corvane "$PROGRAM_PATH"
  wait_main_window >/dev/null || fail "the main window did not appear"
}

open_restore() {
  drv keys --class CorvaneFMain shift+r >/dev/null || fail "could not press Shift+R"
  drv wait-window --class CorvaneFrmNetwork --timeout 10 >/dev/null || fail "the restore screen did not open"
  wait_until 10 "the main window to be hidden" main_hidden || fail "the main window stayed beside the restore screen"
}

main_hidden() { [ "$(drv count --class CorvaneFMain | field count)" = 0 ]; }

# at X Y: "R G B" of a point of the restore screen's client area.
at() {
  local rect origin shot="$SCENARIO_DIR/screen.png"
  rect=$(drv rect --class CorvaneFrmNetwork) || return 1
  read -r ox oy <<<"$(field client_origin <<<"$rect")"
  screenshot "$shot" || return 1
  pixel "$shot" $((ox + $1)) $((oy + $2))
}

listed() { [ "$(at "$RESTORE_X" "$RESTORE_Y")" = "192 0 192" ]; }
row_y() { echo $((FIRST_ROW_Y + $1 * ROW_HEIGHT)); }
row_selected() { [ "$(at 485 "$(row_y "${1:-0}")")" = "0 0 255" ]; }

click() { drv click --class CorvaneFrmNetwork "$@" >/dev/null || fail "could not click $*"; }

# choose KIND: the kind's backups listed (the restore button appears).
choose() {
  click --child "$1"
  wait_until 10 "the $1 backups to be listed" listed || fail "no restore button after choosing $1"
}

# select_row N: the Nth row from the top (0: the newest backup).
select_row() {
  click "$FIRST_ROW_X" "$(row_y "$1")"
  wait_until 10 "row $1 to be selected" row_selected "$1" || fail "row $1 is not shown selected"
}
select_newest() { select_row 0; }

expect_box() {
  local out
  out=$(drv box --title 'ATENCION!!!' --timeout "${4:-20}") || fail "no box (expected ${1@Q})"
  expect_eq "$(field text <<<"$out")" "$1" "text of the box"
  expect_eq "$(field buttons <<<"$out")" "$2" "buttons of the box"
  expect_eq "$(field icon <<<"$out")" "$3" "icon of the box"
}

answer() { drv answer --title 'ATENCION!!!' --button "$1" >/dev/null || fail "could not answer $1"; }

digest() { md5sum <"$1"; }
# generations STEM: the digests of the kept generations of STEM, oldest first.
generations() {
  local kept
  for kept in "$SHARED/_Reemplazadas/$1 "[0-9][0-9][0-9][0-9][0-9][0-9]-[0-9][0-9][0-9][0-9][0-9][0-9].mdb; do
    [ -e "$kept" ] && digest "$kept"
  done
  return 0
}
# restore_row N KIND: row N restored under KIND, Yes, and the success box.
restore_row() {
  select_row "$1"
  click "$RESTORE_X" "$RESTORE_Y"
  expect_box "Restauramos la Base '$2'?" "yes no" question
  answer yes
  expect_box 'La Base fue Actualizada Exitosamente!' ok none
  answer ok
  wait_until 10 "the selection to be cleared" not_selected || fail "the row is still selected after the restore"
}
backups() { (cd "$SHARED/_BackUps" && md5sum -- *); }

# Shift+R, Keystone, the newest backup first, restored: the live database
# has its bytes under its own name, the backups are as they were, the old
# database is kept in _Reemplazadas, no temporary file is left.
newest() {
  start newest
  local before oldLive
  before=$(backups)
  oldLive=$(digest "$SHARED/$LIVE")
  open_restore
  choose Keystone
  select_newest
  [ -z "${RESTORE_SCREENSHOT:-}" ] || { screenshot "$SCENARIO_DIR/restore.png" && crop_restore "$RESTORE_SCREENSHOT"; }
  click "$RESTORE_X" "$RESTORE_Y"
  expect_box "Restauramos la Base 'Keystone'?" "yes no" question
  answer yes
  expect_box 'La Base fue Actualizada Exitosamente!' ok none
  answer ok
  expect_eq "$(digest "$SHARED/$LIVE")" "$(digest "$SHARED/_BackUps/Keystone 12345 0000000001 261203-0400.mdb")" \
    "the live database after the restore"
  expect_eq "$(backups)" "$before" "the backups after the restore"
  expect_eq "$(generations "${LIVE%.mdb}")" "$oldLive" "the replaced database, kept"
  expect_eq "$(find "$SHARED" -maxdepth 1 -name '*.tmp' | wc -l)" 0 "temporary files left"
  wait_until 10 "the selection to be cleared" not_selected || fail "the row is still selected after the restore"

  # The history names the backup, the database it replaced and the kept file.
  local kept log
  kept=$(cd "$SHARED/_Reemplazadas" && ls)
  log=$(tr -d '\r' <"$PROGRAM_DIR/Corvane.log")
  grep -qF " MONITOR Inicio: RESTAURAR Keystone, Corvane v25.0.0" <<<"$log" || fail "no start record: $log"
  grep -qF " MONITOR Keystone: restaurada la copia G:\\Shared\\_BackUps\\Keystone 12345 0000000001 261203-0400.mdb sobre G:\\Shared\\$LIVE, 0,1 MB; la anterior quedo guardada como G:\\Shared\\_Reemplazadas\\$kept" <<<"$log" ||
    fail "no restore record naming the backup and the kept file: $log"
  [[ $(tail -n 1 <<<"$log") == *" MONITOR Fin: base restaurada" ]] || fail "last record: $(tail -n 1 <<<"$log")"
}

not_selected() { [ "$(at 485 "$FIRST_ROW_Y")" = "255 255 255" ]; }

crop_restore() {
  local rect left top right bottom
  rect=$(drv rect --class CorvaneFrmNetwork) || fail "no restore screen to measure"
  read -r left top right bottom <<<"$(field outer <<<"$rect")"
  convert "$SCENARIO_DIR/restore.png" -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$1"
}

# The restore button before a row is chosen, then No to the question:
# nothing is copied and no other box follows.
no_row_then_no() {
  start no_row_then_no
  local oldLive
  oldLive=$(digest "$SHARED/$LIVE")
  open_restore
  choose Keystone
  click "$RESTORE_X" "$RESTORE_Y"
  expect_box 'Hay Que Elegir una Fecha!!!' ok stop
  answer ok
  select_newest
  click "$RESTORE_X" "$RESTORE_Y"
  expect_box "Restauramos la Base 'Keystone'?" "yes no" question
  answer no
  wait_until 10 "the selection to be cleared" not_selected || fail "No left the row selected"
  expect_eq "$(drv count --class '#32770' | field count)" 0 "boxes after No"
  expect_eq "$(digest "$SHARED/$LIVE")" "$oldLive" "the live database after No"
  [ ! -e "$SHARED/_Reemplazadas" ] || fail "No kept a replaced database"
}

# Esc, then the back button: each time the restore screen goes and the main
# window comes back with its buttons.
esc_and_back() {
  start esc_and_back
  open_restore
  drv keys --class CorvaneFrmNetwork esc >/dev/null || fail "could not press Esc"
  drv wait-gone --class CorvaneFrmNetwork >/dev/null || fail "Esc did not close the restore screen"
  wait_main_window >/dev/null || fail "the main window did not come back after Esc"
  open_restore
  choose Pantry
  click "$BACK_X" "$BACK_Y"
  drv wait-gone --class CorvaneFrmNetwork >/dev/null || fail "the back button did not close the restore screen"
  wait_main_window >/dev/null || fail "the main window did not come back after the back button"
  has_ended corvane && fail "the program ended"
  return 0
}

# A restore waits until the lock file of the live database is gone.
waits_on_lock() {
  start waits_on_lock
  printf 'POS1' >"$SHARED/Keystone 12345 0000000001.ldb"
  local oldLive
  oldLive=$(digest "$SHARED/$LIVE")
  open_restore
  choose Keystone
  select_newest
  click "$RESTORE_X" "$RESTORE_Y"
  expect_box "Restauramos la Base 'Keystone'?" "yes no" question
  answer yes
  waiting() { grep -qF "\"TrafficLight: esperando G:\\Shared\\Keystone 12345 0000000001.ldb, Corvane - LBLRESTOREFG_Click\"" \
    "$PROGRAM_DIR/"*' MONITOR Corvane.deb' 2>/dev/null; }
  wait_until 20 "the restore to wait on the lock file" waiting || fail "the restore did not wait on the lock file"
  expect_eq "$(digest "$SHARED/$LIVE")" "$oldLive" "the live database while it is in use"
  rm "$SHARED/Keystone 12345 0000000001.ldb"
  expect_box 'La Base fue Actualizada Exitosamente!' ok none
  answer ok
  expect_eq "$(digest "$SHARED/$LIVE")" "$(digest "$SHARED/_BackUps/Keystone 12345 0000000001 261203-0400.mdb")" \
    "the live database after the wait"
}

# A second start while the restore screen stands in the main window's place
# hands over to it: the restore screen comes forward, the main window stays
# hidden.
second_start() {
  start second_start
  open_restore
  start_program other "$E2E_MINIMAL"
  drv wait-foreground --class CorvaneMinimalWindow >/dev/null || fail "the other window did not take the foreground"
  start_program second "$PROGRAM_PATH"
  expect_eq "$(wait_exit second 20)" 0 "exit code of the second start"
  drv wait-foreground --class CorvaneFrmNetwork --timeout 10 >/dev/null || fail "the restore screen was not raised"
  expect_eq "$(drv count --class CorvaneFMain | field count)" 0 "main windows shown after the hand-over"
}

# The wrong day first, then the right one: both replaced databases are kept,
# each under its own dated name.
two_in_a_row() {
  start two_in_a_row
  local original wrong
  original=$(digest "$SHARED/$LIVE")
  wrong=$(digest "$SHARED/_BackUps/Keystone 12345 0000000001 261202-0400Z.mdb")
  open_restore
  choose Keystone
  restore_row 1 Keystone
  expect_eq "$(digest "$SHARED/$LIVE")" "$wrong" "the live database after the first restore"
  restore_row 0 Keystone
  expect_eq "$(digest "$SHARED/$LIVE")" "$(digest "$SHARED/_BackUps/Keystone 12345 0000000001 261203-0400.mdb")" \
    "the live database after the second restore"
  expect_eq "$(generations "${LIVE%.mdb}")" "$original"$'\n'"$wrong" "the databases kept, oldest first"
}

# Under Pantry the list shows Backlog's backups too: the newest row is one.
# It is refused before anything is touched; Pantry's own backup then goes in.
other_kind() {
  start other_kind
  local live="$SHARED/Pantry 12345 0000000001.mdb" oldLive
  oldLive=$(digest "$live")
  open_restore
  choose Pantry
  select_newest
  click "$RESTORE_X" "$RESTORE_Y"
  expect_box "Restauramos la Base 'Pantry'?" "yes no" question
  answer yes
  expect_box "La Copia es de 'Pantry Backlog', no de 'Pantry':"$'\r''G:\Shared\_BackUps\Pantry Backlog 12345 0000000001 261204-0400.mdb'$'\r\r''La Base Actual Quedo Como Estaba.' ok stop
  answer ok
  expect_eq "$(digest "$live")" "$oldLive" "the live Pantry database after the refusal"
  [ -z "$(generations 'Pantry 12345 0000000001')" ] || fail "the refusal kept a database"
  grep -qF 'Pantry Backlog 12345 0000000001 261204-0400.mdb","MONITOR","Quorra"' "$SHARED/Errors.txt" ||
    fail "no record of the refusal in Errors.txt"
  restore_row 1 Pantry
  expect_eq "$(digest "$live")" "$(digest "$SHARED/_BackUps/Pantry 12345 0000000001 261203-0400.mdb")" \
    "the live Pantry database after its own backup"
  expect_eq "$(generations 'Pantry 12345 0000000001')" "$oldLive" "the Pantry database kept"
}

case ${1:-} in
  newest | no_row_then_no | esc_and_back | waits_on_lock | second_start | two_in_a_row | other_kind) "$1" ;;
  *)
    echo "usage: $0 newest|no_row_then_no|esc_and_back|waits_on_lock|second_start|two_in_a_row|other_kind" >&2
    exit 2
    ;;
esac
