#!/usr/bin/env bash
# scripts/package and the database key: a package built with the default key
# opens no venue's databases, so it is refused before anything is built;
# a site's key reaches the build's configuration. cmake and dpkg-query are
# stand-ins here: nothing is installed or built.
set -uo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$root/tests/scripts/check.sh"

default_key=$(sed -n 's/^set(CORVANE_DB_KEY "\([0-9]*\)" CACHE.*/\1/p' "$root/CMakeLists.txt")
check "CMakeLists.txt has a default key" "$default_key" '[0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9]'

# The stand-ins: every package installed, a 32-bit loader that starts, and a
# cmake that writes down how it was configured and builds nothing.
mkdir -p "$work/bin"
printf '#!/bin/sh\necho "install ok installed"\n' >"$work/bin/dpkg-query"
printf '#!/bin/sh\necho wine-8.0\n' >"$work/bin/loader"
cat >"$work/bin/cmake" <<'CMAKE'
#!/bin/sh
echo "$*" >>"$CMAKE_CALLS"
exit 1
CMAKE
chmod +x "$work/bin/"*

# package CACHED_KEY GIVEN_KEY ALLOW: runs scripts/package with a build whose
# cache holds CACHED_KEY (none when empty); prints its exit code, then the
# cmake calls it made.
package() {
  local build="$work/build-$RANDOM"
  mkdir -p "$build"
  [ -z "$1" ] || printf 'CORVANE_DB_KEY:STRING=%s\n' "$1" >"$build/CMakeCache.txt"
  : >"$work/calls"
  local status=0
  env PATH="$work/bin:$PATH" CMAKE_CALLS="$work/calls" CORVANE_WINE32_LOADER="$work/bin/loader" \
    CORVANE_BUILD_DIR="$build" CORVANE_DB_KEY="$2" CORVANE_PACKAGE_DEFAULT_KEY="$3" \
    "$root/scripts/package" >"$work/out" 2>&1 || status=$?
  echo "$status|$(sed "s|$build|BUILD|g" "$work/calls" | head -n 1)"
}

site=0123456789
# name | cached key | given key | CORVANE_PACKAGE_DEFAULT_KEY | exit code | first cmake call
while IFS='|' read -r name cached given allow status call; do
  [ -n "$name" ] || continue
  cached=${cached//DEFAULT/$default_key} given=${given//DEFAULT/$default_key}
  out=$(package "$cached" "$given" "$allow")
  check "$name: exit code" "${out%%|*}" "$status"
  check "$name: cmake" "${out#*|}" "$call"
  if [ "$status" = 2 ]; then
    check "$name: the refusal says how to give the key" "$(cat "$work/out")" "*refused*CORVANE_DB_KEY=<ten digits>*"
  fi
done <<CASES
nothing configured, no key given||||2|
the build's cache holds the default key|DEFAULT|||2|
the default key given over a site's|$site|DEFAULT||2|
a site's key given||$site||1|--preset windows -B BUILD -DCORVANE_DB_KEY=$site
a site's key in the build's cache|$site|||1|--preset windows -B BUILD
the default key asked for|||1|1|--preset windows -B BUILD
CASES

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all checks passed"
