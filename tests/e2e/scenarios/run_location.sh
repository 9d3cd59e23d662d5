#!/usr/bin/env bash
# Run locations the start-up refuses: each shows its box, shows no main
# window, and ends the program once the box is answered.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

# expect_refusal TITLE TEXT ICON: the box, then the end of the program.
expect_refusal() {
  local title=$1 text=$2 icon=$3 out
  out=$(drv box --title "$title") || fail "no message box titled '$title'"
  expect_eq "$(field text <<<"$out")" "$text" "text of the '$title' box"
  expect_eq "$(field buttons <<<"$out")" ok "buttons of the '$title' box"
  expect_eq "$(field icon <<<"$out")" "$icon" "icon of the '$title' box"
  expect_eq "$(drv count --class CorvaneFMain --hidden | field count)" 0 "main windows while the refusal is shown"
  if has_ended refused; then fail "the program ended before the box was answered"; fi
  drv answer --title "$title" --button ok >/dev/null || fail "could not answer the '$title' box"
  wait_exit refused 10 >/dev/null || fail "the program did not end after the refusal"
}

# Any folder on drive C: is refused on platform code 6; the drive letter is
# written in lower case here, the rule upper-cases it.
drive_c() {
  scenario_begin run_location_drive_c MONITOR
  install_corvane "$WINEPREFIX/drive_c/Apps/Corvane"
  start_program refused 'c:\Apps\Corvane\Corvane.exe'
  expect_refusal ':)' "En Win1X Hay que rodar desde otro lugar que no sea el 'C:\\'" question
}

# Started through the main machine's share: a path with two backslashes.
network() {
  scenario_begin run_location_network POS1
  map_share monitor g "$VENUE/g"
  install_corvane "$VENUE/g/Apps"
  start_program refused '\\Monitor\G\Apps\Corvane.exe'
  expect_refusal 'ATENCION!' $':(\r\rEsta Aplicacion NO se Debe Rodar desde la Red!!!' stop
}

case ${1:-} in
  drive_c) drive_c ;;
  network) network ;;
  *) fail "unknown case '${1:-}'" ;;
esac
