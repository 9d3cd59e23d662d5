#!/usr/bin/env bash
# A developer machine (its name holds K305) is asked which computer to act as
# before anything else; the answers choose the name or end the program.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

readonly Q1=$'Usamos el Nombre Original de esta Maquina?\r\rDEV-K305'
readonly Q2=$'Usamos la Maquina con el Nombre\r\r\'Monitor\'?'
readonly Q3=$'Usamos la Maquina con Otro Nombre?\r\r\'PoS1\''

start_on_dev_machine() {
  scenario_begin "dev_machine_$1" dev-k305
  install_on_drive_e
  echo 1 >"$PROGRAM_DIR/Corvane.lng"
  : >"$PROGRAM_DIR/Corvane.deb"
  start_program corvane "$PROGRAM_PATH"
}

# question TEXT ANSWER: the next box titled "Pregunta" asks TEXT with Yes, No
# and Cancel, Yes preselected, and gets ANSWER.
question() {
  local out
  out=$(drv box --title Pregunta) || fail "no question box asking '$1'"
  expect_eq "$(field text <<<"$out")" "$1" "text of the question"
  expect_eq "$(field buttons <<<"$out")" "cancel yes no" "buttons of the question"
  expect_eq "$(field default <<<"$out")" yes "preselected answer of the question"
  expect_eq "$(field icon <<<"$out")" question "icon of the question"
  expect_eq "$(drv count --class CorvaneFMain --hidden | field count)" 0 "main windows while the question is asked"
  drv answer --title Pregunta --button "$2" >/dev/null || fail "could not answer $2"
}

# No, then Yes to acting as 'Monitor': the program goes on to its window. The
# debug log, started before the questions, is named after the real computer.
no_then_yes() {
  start_on_dev_machine no_then_yes
  question "$Q1" no
  question "$Q2" yes
  wait_main_window >/dev/null || fail "no main window after choosing 'Monitor'"
  [ -n "$(find "$PROGRAM_DIR" -maxdepth 1 -name '*-* DEV-K305 Corvane.deb')" ] ||
    fail "no debug log named after DEV-K305: $(ls "$PROGRAM_DIR")"
  drv close --class CorvaneFMain >/dev/null || fail "no main window to close"
  wait_exit corvane 10 >/dev/null || fail "the program did not end on the close request"
}

# Cancel at any question, or No to all three, ends the program at once.
declined() {
  start_on_dev_machine declined
  question "$Q1" cancel
  expect_eq "$(wait_exit corvane 10)" 0 "exit code after Cancel"

  start_program again "$PROGRAM_PATH"
  question "$Q1" no
  question "$Q2" no
  question "$Q3" no
  expect_eq "$(wait_exit again 10)" 0 "exit code after three times No"
  expect_eq "$(drv count --class CorvaneFMain --hidden | field count)" 0 "main windows after the questions were declined"
}

case ${1:-} in
  no_then_yes) no_then_yes ;;
  declined) declined ;;
  *) fail "unknown case '${1:-}'" ;;
esac
