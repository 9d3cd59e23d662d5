#!/usr/bin/env bash
# The choice of Windows build, with stand-in loaders: a host whose kernel runs
# no 32-bit code must get the 64-bit build, and every tool that meets a 32-bit
# program there must say so rather than fail later for another reason.
set -uo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$root/tests/scripts/check.sh"

# The loader of a 64-bit-only kernel, as the shell reports it.
cat >"$work/loader-refused" <<'LOADER'
#!/bin/sh
echo "/usr/lib/wine/wine: cannot execute binary file: Exec format error" >&2
exit 126
LOADER
printf '#!/bin/sh\necho wine-8.0\n' >"$work/loader-works"
chmod +x "$work/loader-refused" "$work/loader-works"

# A program's first bytes: the DOS header pointing at a PE header at 64.
pe() {
  { printf 'MZ'; head -c 58 /dev/zero; printf '\100\000\000\000'; printf 'PE\000\000'; printf "$2"; head -c 64 /dev/zero; } >"$1"
}
pe "$work/program32.exe" '\114\001'
pe "$work/program64.exe" '\144\206'

choose() {
  CORVANE_WINE32_LOADER=$1 CORVANE_FORCE_X64=${2:-} bash -c \
    'source "$0/scripts/windows-build.sh"; windows_host_choose; echo "$CORVANE_WINDOWS_PRESET|$CORVANE_WINDOWS_WHY"' "$root"
}

# name | loader | forced | preset | reason
while IFS='|' read -r name loader forced preset reason; do
  [ -n "$name" ] || continue
  out=$(choose "$work/$loader" "$forced")
  check "$name: preset" "${out%%|*}" "$preset"
  check "$name: reason" "${out#*|}" "$reason"
done <<'CASES'
loader refused|loader-refused||windows-x64|this host cannot run 32-bit programs: *Exec format error*
loader missing|no-such-loader||windows-x64|*32-bit loader * is not installed
loader runs|loader-works||windows|this host runs 32-bit programs
forced where 32-bit runs|loader-works|1|windows-x64|forced by CORVANE_FORCE_X64=1
CASES

check "PE machine of a 32-bit program" "$(bash -c 'source "$0/scripts/windows-build.sh"; pe_machine "$1"' "$root" "$work/program32.exe")" 014c
check "PE machine of a 64-bit program" "$(bash -c 'source "$0/scripts/windows-build.sh"; pe_machine "$1"' "$root" "$work/program64.exe")" 8664

# The unit tests' runner names the real cause before Wine is started.
out=$(CORVANE_WINE32_LOADER="$work/loader-refused" CORVANE_WINEPREFIX="$work/prefix" \
  "$root/scripts/wine-run" "$work/program32.exe" 2>&1)
check "wine-run exit on a 32-bit program" "$?" 126
check "wine-run names the cause" "$out" "*cannot run 32-bit programs*Exec format error*windows-x64*"
[ ! -e "$work/prefix" ]
check "wine-run made no prefix" "$?" 0

# The end-to-end set-up: the same cause, before any wineserver or unshare.
e2e() {
  E2E_STATE="$work/e2e" CORVANE_EXE=$1 CORVANE_WINE32_LOADER="$work/$2" \
    bash -c 'source "$0/tests/e2e/lib.sh"; echo "bits $E2E_BITS"; require_runnable && echo runnable' "$root" 2>&1
}
out=$(e2e "$work/program32.exe" loader-refused)
check "e2e set-up refuses a 32-bit program where it cannot run" "$out" $'bits 32\nFAIL: this host cannot run 32-bit programs*Exec format error*windows-x64*'
check "e2e set-up takes a 64-bit program there" "$(e2e "$work/program64.exe" loader-refused)" $'bits 64\nrunnable'
check "e2e set-up takes a 32-bit program where it runs" "$(e2e "$work/program32.exe" loader-works)" $'bits 32\nrunnable'

[ "$failures" -eq 0 ] || { echo "$failures failed"; exit 1; }
