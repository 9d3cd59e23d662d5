#!/usr/bin/env bash
# The release package as a venue receives it: the zip and its sum, unpacked
# on a local drive, and the Corvane.exe inside started from there.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

readonly USAGE_FIRST_LINE='Uso: Corvane.exe [/reparar [/limite:MIN] | /?]'

# unpack_package FOLDER: checks the zip against its sum and unpacks it into
# FOLDER. Sets PACKAGE_NAME (Corvane-<version>, the zip's one folder).
unpack_package() {
  local folder=$1
  : "${E2E_PACKAGE:?E2E_PACKAGE must name the release zip}"
  [ -f "$E2E_PACKAGE" ] || fail "no package at $E2E_PACKAGE: the corvane_package target has not been built"
  [ -f "$E2E_PACKAGE.sha256" ] || fail "no $E2E_PACKAGE.sha256 beside the package"
  local zip
  zip=$(basename "$E2E_PACKAGE")
  PACKAGE_NAME=${zip%.zip}

  # Checked where it was delivered to, as a technician would: the sum file
  # names the zip without a folder.
  local delivered="$SCENARIO_DIR/delivered" checked
  mkdir -p "$delivered"
  cp "$E2E_PACKAGE" "$E2E_PACKAGE.sha256" "$delivered/"
  checked=$(cd "$delivered" && sha256sum -c "$zip.sha256" 2>&1) || fail "the package's sum does not check: $checked"

  local expected listed
  expected=$(printf '%s\n' "$PACKAGE_NAME/Corvane.exe" "$PACKAGE_NAME/LEEME.txt" "$PACKAGE_NAME/MainMachine.ord" \
    "$PACKAGE_NAME/README-en.txt")
  listed=$(cmake -E tar tf "$delivered/$zip" | sort) || fail "cannot list $zip"
  expect_eq "$listed" "$expected" "the files in $zip"

  mkdir -p "$folder"
  (cd "$folder" && cmake -E tar xf "$delivered/$zip") || fail "cannot unpack $zip"
  local file
  for file in Corvane.exe LEEME.txt README-en.txt MainMachine.ord; do
    [ -s "$folder/$PACKAGE_NAME/$file" ] || fail "$file is missing or empty after unpacking $zip"
  done
  # A package left from an earlier build would carry an older program.
  cmp -s "$folder/$PACKAGE_NAME/Corvane.exe" "$CORVANE_EXE" ||
    fail "the packaged Corvane.exe is not the one this build made ($CORVANE_EXE)"
  # The program reads the last item of MainMachine.ord: the example must be
  # the one name and nothing else.
  cmp -s "$folder/$PACKAGE_NAME/MainMachine.ord" <(printf 'Monitor\r\n') ||
    fail "the example MainMachine.ord is not the one line 'Monitor' CR LF: $(od -An -c "$folder/$PACKAGE_NAME/MainMachine.ord")"
}

# Unpacked on E: of a main machine, the package's program answers /? with
# its usage: to the output its starter gave it, or, with none (started from
# Explorer), in a box that opens no main window; exit code 0 either way.
usage_from_zip() {
  scenario_begin package_usage_from_zip MONITOR
  map_drive e "$VENUE/e"
  unpack_package "$VENUE/e"
  local program="E:\\$PACKAGE_NAME\\Corvane.exe"

  start_program written "$program" '/?'
  expect_eq "$(wait_exit written 20)" 0 "exit code of Corvane /? with an output"
  expect_eq "$(head -n 1 "$SCENARIO_DIR/written.out" | tr -d '\r')" "$USAGE_FIRST_LINE" "the first line written"

  # No output at all: what Explorer gives a windows program.
  (
    status=0
    "$WINE64" "$program" '/?' >&- 2>&- || status=$?
    echo "$status" >"$SCENARIO_DIR/usage.exit.tmp"
    mv "$SCENARIO_DIR/usage.exit.tmp" "$SCENARIO_DIR/usage.exit"
  ) &
  SCENARIO_STARTED+=($!)
  local out
  if ! out=$(drv box --title Corvane); then
    has_ended usage && fail "Corvane /? ended with $(cat "$SCENARIO_DIR/usage.exit") without showing its usage"
    e2e_log "windows shown instead of the usage box:"
    drv list >&2 || true
    fail "no usage box titled 'Corvane' after Corvane /?"
  fi
  local text
  text=$(field text <<<"$out")
  expect_eq "${text%%$'\r'*}" "$USAGE_FIRST_LINE" "the first line of the usage box"
  [[ $text == *'/reparar'* ]] || fail "the usage box does not name /reparar: ${text@Q}"
  [[ $text == *'64'* ]] || fail "the usage box does not give the usage error's exit code 64: ${text@Q}"
  expect_eq "$(field buttons <<<"$out")" ok "buttons of the usage box"
  expect_eq "$(drv count --class CorvaneFMain --hidden | field count)" 0 "main windows while the usage is shown"
  if has_ended usage; then fail "the program ended before its usage box was answered"; fi

  drv answer --title Corvane --button ok >/dev/null || fail "could not answer the usage box"
  local code
  code=$(wait_exit usage 10) || fail "the program did not end after its usage box was answered"
  expect_eq "$code" 0 "exit code of Corvane /?"
}

case ${1:-} in
  usage_from_zip) usage_from_zip ;;
  *) fail "unknown case '${1:-}'" ;;
esac
