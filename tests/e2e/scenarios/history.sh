#!/usr/bin/env bash
# Corvane.log as the history of a run from the window: the start, each
# database with its size before and after and its time, the end; and a
# database near Access's 2 GB limit, warned in one box after the results.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

readonly NUMBER=0000000001

# start NAME: Corvane on E: of the main machine, Spanish, the test engine
# 3.6 (it compacts by copying, runs of zeros as holes).
start() {
  main_machine_begin "history_$1"
}

repair() {
  start_program corvane "$PROGRAM_PATH"
  wait_main_window >/dev/null || fail "the main window did not appear"
  drv keys --class CorvaneFMain shift+d >/dev/null || fail "could not type Shift+D into the main window"
}

# box TITLE TEXT-PATTERN BUTTONS ICON: the next box so titled, answered.
box() {
  local out text
  out=$(drv box --title "$1" --timeout 60) || fail "no box titled $1"
  text=$(field text <<<"$out")
  # shellcheck disable=SC2053 # the text is a pattern
  [[ $text == $2 ]] || fail "text of the box $1: ${text@Q}"
  expect_eq "$(field buttons <<<"$out")" "$3" "buttons of the box $1"
  expect_eq "$(field icon <<<"$out")" "$4" "icon of the box $1"
  drv answer --title "$1" --button ok >/dev/null || fail "could not answer the box $1"
  BOX_TEXT=$text
}

no_box() { expect_eq "$(drv count --class '#32770' | field count)" 0 "message boxes shown $1"; }

run_log() { tr -d '\r' <"$PROGRAM_DIR/Corvane.log" 2>/dev/null || true; }

# expect_log REGEX: a record, after its date, time and computer, matches.
expect_log() {
  grep -qE "^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} MONITOR $1\$" < <(run_log) ||
    fail "Corvane.log lacks ${1@Q}; it holds: $(run_log)"
}

# The run ends when its last record is written; the log is read after it.
ended() { run_log | tail -n 1 | grep -q ' MONITOR Fin: '; }

sizes() {
  start sizes
  head -c $((3 * 1024 * 1024)) /dev/urandom >"$SHARED/Keystone abc $NUMBER.mdb"
  head -c 3000 /dev/urandom >"$SHARED/Ledgers abc $NUMBER.mdb"
  repair
  box Corvane $'Keystone OK!\rLedgers OK!\r' ok none
  wait_until 10 "the run's last record" ended || fail "no end record: $(run_log)"
  no_box "after the summary (no database near the limit)"
  expect_eq "$(run_log | head -n 1 | cut -d' ' -f3-)" "MONITOR Inicio: DB REPAIR, Corvane v25.0.0" "first record"
  expect_log 'Keystone: compactada, 3,0 MB -> 3,0 MB \(0 %\), [0-9]+ s'
  expect_log 'Ledgers: compactada, 0,1 MB -> 0,1 MB \(0 %\), [0-9]+ s'
  expect_eq "$(run_log | tail -n 1 | cut -d' ' -f3-)" "MONITOR Fin: todas las bases reparadas o compactadas" \
    "last record"
  expect_eq "$(run_log | grep -c AVISO || true)" 0 "warnings"
}

# A Pantry database of 1,650 MB, sparse: the warning box follows the result
# box, names it with its size and not the small Keystone beside it.
near_limit() {
  start near_limit
  head -c 3000 /dev/urandom >"$SHARED/Keystone abc $NUMBER.mdb"
  printf 'Pantry' >"$SHARED/Pantry abc $NUMBER.mdb"
  truncate -s 1650M "$SHARED/Pantry abc $NUMBER.mdb"
  repair
  box Corvane $'Keystone OK!\rPantry OK!\r' ok none
  box 'ATENCION!!!' $'Estas Bases de Datos se Acercan al Limite de 2 GB de Access:\r\rPantry: 1650,0 MB\r\rAccess no deja*' \
    ok warning
  [[ $BOX_TEXT != *Keystone* ]] || fail "the small database is named in the warning: ${BOX_TEXT@Q}"
  wait_until 10 "the run's last record" ended || fail "no end record: $(run_log)"
  no_box "after the warning"
  expect_log 'Pantry: compactada, 1650,0 MB -> 1650,0 MB \(0 %\), [0-9]+ s'
  expect_log 'AVISO Pantry: 1650,0 MB, pasa de las tres cuartas partes del limite de 2 GB de Access'
  expect_eq "$(stat -c %s "$SHARED/Pantry abc $NUMBER.mdb")" $((1650 * 1024 * 1024)) "size of the compacted database"
  [ "$(du -k "$SHARED/Pantry abc $NUMBER.mdb" | cut -f1)" -lt 1024 ] || fail "the compacted database is no longer sparse"
}

case ${1:-} in
  sizes | near_limit) "$1" ;;
  *)
    echo "usage: $0 sizes|near_limit" >&2
    exit 2
    ;;
esac
