#!/usr/bin/env bash
# The repair run after the duplicate check, through the product's real COM
# code and the project's test database engine: compaction into each kind's
# temporary file and the one-rename swap, the repair of an older engine, an
# engine that is not installed, databases held open, lock files that go away
# or cannot be read, and the program ended or killed half-way. In every case
# no database is ever lost or left half-written under its own name.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

readonly NUMBER=0000000001
# The database password of NUMBER with the build's default key and marker.
readonly DIFFERENCE=$((1234567890 - 10#$NUMBER))
readonly PASSWORD="${DIFFERENCE}Q${DIFFERENCE:9:1}${DIFFERENCE:8:1}"

# ------------------------------------------------------------------ venue

# start NAME HOST: Corvane on E: as HOST, Spanish, with the debug log on.
start() {
  scenario_begin "compaction_$1" "$2"
  install_on_drive_e
  echo 1 >"$PROGRAM_DIR/Corvane.lng"
  printf 'Monitor\r\n' >"$PROGRAM_DIR/MainMachine.ord"
  : >"$PROGRAM_DIR/Corvane.deb"
}

# name KIND: the file name of the venue's database of KIND.
name() {
  case $1 in
    Backlog) echo "Pantry Backlog abc $NUMBER.mdb" ;;
    *) echo "$1 abc $NUMBER.mdb" ;;
  esac
}

# databases FOLDER KIND...: one database of each KIND, each with its own bytes.
databases() {
  local folder=$1 kind
  shift
  mkdir -p "$folder"
  for kind in "$@"; do head -c 3000 /dev/urandom >"$folder/$(name "$kind")"; done
}

# snapshot FOLDER: every file's name and content digest, the kept
# generations in _Reemplazadas aside.
snapshot() { (cd "$1" && find . -type f -not -path './_Reemplazadas/*' -exec md5sum {} + | sort -k2); }

# kept FOLDER: "<digest> <kind's file name>" of each generation in
# FOLDER\_Reemplazadas, the stamp taken out of its name.
kept() {
  (cd "$1/_Reemplazadas" 2>/dev/null && find . -type f -exec md5sum {} + |
    sed -E 's| \./(.*) [0-9]{6}-[0-9]{6}\.mdb$| ./\1.mdb|' | sort -k2) || true
}

inode() { stat -c %i "$1"; }

run_program() {
  start_program corvane "$PROGRAM_PATH"
  wait_main_window >/dev/null || fail "the main window did not appear"
}

keys() { drv keys --class CorvaneFMain "$@" >/dev/null || fail "could not type $* into the main window"; }

# expect_result TEXT [SECONDS]: the next result box, titled as the program,
# OK only, no icon; answered.
expect_result() {
  local out
  out=$(drv box --title Corvane --timeout "${2:-30}") || fail "no result box (expected ${1@Q})"
  expect_eq "$(field text <<<"$out")" "$1" "text of the result box"
  expect_eq "$(field buttons <<<"$out")" ok "buttons of the result box"
  expect_eq "$(field icon <<<"$out")" none "icon of the result box"
  # Answered once it is hidden, so the next box read is the next one.
  drv answer --title Corvane --button ok >/dev/null || fail "could not answer the result box"
}

expect_no_box() { expect_eq "$(drv count --class '#32770' | field count)" 0 "message boxes shown $1"; }

overlay_gone() {
  local children
  children=$(drv children --class CorvaneFMain) || return 1
  grep -qF "depth=1 id=4 " <<<"$children" && grep -F "depth=1 id=4 " <<<"$children" | grep -q "visible=0"
}

expect_idle() {
  wait_until 10 "the busy overlay to go" overlay_gone || fail "the busy overlay stayed after $1"
  has_ended corvane && fail "the program ended after $1"
  return 0
}

records() { find "$PROGRAM_DIR" -maxdepth 1 -name '* Corvane.deb' -exec tail -n +6 {} + | tr -d '\r'; }
has_record() { grep -qF -- "$1" < <(records); }
wait_record() { wait_until "${2:-20}" "the log record $1" has_record "$1" || fail "the log holds: $(records | paste -sd' ')"; }

