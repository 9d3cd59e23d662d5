# The Wine prefixes of a run: the template made once (by the template
# fixture), stopped, and copied for each scenario. Sourced by lib.sh, whose
# helpers and settings it uses.

# One WoW64 prefix per run; scenarios copy it. Made under a new name and
# renamed at the end, so a half-made template is never used.
template_create() {
  local template="$E2E_STATE/template"
  if [ "${E2E_KEEP_TEMPLATE:-}" = 1 ] && [ -f "$template/system.reg" ]; then
    e2e_log "reusing template $template"
    return 0
  fi
  mkdir -p "$E2E_STATE" "$HOME"
  require_runnable
  local fresh="$E2E_STATE/template.new"
  template_stop_server "$fresh"
  rm -rf "$fresh"
  local started
  started=$(now_ms)
  (
    export WINEPREFIX="$fresh"
    # Nothing of the prefix's first start belongs on the caller's desktop.
    unset DISPLAY
    "$WINE64" wineboot -i >/dev/null 2>&1 || exit 1
    "$WINE64" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || exit 1
    # Xvfb has no window manager, and Wine waits up to 2 s for one to
    # acknowledge every managed window it hides (each message box answered).
    # Unmanaged windows, drawn and placed by Wine alone, skip that wait.
    "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || exit 1
    # Linux has no Arial; Liberation Sans has its metrics, so captions take
    # the room they take on Windows.
    "$WINE64" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f >/dev/null 2>&1 || exit 1
    # Both engine classes point at C:\TestEngine in every scenario, the
    # application class at its local server, as on a venue's machine; a
    # scenario without the files there sees an engine that is not installed
    # (Wine answers 0x80040154 as for a class never registered).
    "$REGISTER_TEST_ENGINE" --view "$E2E_BITS" "$fresh" "$TEST_ENGINE_WINDOWS_PATH" "$TEST_ENGINE_SERVER_WINDOWS_PATH" || exit 1
    # The registry reaches the disk when the server ends; end it now
    # rather than 3 s after its last client.
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w
  ) || fail "could not create the template prefix"
  # A 32-bit program runs only in a WoW64 prefix, and sees SysWOW64 there as
  # on a 64-bit Windows.
  [ "$E2E_BITS" = 64 ] || [ -d "$fresh/drive_c/windows/syswow64" ] ||
    fail "the template prefix is not a WoW64 prefix (no syswow64)"
  grep -q '"ShowCrashDialog"=dword:00000000' "$fresh/user.reg" || fail "the template prefix lacks ShowCrashDialog=0"
  grep -q '"Managed"="N"' "$fresh/user.reg" || fail "the template prefix lacks Managed=N"
  # The view the program under test reads its COM classes from.
  local classes='Software\\Classes\\Wow6432Node'
  [ "$E2E_BITS" = 32 ] || classes='Software\\Classes'
  grep -qF "[$classes\\\\CLSID\\\\{73A4C9C1-D68D-11D0-98BF-00A0C90DC8D9}\\\\LocalServer32]" \
    "$fresh/system.reg" || fail "the template prefix lacks the test engine's registration in the $E2E_BITS-bit view"
  template_stop_server "$template"
  rm -rf "$template"
  mv "$fresh" "$template"
  e2e_log "template prefix made in $(($(now_ms) - started)) ms"
}

template_stop_server() {
  [ -d "$1" ] || return 0
  WINEPREFIX="$1" "$WINESERVER" -k >/dev/null 2>&1 || true
  WINEPREFIX="$1" "$WINESERVER" -w >/dev/null 2>&1 || true
}

# prefix_copy TEMPLATE DEST: the 1.3 GB of system DLLs are hard links (Wine
# never writes them once the prefix is made; the registry is saved through a
# new file and a rename), everything else is a real copy.
prefix_copy() {
  local from=$1 to=$2 entry
  mkdir -p "$to/drive_c/windows"
  for entry in "$from"/* "$from"/.update-timestamp; do
    [ "$(basename "$entry")" = drive_c ] || cp -a "$entry" "$to/"
  done
  for entry in "$from"/drive_c/*; do
    [ "$(basename "$entry")" = windows ] || cp -a "$entry" "$to/drive_c/"
  done
  for entry in "$from"/drive_c/windows/*; do
    case $(basename "$entry") in
      system32 | syswow64 | winsxs) cp -al "$entry" "$to/drive_c/windows/" ;;
      *) cp -a "$entry" "$to/drive_c/windows/" ;;
    esac
  done
}
