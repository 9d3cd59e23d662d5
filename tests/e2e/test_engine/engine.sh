# The test database engine in a scenario's prefix: installed, its journal
# read, its local servers found. Sourced by lib.sh, whose helpers it uses.

# install_test_engine [VERSION]: the test database engine in C:\TestEngine of
# the scenario's prefix (where the template registered it: the application
# class as a local server), answering VERSION (default 3.6) as its version,
# with an empty journal. Sets ENGINE_DIR, the Linux folder where the scenario
# writes the engine's configuration (fail.txt, repair.txt, second_repair.txt,
# refuse_start.txt, compact_delay_ms.txt, die_in_compact.txt, die_in_repair.txt,
# hang_in_compact.txt, start_delay_ms.txt, hang_in_start.txt: see
# dll_main.cpp) and reads its journal.
install_test_engine() {
  : "${E2E_TEST_ENGINE:?E2E_TEST_ENGINE must name the test engine DLL}"
  : "${E2E_TEST_ENGINE_SERVER:?E2E_TEST_ENGINE_SERVER must name the test engine server}"
  ENGINE_DIR="$WINEPREFIX/drive_c/TestEngine"
  mkdir -p "$ENGINE_DIR"
  cp "$E2E_TEST_ENGINE" "$ENGINE_DIR/corvane_test_engine.dll"
  cp "$E2E_TEST_ENGINE_SERVER" "$ENGINE_DIR/corvane_test_engine_server.exe"
  printf '%s\r\n' "${1:-3.6}" >"$ENGINE_DIR/version.txt"
  rm -f "$ENGINE_DIR/journal.txt"
}

# engine_journal: what the engine was asked, one call a line, fields
# separated by TAB, without the CRs: "first<TAB>CompactDatabase<TAB>SRC<TAB>
# DST<TAB><missing><TAB><missing><TAB>LOCALE<TAB>ok". Empty before any call.
engine_journal() {
  [ -f "$ENGINE_DIR/journal.txt" ] || return 0
  tr -d '\r' <"$ENGINE_DIR/journal.txt"
}

# wait_engine_journal SECONDS PATTERN: waits for a journal line matching the
# extended regular expression PATTERN (such as $'\tCompactDatabase.started\t'
# before ending the program in the middle of a compaction).
wait_engine_journal() {
  wait_until "$1" "the engine's journal to show /$2/" journal_has "$2"
}

# Not "engine_journal | grep -q": grep ending early would fail the pipe
# under pipefail.
journal_has() { grep -qE -- "$1" < <(engine_journal); }

# engine_servers: the ids of the test engine's local servers running in this
# scenario's prefix (other runs on the machine have prefixes of their own).
engine_servers() {
  local pid
  for pid in $(pgrep -f 'corvane_test_engine_server\.exe' || true); do
    grep -qzx "WINEPREFIX=$WINEPREFIX" "/proc/$pid/environ" 2>/dev/null && echo "$pid"
  done
  return 0
}

no_engine_server() { [ -z "$(engine_servers)" ]; }

# remove_test_engine_registration: a machine without the database software,
# where creating either class answers 0x80040154, as on a real one.
remove_test_engine_registration() {
  "$REGISTER_TEST_ENGINE" --view "$E2E_BITS" --remove "$WINEPREFIX" ||
    fail "could not remove the test engine's registration"
}

# register_test_engine: the test engine's classes in the scenario's prefix,
# in the view the program under test reads, the application class as a local
# server as on a venue's machine.
register_test_engine() {
  "$REGISTER_TEST_ENGINE" --view "$E2E_BITS" "$WINEPREFIX" "$TEST_ENGINE_WINDOWS_PATH" \
    "$TEST_ENGINE_SERVER_WINDOWS_PATH" || fail "could not register the test engine"
}

# main_machine_begin NAME: scenario NAME as MONITOR, the main machine, with
# Corvane on E: in Spanish, the test engine 3.6, and its shared folder G:\Shared
# (SHARED, the Linux folder), empty.
main_machine_begin() {
  scenario_begin "$1" MONITOR
  install_on_drive_e
  install_test_engine 3.6
  echo 1 >"$PROGRAM_DIR/Corvane.lng"
  printf 'Monitor\r\n' >"$PROGRAM_DIR/MainMachine.ord"
  SHARED="$VENUE/g/Shared"
  mkdir -p "$SHARED"
  map_drive g "$VENUE/g"
}

# random_databases KIND...: "<KIND> abc 0000000001.mdb" in SHARED for each,
# 3000 random bytes (no run of zeros for the engine to leave as a hole).
random_databases() {
  local kind
  for kind in "$@"; do head -c 3000 /dev/urandom >"$SHARED/$kind abc 0000000001.mdb"; done
}
