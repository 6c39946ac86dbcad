#!/bin/bash
# Checks the README's deployment contract against the program: the exit-code
# table, the winget ExpectedReturnCodes block and the Intune / Configuration
# Manager table list exactly the codes of deployment/exit_codes.h, and every
# end-to-end test the exit-code table names exists in tests/e2e/.
# Prints each mismatch and exits 1 when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

codes=$(grep -oE '= [0-9]+,' deployment/exit_codes.h | grep -oE '[0-9]+' | sort -n | tr '\n' ' ')
nonzero=$(tr ' ' '\n' <<<"$codes" | grep -vx 0 | grep . | tr '\n' ' ')

# The lines of README.md from the heading `$1` up to the next heading of any level.
section() {
  awk -v heading="$1" '$0 == heading {inside = 1; next} /^#/ {inside = 0} inside' README.md
}
# The first column of the table rows in stdin whose first cell is a number.
row_codes() {
  grep -oE '^\| [0-9]+ \|' | grep -oE '[0-9]+' | sort -n | tr '\n' ' ' || true
}

bad=0
expect() {  # what, listed, wanted
  if [ "$2" != "$3" ]; then
    echo "README: $1 lists [$2], deployment/exit_codes.h has [$3]" >&2
    bad=1
  fi
}

expect "the exit-code table" "$(section '### Exit codes' | row_codes)" "$codes"
expect "the winget ExpectedReturnCodes" \
  "$(section '### winget' | grep -oE 'InstallerReturnCode: [0-9]+' | grep -oE '[0-9]+' |
     sort -n | tr '\n' ' ' || true)" "$nonzero"
expect "the Intune and Configuration Manager table" \
  "$(section '### Intune and Configuration Manager' | row_codes)" "$codes"

tests=$(section '### Exit codes' | grep -E '^\| [0-9]+ \|' |
        grep -oE '`[A-Za-z0-9_]+\.[A-Za-z0-9_]+`' | tr -d '`' | sort -u)
[ -n "$tests" ] || { echo "README: the exit-code table names no test" >&2; bad=1; }
for test in $tests; do
  suite=${test%%.*}
  name=${test#*.}
  if ! grep -qE "TEST(_F)?\($suite, *$name\)" tests/e2e/*.cpp; then
    echo "README: the exit-code table names $test, which tests/e2e/ does not hold" >&2
    bad=1
  fi
done
[ "$bad" = 0 ] && echo "readme: exit codes $codes- each listed, each named test present"
exit "$bad"