# compactions: "SOURCE > DESTINATION | LOCALE result" of each CompactDatabase
# call, in order, with the two left-out arguments checked on the way.
compactions() {
  engine_journal | awk -F'\t' '$2 == "CompactDatabase" {
    if ($5 != "<missing>" || $6 != "<missing>") { print "ARGUMENTS NOT LEFT OUT: " $0; next }
    print $3 " > " $4 " | " $7 " " $8 }'
}

# expected_compaction FOLDER KIND TEMP: one line of compactions.
expected_compaction() {
  printf '%s\\%s > %s\\%s | MS Access;pwd=%s ok\n' "$1" "$(name "$2")" "$1" "$3" "$PASSWORD"
}

# ------------------------------------------------------------------ cases

# The main machine with one database of every kind and a temporary file an
# interrupted run left: each compaction kind is compacted in the run's order
# into its own temporary file and renamed over the database, the stale file
# removed first; Tollgate and Chronicle are left alone; one OK box.
main_machine() {
  start main_machine MONITOR
  install_test_engine 3.6
  local shared="$VENUE/g/Shared"
  databases "$shared" Keystone Staffroll Pantry Playfield Cuebay Festive Patrons Ledgers Backlog KeystoneSolo \
    Tollgate Chronicle
  echo "left by a run that was cut short" >"$shared/KeystoneC.mdb"
  map_drive g "$VENUE/g"
  local before keystoneInode soloOld soloRepaired
  before=$(snapshot "$shared")
  keystoneInode=$(inode "$shared/$(name Keystone)")
  # The test engine's extra repair appends its mark to KeystoneSolo in place.
  soloOld=$(md5sum <"$shared/$(name KeystoneSolo)" | cut -d' ' -f1)
  soloRepaired=$({ cat "$shared/$(name KeystoneSolo)"; printf '|second repair'; } | md5sum | cut -d' ' -f1)
  run_program
  keys shift+d
  expect_result $'Keystone OK!\rStaffroll OK!\rPantry OK!\rPlayfield OK!\rCuebay OK!\rFestive OK!\rPatrons OK!\rLedgers OK!\rBacklog OK!\rKeystoneSolo OK!\r'
  expect_no_box "after the summary (nothing failed)"
  expect_idle "the run"

  local expected=
  expected+=$(expected_compaction 'G:\Shared' Keystone KeystoneC.mdb)$'\n'
  expected+=$(expected_compaction 'G:\Shared' Staffroll StaffrollC.mdb)$'\n'
  expected+=$(expected_compaction 'G:\Shared' Pantry PantryC.mdb)$'\n'
  expected+=$(expected_compaction 'G:\Shared' Playfield PlayfieldC.mdb)$'\n'
  expected+=$(expected_compaction 'G:\Shared' Cuebay CuebayC.mdb)$'\n'
  expected+=$(expected_compaction 'G:\Shared' Festive FestiveC.mdb)$'\n'
  expected+=$(expected_compaction 'G:\Shared' Patrons PatronsC.mdb)$'\n'
  expected+=$(expected_compaction 'G:\Shared' Ledgers LedgersC.mdb)$'\n'
  expected+=$(expected_compaction 'G:\Shared' Backlog BacklogC.mdb)$'\n'
  expected+=$(expected_compaction 'G:\Shared' KeystoneSolo KeystoneSoloC.mdb)
  expect_eq "$(compactions)" "$expected" "the compactions, in order"
  expect_eq "$(engine_journal | awk -F'\t' '$1 == "second" { print $2 " " $3 " " $4 }')" \
    "RepairDatabase G:\\Shared\\$(name KeystoneSolo) ok" "the second engine's calls"
  expect_eq "$(engine_journal | grep -c '^create application$')" 1 "application objects created"

  # The test engine copies byte for byte: the same contents, now in the
  # renamed copies, and nothing else left in the folder.
  expect_eq "$(snapshot "$shared")" "$(grep -v KeystoneC.mdb <<<"$before" | sed "s/^$soloOld /$soloRepaired /")" \
    "the shared data folder after the run"
  [ "$(inode "$shared/$(name Keystone)")" != "$keystoneInode" ] || fail "the Keystone database was not replaced"
  # Each database the run replaced is kept as it was: the file itself, under a
  # second name; KeystoneSolo also as it was before its extra repair, a copy.
  expect_eq "$(kept "$shared")" "$({ grep -v -e KeystoneC.mdb -e Tollgate -e Chronicle <<<"$before"
    grep KeystoneSolo <<<"$before" | sed "s/^$soloOld /$soloRepaired /"; } | sort -k2)" \
    "the databases kept in _Reemplazadas"
  expect_eq "$(inode "$shared/_Reemplazadas/$(name Keystone | sed 's/\.mdb$//') "*.mdb)" "$keystoneInode" \
    "the kept Keystone database's file"
  [ ! -e "$shared/Errors.txt" ] || fail "records in Errors.txt: $(cat "$shared/Errors.txt")"
}

