#!/usr/bin/env bash
# KeystoneSolo's extra repair writes the database in place (the test
# engine's second repair appends its mark, as a real one rewrites pages):
# before it, a whole copy of the database as it was is kept in
# _Reemplazadas, beside the compaction's own generation.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

readonly NUMBER=0000000001

kept_before_repair() {
  scenario_begin keystone_solo_kept MONITOR
  install_on_drive_e
  install_test_engine 3.6
  echo 1 >"$PROGRAM_DIR/Corvane.lng"
  local shared="$VENUE/g/Shared"
  local live="$shared/KeystoneSolo abc $NUMBER.mdb"
  mkdir -p "$shared"
  head -c 3000 /dev/urandom >"$live"
  map_drive g "$VENUE/g"
  local before repaired
  before=$(md5sum <"$live" | cut -d' ' -f1)
  repaired=$({ cat "$live"; printf '|second repair'; } | md5sum | cut -d' ' -f1)

  start_program corvane "$PROGRAM_PATH" /reparar
  expect_eq "$(wait_exit corvane 60)" 0 "exit code of the unattended run"
  expect_eq "$(engine_journal | awk -F'\t' '$2 == "RepairDatabase" || $2 == "CompactDatabase" { print $1 " " $2 " " $NF }')" \
    $'second RepairDatabase ok\nfirst CompactDatabase ok' "the engine's calls"

  # Oldest first by name: the copy from before the repair, then the compaction's.
  local generations=()
  mapfile -t generations < <(cd "$shared/_Reemplazadas" && ls)
  expect_eq "${#generations[@]}" 2 "generations kept (${generations[*]})"
  [[ ${generations[0]} =~ ^KeystoneSolo\ abc\ $NUMBER\ [0-9]{6}-[0-9]{6}\.mdb$ ]] ||
    fail "the first generation's name: ${generations[0]}"
  expect_eq "$(md5sum <"$shared/_Reemplazadas/${generations[0]}" | cut -d' ' -f1)" "$before" \
    "the generation kept before the extra repair"
  expect_eq "$(md5sum <"$shared/_Reemplazadas/${generations[1]}" | cut -d' ' -f1)" "$repaired" \
    "the generation the compaction replaced"
  expect_eq "$(md5sum <"$live" | cut -d' ' -f1)" "$repaired" "the live database"
  [ ! -e "$shared/Errors.txt" ] || fail "records in Errors.txt: $(cat "$shared/Errors.txt")"
  [ ! -e "$shared/KeystoneSoloC.mdb" ] || fail "the compaction's temporary file was left"
}

case ${1:-} in
  kept_before_repair) "$1" ;;
  *)
    echo "usage: $0 kept_before_repair" >&2
    exit 2
    ;;
esac
