#!/usr/bin/env bash
# The room on the disk, on a small volume of its own (a tmpfs mounted as the
# shared drive G:): the first night compacts what fits and refuses the rest
# with the MB message; the next night removes the earlier night's
# generations, oldest first, to make room. Every database stays whole, and
# no night leaves less than the 100 MB reserve free.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

readonly NUMBER=0000000001
readonly MB=1048576
readonly RESERVE=$((100 * MB))

# free: the bytes free on the volume, as its owner may use them.
free() { df -B1 --output=avail "$VOLUME" | tail -n 1 | tr -d ' '; }
megabytes() { awk -v b="$1" -v mb=$MB 'BEGIN { printf "%.1f", b / mb }' | tr . ,; }

run_log() { tr -d '\r' <"$PROGRAM_DIR/Corvane.log" 2>/dev/null || true; }
expect_log() { grep -qF -- "$1" < <(run_log) || fail "Corvane.log lacks ${1@Q}; it holds: $(run_log)"; }
digest() { md5sum <"$1" | cut -d' ' -f1; }
live() { echo "$SHARED/$1 abc $NUMBER.mdb"; }
# generations KIND: the digests of KIND's generations, oldest first.
generations() {
  local file
  for file in "$SHARED/_Reemplazadas/$1 abc $NUMBER "[0-9]*.mdb; do
    [ -e "$file" ] && digest "$file"
  done
  return 0
}

# The mount goes before the scenario's folder is removed.
volume_end() {
  local status=$?
  umount "$VOLUME" 2>/dev/null || true
  (exit "$status")
  scenario_end
}

# night N CODE: one /reparar, its exit code CODE; prints nothing.
night() {
  local before
  before=$(free)
  : >"$PROGRAM_DIR/Corvane.log"
  start_program "night$1" "$PROGRAM_PATH" /reparar
  expect_eq "$(wait_exit "night$1" 60)" "$2" "exit code of night $1"
  e2e_log "night $1: free before $(megabytes "$before") MB, after $(megabytes "$(free)") MB"
  [ "$(free)" -ge "$RESERVE" ] || fail "night $1 left $(free) bytes free, less than the reserve"
}

room() {
  VOLUME="$E2E_STATE/scenarios/disk_room/venue/g"
  # A volume an aborted run left mounted would keep its folder from going.
  umount "$VOLUME" 2>/dev/null || true
  scenario_begin disk_room MONITOR
  trap volume_end EXIT
  install_on_drive_e
  install_test_engine 3.6
  echo 1 >"$PROGRAM_DIR/Corvane.lng"
  mkdir -p "$VOLUME"
  mount -t tmpfs -o size=215m tmpfs "$VOLUME" || fail "cannot mount a tmpfs (needs root)"
  SHARED="$VOLUME/Shared"
  mkdir -p "$SHARED"
  # Random bytes: the test engine skips runs of zeros, which would cost no room.
  head -c $((10 * MB)) /dev/urandom >"$(live Keystone)"
  head -c $((10 * MB)) /dev/urandom >"$(live Staffroll)"
  head -c $((60 * MB)) /dev/urandom >"$(live Ledgers)"
  map_drive g "$VOLUME"
  local keystone staffroll ledgers
  keystone=$(digest "$(live Keystone)")
  staffroll=$(digest "$(live Staffroll)")
  ledgers=$(digest "$(live Ledgers)")
  e2e_log "volume 215 MB; Keystone 10 MB, Staffroll 10 MB, Ledgers 60 MB; free $(megabytes "$(free)") MB"

  # Night 1: Keystone and Staffroll fit (each needs its 10 MB and the
  # reserve); Ledgers needs 160 MB and nothing may be removed for it.
  night 1 1
  expect_log "Falta espacio en G: para compactar Ledgers: hacen falta 160,0 MB, hay "
  grep -qE "Falta espacio en G: para compactar Ledgers: hacen falta 160,0 MB, hay [0-9]+,[0-9] MB libres" \
    < <(run_log) || fail "the room message's form: $(grep -F 'Falta espacio' < <(run_log))"
  e2e_log "night 1: $(grep -oE 'Falta espacio.*libres' < <(run_log) | head -n 1)"
  expect_log 'Mensaje "Corvane": Keystone OK! | Staffroll OK!'
  expect_eq "$(engine_journal | grep -c $'^first\tCompactDatabase\t')" 2 "compactions of night 1"
  expect_eq "$(generations Keystone)" "$keystone" "Keystone's generations after night 1"
  expect_eq "$(generations Staffroll)" "$staffroll" "Staffroll's generations after night 1"
  expect_eq "$(generations Ledgers)" "" "Ledgers' generations after night 1"
  grep -qF "Falta espacio en G: para compactar Ledgers" "$SHARED/Errors.txt" || fail "no Errors.txt record of the room"

  # Night 2: Keystone fits again; Staffroll fits once night 1's Keystone
  # generation (no longer its newest) goes; Ledgers still does not.
  night 2 1
  expect_log "_Reemplazadas: G:\\Shared\\_Reemplazadas\\Keystone abc $NUMBER "
  expect_log "(10,0 MB) quitada para hacer sitio"
  expect_log "_Reemplazadas: G:\\Shared\\_Reemplazadas\\Staffroll abc $NUMBER "
  expect_log "Falta espacio en G: para compactar Ledgers: hacen falta 160,0 MB, hay "
  e2e_log "night 2: $(grep -oE '_Reemplazadas: .* quitada.*|Falta espacio.*libres' < <(run_log) | paste -sd'|')"
  expect_eq "$(ls "$SHARED/_Reemplazadas" | wc -l)" 2 "generations after night 2 (one each: the older ones went for room)"

  # Byte for byte: every live database and every kept one.
  expect_eq "$(digest "$(live Keystone)")" "$keystone" "Keystone"
  expect_eq "$(digest "$(live Staffroll)")" "$staffroll" "Staffroll"
  expect_eq "$(digest "$(live Ledgers)")" "$ledgers" "Ledgers"
  expect_eq "$(generations Keystone)" "$keystone" "Keystone's generations after night 2"
  expect_eq "$(generations Staffroll)" "$staffroll" "Staffroll's generations after night 2"
  expect_eq "$(find "$SHARED" -maxdepth 1 -name '*C.mdb' | wc -l)" 0 "temporary files left"
}

case ${1:-} in
  room) "$1" ;;
  *)
    echo "usage: $0 room" >&2
    exit 2
    ;;
esac
