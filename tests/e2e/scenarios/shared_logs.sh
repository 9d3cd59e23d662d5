#!/usr/bin/env bash
# The shared logs (Errors.txt, TL\... TL.txt) under several writers: machines
# of the venue appending at the same moment never splice or lose a record,
# and a log that another program holds shut makes each append give up after
# a short wait instead of hanging its caller. The appends are the product's
# own (Win32FileSystem::AppendText), run by corvane_appender.exe.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

readonly LOG_PATH='G:\Shared\Errors.txt'

# start_venue NAME: drive G: with its shared data folder; sets LOG (the
# log's Linux path) and START (the appenders' start gate).
start_venue() {
  scenario_begin "shared_logs_$1" MONITOR
  map_drive g "$VENUE/g"
  mkdir -p "$VENUE/g/Shared"
  LOG="$VENUE/g/Shared/Errors.txt"
  START="$SCENARIO_DIR/start"
}

# records TAG COUNT: what appender.exe TAG COUNT writes, one record a line.
records() {
  local tag=$1 count=$2 padding="" i
  while [ ${#padding} -lt 200 ]; do padding+="$tag-"; done
  for ((i = 1; i <= count; i++)); do
    printf '"%s","%d","%s"\r\n' "$tag" "$i" "${padding:0:200}"
  done
}

# start_appender TAG COUNT: one machine appending COUNT records once START appears.
start_appender() { start_program "$1" "$E2E_APPENDER" "$LOG_PATH" "$1" "$2" "$START"; }

# all_waiting TAG...: every appender is at the start gate.
all_waiting() {
  local tag
  for tag in "$@"; do grep -q '^waiting' "$SCENARIO_DIR/$tag.out" 2>/dev/null || return 1; done
}

# expect_appender_exit TAG CODE SECONDS
expect_appender_exit() {
  local code
  code=$(wait_exit "$1" "$3") || fail "appender $1 did not end within $3 s: $(cat "$SCENARIO_DIR/$1.out")"
  [ "$code" = "$2" ] || fail "appender $1 ended with $code, wanted $2: $(head -c 2000 "$SCENARIO_DIR/$1.out")"
}

# Two machines append to one Errors.txt, released together: the log holds
# exactly their records, each whole on its own line. Wine appends by finding
# the file's end and then writing there, so appends that shared writing
# would splice only when both machines write in the same instant: with 300
# records each that showed in about a third of the runs here, with 2000 in
# most of them (log_open_for_writing catches that fault every time).
two_appenders() {
  start_venue two_appenders
  local count=2000 tags=(POS1 BARRA2) tag
  for tag in "${tags[@]}"; do start_appender "$tag" "$count"; done
  wait_until 30 "both appenders to wait at the start" all_waiting "${tags[@]}" ||
    fail "the appenders are not waiting at the start"
  : >"$START"
  for tag in "${tags[@]}"; do expect_appender_exit "$tag" 0 60; done

  [ -f "$LOG" ] || fail "no Errors.txt was written"
  local expected="$SCENARIO_DIR/expected.sorted" actual="$SCENARIO_DIR/actual.sorted"
  for tag in "${tags[@]}"; do records "$tag" "$count"; done | LC_ALL=C sort >"$expected"
  LC_ALL=C sort "$LOG" >"$actual"

  # A line that is no record of either machine: two records spliced into
  # one, or one cut short by the other's write.
  local foreign
  foreign=$(LC_ALL=C comm -23 <(LC_ALL=C sort -u "$actual") "$expected")
  [ -z "$foreign" ] || fail "lines that are no whole record (first 3, CR shown as ^M):
$(head -n3 <<<"$foreign" | cat -v)"
  local twice
  twice=$(LC_ALL=C uniq -d "$actual")
  [ -z "$twice" ] || fail "records written twice (first 3): $(head -n3 <<<"$twice" | cat -v)"
  local missing
  missing=$(LC_ALL=C comm -23 "$expected" "$actual")
  [ -z "$missing" ] || fail "$(wc -l <<<"$missing") records missing, among them: $(head -n3 <<<"$missing" | cat -v)"
  expect_eq "$(wc -l <"$LOG")" $((count * ${#tags[@]})) "lines in Errors.txt"
  # The last record ends in its line end too (wc -l counts line ends only).
  expect_eq "$(wc -c <"$LOG")" "$(wc -c <"$expected")" "bytes in Errors.txt"
}

# Another writer has Errors.txt open for the whole run, MODE as holder.exe
# takes it: every append is refused as a sharing violation after a short
# wait, and the appender still ends, having written nothing. "exclusive"
# shares nothing; "readwrite" lets others read and write, so only the
# append's own refusal of a second writer keeps it out (an append that
# shared writing would go ahead here).
held_log() {
  local mode=$1
  start_venue "held_log_$mode"
  : >"$LOG"
  hold_file logholder "$LOG_PATH" "$mode"
  : >"$START"
  local count=5
  start_appender POS1 "$count"
  expect_appender_exit POS1 1 30

  local out="$SCENARIO_DIR/POS1.out" failed
  failed=$(grep '^failed ' "$out") || fail "the appender reports no failed append: $(cat "$out")"
  expect_eq "$(wc -l <<<"$failed")" "$count" "failed appends"
  # "failed <i> <error number> <ms taken> ...": each one a sharing violation
  # (32), refused only after the append waited for the writer in the way.
  local index code ms rest
  while read -r _ index code ms rest; do
    expect_eq "$code" 32 "error of append $index"
    [ "$ms" -ge 200 ] || fail "append $index gave up after $ms ms, without waiting for the writer in the way"
  done <<<"$failed"
  grep -q "^appended 0 of $count," "$out" || fail "the appender's summary is not 'appended 0 of $count': $(cat "$out")"

  release_file logholder
  [ ! -s "$LOG" ] || fail "Errors.txt was written while it was held: $(head -c 300 "$LOG" | cat -v)"
}

case ${1:-} in
  two_appenders) two_appenders ;;
  held_log) held_log exclusive ;;
  log_open_for_writing) held_log readwrite ;;
  *) fail "unknown case '${1:-}'" ;;
esac
