#!/usr/bin/env bash
# Enter on the language panel before any option is chosen.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

readonly OPTIONS=(Español Português English)

# option TEXT: "shown checked" flags (1 or 0) of a language option.
option() {
  local line
  line=$(drv children --class CorvaneFMain | grep -F "text=\"$1\"") || { echo "absent"; return; }
  [[ $line =~ visible=([01]).*checked=([01]) ]] || fail "cannot read the option $1 from: $line"
  echo "${BASH_REMATCH[1]} ${BASH_REMATCH[2]}"
}

expect_options_shown_unchecked() {
  local text
  for text in "${OPTIONS[@]}"; do expect_eq "$(option "$text")" "1 0" "$text option (shown, checked) $1"; done
}

boxes() { drv count --class '#32770' | field count; }

# Nothing is stored, no box is shown and the panel stays, its options still
# unchosen. The repair key's question is the marker that the Enter typed
# before it has been handled: keys are handled in order, and on the panel
# that key asks first (an Enter that had left the panel would let it start
# the repair without asking).
nothing_chosen() {
  scenario_begin language_enter_nothing_chosen MONITOR
  install_on_drive_e
  start_program corvane "$PROGRAM_PATH"
  wait_main_window >/dev/null || fail "the main window did not appear"
  expect_options_shown_unchecked "at the start"

  drv keys --class CorvaneFMain enter >/dev/null || fail "could not press Enter on the main window"
  drv keys --class CorvaneFMain shift+d >/dev/null || fail "could not type Shift+D into the main window"
  local out
  out=$(drv box --title 'ATENCION!') || fail "Shift+D after Enter asked no question"
  expect_eq "$(field text <<<"$out")" 'Reparamos las Bases de Datos?' "question after Enter and Shift+D"
  expect_eq "$(boxes)" 1 "boxes shown after Enter and Shift+D (the question alone)"
  drv answer --title 'ATENCION!' --button no >/dev/null || fail "could not answer No to the question"
  drv wait-gone --class '#32770' >/dev/null || fail "a box is still shown after answering the question"

  [ ! -e "$PROGRAM_DIR/Corvane.lng" ] || fail "Enter with no option chosen stored '$(cat "$PROGRAM_DIR/Corvane.lng")'"
  expect_options_shown_unchecked "after Enter"
  if has_ended corvane; then fail "the program ended"; fi
}

case ${1:-} in
  nothing_chosen) nothing_chosen ;;
  *) fail "unknown case '${1:-}'" ;;
esac
