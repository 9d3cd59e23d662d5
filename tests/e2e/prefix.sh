# The Wine prefixes of a run: the template made once (by the template
# fixture), stopped, and copied for each scenario. Sourced by lib.sh, whose
# helpers and settings it uses.

# One WoW64 prefix per run; scenarios copy it. Made under a new name and
# renamed at the end, so a half-made template is never used. A prefix's first
# start has failed once in a while on a machine just set up, for no cause its
# output showed; one more try costs 10 s, a failed template costs every
# scenario of the run.
template_create() {
  local template="$E2E_STATE/template"
  if [ "${E2E_KEEP_TEMPLATE:-}" = 1 ] && [ -f "$template/system.reg" ]; then
    e2e_log "reusing template $template"
    return 0
  fi
  mkdir -p "$E2E_STATE" "$HOME"
  require_runnable
  local fresh="$E2E_STATE/template.new" log="$E2E_STATE/template.log" started attempt
  for attempt in 1 2; do
    started=$(now_ms)
    : >"$log"
    if template_attempt "$fresh" 2>>"$log"; then
      template_stop_server "$template"
      rm -rf "$template"
      mv "$fresh" "$template"
      e2e_log "template prefix made in $(($(now_ms) - started)) ms"
      return 0
    fi
    cat "$log" >&2
    e2e_log "template prefix, try $attempt of 2, failed after $(($(now_ms) - started)) ms; free space: $(df -h --output=avail "$E2E_STATE" | tail -n 1 | tr -d ' ')"
  done
  template_stop_server "$fresh"
  fail "could not create the template prefix"
}

# template_attempt FRESH: makes the template in FRESH, anew; fails with the
# reason on stderr. Called as a condition, so errexit is off here and every
# check returns by itself.
template_attempt() {
  local fresh=$1
  template_stop_server "$fresh"
  rm -rf "$fresh"
  (
    export WINEPREFIX="$fresh"
    # Nothing of the prefix's first start belongs on the caller's desktop.
    unset DISPLAY
    # Its exit code is no verdict: a first start on a machine just set up
    # has answered failure for a prefix that then worked (the unit tests'
    # prefix never looked at it). The steps and checks after it judge.
    "$WINE64" wineboot -i >"$E2E_STATE/template.step" 2>&1 ||
      echo "template: the first start answered $? (the checks decide)" >>"$E2E_STATE/template.step"
    cat "$E2E_STATE/template.step" >&2
    template_step "no crash dialog" "$WINE64" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
    # Xvfb has no window manager, and Wine waits up to 2 s for one to
    # acknowledge every managed window it hides (each message box answered).
    # Unmanaged windows, drawn and placed by Wine alone, skip that wait.
    template_step "unmanaged windows" "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
    # Linux has no Arial; Liberation Sans has its metrics, so captions take
    # the room they take on Windows.
    template_step "Arial's replacement" "$WINE64" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f
    # Both engine classes point at C:\TestEngine in every scenario, the
    # application class at its local server, as on a venue's machine; a
    # scenario without the files there sees an engine that is not installed
    # (Wine answers 0x80040154 as for a class never registered).
    template_step "the test engine's registration" "$REGISTER_TEST_ENGINE" --view "$E2E_BITS" "$fresh" "$TEST_ENGINE_WINDOWS_PATH" "$TEST_ENGINE_SERVER_WINDOWS_PATH"
    # The registry reaches the disk when the server ends; end it now
    # rather than 3 s after its last client.
    "$WINESERVER" -k >/dev/null 2>&1 || true
    template_step "the server's end" "$WINESERVER" -w
  ) || return 1
  # A 32-bit program runs only in a WoW64 prefix, and sees SysWOW64 there as
  # on a 64-bit Windows.
  [ "$E2E_BITS" = 64 ] || [ -d "$fresh/drive_c/windows/syswow64" ] ||
    { template_wrong "the template prefix is not a WoW64 prefix (no syswow64)"; return 1; }
  grep -q '"ShowCrashDialog"=dword:00000000' "$fresh/user.reg" || { template_wrong "the template prefix lacks ShowCrashDialog=0"; return 1; }
  grep -q '"Managed"="N"' "$fresh/user.reg" || { template_wrong "the template prefix lacks Managed=N"; return 1; }
  # The view the program under test reads its COM classes from.
  local classes='Software\\Classes\\Wow6432Node'
  [ "$E2E_BITS" = 32 ] || classes='Software\\Classes'
  grep -qF "[$classes\\\\CLSID\\\\{73A4C9C1-D68D-11D0-98BF-00A0C90DC8D9}\\\\LocalServer32]" \
    "$fresh/system.reg" || { template_wrong "the template prefix lacks the test engine's registration in the $E2E_BITS-bit view"; return 1; }
}

template_wrong() { printf 'template: %s\n' "$*" >&2; }

# template_step WHAT COMMAND...: one step of the template, its output kept in
# the template's log (stderr here) and shown when the step fails, which ends
# the template. A file, not a pipe: the wineserver a first start leaves behind
# would hold a pipe open.
template_step() {
  local what=$1 status=0
  shift
  "$@" >"$E2E_STATE/template.step" 2>&1 || status=$?
  cat "$E2E_STATE/template.step" >&2
  [ "$status" = 0 ] && return 0
  printf 'template: %s failed (exit %s): %s\n' "$what" "$status" "$*" >&2
  exit 1
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