# Another machine reaches the main machine's share: the compactions run on
# \\Monitor\G\Shared.
other_machine() {
  start other_machine POS1
  install_test_engine 3.6
  local shared="$VENUE/monitor/Shared"
  databases "$shared" Keystone Ledgers
  map_share monitor g "$VENUE/monitor"
  run_program
  keys shift+d
  expect_result $'Keystone OK!\rLedgers OK!\r'
  expect_eq "$(compactions)" \
    "$(expected_compaction '\\Monitor\G\Shared' Keystone KeystoneC.mdb)"$'\n'"$(expected_compaction \
      '\\Monitor\G\Shared' Ledgers LedgersC.mdb)" "the compactions through the share"
  expect_eq "$(find "$shared" -name '*C.mdb' | wc -l)" 0 "temporary files left on the share"
  expect_idle "the run"
}

# An engine other than 3.6 repairs in place: one box per database, in the
# repair order, Tollgate among them, Ledgers and KeystoneSolo never.
repair_engine() {
  start repair_engine MONITOR
  install_test_engine 3.5
  local shared="$VENUE/g/Shared"
  databases "$shared" Patrons Tollgate Keystone Ledgers KeystoneSolo Overwatch
  map_drive g "$VENUE/g"
  local before
  before=$(snapshot "$shared")
  run_program
  keys shift+d
  local text
  for text in 'Keystone OK!' 'Overwatch OK!' 'Tollgate OK!' 'Patrons OK!'; do expect_result "$text"; done
  expect_idle "the repairs"
  expect_eq "$(engine_journal | awk -F'\t' '$2 == "RepairDatabase" { print $3 " " $4 }')" \
    "G:\\Shared\\$(name Keystone) ok"$'\n'"G:\\Shared\\$(name Overwatch) ok"$'\n'"G:\\Shared\\$(name Tollgate) ok"$'\n'"G:\\Shared\\$(name Patrons) ok" \
    "the repairs, in order"
  expect_eq "$(compactions)" "" "compactions by an engine other than 3.6"
  expect_eq "$(snapshot "$shared")" "$before" "the databases after repairs in place"
}

# No engine registered: one clear message, every file byte for byte as it
# was (the stale temporary file too), and the program stays usable.
no_engine() {
  start no_engine MONITOR
  remove_test_engine_registration
  local shared="$VENUE/g/Shared"
  databases "$shared" Keystone Pantry
  echo stale >"$shared/KeystoneC.mdb"
  map_drive g "$VENUE/g"
  local before
  before=$(snapshot "$shared")
  run_program
  keys shift+d
  local out text
  out=$(drv box --title 'ATENCION!!!') || fail "no message about the missing engine"
  text=$(field text <<<"$out")
  [[ $text == *'Microsoft Access'*'0x80040154 | '*'No se ha tocado ninguna base de datos.' ]] ||
    fail "message about the missing engine: ${text@Q}"
  expect_eq "$(field icon <<<"$out")" stop "icon of the message"
  drv answer --title 'ATENCION!!!' --button ok >/dev/null || fail "could not answer the message"
  expect_idle "the message about the engine"
  expect_eq "$(snapshot "$shared")" "$before" "the shared data folder without an engine"
  # Usable: the next request asks again rather than hanging or crashing.
  keys shift+d
  drv box --title 'ATENCION!!!' >/dev/null || fail "no message at the second request"
  drv answer --title 'ATENCION!!!' --button ok >/dev/null || fail "could not answer the message"
  expect_idle "the second request"
}

