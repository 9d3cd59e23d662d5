#!/usr/bin/env bash
# Hot keys of the main window and the language panel it opens on when no
# language is stored. The debug log is on in every case: the repair request
# records its scan of the main machine's empty shared data folder; the
# restore entry puts the restore screen in the main window's place. That is
# how these tests see that an action ran.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

readonly REPAIR='"DBRepair: 0 bases de datos en G:\Shared"'
readonly ENGINE='"DBRepair: motor 3.6, G:\Shared"'

# restored N: the restore entry ran (N restore screens opened in all); its
# screen is closed with Esc and the main window is back.
RESTORE_SCREENS=0
main_hidden() { [ "$(drv count --class CorvaneFMain | field count)" = 0 ]; }
restored() {
  drv wait-window --class CorvaneFrmNetwork --timeout 10 >/dev/null || fail "the restore screen did not open"
  RESTORE_SCREENS=$((RESTORE_SCREENS + 1))
  expect_eq "$RESTORE_SCREENS" "$1" "restore screens opened"
  # The screen shows at once; the main window gives way once the shared
  # folder is scanned, and Esc waits for that too (a busy screen ignores it).
  wait_until 10 "the main window to give way to the restore screen" main_hidden ||
    fail "main windows shown beside the restore screen: $(drv count --class CorvaneFMain | field count)"
  drv keys --class CorvaneFrmNetwork esc >/dev/null || fail "could not press Esc on the restore screen"
  drv wait-gone --class CorvaneFrmNetwork >/dev/null || fail "Esc did not close the restore screen"
  wait_main_window >/dev/null || fail "the main window did not come back"
}

start_logged() {
  scenario_begin "hot_keys_$1" MONITOR
  install_on_drive_e
  install_test_engine 3.6
  # An empty folder: the repair request goes through without a question.
  mkdir -p "$VENUE/g/Shared"
  map_drive g "$VENUE/g"
  [ -z "${2:-}" ] || echo "$2" >"$PROGRAM_DIR/Corvane.lng"
  : >"$PROGRAM_DIR/Corvane.deb"
  start_program corvane "$PROGRAM_PATH"
  wait_main_window >/dev/null || fail "the main window did not appear"
}

# records: the log's records after its five header lines, one per line.
records() { find "$PROGRAM_DIR" -maxdepth 1 -name '* Corvane.deb' -exec tail -n +6 {} + | tr -d '\r'; }
record_count() { records | grep -cxF "$1" || true; }
has_records() { [ "$(record_count "$1")" -ge "$2" ]; }

# wait_records TEXT N: waits until the log holds N records TEXT.
wait_records() { wait_until 10 "$2 records $1 in the log" has_records "$1" "$2" || fail "the log holds: $(records | paste -sd' ')"; }

keys() { drv keys --class CorvaneFMain "$@" >/dev/null || fail "could not type $* into the main window"; }
choose() { drv click --class CorvaneFMain --child "$1" "${@:2}" >/dev/null || fail "could not click the option $1"; }

# option TEXT: "shown checked" flags (1 or 0) of a language option.
option() {
  local line children
  children=$(drv children --class CorvaneFMain) || true
  printf '%s\n' "$children" >"$SCENARIO_DIR/children.txt"
  line=$(grep -F "text=\"$1\"" <<<"$children") || { echo "absent"; return; }
  [[ $line =~ visible=([01]).*checked=([01]) ]] || fail "cannot read the option $1 from: $line"
  echo "${BASH_REMATCH[1]} ${BASH_REMATCH[2]}"
}

option_hidden() { [[ $(option "$1") == "0 "* ]]; }

# expect_option TEXT FLAGS WHAT: the option comes to read FLAGS ("shown
# checked"). A click or a key reaches the program after the driver returns,
# so the new state is waited for.
option_is() { [ "$(option "$1")" = "$2" ]; }
expect_option() {
  wait_until 10 "the option $1 to read '$2'" option_is "$1" "$2" ||
    expect_eq "$(option "$1")" "$2" "$3 (controls: $SCENARIO_DIR/children.txt)"
}

