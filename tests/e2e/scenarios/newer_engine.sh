#!/usr/bin/env bash
# Engines newer than DAO 3.6 answer another version and have no working
# RepairDatabase: the run learns so from its first repair, having changed
# nothing, and compacts every database as it does for "3.6".
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

readonly NUMBER=0000000001
readonly KINDS=(Keystone Staffroll Ledgers KeystoneSolo)

run_log() { tr -d '\r' <"$PROGRAM_DIR/Corvane.log" 2>/dev/null || true; }
debug_log() { find "$PROGRAM_DIR" -maxdepth 1 -name '* Corvane.deb' -exec cat {} + | tr -d '\r'; }

# newer_engine NAME ANSWER: an engine "14.0" whose RepairDatabase answers
# ANSWER (repair.txt: "unknown" or "3251"); the interactive run compacts
# every database and shows the OK box; then the unattended run does the
# same and its log says why.
newer_engine() {
  local name=$1 answer=$2
  scenario_begin "newer_engine_$name" MONITOR
  install_on_drive_e
  install_test_engine 14.0
  echo "$answer" >"$ENGINE_DIR/repair.txt"
  echo 1 >"$PROGRAM_DIR/Corvane.lng"
  : >"$PROGRAM_DIR/Corvane.deb"
  local shared="$VENUE/g/Shared" kind
  mkdir -p "$shared"
  for kind in "${KINDS[@]}"; do head -c 3000 /dev/urandom >"$shared/$kind abc $NUMBER.mdb"; done
  map_drive g "$VENUE/g"
  local before solo
  # The extra repair of KeystoneSolo writes its mark into it: the rest are copied as they were.
  solo=$({ cat "$shared/KeystoneSolo abc $NUMBER.mdb"; printf '|second repair'; } | md5sum | cut -d' ' -f1)
  before=$(cd "$shared" && md5sum -- *.mdb | sed "/KeystoneSolo/s/^[0-9a-f]* /$solo /")

  db_repair_box $'Keystone OK!\rStaffroll OK!\rLedgers OK!\rKeystoneSolo OK!\r'
  drv answer --title Corvane --button ok >/dev/null || fail "could not answer the OK box"

  # One repair was asked for (or its name looked up in vain), then only compactions.
  local repairs
  repairs=$(engine_journal | awk -F'\t' '$1 == "first" && $2 == "RepairDatabase" { print $3 " " $4 }')
  case $answer in
    unknown) expect_eq "$repairs" "" "repairs run by an engine that has none" ;;
    *) expect_eq "$repairs" "G:\\Shared\\Keystone abc $NUMBER.mdb error 3251" "the one repair asked for" ;;
  esac
  expect_eq "$(engine_journal | grep -c $'^first\tCompactDatabase\t.*\tok$')" 4 "compactions"
  expect_eq "$(cd "$shared" && md5sum -- *.mdb)" "$before" "the databases' bytes (the test engine copies them)"
  [ ! -e "$shared/Errors.txt" ] || fail "records in Errors.txt: $(cat "$shared/Errors.txt")"
  grep -qF '"DBRepair: El motor 14.0 no repara bases de datos (' < <(debug_log) ||
    fail "the debug log does not say why: $(debug_log)"

  drv close --class CorvaneFMain >/dev/null || fail "could not close the main window"
  expect_eq "$(wait_exit corvane 10)" 0 "exit code of the interactive run"

  start_program nightly "$PROGRAM_PATH" /reparar
  expect_eq "$(wait_exit nightly 60)" 0 "exit code of the unattended run"
  grep -qE ' MONITOR El motor 14\.0 no repara bases de datos \(.*\): se compactan$' < <(run_log) ||
    fail "Corvane.log does not say why: $(run_log)"
  grep -qF 'Mensaje "Corvane": Keystone OK! | Staffroll OK! | Ledgers OK! | KeystoneSolo OK!' < <(run_log) ||
    fail "Corvane.log lacks the OK box: $(run_log)"
}

