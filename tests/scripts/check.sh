# The script tests' one assertion: check WHAT ACTUAL PATTERN compares ACTUAL
# with a bash pattern, prints ok or the difference, and counts failures in
# $failures. Sourced.
failures=0

check() {
  local what=$1 actual=$2 expected=$3
  if [[ $actual == $expected ]]; then
    echo "ok: $what"
  else
    printf 'FAIL: %s\n  expected: %s\n  actual:   %s\n' "$what" "$expected" "$actual"
    failures=$((failures + 1))
  fi
}
