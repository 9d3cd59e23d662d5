#!/usr/bin/env bash
# Registers the test database engine in a Wine prefix under the two class ids
# the program creates, or removes it again.
#
#   register.sh [--view 32|64] PREFIX WINDOWS_DLL_PATH [WINDOWS_SERVER_PATH]
#       e.g. register.sh ~/p 'C:\TestEngine\corvane_test_engine.dll' \
#                           'C:\TestEngine\corvane_test_engine_server.exe'
#   register.sh [--view 32|64] --remove PREFIX
#
# With a server, the application class is served by it out of process, as on
# a venue's machine; the DAO class stays in process in any case.
#
# The classes go into the registry view that the program under test reads,
# which is the view of its bitness (and the engine's, which it loads in
# process). The 32-bit view (the default: the released program is 32-bit) is
# HKLM\Software\Classes\Wow6432Node in system.reg, and a 32-bit process of a
# WoW64 prefix reads its COM registrations from there only: registered in the
# other view, CoCreateInstance answers 0x80040154. The 64-bit view serves the
# x86_64 test build. The registry reaches system.reg when the prefix's
# wineserver ends; this script leaves the server to the caller.
set -euo pipefail

readonly WINE64=/usr/lib/wine/wine64
# The database application object, whose DBEngine is the first engine.
readonly APPLICATION_CLSID='{73A4C9C1-D68D-11D0-98BF-00A0C90DC8D9}'
# The DAO 3.6 DBEngine, the second engine.
readonly SECOND_ENGINE_CLSID='{00000100-0000-0010-8000-00AA006D2EA4}'

export WINEDEBUG=-all
# The caller's overrides (lib.sh's add more) or the two that keep Wine from
# asking for Mono or Gecko.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

usage() {
  echo "usage: register.sh [--view 32|64] PREFIX WINDOWS_DLL_PATH [WINDOWS_SERVER_PATH] | register.sh [--view 32|64] --remove PREFIX" >&2
  exit 2
}

view=32
if [ "${1:-}" = --view ]; then
  case ${2:-} in 32 | 64) view=$2 ;; *) usage ;; esac
  shift 2
fi

# reg ARGS...: Wine's reg.exe in the prefix, quiet unless it fails.
reg() {
  local output
  output=$("$WINE64" reg "$@" 2>&1) || {
    printf 'register.sh: reg %s failed:\n%s\n' "$*" "$output" >&2
    return 1
  }
}

check_prefix() {
  # reg would make a new prefix where there is none, and a 32-bit one has no
  # 32-bit view to register in: refuse both. (system.reg is no test: a prefix
  # whose first server still runs has none yet.)
  [ -d "$1/drive_c/windows/system32" ] || {
    echo "register.sh: $1 is not a Wine prefix (no system32)" >&2
    exit 1
  }
  [ "$view" = 64 ] || [ -d "$1/drive_c/windows/syswow64" ] || {
    echo "register.sh: $1 is not a WoW64 Wine prefix (no syswow64), so it has no 32-bit view" >&2
    exit 1
  }
}

register_class() {
  local name=$2 dll=$3 key="HKCR\\CLSID\\$1"
  reg add "$key" /ve /d "$name" /f /reg:$view
  reg add "$key\\InprocServer32" /ve /d "$dll" /f /reg:$view
  reg add "$key\\InprocServer32" /v ThreadingModel /d Apartment /f /reg:$view
}

# register_local_server CLSID NAME EXE: the class served by a program of its
# own (LocalServer32, which Wine starts with " -Embedding"). An in-process
# registration of the same class would win under CLSCTX_ALL, so it goes.
register_local_server() {
  local key="HKCR\\CLSID\\$1"
  if "$WINE64" reg query "$key\\InprocServer32" /reg:$view >/dev/null 2>&1; then
    reg delete "$key\\InprocServer32" /f /reg:$view
  fi
  reg add "$key" /ve /d "$2" /f /reg:$view
  reg add "$key\\LocalServer32" /ve /d "$3" /f /reg:$view
}

remove_class() {
  local key="HKCR\\CLSID\\$1"
  # Removing what is not there is no failure: the caller wants it gone.
  "$WINE64" reg query "$key" /reg:$view >/dev/null 2>&1 || return 0
  reg delete "$key" /f /reg:$view
}

case ${1:-} in
  --remove)
    [ $# -eq 2 ] || usage
    check_prefix "$2"
    export WINEPREFIX=$2
    remove_class "$APPLICATION_CLSID"
    remove_class "$SECOND_ENGINE_CLSID"
    ;;
  -* | '') usage ;;
  *)
    [ $# -eq 2 ] || [ $# -eq 3 ] || usage
    check_prefix "$1"
    export WINEPREFIX=$1
    if [ $# -eq 3 ]; then
      register_local_server "$APPLICATION_CLSID" "Corvane test engine: database application" "$3"
    else
      register_class "$APPLICATION_CLSID" "Corvane test engine: database application" "$2"
    fi
    register_class "$SECOND_ENGINE_CLSID" "Corvane test engine: DBEngine" "$2"
    ;;
esac