# ask KEY TITLE TEXT: the key asks this Yes/No question, No preselected.
ask() {
  local out
  keys "$1"
  out=$(drv box --title "$2") || fail "$1 asked no question titled '$2'"
  expect_eq "$(field text <<<"$out")" "$3" "question of $1 under '$2'"
  expect_eq "$(field buttons <<<"$out")" "yes no" "buttons of the '$2' box"
  expect_eq "$(field default <<<"$out")" no "preselected answer of the '$2' box"
  expect_eq "$(field icon <<<"$out")" question "icon of the '$2' box"
}

answer() { drv answer --title "$1" --button "$2" >/dev/null || fail "could not answer $2 to '$1'"; }

# In the home state Shift+D and Shift+R start their action at once; D alone,
# Ctrl+Shift+D and Alt+Shift+D do nothing. Keys are handled in order, so once
# the restore record is there the keys typed before it have had their turn.
home_state() {
  start_logged home_state 1
  keys d ctrl+shift+d alt+shift+d shift+r
  restored 1
  keys shift+d
  wait_records "$ENGINE" 1
  expect_eq "$(records | paste -sd' ')" "$REPAIR $ENGINE" "records after d, ctrl+shift+d, alt+shift+d, shift+r, shift+d"
}

# On the language panel every hot key asks first, in the language of the
# selected option (Spanish when none is); Enter answers No; Esc clears the
# option; choosing an option alone stores nothing.
language_panel() {
  start_logged language_panel ""
  expect_option Español "1 0" "Español option (shown, checked)"
  expect_option Português "1 0" "Português option (shown, checked)"
  expect_option English "1 0" "English option (shown, checked)"

  ask shift+d 'ATENCION!' 'Reparamos las Bases de Datos?'
  drv keys --class '#32770' --title 'ATENCION!' enter >/dev/null || fail "could not press Enter on the box"
  drv wait-gone --class '#32770' >/dev/null || fail "Enter did not close the box"

  choose English
  expect_option English "1 1" "English option after a click on it"
  ask shift+r 'ATTENTION!' 'Restore Data Bases?'
  answer 'ATTENTION!' no

  keys esc
  expect_option English "1 0" "English option after Esc"
  ask shift+r 'ATENCION!' 'Restauramos las Bases de Datos?'
  answer 'ATENCION!' no

  choose Português
  ask shift+d 'ATENÇÃO!' 'Reparamos as Bases de Dados?'
  answer 'ATENÇÃO!' no

  # A final Yes as a marker: everything answered before it has been handled.
  # (Last, because the restore screen's closing step shows the button panel
  # over the language panel, as it always has.)
  ask shift+r 'ATENÇÃO!' 'Restoramos as Bases de Dados?'
  answer 'ATENÇÃO!' yes
  restored 1
  expect_eq "$(records | paste -sd' ')" "" "records: no repair started (only the restore was answered Yes)"
  [ ! -e "$PROGRAM_DIR/Corvane.lng" ] || fail "choosing an option alone stored a language"
}

line_stored() { [ -s "$1" ] && [ -z "$(tail -c1 "$1")" ]; }

# language_choice HOW CODE OPTION: choosing an option for good (Enter, or a
# double click) stores its code and leaves the panel for the home state,
# where the hot keys no longer ask.
language_choice() {
  start_logged "language_choice_$1" ""
  if [ "$1" = enter ]; then
    choose "$3"
    keys enter
  else
    choose "$3" --double
  fi
  # The file is created before its line is written: wait for the line end.
  wait_until 10 "a language stored" line_stored "$PROGRAM_DIR/Corvane.lng" || fail "no language stored"
  expect_eq "$(tr -d '\r\n' <"$PROGRAM_DIR/Corvane.lng")" "$2" "language code stored for $3"
  wait_until 10 "the language panel to go" option_hidden "$3" || fail "the $3 option is still shown"
  keys shift+d
  wait_records "$REPAIR" 1
}

case ${1:-} in
  home_state) home_state ;;
  language_panel) language_panel ;;
  language_choice_enter) language_choice enter 3 English ;;
  language_choice_double_click) language_choice double_click 2 Português ;;
  *) fail "unknown case '${1:-}'" ;;
esac