# A database another program holds open without sharing: its compaction
# fails, its error line follows the OK box, the database is unchanged byte
# for byte and the reason is recorded beside it.
held_open() {
  start held_open MONITOR
  install_test_engine 3.6
  local shared="$VENUE/g/Shared"
  databases "$shared" Keystone Staffroll Pantry
  map_drive g "$VENUE/g"
  local before
  before=$(md5sum <"$shared/$(name Staffroll)")
  hold_file staffroll "G:\\Shared\\$(name Staffroll)" exclusive
  run_program
  keys shift+d
  expect_result $'Keystone OK!\rPantry OK!\r'
  expect_result $'Error Staffroll :(\r'
  release_file staffroll
  expect_eq "$(md5sum <"$shared/$(name Staffroll)")" "$before" "the database held open"
  [ ! -e "$shared/StaffrollC.mdb" ] || fail "a temporary file was left for the database held open"
  grep -qF "\"G:\\Shared\\$(name Staffroll)\",\"Corvane - DBCOMPACT40 Staffroll\",\"Error: 3045 | " \
    "$shared/Errors.txt" || fail "no record of the failed compaction: $(cat "$shared/Errors.txt" 2>/dev/null)"
  expect_idle "the run"
}

# A lock file that goes away after a few seconds: the database waits, and is
# compacted once the lock file has gone; the next database was not started
# meanwhile.
lock_goes_away() {
  start lock_goes_away MONITOR
  install_test_engine 3.6
  local shared="$VENUE/g/Shared"
  databases "$shared" Keystone Pantry
  printf 'POS1\0\0\0\0' >"$shared/Keystone abc $NUMBER.ldb"
  map_drive g "$VENUE/g"
  run_program
  keys shift+d
  wait_record "\"TrafficLight: esperando G:\\Shared\\Keystone abc $NUMBER.ldb, Corvane - DBCOMPACT40 Keystone 2\""
  expect_eq "$(compactions)" "" "compactions while the first database is in use"
  rm "$shared/Keystone abc $NUMBER.ldb"
  expect_result $'Keystone OK!\rPantry OK!\r'
  expect_idle "the run"
}

# The program killed in the middle of a compaction: the database is whole
# under its own name. The engine, a process of its own, finishes its call
# into the temporary file; the next run removes that copy first and compacts.
killed() {
  start killed MONITOR
  install_test_engine 3.6
  local shared="$VENUE/g/Shared"
  databases "$shared" Keystone
  map_drive g "$VENUE/g"
  echo 5000 >"$ENGINE_DIR/compact_delay_ms.txt"
  local before
  before=$(md5sum <"$shared/$(name Keystone)")
  run_program
  keys shift+d
  wait_engine_journal 20 $'\tCompactDatabase.started\t' || fail "the compaction did not start"
  [ -s "$shared/KeystoneC.mdb" ] || fail "no half-written copy while compacting"
  drv kill --class CorvaneFMain >/dev/null || fail "could not kill the program"
  local code
  code=$(wait_exit corvane 20) || fail "the program did not end when killed"
  # Wine hands the 32-bit program's exit code on; the 64-bit one it kills in
  # the middle of an in-process call ends 0 (seen every time). Either way the
  # engine never saw its call end.
  [ "$E2E_BITS" = 64 ] || expect_eq "$code" 9 "exit code of the killed program"
  ! journal_has $'\tCompactDatabase\t' || fail "the compaction ended: the program was not killed in the middle of it"
  expect_eq "$(md5sum <"$shared/$(name Keystone)")" "$before" "the database after the program was killed"
  wait_engine_journal 30 $'^first\tCompactDatabase\t.*\tok$' || fail "the engine did not finish its call"

  rm "$ENGINE_DIR/compact_delay_ms.txt"
  run_program
  keys shift+d
  expect_result $'Keystone OK!\r'
  expect_eq "$(md5sum <"$shared/$(name Keystone)")" "$before" "the database after the next run"
  [ ! -e "$shared/KeystoneC.mdb" ] || fail "the half-written copy is still there"
}

