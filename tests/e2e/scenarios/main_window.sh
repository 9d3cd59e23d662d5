#!/usr/bin/env bash
# The main window as a computer named MONITOR sees it after start-up.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

readonly CAPTION='Corvane (v25.0.0)(Win1x)'

# Caption (program name and version title, platform Win1x in a WoW64
# prefix), set again whenever the window is activated; outer size 8400 x 8400
# twips = 560 x 560 px at 96 dpi; owned by the hidden window a later instance
# looks for; a close request ends the process.
caption_and_size() {
  scenario_begin main_window MONITOR
  install_on_drive_e
  echo 1 >"$PROGRAM_DIR/Corvane.lng"
  start_program corvane "$PROGRAM_PATH"

  local out
  wait_main_window >/dev/null || fail "the main window did not appear"
  drv wait-window --class CorvaneFMain --title "$CAPTION" --timeout 10 >/dev/null ||
    fail "main window caption is '$(drv state --class CorvaneFMain | field caption)', wanted '$CAPTION'"

  out=$(drv rect --class CorvaneFMain) || fail "no main window to measure"
  expect_eq "$(field dpi <<<"$out")" 96 "screen resolution the size is measured at"
  expect_eq "$(field size <<<"$out")" "560 560" "outer size of the main window (width height)"

  out=$(drv state --class CorvaneFMain) || fail "no main window"
  expect_eq "$(field owner_class <<<"$out")" ThunderRT6Main "class of the main window's owner"
  expect_eq "$(field owner_caption <<<"$out")" Corvane "caption of the main window's owner"
  expect_eq "$(drv count --class ThunderRT6Main | field count)" 0 "visible ThunderRT6Main windows"

  # Another window takes the activation; coming back must rewrite the caption.
  drv retitle --class CorvaneFMain "changed by the test" >/dev/null || fail "could not change the caption"
  start_program other "$E2E_MINIMAL"
  drv wait-foreground --class CorvaneMinimalWindow >/dev/null || fail "the other window did not take the foreground"
  drv activate --class CorvaneFMain >/dev/null || fail "could not activate the main window again"
  drv wait-window --class CorvaneFMain --title "$CAPTION" --timeout 10 >/dev/null ||
    fail "caption after a new activation is '$(drv state --class CorvaneFMain | field caption)', wanted '$CAPTION'"

  drv close --class CorvaneFMain >/dev/null || fail "no main window to close"
  wait_exit corvane 10 >/dev/null || fail "the process did not end on the close request"
}

# The home state as drawn: the repair button's dark red above the restore
# button's purple on white, where the layout puts them (twips / 15 = pixels
# of the client area), each sampled between its top edge and its caption.
# home_picture DPI: the two buttons where the layout in twips puts them, at
# the given screen resolution (1440 twips an inch), and white around them.
home_picture() {
  local dpi=$1
  scenario_begin "main_window_picture_$dpi" MONITOR
  "$WINE64" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 ||
    fail "could not set the screen resolution to $dpi dpi"
  install_on_drive_e
  echo 1 >"$PROGRAM_DIR/Corvane.lng"
  start_program corvane "$PROGRAM_PATH"
  wait_main_window >/dev/null || fail "the main window did not appear"

  local out left top shot="$SCENARIO_DIR/home.png"
  out=$(drv rect --class CorvaneFMain) || fail "no main window to measure"
  local side=$((8400 * dpi / 1440))
  expect_eq "$(field size <<<"$out")" "$side $side" "outer size at $dpi dpi (width height)"
  read -r left top <<<"$(field client_origin <<<"$out")"
  px() { echo $(($1 * dpi / 1440)); }
  colour_at() { pixel "$shot" $((left + $(px "$1"))) $((top + $(px "$2"))); }
  # Points in twips: the middle of each button, above its caption; between
  # the buttons; near the window's corner.
  repair_drawn() { screenshot "$shot" && [ "$(colour_at 4117 3540)" = "192 0 0" ]; }
  wait_until 10 "the repair button to be drawn" repair_drawn ||
    fail "no dark red repair button at its middle; it shows $(colour_at 4117 3540) (picture: $shot)"
  expect_eq "$(colour_at 4132 6000)" "192 0 192" "colour of the restore button at its middle (picture: $shot)"
  expect_eq "$(colour_at 4125 5122)" "255 255 255" "colour between the buttons (picture: $shot)"
  expect_eq "$(colour_at 4117 3300)" "255 255 255" "colour just above the repair button (picture: $shot)"
  expect_eq "$(colour_at 300 300)" "255 255 255" "colour near the window's corner (picture: $shot)"
}

case ${1:-} in
  caption_and_size) caption_and_size ;;
  home_picture_96) home_picture 96 ;;
  home_picture_144) home_picture 144 ;;
  *) fail "unknown case '${1:-}'" ;;
esac