# venue NAME KIND...: an engine "14.0" without repair (3251) and a database
# of each KIND in G:\Shared; sets SHARED.
venue() {
  scenario_begin "newer_engine_$1" MONITOR
  shift
  install_on_drive_e
  install_test_engine 14.0
  echo 3251 >"$ENGINE_DIR/repair.txt"
  echo 1 >"$PROGRAM_DIR/Corvane.lng"
  SHARED="$VENUE/g/Shared"
  mkdir -p "$SHARED"
  local kind
  for kind in "$@"; do head -c 3000 /dev/urandom >"$SHARED/$kind abc $NUMBER.mdb"; done
  map_drive g "$VENUE/g"
}

compactions_of() { engine_journal | awk -F'\t' '$1 == "first" && $2 == "CompactDatabase" && $NF == "ok" { print $3 }'; }

# The first database's repair never gets an answer (its server dies in the
# call): the run cannot know yet that the engine has none, and the next
# repair's 3251 decides. Every database is then compacted, the first one too,
# since its lost repair changed nothing.
first_waits() {
  venue first_waits "${KINDS[@]}"
  printf '%s\r\n' "Keystone abc $NUMBER.mdb" >"$ENGINE_DIR/die_in_repair.txt"
  start_program nightly "$PROGRAM_PATH" /reparar
  expect_eq "$(wait_exit nightly 60)" 0 "exit code of the unattended run"
  journal_has $'^first\tRepairDatabase.dying\tG:\\\\Shared\\\\Keystone ' ||
    fail "the server did not die in Keystone's repair: $(engine_journal)"
  journal_has $'^first\tRepairDatabase\tG:\\\\Shared\\\\Staffroll abc '"$NUMBER"$'\\.mdb\terror 3251$' ||
    fail "Staffroll's repair was not the one answered: $(engine_journal)"
  local kind
  for kind in "${KINDS[@]}"; do
    expect_eq "$(compactions_of | grep -cF "G:\\Shared\\$kind abc $NUMBER.mdb" || true)" 1 "compactions of $kind"
  done
  grep -qF 'Mensaje "Corvane": Keystone OK! | Staffroll OK! | Ledgers OK! | KeystoneSolo OK!' < <(run_log) ||
    fail "Corvane.log lacks the OK box: $(run_log)"
  ! grep -qF 'ERROR en Keystone' < <(run_log) || fail "a repair box for a database then compacted: $(run_log)"
}

# Tollgate is in the repair sequence only: the compaction of an engine that
# has none takes it after the written rows, alone or not.
tollgate() {
  venue tollgate Keystone Staffroll Tollgate
  db_repair_box $'Keystone OK!\rStaffroll OK!\rTollgate OK!\r'
  drv answer --title Corvane --button ok >/dev/null || fail "could not answer the OK box"
  expect_eq "$(compactions_of | tail -n 1)" "G:\\Shared\\Tollgate abc $NUMBER.mdb" "the last compaction"
  journal_has $'^first\tCompactDatabase\t[^\t]*Tollgate[^\t]*\tG:\\\\Shared\\\\TollgateC\\.mdb\t' ||
    fail "Tollgate not compacted into its own file: $(engine_journal)"
  drv close --class CorvaneFMain >/dev/null || fail "could not close the main window"
  expect_eq "$(wait_exit corvane 10)" 0 "exit code of the interactive run"

  rm -- "$SHARED/Keystone abc $NUMBER.mdb" "$SHARED/Staffroll abc $NUMBER.mdb"
  start_program nightly "$PROGRAM_PATH" /reparar
  expect_eq "$(wait_exit nightly 60)" 0 "exit code of the unattended run with Tollgate alone"
  grep -qF 'Mensaje "Corvane": Tollgate OK!' < <(run_log) || fail "Corvane.log lacks the OK box: $(run_log)"
}

case ${1:-} in
  unknown_name) newer_engine unknown_name unknown ;;
  dao_3251) newer_engine dao_3251 3251 ;;
  first_waits) first_waits ;;
  tollgate) tollgate ;;
  *) fail "unknown case '${1:-}'" ;;
esac