# The database opened by another program while it is being compacted: the
# rename fails, the old database stays, both lines are reported, and the
# copy is removed.
rename_fails() {
  start rename_fails MONITOR
  install_test_engine 3.6
  local shared="$VENUE/g/Shared"
  databases "$shared" Cuebay
  map_drive g "$VENUE/g"
  echo 2000 >"$ENGINE_DIR/compact_delay_ms.txt"
  local before
  before=$(md5sum <"$shared/$(name Cuebay)")
  run_program
  keys shift+d
  wait_engine_journal 20 $'\tCompactDatabase.started\t' || fail "the compaction did not start"
  hold_file cuebay "G:\\Shared\\$(name Cuebay)" read
  expect_result $'Cuebay OK!\r'
  expect_result $'Error Cue :(\r'
  release_file cuebay
  expect_eq "$(md5sum <"$shared/$(name Cuebay)")" "$before" "the database that could not be replaced"
  [ ! -e "$shared/CuebayC.mdb" ] || fail "the compacted copy was left behind"
  expect_idle "the run"
}

# Closing the window while a database waits ends the program at once: the
# database was never touched and no temporary file is left.
close_during_wait() {
  start close_during_wait MONITOR
  install_test_engine 3.6
  local shared="$VENUE/g/Shared"
  databases "$shared" Festive
  printf 'POS2' >"$shared/Festive abc $NUMBER.ldb"
  map_drive g "$VENUE/g"
  local before
  before=$(snapshot "$shared")
  run_program
  keys shift+d
  wait_record "\"TrafficLight: esperando G:\\Shared\\Festive abc $NUMBER.ldb, Corvane - DBCOMPACT40 Festive\""
  drv close --class CorvaneFMain >/dev/null || fail "could not close the main window"
  expect_eq "$(wait_exit corvane 10)" 0 "exit code after the close during the wait"
  expect_eq "$(snapshot "$shared")" "$before" "the shared data folder after the close"
  expect_eq "$(compactions)" "" "compactions after the close"
}

# A lock file another program holds open exclusively cannot be read: sixteen
# read-failure records, then the database is compacted as if free.
lock_unreadable() {
  start lock_unreadable MONITOR
  install_test_engine 3.6
  local shared="$VENUE/g/Shared"
  databases "$shared" Ledgers
  map_drive g "$VENUE/g"
  hold_file lock "G:\\Shared\\Ledgers abc $NUMBER.ldb" create-exclusive
  run_program
  keys shift+d
  expect_result $'Ledgers OK!\r' 40
  release_file lock
  expect_eq "$(grep -c '"Corvane - DBCOMPACT40 Ledgers","Error: ' "$shared/Errors.txt")" 16 "read-failure records"
  expect_eq "$(grep -c ',"MONITOR","Quorra"'$'\r''$' "$shared/Errors.txt")" 16 "records that end as they should"
  expect_idle "the run"
}

case ${1:-} in
  main_machine | other_machine | repair_engine | no_engine | held_open | lock_goes_away | killed | rename_fails | \
    close_during_wait | lock_unreadable) "$1" ;;
  *)
    echo "usage: $0 main_machine|other_machine|repair_engine|no_engine|held_open|lock_goes_away|killed|rename_fails|close_during_wait|lock_unreadable" >&2
    exit 2
    ;;
esac
